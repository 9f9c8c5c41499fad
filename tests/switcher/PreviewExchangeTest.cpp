// Previews received through the clipboard, in-process: a full block drawn
// into its tile, short blocks and a clipboard held by someone else changing
// nothing, and random blocks of any size never hurting the switcher.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>

#include "WinTestSupport.h"
#include "switcher/mainW.h"
#include "winsupport/modResize.h"

namespace panorel::test {
namespace {

constexpr int kW = 855, kH = 435;
const std::size_t kStride = DibStride(kW), kFull = kStride * kH;

// A preview block of random bytes (rows bottom-up, as published).
std::string MakeBlock(unsigned seed, std::size_t size = kFull) {
    std::mt19937 random(seed);
    std::string b(size, '\0');
    for (char& c : b) c = static_cast<char>(random());
    return b;
}

std::string TileBits(const mainW& w, int j) { return DcBits(w.PreviewDC[j].hDC(), kW, kH); }

// Whether the pixels inside the frame (two pixels in from every edge) match.
bool SameInsideFrame(const std::string& tile, const std::string& block) {
    for (std::size_t row = 2; row < kH - 2; ++row)
        if (std::memcmp(tile.data() + row * kStride + 6, block.data() + row * kStride + 6, 3 * (kW - 4)) != 0)
            return false;
    return true;
}

class PreviewExchange : public ::testing::Test {
protected:
    void SetUp() override {
        w.hWnd();
        ASSERT_EQ(w.PreviewWidth, kW) << "the test session's 1920 x 1080 screen";
        format = w.PreviewFormat;
        ASSERT_TRUE(SetClipboardText(L"the user's text"));
    }
    void Update(int j) { ForwardName(w.hWnd(), "Switcher2Update" + std::to_string(j)); }

    SharedEvents events;
    mainW w{L"2"};
    UINT format = 0;
};

TEST_F(PreviewExchange, AFullBlockIsDrawnAndShortOnesOrABusyClipboardChangeNothing) {
    const std::string first = MakeBlock(1);
    ASSERT_TRUE(PutClipboardBlock(format, first));
    Update(1);
    EXPECT_TRUE(SameInsideFrame(TileBits(w, 1), first)) << FirstDifference(TileBits(w, 1), first);
    EXPECT_EQ(PreviewBits.size(), kFull);
    EXPECT_EQ(ClipboardText(), L"the user's text") << "receiving leaves the clipboard alone";

    // Shorter by one byte: refused, the tile and PreviewBits keep theirs.
    const std::string tileBefore = TileBits(w, 1);
    const PixelBuffer bitsBefore = PreviewBits;
    ASSERT_TRUE(PutClipboardBlock(format, MakeBlock(3, kFull - 1)));
    Update(1);
    EXPECT_EQ(FirstDifference(TileBits(w, 1), tileBefore), "equal");
    EXPECT_TRUE(PreviewBits == bitsBefore);

    // Another program holds the clipboard open: nothing happens until it lets go.
    const std::string fresh = MakeBlock(4);
    ASSERT_TRUE(PutClipboardBlock(format, fresh));
    KernelHandle opened(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    KernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool holding = false;
    std::thread holder([&] {
        // With a window: Wine lets a second window-less opener in.
        WindowHandle owner(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                             nullptr));
        ClipboardSession held(owner.get());
        holding = held.IsOpen();
        ::SetEvent(opened.get());
        // Pumps while it waits: the system sends the clipboard's opener messages.
        PumpUntil([&] { return ::WaitForSingleObject(release.get(), 0) == WAIT_OBJECT_0; }, 10000);
    });
    ::WaitForSingleObject(opened.get(), 5000);
    EXPECT_TRUE(holding);
    EXPECT_FALSE(ClipboardSession().IsOpen()) << "the clipboard is another thread's now";
    Update(1);
    EXPECT_EQ(FirstDifference(TileBits(w, 1), tileBefore), "equal");
    ::SetEvent(release.get());
    holder.join();
    Update(1);
    EXPECT_TRUE(SameInsideFrame(TileBits(w, 1), fresh));
    EXPECT_EQ(ClipboardSession::LiveCount(), 0);
}

TEST_F(PreviewExchange, RandomBlocksOfAnySizeNeverCrashLeakOrChangeATileWhenShort) {
    std::mt19937 random(20261208);  // fixed, so that a failing round comes again on a rerun
    const long globals = GlobalMemoryHandle::LiveCount(), bitmaps = BitmapHandle::LiveCount();
    for (int round = 0; round < 120; ++round) {
        // A third short of a tile, a third full or a little more, a third up to 4 MiB.
        std::size_t size = 0;
        switch (round % 3) {
            case 0: size = std::uniform_int_distribution<std::size_t>(0, kFull - 1)(random); break;
            case 1: size = kFull + std::uniform_int_distribution<std::size_t>(0, 64)(random); break;
            default: size = std::uniform_int_distribution<std::size_t>(0, 4u << 20)(random); break;
        }
        const std::string block = MakeBlock(random(), size);
        const int j = std::uniform_int_distribution<int>(1, 4)(random);
        const std::string before = TileBits(w, j);
        if (!PutClipboardBlock(format, block)) continue;  // the system refused the block itself
        Update(j);
        const std::string after = TileBits(w, j);
        if (size < kFull) {
            EXPECT_EQ(FirstDifference(after, before), "equal") << "round " << round << ": a short block was drawn";
        } else {
            EXPECT_TRUE(SameInsideFrame(after, block)) << "round " << round << ", " << size << " bytes";
        }
        EXPECT_EQ(ClipboardSession::LiveCount(), 0);
        EXPECT_EQ(GlobalMemoryHandle::LiveCount(), globals) << "round " << round;
        EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps) << "round " << round;
    }
}

}  // namespace
}  // namespace panorel::test
