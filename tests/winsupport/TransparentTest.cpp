#include <gtest/gtest.h>

#include <memory>

#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/Transparent.h"

namespace panorel {
namespace {

// A form holding picture boxes and one image control, which is never part of the shape.
struct ShapedForm : host::Form {
    ShapedForm() : Form(L"Panorel2TestShaped") {
        Move(0, 0, 300, 200);
        AddControl(image);
    }
    void Add(int l, int t, int w, int h) {
        boxes.push_back(std::make_unique<host::PictureBox>(hWnd(), l, t, w, h));
        AddControl(*boxes.back());
    }
    bool InRegion(int x, int y) {
        RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
        return ::GetWindowRgn(hWnd(), rgn.get()) != ERROR && ::PtInRegion(rgn.get(), x, y);
    }
    std::vector<std::unique_ptr<host::PictureBox>> boxes;
    host::ImageControl image;
};

TEST(MakeRegionFromPictures, KeepsExactlyThePictureBoxesAndOverlapsCancel) {
    ShapedForm f;
    f.Add(10, 10, 50, 40);
    f.Add(100, 10, 50, 40);
    f.Add(120, 30, 50, 40);  // overlaps the second
    const long regions = RegionHandle::LiveCount();
    MakeRegionFromPictures(f);
    EXPECT_EQ(RegionHandle::LiveCount(), regions) << "the region went to the system";
    // The boxes' corners, the gutter between the first two, and the overlap of the others.
    const struct { int x, y; bool in; } points[] = {
        {10, 10, true}, {59, 49, true}, {60, 10, false}, {80, 20, false},
        {100, 10, true}, {130, 40, false}, {160, 60, true}, {170, 70, false}};
    for (const auto& p : points) EXPECT_EQ(f.InRegion(p.x, p.y), p.in) << p.x << "," << p.y;

    ShapedForm empty;
    MakeRegionFromPictures(empty);
    RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(empty.hWnd(), rgn.get()), NULLREGION);
}

}  // namespace
}  // namespace panorel
