// What winsupport decides without a window: the subclassing property names,
// the tray record's bytes, its tooltip field and mouse mapping, and the
// balloon's size at every scaling (its parts at 96 dpi are checked on the real
// window, frmFakeToolTipTest).
#include <gtest/gtest.h>

#include "host/ScreenUnits.h"
#include "winsupport/FakeToolTipGeometry.h"
#include "winsupport/SubclassNames.h"
#include "winsupport/TrayRecord.h"

namespace panorel {
namespace {

TEST(SubclassNames, BuiltFromDecimalHandleAndMessage) {
    EXPECT_EQ(SubclassWindowCountName(1312), L"C1312");
    EXPECT_EQ(SubclassPreviousProcName(1312), L"1312");
    EXPECT_EQ(SubclassMessageCountName(1312, 74), L"1312#74C");
    EXPECT_EQ(SubclassClientName(-5, -49152, 12), L"-5#-49152#12");
    EXPECT_EQ(SubclassWindowCountName(INT32_MIN), L"C-2147483648");
}

TEST(TrayRecord, LaysOutTheFieldsLittleEndianAtTheirOffsets) {
    const TrayRecordBytes r = BuildTrayRecord(0x00ABCDEFu, 0x12345678u, std::string("Panoerl2\0", 9) + "   ");
    const std::uint8_t head[24] = {88, 0, 0, 0, 0xEF, 0xCD, 0xAB, 0, 1, 0, 0, 0,
                                   7,  0, 0, 0, 0,    2,    0,    0, 0x78, 0x56, 0x34, 0x12};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(r[i], head[i]) << "byte " << i;
    const TrayRecordFields f = ReadTrayRecord(r);
    EXPECT_EQ(f.tip.substr(0, 12), std::string("Panoerl2\0   ", 12));
    EXPECT_EQ(f.tip.substr(12), std::string(52, '\0'));  // zero-filled beyond the given bytes
}

TEST(TrayTooltip, ShortTextsKeepTheirTerminatorLongOnesFillTheField) {
    const std::wstring nul(1, L'\0'), sixtyThree(63, L'a'), sixtyFour(64, L'b'), long100(100, L'c');
    EXPECT_EQ(TooltipFieldText(StoreToolTip(L"Panoerl2")), L"Panoerl2" + nul + std::wstring(55, L' '));
    EXPECT_EQ(TooltipFieldText(StoreToolTip(sixtyThree)), sixtyThree + nul);
    EXPECT_EQ(TooltipFieldText(StoreToolTip(sixtyFour)), sixtyFour);
    EXPECT_EQ(ReadToolTip(StoreToolTip(long100)), long100);
    EXPECT_EQ(ReadToolTip(StoreToolTip(L"")), L"");
    EXPECT_EQ(ReadToolTip(L""), L"");
}

TEST(TrayMouse, RecoversTheMessageFromTwipsAndPixels) {
    EXPECT_EQ(TrayMessageFromX(513 * 15.0, true, 15.0), 513);
    EXPECT_EQ(TrayMessageFromX(513 * 15.0, false, 15.0), 513 * 15);
    EXPECT_EQ(TrayMessageFromX(514.5 * 12.0, true, 12.0), 514);  // halves to even
    EXPECT_EQ(TrayMessageFromX(7000.0, true, 0.0), 0);  // no scale: nothing sensible
    EXPECT_EQ(TrayMessageFromX(1e300, false, 1.0), 0);
}

// The same one-line text as the font draws it at each scaling: the window
// is 750 twips high, and the balloon grows with the screen without being cut.
TEST(FakeToolTipGeometry, OneLineFitsAtEveryScaling) {
    const struct { std::int32_t dpi, width, height; } rows[] = {
        {96, 126, 50}, {120, 157, 62}, {144, 189, 75}, {168, 235, 93}, {192, 269, 107}, {216, 315, 125}};
    for (const auto& r : rows) {
        const std::int32_t tpp = TwipsPerPixelForDpi(r.dpi);
        const FakeToolTipGeometry g = TipGeometry(DesignPixels(100, tpp), DesignPixels(16, tpp), tpp);
        EXPECT_EQ(g.windowWidth, r.width) << r.dpi;
        EXPECT_EQ(g.windowHeight, r.height) << r.dpi;
        EXPECT_LE(g.body.bottom, g.windowHeight) << r.dpi;
    }
}

}  // namespace
}  // namespace panorel
