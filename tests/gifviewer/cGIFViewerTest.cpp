// The GIF viewer on real windows and DCs, with a client that records its calls.
#include "gifviewer/cGIFViewer.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "gifviewer/GifBuilder.h"
#include "host/PanorelError.h"
#include "imaging/ImageTestSupport.h"

namespace panorel::test {
namespace {

using Surface = imaging::Target;

std::wstring TempGif(const std::vector<std::uint8_t>& bytes, const wchar_t* name = L"viewer-test.gif") {
    const std::wstring path = imaging::TempPath(name);
    imaging::WriteAll(path, bytes.data(), bytes.size());
    return path;
}

// Records the viewer's calls: "dc<frame>" and "r<frame>,<message>,<value>".
struct Client : IGifRender {
    std::intptr_t target = 0;
    bool raise = false;  // GetRenderDC raises an error
    std::string log;
    int calls = 0;
    void Add(const std::string& entry) {
        log += (log.empty() ? "" : " ") + entry;
        ++calls;
    }
    void GetRenderDC(std::int32_t, std::int32_t FrameIndex, std::intptr_t& destDC, HWND&, bool&, bool&) override {
        Add("dc" + std::to_string(FrameIndex));
        if (raise) throw PanorelError(kObjectErrorBase, "client", "raised while asked for a DC");
        destDC = target;
    }
    void Rendered(std::int32_t, std::int32_t FrameIndex, std::int32_t Message, std::intptr_t MsgValue) override {
        Add("r" + std::to_string(FrameIndex) + "," + std::to_string(Message) + "," +
            (Message == 0 ? std::string("dc") : std::to_string(MsgValue)));
    }
};

// Three frames of one colour each: blue, green, red.
std::vector<std::uint8_t> ThreeFrames(int loops = -1) {
    GifBuilder b(6, 6, {0x0000FF, 0x00FF00, 0xFF0000});
    if (loops >= 0) b.Loop(loops);
    return b.Solid(0, 0, 6, 6, 0).Solid(0, 0, 6, 6, 1).Solid(0, 0, 6, 6, 2).Finish();
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_);
        live_ = Live();
    }
    void TearDown() override {
        viewer_.UnloadGIF();
        EXPECT_EQ(Live(), live_) << "handles left";
    }
    static std::array<long, 5> Live() {
        return {BitmapHandle::LiveCount(), MemoryDcHandle::LiveCount(), BrushHandle::LiveCount(), WindowDc::LiveCount(),
                ComPtr<IStream>::LiveCount()};
    }
    std::int32_t Load(const std::vector<std::uint8_t>& bytes) {
        return viewer_.LoadGIF(TempGif(bytes), 7, &client_, window_.get());
    }

    WindowHandle window_{
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)};
    std::array<long, 5> live_{};  // handles alive before the test
    Client client_;
    cGIFViewer viewer_;
};

TEST_F(Viewer, StripHoldsEveryIndexExactly) {
    std::vector<std::uint8_t> all(256), reversed(256);
    std::vector<std::uint32_t> ramp(256);
    for (std::uint32_t i = 0; i < 256; ++i) {
        all[i] = static_cast<std::uint8_t>(i);
        reversed[i] = static_cast<std::uint8_t>(255 - i);
        ramp[i] = (i << 16) | ((255 - i) << 8) | (i ^ 0x5A);
    }
    const auto file = GifBuilder(16, 16, ramp)
                          .Control(0, 0, 17)  // transparency must not hide index 17 in the strip
                          .Image(0, 0, 16, 16, all)
                          .Image(0, 0, 16, 16, reversed, ramp)
                          .Finish();
    ASSERT_EQ(Load(file), 2);
    EXPECT_EQ(viewer_.FrameIndices(1), all);
    EXPECT_EQ(viewer_.FrameIndices(2), reversed);
}

TEST_F(Viewer, LoadResultsProgressAndTheTimeLimit) {
    const auto one = GifBuilder(4, 4, {0xFF0000, 0x00FF00}).Solid(0, 0, 4, 4, 1).Finish();
    EXPECT_EQ(Load(one), 1);
    EXPECT_EQ(viewer_.LoadGIF(TempGif(one), 7, nullptr, nullptr), -1);
    EXPECT_EQ(viewer_.LoadGIF(TempGif(one), 1, &client_, nullptr), -1);
    EXPECT_EQ(viewer_.LoadGIF(L"Z:\\no\\such.gif", 1, &client_, window_.get()), 0);

    client_.log.clear();
    ASSERT_EQ(Load(ThreeFrames()), 3);
    EXPECT_EQ(client_.log, "r1,1,0 dc1 r1,1,33 r2,1,66 r3,1,100 r3,1,100");
    EXPECT_EQ(viewer_.AnimationIndex(), 0);

    // Each frame costs the picture loader a call: a file of thousands stops at the limit.
    viewer_.LoadTimeLimit(50);
    EXPECT_EQ(Load(GifBuilder(1, 1).TinyFrames(kMaxGifFrames).Finish()), 0);
    EXPECT_EQ(viewer_.FrameCount(), 0);
}

TEST_F(Viewer, PropertiesDelaysAndLoopCount) {
    const auto file = GifBuilder(9, 9, {0, 0xFFFFFF})
                          .Loop(2)
                          .Control(0, 0).Solid(0, 0, 9, 9, 1)
                          .Control(2, 2).Solid(2, 3, 4, 5, 0)
                          .Control(30, 1).Solid(0, 0, 9, 9, 1)
                          .Finish();
    ASSERT_EQ(Load(file), 3);
    EXPECT_EQ(viewer_.LoopCount(), 2);
    const struct { int index, prop, value; } cases[] = {{1, 0, 50}, {2, 0, 50}, {3, 0, 300}, {2, 1, 2},
                                                        {2, 2, 3},  {2, 3, 4},  {2, 4, 5},   {2, 5, 2},
                                                        {1, 6, 3},  {4, 0, 0},  {0, 1, 0},   {1, 7, 0}};
    for (const auto& c : cases) EXPECT_EQ(viewer_.FrameProperty(c.index, c.prop), c.value) << c.index << "/" << c.prop;
    viewer_.MinimumDelay(5);
    EXPECT_EQ(viewer_.MinimumDelay(), 10);
    EXPECT_EQ(viewer_.FrameProperty(2, 0), 20);
    EXPECT_THROW(viewer_.MinimumDelay(40000), PanorelError);
    viewer_.LoopCount(-1);
    EXPECT_EQ(viewer_.LoopCount(), 0);
    viewer_.LoopCount(0x12345);
    EXPECT_EQ(viewer_.LoopCount(), 0x2345);
}

// On the three-frame file: pause, resume and step; at 10 ms a frame, loop count 2
// plays every frame twice, then shows frame one; a client's error on a tick
// stops in that tick and the animation goes on. A one-frame file plays once.
TEST_F(Viewer, PlayRulesLoopCountAndAClientErrorOnATick) {
    Surface s(6, 6, 0);
    client_.target = s.Handle();
    ASSERT_EQ(Load(ThreeFrames()), 3);
    viewer_.MinimumDelay(30000);  // no tick during the steps
    // Action -1 asks for a GIF picture, which pauses and resumes. Resuming shows the
    // next frame, pausing twice stops, a step past the last frame shows the first, 9 stops.
    const struct { int action, index, state; } steps[] = {{1, 1, 1}, {-1, 2, 1}, {2, 2, 2}, {1, 3, 1},
                                                          {2, 3, 2}, {2, 3, 0},  {3, 1, 3}, {9, 1, 0}};
    for (const auto& step : steps) {
        if (step.action < 0) ASSERT_TRUE(viewer_.FrameImage(0, 0));
        else viewer_.AnimationState(step.action);
        EXPECT_EQ(std::make_pair(viewer_.AnimationIndex(), viewer_.AnimationState()),
                  std::make_pair(step.index, step.state)) << "step " << &step - steps;
    }

    ASSERT_EQ(Load(ThreeFrames(2)), 3);
    viewer_.MinimumDelay(10);
    client_.log.clear();
    viewer_.AnimationState(1);
    ASSERT_TRUE(PumpUntil([&] { return viewer_.AnimationState() == 0; }, 5000));
    EXPECT_EQ(client_.log, "dc1 dc2 dc3 dc1 dc2 dc3 dc1 r1,2,2");
    EXPECT_EQ(s.Rgb(3, 3), 0x0000FFu);

    ASSERT_EQ(Load(ThreeFrames()), 3);
    viewer_.MinimumDelay(10);
    viewer_.AnimationState(1);
    client_.raise = true;
    client_.calls = 0;
    EXPECT_NO_THROW(PumpUntil([&] { return client_.calls >= 4; }, 3000));  // DispatchMessage calls the timer step
    EXPECT_GE(client_.calls, 4) << "the animation goes on";
    viewer_.AnimationState(0);

    client_.raise = false;
    ASSERT_EQ(Load(GifBuilder(6, 6, {1, 2}).Solid(0, 0, 6, 6, 1).Finish()), 1);
    client_.log.clear();
    viewer_.AnimationState(1);
    EXPECT_EQ(client_.log, "dc1 r1,2,1");
    EXPECT_EQ(viewer_.AnimationState(), 0);
}

TEST_F(Viewer, TransparentPixelsKeepTheBackgroundAndDisposalRestoresIt) {
    Surface s(8, 8, 0x12);
    client_.target = s.Handle();
    std::vector<std::uint8_t> half(64, 1);
    for (int i = 0; i < 32; ++i) half[i] = 2;  // top half transparent
    const auto file = GifBuilder(8, 8, {0x000000, 0xFF0000, 0x00FF00})
                          .Control(1, 2, 2).Image(0, 0, 8, 8, half)
                          .Control(1, 0).Solid(2, 2, 2, 2, 0)
                          .Finish();
    ASSERT_EQ(Load(file), 2);
    ASSERT_TRUE(viewer_.SetAnimationBkg(0, 0x00FFFF /* yellow */, 0, 0, 8, 8));
    viewer_.AnimationState(3);
    viewer_.AnimationState(3);
    EXPECT_EQ(s.Rgb(3, 3), 0x000000u) << "frame 2 over the restored background";
    EXPECT_EQ(s.Rgb(0, 0), 0xFFFF00u);
    EXPECT_EQ(s.Rgb(0, 7), 0xFFFF00u) << "disposal 2 cleared frame 1";
    viewer_.AnimationState(3);  // frame 1 again
    EXPECT_EQ(s.Rgb(0, 0), 0xFFFF00u);
    EXPECT_EQ(s.Rgb(0, 7), 0xFF0000u);
}

TEST_F(Viewer, StretchModeEightCentresAtActualSize) {
    Surface s(100, 50, 0xFF);
    client_.target = s.Handle();
    ASSERT_EQ(Load(GifBuilder(10, 10, {0x0000FF, 0}).Solid(0, 0, 10, 10, 0).Finish()), 1);
    ASSERT_TRUE(viewer_.SetAnimationBkg(0, 0xFFFFFF, 0, 0, 100, 50, 8));
    viewer_.AnimationState(4);
    EXPECT_EQ(s.Rgb(45, 20), 0x0000FFu);
    EXPECT_EQ(s.Rgb(54, 29), 0x0000FFu);
    EXPECT_EQ(s.Rgb(44, 20), 0xFFFFFFu);
    EXPECT_EQ(s.Rgb(55, 30), 0xFFFFFFu);
    EXPECT_FALSE(viewer_.RenderFrame(2, s.Handle()));
    EXPECT_FALSE(viewer_.RenderFrame(1, 12345));
}

// Every frame of the GIF suite as a GIF picture (the viewer's own encoder)
// and as a bitmap picture shows the frame's own colours.
TEST_F(Viewer, FrameImagesOfTheSuite) {
    const long pictures = ComPtr<IPicture>::LiveCount();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PANOREL_GIF_SUITE)) {
        if (entry.path().extension() != ".gif") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        ASSERT_GT(viewer_.LoadGIF(entry.path().wstring(), 1, &client_, window_.get()), 0);
        for (int k = 1; k <= viewer_.FrameCount(); ++k) {
            const int w = viewer_.FrameProperty(k, 3), h = viewer_.FrameProperty(k, 4);
            const std::vector<std::uint8_t> indices = viewer_.FrameIndices(k);
            std::vector<std::uint32_t> palette;
            viewer_.FramePalette(k, palette);
            for (int type : {0, 1}) {
                ComPtr<IPicture> picture = viewer_.FrameImage(k, type);
                ASSERT_TRUE(picture) << "frame " << k << " type " << type;
                Surface s(w, h, 0);
                OLE_XSIZE_HIMETRIC hmW = 0;
                OLE_YSIZE_HIMETRIC hmH = 0;
                picture->get_Width(&hmW);
                picture->get_Height(&hmH);
                picture->Render(s.dc.get(), 0, 0, w, h, 0, hmH, hmW, -hmH, nullptr);
                int wrong = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        wrong += s.Rgb(x, y) != (palette[indices[static_cast<std::size_t>(y) * w + x]] & 0xFFFFFF);
                EXPECT_EQ(wrong, 0) << "frame " << k << " type " << type;
            }
        }
    }
    EXPECT_EQ(files, 13);
    EXPECT_EQ(ComPtr<IPicture>::LiveCount(), pictures);
}

// Mutated and cut suite files: each loads whole, with the frames the parse
// finds, or not at all, leaving nothing behind either way; a loaded one plays
// a few steps. (The parse itself is fuzzed natively: fuzz_gif_structure.)
TEST_F(Viewer, HostileFilesLoadWholeOrNotAtAllAndLeaveNothingBehind) {
    std::vector<std::vector<std::uint8_t>> seeds;
    for (const char* name : {"animated_loop", "animated_transparent_frame_restoreprev_loop",
                             "animated_transparent_loop_frames_out_of_bounds", "animated_loop_interlaced"}) {
        const auto path = std::filesystem::path(PANOREL_GIF_SUITE) / (std::string(name) + ".gif");
        const std::string bytes = imaging::ReadAll(path);
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    Surface s(64, 64, 0);
    client_.target = s.Handle();
    const std::array<long, 5> before = Live();  // the surface's own handles included
    std::mt19937 rng(15);
    int loaded = 0;
    for (int i = 0; i < 60; ++i) {
        std::vector<std::uint8_t> b = seeds[i % seeds.size()];
        if (i % 3 == 0) b.resize(rng() % b.size());
        for (int m = rng() % 6; m > 0 && !b.empty(); --m) b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        const std::int32_t r = viewer_.LoadGIF(TempGif(b, L"hostile.gif"), 1, &client_, window_.get());
        const std::size_t parsed = ParseGif(b.data(), b.size()).frames.size();
        ASSERT_TRUE(r == 0 || (r == viewer_.FrameCount() && static_cast<std::size_t>(r) == parsed)) << "file " << i << " gave " << r;
        if (r == 0) {
            EXPECT_EQ(viewer_.FrameCount(), 0) << "file " << i;
            EXPECT_EQ(Live(), before) << "refused file " << i;
            continue;
        }
        ++loaded;
        viewer_.SetAnimationBkg(0, 0xFFFFFF, 0, 0, 64, 64, i % 16);
        for (int step = 0; step < 4; ++step) viewer_.AnimationState(3);
        EXPECT_TRUE(viewer_.AnimationIndex() >= 1 && viewer_.AnimationIndex() <= r) << "file " << i;
        viewer_.UnloadGIF();
        EXPECT_EQ(Live(), before) << "file " << i;
    }
    EXPECT_GT(loaded, 6);  // the mutations must leave enough loadable files to play
}

}  // namespace
}  // namespace panorel::test
