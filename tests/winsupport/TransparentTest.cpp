#include <gtest/gtest.h>

#include <memory>

#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/Transparent.h"

namespace panorel {
namespace {

class ShapedForm : public host::Form {
public:
    ShapedForm() : Form(L"Panorel2TestShaped") {}
    host::PictureBox& Add(int l, int t, int w, int h) {
        boxes.push_back(std::make_unique<host::PictureBox>(hWnd(), l, t, w, h));
        return AddControl(*boxes.back());
    }
    std::vector<std::unique_ptr<host::PictureBox>> boxes;
    host::ImageControl image;  // not a picture box: never part of the shape
    void AddImage() { AddControl(image); }
};

bool InRegion(HWND hwnd, int x, int y) {
    RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
    if (::GetWindowRgn(hwnd, rgn.get()) == ERROR) return false;
    return ::PtInRegion(rgn.get(), x, y) != FALSE;
}

TEST(MakeRegionFromPictures, KeepsExactlyThePictureBoxes) {
    ShapedForm f;
    f.Move(0, 0, 300, 200);
    f.Add(10, 10, 50, 40);
    f.Add(100, 10, 50, 40);
    f.AddImage();
    const long regions = RegionHandle::LiveCount();
    MakeRegionFromPictures(f);
    EXPECT_EQ(RegionHandle::LiveCount(), regions) << "the region went to the system";
    EXPECT_TRUE(InRegion(f.hWnd(), 10, 10));
    EXPECT_TRUE(InRegion(f.hWnd(), 59, 49));
    EXPECT_FALSE(InRegion(f.hWnd(), 60, 10));
    EXPECT_FALSE(InRegion(f.hWnd(), 80, 20)) << "gutter";
    EXPECT_TRUE(InRegion(f.hWnd(), 149, 49));
    EXPECT_FALSE(InRegion(f.hWnd(), 150, 50));
}

TEST(MakeRegionFromPictures, OverlapsCancelAndNoBoxesGiveNothing) {
    ShapedForm f;
    f.Move(0, 0, 300, 200);
    f.Add(0, 0, 100, 100);
    f.Add(50, 50, 100, 100);
    MakeRegionFromPictures(f);
    EXPECT_TRUE(InRegion(f.hWnd(), 10, 10));
    EXPECT_FALSE(InRegion(f.hWnd(), 75, 75)) << "covered twice: a hole";
    EXPECT_TRUE(InRegion(f.hWnd(), 120, 120));

    ShapedForm empty;
    empty.Move(0, 0, 100, 100);
    MakeRegionFromPictures(empty);
    RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(empty.hWnd(), rgn.get()), NULLREGION);
}

}  // namespace
}  // namespace panorel
