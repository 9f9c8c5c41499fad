// The button's input handling replayed without a window: each row is a
// sequence of inputs and the exact trace of what the control did to the
// outside (events, redraws, menus, capture), plus the state it ends in.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "stylebutton/ButtonInputModel.h"

namespace panorel::stylebutton {
namespace {

// In the order of ButtonEvent.
const char* const kEventNames[] = {"Click", "DblClick", "Enter", "Leave", "Down", "Up", "KeyDown", "KeyUp", "KeyPress"};

class Recorder : public ButtonInputHost {
public:
    std::string trace;
    ButtonInputModel model{*this};
    std::int32_t mode = 0;
    bool value = false, enabled = true, cursorOver = true, capture = false;

    void Log(const std::string& s) { trace += (trace.empty() ? "" : " ") + s; }
    void Redraw() override { Log("r" + std::to_string(model.State())); }
    void Raise(ButtonEvent e, const MouseArgs& a) override {
        Log(kEventNames[static_cast<int>(e)]);
        if (e >= ButtonEvent::MouseDown && e <= ButtonEvent::KeyUp)  // those that carry a button or key
            trace += "(" + std::to_string(a.button) + ")";
    }
    bool Enabled() const override { return enabled; }
    std::int32_t Mode() const override { return mode; }
    bool Value() const override { return value; }
    void SetValue(bool v) override {
        value = v;
        if (!v) model.State(kLookNormal);
        Log(v ? "v1" : "v0");
    }
    void ClearGroup() override { Log("group"); }
    void HandCursor() override { Log("hand"); }
    void TrackLeave() override {}
    bool CaptureOnControl() const override { return capture; }
    void ReleaseCapture() override { capture = false; }
    void TakeCapture() override { capture = true; }
    void ShowMenu(std::int32_t flags, float x, float y) override {
        Log("menu" + std::to_string(flags) + "@" + std::to_string(int(x)) + "," + std::to_string(int(y)));
    }
    bool CursorOverControl() const override { return cursorOver; }
    void RebuildToolTip() override { Log("tip"); }
    void DoEvents() override { Log("doevents"); }
    float ScaleWidth() const override { return 201; }
    float ScaleHeight() const override { return 41; }
};

// Plays a script of inputs, blank-separated: "over"/"off" moves (on or off the
// button), "leave", "down1"/"up2" presses at (5, 5) ("up1@0,5" elsewhere),
// "dbl", "key32"/"keyup32", "press97", "access97", "lost" focus ("lostdefault"
// on a default button), "deactivate", "disable"; "hand" and "alt" hold the
// hand pointer or Alt for the next input.
void Play(Recorder& r, const std::string& script) {
    std::istringstream in(script);
    std::string t;
    std::int16_t shift = 0;
    bool hand = false;
    auto num = [&](std::size_t from) { return static_cast<std::int16_t>(std::stoi(t.substr(from))); };
    while (in >> t) {
        float x = 5, y = 5;
        if (const auto at = t.find('@'); at != std::string::npos) std::sscanf(t.c_str() + at + 1, "%f,%f", &x, &y);
        if (t == "over" || t == "off") r.model.MouseMove(t == "over", std::exchange(hand, false));
        else if (t == "hand") hand = true;
        else if (t == "leave") r.model.MouseLeave();
        else if (t.rfind("down", 0) == 0) r.model.MouseDown(MouseArgs{num(4), 0, x, y}, std::exchange(hand, false));
        else if (t.rfind("up", 0) == 0) r.model.MouseUp(MouseArgs{num(2), 0, x, y}, std::exchange(hand, false));
        else if (t == "dbl") r.model.DblClick(false);
        else if (t == "alt") shift = 4;
        else if (t.rfind("keyup", 0) == 0) r.model.KeyUp(num(5), std::exchange(shift, 0));
        else if (t.rfind("key", 0) == 0) r.model.KeyDown(num(3), std::exchange(shift, 0));
        else if (t.rfind("press", 0) == 0) r.model.KeyPress(num(5));
        else if (t.rfind("access", 0) == 0) r.model.AccessKeyPress(num(6));
        else if (t == "lost" || t == "lostdefault") r.model.LostFocus(t == "lostdefault");
        else if (t == "deactivate") r.model.Activation(false, false);
        else if (t == "disable") r.enabled = false;
        else ADD_FAILURE() << "no such input " << t;
    }
}

TEST(ButtonInputModel, SequencesTraceAndEndState) {
    struct Row { const char* name; std::int32_t mode; const char *inputs, *trace; std::int32_t state; } const rows[] = {
        {"hover: hot once, Enter on every move", 0, "over over", "Enter r1 tip Enter", kLookHot},
        {"move elsewhere", 0, "over off", "Enter r1 tip r0", kLookNormal},
        {"leave", 0, "over leave", "Enter r1 tip r0 Leave", kLookNormal},
        {"release on column 0: no Click", 0, "down1 up1@0,5", "r2 Down(1) Up(1)", kLookPressed},
        {"release on row 0: no Click", 0, "down1 up1@5,0", "r2 Down(1) Up(1)", kLookPressed},
        {"right press raises nothing, release MouseUp", 0, "down2 up2", "Up(2)", kLookNormal},
        {"pressed, off and back on", 0, "down1 off over", "r2 Down(1) r0 Enter r2", kLookPressed},
        {"double-click", 0, "down1 up1 dbl up1", "r2 Down(1) r0 Click Up(1) r2 Down(1) DblClick r0 Click Up(1)",
         kLookNormal},
        {"space over the button", 0, "over key32 keyup32", "Enter r1 tip r2 KeyDown(32) r1 Click KeyUp(32)",
         kLookHot},
        {"space away from the button", 0, "key32 keyup32", "r2 KeyDown(32) r0 Click KeyUp(32)", kLookNormal},
        {"space cancelled by another key", 0, "key32 key65 keyup32", "r2 KeyDown(32) r0 KeyDown(65) KeyUp(32)",
         kLookNormal},
        {"Alt+Space does nothing", 0, "alt key32 alt keyup32", "", kLookNormal},
        {"Enter clicks, arrows nothing, KeyPress always", 0, "key13 key37 press97",
         "Click KeyDown(13) KeyDown(37) KeyPress", kLookNormal},
        {"check: click toggles", 1, "down1 up1", "r2 Down(1) v1 r2 r0 Click Up(1)", kLookNormal},
        {"check: space toggles", 1, "key32", "v1 r2 KeyDown(32)", kLookPressed},
        {"option: click clears the group", 2, "down1 up1", "r2 Down(1) group v1 r0 Click Up(1)", kLookNormal},
        {"access key on a push button, Enter too", 0, "access97 access13", "doevents Click doevents Click",
         kLookNormal},
        {"access key on a check button; Enter does nothing", 1, "access13 access97 access27", "v1 r0 doevents Click",
         kLookNormal},
        {"access key on an option button", 2, "access97", "group v1 r0 doevents Click", kLookNormal},
        {"access key on a disabled button", 0, "disable access97", "", kLookNormal},
        {"focus lost over an active form", 0, "over lostdefault", "Enter r1 tip r1 r1", kLookHot},
        {"deactivated, then focus lost", 0, "over deactivate lost", "Enter r1 tip r0 r0", kLookNormal},
        {"disabled: no tooltip", 0, "disable over", "Enter r1", kLookHot},
        {"hand pointer on every mouse message", 0, "hand off hand down2", "hand hand", kLookNormal},
    };
    for (const Row& row : rows) {
        Recorder r;
        r.mode = row.mode;
        Play(r, row.inputs);
        EXPECT_EQ(r.trace, row.trace) << row.name;
        EXPECT_EQ(r.model.State(), row.state) << row.name;
    }
}

TEST(ButtonInputModel, MenuAlignmentTable) {
    struct { std::int32_t align, before; float x, y; std::int32_t flags; bool show; } const rows[] = {
        {0, 2, 0, 41, 2, true},   {1, 8, 0, 0, 32, true},   {2, 2, 0, 0, 10, true},
        {3, 2, 201, 0, 2, true},  {4, 2, 0, 0, 40, true},   {5, 2, 0, 41, 10, true},
        {6, 8, 201, 0, 32, true}, {7, 2, 201, 41, 2, true}, {8, 2, 0, 0, 2, false},
        {-1, 2, 0, 0, 2, false},
    };
    for (const auto& row : rows) {
        std::int32_t stored = row.before;
        const MenuPlacement p = PlaceMenu(row.align, 201, 41, stored);
        EXPECT_EQ(p.show, row.show) << row.align;
        if (!row.show) continue;
        EXPECT_EQ(std::make_tuple(p.x, p.y, p.flags, stored), std::make_tuple(row.x, row.y, row.flags, row.flags))
            << row.align;  // the flags' change stays
    }
}

TEST(ButtonInputModel, MenuOpensOnPressAndTheClosingClickDoesNotReopenIt) {
    Recorder r;
    r.model.SetPopupMenu(1, 8);
    auto step = [&](const char* inputs) {
        r.trace.clear();
        Play(r, inputs);
        return r.trace;
    };
    EXPECT_EQ(step("down1"), "r2 menu32@0,0");  // opens; closed by a click on the button
    EXPECT_TRUE(r.model.PopupJustClosed());
    EXPECT_EQ(r.model.MenuFlags(), 32);
    EXPECT_EQ(step("down1 up1"), "r0") << "the closing click raises nothing and opens no second menu";
    EXPECT_EQ(step("down1"), "r2 menu32@0,0") << "the next click opens it again, still with flags 32";
    EXPECT_EQ(step("up1 dbl"), "r0 r2 menu32@0,0") << "a double-click: no DblClick, one menu";
}

TEST(ButtonInputModel, BlinkShowsTheTipAtSevenHidesAtFortyOneAndNeverWraps) {
    Recorder r;
    bool visible = false;
    std::string seen;
    for (int tick = 1; tick <= 70000; ++tick) {  // past 0xFFFF
        const BlinkTip t = r.model.BlinkTick(visible, true);
        if (t == BlinkTip::None) continue;
        visible = t == BlinkTip::Show;
        seen += (visible ? " show" : " hide") + std::to_string(tick);
    }
    EXPECT_EQ(seen, " show7 hide41") << "shown once, hidden once";
    EXPECT_EQ(r.model.BlinkTicks(), 0xFFFF);  // held, not wrapped
    // An inactive owner defers the tip; a reset starts the period again.
    r.model.ResetBlink();
    for (int tick = 1; tick <= 10; ++tick) EXPECT_EQ(r.model.BlinkTick(false, false), BlinkTip::None);
    EXPECT_EQ(r.model.BlinkTick(false, true), BlinkTip::Show);
}

}  // namespace
}  // namespace panorel::stylebutton
