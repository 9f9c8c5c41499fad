// The busy animation in the own tile: centred and unscaled while the capture
// is scaled, gone once the preview is drawn; a missing or corrupt file leaves
// the switcher as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "WinTestSupport.h"
#include "gifviewer/GifBuilder.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kTileLeft = 70, kTileTop = 70, kTileW = 855, kTileH = 435, kSpin = 32;
// The animation's box, centred in tile 1 at its own size.
constexpr int kBoxLeft = kTileLeft + (kTileW - kSpin) / 2, kBoxTop = kTileTop + (kTileH - kSpin) / 2;

constexpr wchar_t kShow[] = L"Local\\velmora_ShowPreviewSwitcher1";
// The desktop as the user left it: all of it 0x0000C8.
void PaintBlue(HDC dc, int w, int h) { FillRectangle(dc, 0, 0, w, h, RGB(0, 0, 200)); }

// Pixels of the box that are not white, and whether everything around it is.
int InkInBox(const ScreenShot& shot) {
    int ink = 0;
    for (int y = 0; y < kSpin; ++y)
        for (int x = 0; x < kSpin; ++x) ink += shot.At(kBoxLeft + x, kBoxTop + y) != kWhite;
    return ink;
}
bool WhiteAroundBox(const ScreenShot& shot) {
    for (int i = -4; i < kSpin + 4; i += 3) {
        if (shot.At(kBoxLeft - 3, kBoxTop + i) != kWhite || shot.At(kBoxLeft + kSpin + 2, kBoxTop + i) != kWhite ||
            shot.At(kBoxLeft + i, kBoxTop - 3) != kWhite || shot.At(kBoxLeft + i, kBoxTop + kSpin + 2) != kWhite)
            return false;
    }
    return true;
}

class Spinner : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettings();
        ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
    }
    void TearDown() override { DeleteSettings(); }
    SharedEvents events;
};

TEST_F(Spinner, RunsCentredInTheOwnTileWhileScalingThenLeavesThePreview) {
    const ScreenCover desktop(PaintBlue);
    const long bitmaps = BitmapHandle::LiveCount(), dcs = MemoryDcHandle::LiveCount();
    {
        mainW w(L"1");
        w.SpinnerPath = DistPath(L"ajax-loader.gif");
        w.hWnd();
        w.formBg.Load();
        EXPECT_FALSE(w.SpinnerLoaded) << "the start does not wait for the animation";

        int inkWhileScaling = 0, framesSeen = 0;
        bool whiteAround = false;
        w.StageProbe = [&](mainW::Stage stage, bool begin) {
            if (stage != mainW::Stage::Scaling || !begin) return;
            // Hold the scaling until the animation has moved on a few frames.
            const int start = w.Spinner->AnimationIndex();
            PumpUntil([&] { return w.Spinner->AnimationIndex() >= start + 2; }, 3000);
            framesSeen = w.Spinner->AnimationIndex();
            const ScreenShot shot;
            inkWhileScaling = InkInBox(shot);
            whiteAround = WhiteAroundBox(shot);
        };
        w.IncomingName(kShow);  // shown before the switcher was idle: loads first
        ASSERT_TRUE(w.SpinnerLoaded);
        EXPECT_GE(w.Spinner->FrameCount(), 4);
        EXPECT_GE(framesSeen, 3) << "the animation ran while the scaling was held";
        EXPECT_GT(inkWhileScaling, 100) << "the spinner's dots in the middle of the own tile";
        EXPECT_TRUE(whiteAround) << "a white tile around the unscaled spinner";
        EXPECT_EQ(w.Spinner->AnimationState(), 0);

        PumpFor(300);
        const ScreenShot after;
        int notPreview = 0;
        for (int y = -4; y < kSpin + 4; ++y)
            for (int x = -4; x < kSpin + 4; ++x) notPreview += after.At(kBoxLeft + x, kBoxTop + y) != 0x0000C8;
        EXPECT_EQ(notPreview, 0) << "nothing of the spinner is left on the preview";
        w.IncomingName(kShow);
        PumpFor(300);
        w.Unload();
    }
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
}

TEST_F(Spinner, MissingOrCorruptFileLeavesTheSwitcherAsBefore) {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring corrupt = std::wstring(dir) + L"corrupt-spinner.gif";
    std::ofstream(corrupt.c_str(), std::ios::binary) << "GIF89a but nothing of a picture follows here";
    const ScreenCover desktop(PaintBlue);
    for (const std::wstring& path : {std::wstring(dir) + L"no-such-spinner.gif", corrupt}) {
        mainW w(L"1");
        w.SpinnerPath = path;
        w.hWnd();
        w.formBg.Load();
        EXPECT_FALSE(w.SpinnerLoaded);
        EXPECT_EQ(w.Spinner->FrameCount(), 0);
        w.IncomingName(kShow);
        PumpFor(300);
        ASSERT_TRUE(w.Visible());
        const ScreenShot shot;
        EXPECT_EQ(shot.At(kBoxLeft + 16, kBoxTop + 16), 0x0000C8u) << "the preview in the own tile";
        w.IncomingName(kShow);
        PumpFor(300);
        EXPECT_FALSE(w.Visible());
        w.Unload();
    }
}

// 1.5 million 1 x 1 frames, each with a colour table of its own (31 MB), as the
// ajax-loader.gif beside a copy of the real switcher: the switcher stays up and
// shows its panel, without the animation, in good time.
TEST_F(Spinner, AHostileFileLeavesAWorkingSwitcher) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"hostile-spinner";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(DistPath(L"Spacehost.exe").c_str(), (dir + L"\\Spacehost.exe").c_str(), FALSE));
    const std::vector<std::uint8_t> gif = GifBuilder(1, 1).TinyFrames(1500000).Finish();
    std::ofstream((dir + L"\\ajax-loader.gif").c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));

    const double start = NowMs();
    const KernelHandle process = StartProgram(L"Spacehost.exe", L"1", dir);
    ASSERT_TRUE(process);
    const HWND window = WaitForWindow(L"Spacehost1", 15000);
    ASSERT_NE(window, nullptr);
    ForwardName(window, "ShowPreviewSwitcher1");
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 15000));
    EXPECT_LT(NowMs() - start, 15000) << "the panel within 15 s of the start";
    EXPECT_EQ(WaitExit(process, 0), -1) << "the switcher is still running";
    ForwardName(window, "ShutdownSwitcher1");
    EXPECT_EQ(WaitExit(process, 10000), 0);
    ::TerminateProcess(process.get(), 9);  // one that did not end leaves no process behind
    WaitExit(process, 5000);
    ::DeleteFileW((dir + L"\\ajax-loader.gif").c_str());
    ::DeleteFileW((dir + L"\\Spacehost.exe").c_str());
    ::RemoveDirectoryW(dir.c_str());
}

}  // namespace
}  // namespace panorel::test
