// The switcher's decisions without a window: its command line, the event
// names and which of them it acts on, the panel's keys, the tab labels, and
// the panel's layout at every screen size and scaling.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/ScreenUnits.h"
#include "switcher/CommandLine.h"
#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"
#include "switcher/PanelKeys.h"
#include "switcher/PanelLayout.h"
#include "switcher/TabLabel.h"

namespace panorel {
namespace {

TEST(CommandLine, AcceptedFormsAndHugeInputs) {
    const struct {
        std::wstring text;
        int desktop;
    } cases[] = {
        {L"2", 2},    {L" 2", 2},     {L"2.4", 2},      {L"2abc", 2},   {L"2.5", 2},  {L"3.5", 4},
        {L"1.5", 2},  {L"0.5", 0},    {L"4.5", 4},      {L"\t\n3", 3},  {L"1 ", 1},   {L"  4  x", 4},
        {L"&H3", 3},  {L"&h4", 4},    {L"&O2", 2},      {L"&o1", 1},    {L"+2", 2},   {L"0 0 3", 3},
        {L"1 .6", 2}, {L"3.49999", 3}, {L"&H 4", 4},    {L"2e5", 2},    {L"4.", 4},   {L".", 0},
        {L"", 0},     {L"0", 0},      {L"5", 0},        {L"abc", 0},    {L"40000", 0}, {L"&HFFFF", 0},
        {L"-2", 0},   {L"&", 0},      {L"&X1", 0},      {L"&H", 0},     {L"\r2", 0},  {L"&HFFFFFFFFFFFFFFFFF1", 0},
        {L"4294967298", 0}, {L"1..5", 1}, {L"\u0662", 0}, {L"\u00e92", 0}, {L"32768", 0},
        // Huge inputs never fit sixteen bits.
        {std::wstring(10000, L'9'), 0}, {L"2" + std::wstring(10000, L'0'), 0},
        {L"0." + std::wstring(10000, L'0') + L"3", 0}, {std::wstring(10000, L' ') + L"3", 3},
        {L"&H" + std::wstring(10000, L'F'), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopNumberFromCommandLine(c.text), c.desktop) << "case #" << (&c - cases);
    EXPECT_EQ(LeadingNumber(L"32767"), 32767.0) << "32768 does not fit, 32767 does (and is not a desktop)";
}

// The table in index order, written out independently of the program's own
// arithmetic, and each name acting only at the switcher whose block holds it.
TEST(EventNames, WholeTableInIndexOrderEachActingOnlyAtItsOwner) {
    std::vector<std::pair<std::string, int>> table;  // short name, owner (0: shared)
    for (int i = 1; i <= 4; ++i) {
        const std::string n = std::to_string(i);
        for (const char* kind : {"SwitchTo", "Update"})
            for (int j = 1; j <= 4; ++j) table.push_back({"Switcher" + n + kind + std::to_string(j), i});
        for (const char* kind : {"ReadReg", "Shutdown", "ShowPreview", "ShowPopup"})
            table.push_back({kind + std::string("Switcher") + n, i});
    }
    for (int j = 1; j <= 4; ++j) table.push_back({"SwitchToDesktop" + std::to_string(j), 0});
    for (const char* shared : {"ReadReg", "Shutdown"}) table.push_back({shared, 0});
    BuildEventNames();
    ASSERT_EQ(table.size(), std::size_t{kEventCount});
    for (std::int16_t index = 1; index <= kEventCount; ++index) {
        const auto& [shortName, owner] = table[index - 1];
        const std::string name = EventName(index);
        EXPECT_EQ(name, "Local\\velmora_" + shortName) << "index " << index;
        EXPECT_EQ(EventIndexOfShortName(shortName), index);
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(ClassifyIncomingName(std::wstring(name.begin(), name.end()), n).Kind != IncomingKind::None,
                      owner == n)
                << name << " at " << n;
    }
    for (std::int16_t outside : {0, 55, -1, -32768, 32767}) EXPECT_EQ(EventName(outside), "") << outside;
    EXPECT_EQ(EventIndexOfShortName("Switcher5Update1"), 0);
    EXPECT_EQ(EventIndexOfShortName(""), 0);
    // Near misses of an own name act nowhere.
    const std::wstring misses[] = {
        L"local\\velmora_Switcher2SwitchTo1", L"Local\\velmora_Switcher2switchTo1", L"Switcher2SwitchTo1",
        L"Local\\velmora_Switcher2SwitchTo1 ", std::wstring(L"Local\\velmora_Switcher2SwitchTo1\0", 33), L"",
    };
    for (const auto& text : misses) EXPECT_EQ(ClassifyIncomingName(text, 2).Kind, IncomingKind::None) << text;
    EXPECT_EQ(ClassifyIncomingName(L"Local\\velmora_Switcher1SwitchTo2", 0).Kind, IncomingKind::None);
}

// The main process reads names on one thread per desktop while others may
// still ask for the table to be built: the table must never be rewritten.
TEST(EventNames, ReadersOnFourThreadsSeeOneUnchangingTable) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&wrong] {
            for (int k = 0; k < 20000; ++k) {
                BuildEventNames();
                const auto index = static_cast<std::int16_t>(1 + k % kEventCount);
                if (EventName(index) != "Local\\velmora_" + ShortEventName(index)) ++wrong;
            }
        });
    for (auto& r : readers) r.join();
    EXPECT_EQ(wrong, 0);
}

TEST(PanelKeys, EscapeDigitsArrowsAndEnter) {
    using K = PanelKeyKind;
    const struct {
        std::uint32_t key;
        int highlighted, own;
        PanelKeyAction want;
    } table[] = {
        {0x1B, 0, 1, {K::Hide, 0}},      {0x31, 0, 1, {K::Pick, 1}},      {0x34, 3, 1, {K::Pick, 4}},
        {0x35, 0, 1, {}},                {0x64, 0, 2, {K::Pick, 4}},      {0x0D, 0, 1, {}},
        {0x0D, 3, 1, {K::Pick, 3}},      {0x27, 0, 1, {K::Highlight, 2}},  // first arrow: from the own tile
        {0x25, 0, 1, {K::Highlight, 1}}, {0x28, 2, 1, {K::Highlight, 4}}, {0x25, 4, 1, {K::Highlight, 3}},
        {0x26, 3, 1, {K::Highlight, 1}}, {0x28, 4, 1, {K::Highlight, 4}}, {0x41, 2, 1, {}},
    };
    for (const auto& row : table)
        EXPECT_EQ(PanelKey(row.key, row.highlighted, row.own), row.want) << std::hex << row.key << " on " << row.highlighted;
}

TEST(TabLabel, LabelsOfModifiersAndKeys) {
    const struct {
        const wchar_t *name, *key;
        int modifiers;
        const wchar_t* label;
    } cases[] = {{L"Work", L"F1", 1, L"Work   (ALT + F1)"},   {L"Work", L"F1", 0, L"Work   (F1)"},
                 {L"Work", L"F1", 2, L"Work   (CTRL + F1)"},  {L"x", L"A", 4, L"x   (A)"},
                 {L"x", L"A", -1, L"x   (A)"},                {L"x", L"A", 7, L"x   (A)"},
                 {L"x", L"A", 0x7FFFFFFF, L"x   (A)"},
                 // A key without a name leaves the modifiers' trailing blank, or empty parentheses.
                 {L"x", L"", 3, L"x   (CTRL + ALT + )"}, {L"", L"", 0, L"   ()"}};
    for (const auto& c : cases) EXPECT_EQ(BuildTabLabel(c.name, c.modifiers, c.key), c.label) << c.modifiers;
}

TEST(ScreenUnits, WholeTwipsPerPixelAndAPanelCoveringTheScreenAtEveryDpi) {
    const struct {
        std::int32_t dpi, tpp;
    } scalings[] = {{96, 15}, {120, 12}, {144, 10}, {168, 8}, {192, 7}, {216, 6}, {480, 3}, {2000, 1}, {0, 15}};
    for (const auto& row : scalings) EXPECT_EQ(TwipsPerPixelForDpi(row.dpi), row.tpp) << row.dpi << " dpi";
    EXPECT_EQ(ScreenPixels(28799.6, 15.0), 1920);  // twips rounded first
    EXPECT_EQ(ScreenPixels(28800.0, 0.0), 0);
    // The panel, the background window and the capture all take the screen's
    // size back from twips: at every dpi it comes back as the pixels it was.
    const struct {
        std::int32_t w, h;
    } screens[] = {{1920, 1080}, {1366, 768}, {1365, 767}, {3840, 2160}, {800, 600}};
    for (std::int32_t dpi = 96; dpi <= 480; ++dpi) {
        const std::int32_t tpp = TwipsPerPixelForDpi(dpi);
        for (const auto& s : screens) {
            const std::int32_t w = ScreenPixels(ScreenTwips(s.w, tpp), tpp);
            const std::int32_t h = ScreenPixels(ScreenTwips(s.h, tpp), tpp);
            ASSERT_EQ(w, s.w) << dpi << " dpi";
            ASSERT_EQ(h, s.h) << dpi << " dpi";
            const auto layout = ComputePanelLayout(w, h, PreviewExtent(w), PreviewExtent(h));
            ASSERT_TRUE(layout);
            // Tile 4 ends one gutter before the screen's right and bottom edges.
            EXPECT_EQ(layout->Tile(4).left + layout->previewWidth + kGutter, s.w);
            EXPECT_EQ(layout->Tile(4).top + layout->previewHeight + kGutter, s.h);
        }
    }
}

std::vector<PanelPoint> Tiles(const PanelLayout& l) { return {l.tiles.begin(), l.tiles.end()}; }

TEST(PanelLayout, TilesTabsAndBarOnCommonScreens) {
    const struct {
        std::int32_t w, h, previewW, previewH;
        std::vector<PanelPoint> tiles;
        PanelPoint bar;  // (w - 449) / 2 rounded to even; the top is h - 57 + 2
    } cases[] = {{1920, 1080, 855, 435, {{70, 70}, {995, 70}, {70, 575}, {995, 575}}, {736, 1025}},
                 {1366, 768, 578, 279, {{70, 70}, {718, 70}, {70, 419}, {718, 419}}, {458, 713}},
                 // 577.5 halves to even; a gutter of 69 between tiles 1 and 2.
                 {1365, 768, 578, 279, {{70, 70}, {717, 70}, {70, 419}, {717, 419}}, {458, 713}}};
    for (const auto& c : cases) {
        const auto l = ComputePanelLayout(c.w, c.h, PreviewExtent(c.w), PreviewExtent(c.h));
        ASSERT_TRUE(l);
        EXPECT_EQ(l->previewWidth, c.previewW) << c.w;
        EXPECT_EQ(l->previewHeight, c.previewH) << c.w;
        EXPECT_EQ(Tiles(*l), c.tiles) << c.w;
        EXPECT_EQ(ButtonBarPosition(c.w, c.h), c.bar) << c.w;
        // A tab 28 high (text 16 + 12) sits with its bottom on its tile's top.
        for (int j = 1; j <= 4; ++j)
            EXPECT_EQ(TabPosition(l->Tile(j), 28), (PanelPoint{l->Tile(j).left, l->Tile(j).top - 28})) << j;
    }
    EXPECT_EQ(PreviewExtent(1367), 578);  // 578.5, halves to even
}

// At each scaling a user can pick for the screen, the grown bar lies below
// the tiles (a bar over a tile would cut holes in the window's shape) and
// holds both buttons.
TEST(PanelLayout, TheScaledBarFitsBelowTheTilesAndHoldsBothButtons) {
    const struct {
        std::int32_t w, h, maxDpi;
    } screens[] = {{1920, 1080, 216}, {3840, 2160, 216}, {1366, 768, 120}};
    for (const std::int32_t dpi : {96, 120, 144, 168, 192, 216}) {
        const std::int32_t tpp = TwipsPerPixelForDpi(dpi);
        const PanelDesign d = PanelDesignFor(tpp, tpp);
        for (const auto& s : screens) {
            if (dpi > s.maxDpi) continue;
            const std::int32_t pw = PreviewExtent(s.w, d.gutter), ph = PreviewExtent(s.h, d.gutter);
            const auto l = ComputePanelLayout(s.w, s.h, pw, ph, d.gutter);
            ASSERT_TRUE(l) << dpi << " dpi";
            const PanelPoint bar = ButtonBarPosition(s.w, s.h, d.barWidth, d.barHeight);
            EXPECT_GE(bar.top, l->Tile(3).top + ph) << s.w << " at " << dpi << " dpi";
            EXPECT_GE(bar.left, 0) << s.w << " at " << dpi << " dpi";
            EXPECT_LE(d.startLeft + d.buttonWidth, d.helpLeft) << dpi << " dpi";
            EXPECT_LE(d.helpLeft + d.buttonWidth, d.barWidth) << dpi << " dpi";
            EXPECT_LE(d.buttonTop + d.buttonHeight, d.barHeight) << dpi << " dpi";
        }
    }
    const PanelDesign at96 = PanelDesignFor(15, 15), at192 = PanelDesignFor(7, 7);
    EXPECT_EQ(at96.barWidth, 449);
    EXPECT_NEAR(at192.barWidth / 449.0, 2.0, 0.2);
    EXPECT_NEAR(at192.barHeight / 57.0, 2.0, 0.2);
}

TEST(PanelLayout, ZeroNegativeSizesAndTilesOutsideOneToFourAreRefused) {
    EXPECT_FALSE(ComputePanelLayout(0, 1080, 855, 435));
    EXPECT_FALSE(ComputePanelLayout(1920, -1, 855, 435));
    EXPECT_FALSE(ComputePanelLayout(1920, 1080, PreviewExtent(210), 435));  // a 210-pixel screen has no tile
    EXPECT_FALSE(ComputePanelLayout(1920, 1080, 855, PreviewExtent(-5000)));
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(ComputePanelLayout(kMin, kMin, kMin, kMin));
    // Absurd but positive sizes give clamped numbers, not overflow.
    const auto huge = ComputePanelLayout(1, 1, kMax, kMax);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->Tile(4).left, kMin);
    EXPECT_EQ(TabPosition(PanelPoint{0, kMin}, 100).top, kMin);
    // Only the four tiles have frames (their colours and open top edges: PanelTest).
    for (int j : {0, 5, -1}) {
        EXPECT_FALSE(PreviewFrame(j, 1, 150, 855, 435)) << j;
        EXPECT_FALSE(PreviewTopEdge(j, 1, 150, 855)) << j;
    }
}

TEST(PanelFrame, TabImageHasMarginsAndNoBottomEdge) {
    const TabImage t = TabImageLayout(100, 16, true);
    EXPECT_EQ(t.width, 112);
    EXPECT_EQ(t.height, 28);
    EXPECT_EQ(t.textRect, (PanelRect{6, 6, 106, 22}));
    EXPECT_EQ(t.outline.whiteFill, (PanelRect{0, 0, 112, 28}));
    EXPECT_EQ(t.outline.lines, (std::vector<PanelLine>{{0, 0, 0, 28}, {111, 0, 111, 28}, {0, 0, 112, 0}}));
    EXPECT_EQ(t.outline.color, 0x0000FFu);
    EXPECT_EQ(TabImageLayout(100, 16, false).outline.color, 0x808080u);

    const TabImage none = TabImageLayout(-50, -3, false);
    EXPECT_EQ(none.width, 12);
    EXPECT_EQ(none.height, 12);
    const TabImage huge = TabImageLayout(std::numeric_limits<std::int32_t>::max(), 16, false);
    EXPECT_EQ(huge.width, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(huge.outline.lines[1].x1, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace panorel
