// The button's input handling replayed without a window: each row is a
// sequence of inputs and the exact trace of what the control did to the
// outside (events, redraws, menus, capture), plus the state it ends in.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "stylebutton/ButtonInputModel.h"

namespace panorel::stylebutton {
namespace {

const char* Name(ButtonEvent e) {
    switch (e) {
        case ButtonEvent::Click: return "Click";
        case ButtonEvent::DblClick: return "DblClick";
        case ButtonEvent::MouseEnter: return "Enter";
        case ButtonEvent::MouseLeave: return "Leave";
        case ButtonEvent::MouseDown: return "Down";
        case ButtonEvent::MouseUp: return "Up";
        case ButtonEvent::KeyDown: return "KeyDown";
        case ButtonEvent::KeyUp: return "KeyUp";
        case ButtonEvent::KeyPress: return "KeyPress";
    }
    return "?";
}

class Recorder : public ButtonInputHost {
public:
    std::string trace;
    ButtonInputModel model{*this};
    std::int32_t mode = 0;
    bool value = false, enabled = true, cursorOver = true, capture = false;

    void Log(const std::string& s) { trace += (trace.empty() ? "" : " ") + s; }
    void Redraw() override { Log("r" + std::to_string(model.State())); }
    void Raise(ButtonEvent e, const MouseArgs& a) override {
        Log(Name(e));
        if (e == ButtonEvent::MouseUp || e == ButtonEvent::MouseDown || e == ButtonEvent::KeyDown ||
            e == ButtonEvent::KeyUp)
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
        if (duringMenu) duringMenu();
    }
    std::function<void()> duringMenu;
    bool CursorOverControl() const override { return cursorOver; }
    void RebuildToolTip() override { Log("tip"); }
    void DoEvents() override { Log("doevents"); }
    float ScaleWidth() const override { return 201; }
    float ScaleHeight() const override { return 41; }
};

MouseArgs At(std::int16_t button, float x, float y) { return MouseArgs{button, 0, x, y}; }

struct Row {
    const char* name;
    std::int32_t mode;
    std::function<void(Recorder&)> inputs;
    const char* trace;
    std::int32_t state;
};

TEST(ButtonInputModel, SequencesTraceAndEndState) {
    const Row rows[] = {
        {"hover: hot once, Enter on every move", 0,
         [](Recorder& r) { r.model.MouseMove(true, false); r.model.MouseMove(true, false); },
         "Enter r1 tip Enter", kLookHot},
        {"move elsewhere", 0, [](Recorder& r) { r.model.MouseMove(true, false); r.model.MouseMove(false, false); },
         "Enter r1 tip r0", kLookNormal},
        {"leave", 0, [](Recorder& r) { r.model.MouseMove(true, false); r.model.MouseLeave(); },
         "Enter r1 tip r0 Leave", kLookNormal},
        {"left click inside", 0,
         [](Recorder& r) { r.model.MouseDown(At(1, 5, 5), false); r.model.MouseUp(At(1, 5, 5), false); },
         "r2 Down(1) r0 Click Up(1)", kLookNormal},
        {"release on column 0: no Click", 0,
         [](Recorder& r) { r.model.MouseDown(At(1, 5, 5), false); r.model.MouseUp(At(1, 0, 5), false); },
         "r2 Down(1) Up(1)", kLookPressed},
        {"release on row 0: no Click", 0,
         [](Recorder& r) { r.model.MouseDown(At(1, 5, 5), false); r.model.MouseUp(At(1, 5, 0), false); },
         "r2 Down(1) Up(1)", kLookPressed},
        {"right press raises nothing, release MouseUp", 0,
         [](Recorder& r) { r.model.MouseDown(At(2, 5, 5), false); r.model.MouseUp(At(2, 5, 5), false); },
         "Up(2)", kLookNormal},
        {"pressed, off and back on", 0,
         [](Recorder& r) {
             r.model.MouseDown(At(1, 5, 5), false);
             r.model.MouseMove(false, false);
             r.model.MouseMove(true, false);
         },
         "r2 Down(1) r0 Enter r2", kLookPressed},
        {"double-click", 0,
         [](Recorder& r) {
             r.model.MouseDown(At(1, 5, 5), false);
             r.model.MouseUp(At(1, 5, 5), false);
             r.model.DblClick(false);
             r.model.MouseUp(At(1, 5, 5), false);
         },
         "r2 Down(1) r0 Click Up(1) r2 Down(1) DblClick r0 Click Up(1)", kLookNormal},
        {"hand pointer on every mouse message", 0,
         [](Recorder& r) { r.model.MouseMove(false, true); r.model.MouseDown(At(2, 1, 1), true); },
         "hand hand", kLookNormal},
        {"space over the button", 0,
         [](Recorder& r) {
             r.model.MouseMove(true, false);
             r.model.KeyDown(32, 0);
             r.model.KeyUp(32, 0);
         },
         "Enter r1 tip r2 KeyDown(32) r1 Click KeyUp(32)", kLookHot},
        {"space away from the button", 0, [](Recorder& r) { r.model.KeyDown(32, 0); r.model.KeyUp(32, 0); },
         "r2 KeyDown(32) r0 Click KeyUp(32)", kLookNormal},
        {"space cancelled by another key", 0,
         [](Recorder& r) { r.model.KeyDown(32, 0); r.model.KeyDown(65, 0); r.model.KeyUp(32, 0); },
         "r2 KeyDown(32) r0 KeyDown(65) KeyUp(32)", kLookNormal},
        {"Alt+Space does nothing", 0, [](Recorder& r) { r.model.KeyDown(32, 4); r.model.KeyUp(32, 4); }, "",
         kLookNormal},
        {"Enter clicks, arrows nothing, KeyPress always", 0,
         [](Recorder& r) { r.model.KeyDown(13, 0); r.model.KeyDown(37, 0); r.model.KeyPress(97); },
         "Click KeyDown(13) KeyDown(37) KeyPress", kLookNormal},
        {"check: click toggles", 1,
         [](Recorder& r) { r.model.MouseDown(At(1, 5, 5), false); r.model.MouseUp(At(1, 5, 5), false); },
         "r2 Down(1) v1 r2 r0 Click Up(1)", kLookNormal},
        {"check: space toggles", 1, [](Recorder& r) { r.model.KeyDown(32, 0); },
         "v1 r2 KeyDown(32)", kLookPressed},
        {"option: click clears the group", 2,
         [](Recorder& r) { r.model.MouseDown(At(1, 5, 5), false); r.model.MouseUp(At(1, 5, 5), false); },
         "r2 Down(1) group v1 r0 Click Up(1)", kLookNormal},
        {"access key on a push button, Enter too", 0,
         [](Recorder& r) { r.model.AccessKeyPress('a'); r.model.AccessKeyPress(13); },
         "doevents Click doevents Click", kLookNormal},
        {"access key on a check button; Enter does nothing", 1,
         [](Recorder& r) { r.model.AccessKeyPress(13); r.model.AccessKeyPress('a'); r.model.AccessKeyPress(27); },
         "v1 r0 doevents Click", kLookNormal},
        {"access key on an option button", 2, [](Recorder& r) { r.model.AccessKeyPress('a'); },
         "group v1 r0 doevents Click", kLookNormal},
        {"access key on a disabled button", 0,
         [](Recorder& r) { r.enabled = false; r.model.AccessKeyPress('a'); }, "", kLookNormal},
        {"focus lost over an active form", 0,
         [](Recorder& r) { r.model.MouseMove(true, false); r.model.LostFocus(true); },
         "Enter r1 tip r1 r1", kLookHot},
        {"deactivated, then focus lost", 0,
         [](Recorder& r) {
             r.model.MouseMove(true, false);
             r.model.Activation(false, false);
             r.model.LostFocus(false);
         },
         "Enter r1 tip r0 r0", kLookNormal},
        {"disabled: no tooltip", 0, [](Recorder& r) { r.enabled = false; r.model.MouseMove(true, false); },
         "Enter r1", kLookHot},
    };
    for (const Row& row : rows) {
        Recorder r;
        r.mode = row.mode;
        row.inputs(r);
        EXPECT_EQ(r.trace, row.trace) << row.name;
        EXPECT_EQ(r.model.State(), row.state) << row.name;
    }
}

TEST(ButtonInputModel, MenuAlignmentTable) {
    struct {
        std::int32_t align, before;
        float x, y;
        std::int32_t flags;
        bool show;
    } const rows[] = {
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
        EXPECT_EQ(p.x, row.x) << row.align;
        EXPECT_EQ(p.y, row.y) << row.align;
        EXPECT_EQ(p.flags, row.flags) << row.align;
        EXPECT_EQ(stored, row.flags) << row.align;  // the change stays
    }
}

TEST(ButtonInputModel, MenuOpensOnPressAndTheClosingClickDoesNotReopenIt) {
    Recorder r;
    r.model.SetPopupMenu(1, 8);
    r.model.MouseDown(At(1, 5, 5), false);  // opens; closed by a click on the button
    EXPECT_EQ(r.trace, "r2 menu32@0,0");
    EXPECT_TRUE(r.model.PopupJustClosed());
    EXPECT_EQ(r.model.MenuFlags(), 32);
    // The click that closed it reaches the button: no second menu, no events.
    r.trace.clear();
    r.model.MouseDown(At(1, 5, 5), false);
    r.model.MouseUp(At(1, 5, 5), false);
    EXPECT_EQ(r.trace, "r0");
    // The next click opens it again, still with flags 32.
    r.model.MouseDown(At(1, 5, 5), false);
    EXPECT_EQ(r.trace, "r0 r2 menu32@0,0");
    // Closed elsewhere: the flags and the look return to normal.
    r.trace.clear();
    r.cursorOver = false;
    r.model.MouseUp(At(1, 5, 5), false);
    r.model.MouseDown(At(1, 5, 5), false);
    EXPECT_EQ(r.trace, "r0 r2 menu32@0,0 r0");
    EXPECT_FALSE(r.model.LeftHeld());
    EXPECT_FALSE(r.model.PopupJustClosed());
    // A leave while the menu shows marks it just closed and raises nothing.
    r.trace.clear();
    r.duringMenu = [&] { r.model.MouseLeave(); };
    r.model.MouseDown(At(1, 5, 5), false);
    EXPECT_EQ(r.trace, "r2 menu32@0,0 r0");
    // A double-click with a menu attached raises no DblClick and one menu.
    r.trace.clear();
    r.duringMenu = nullptr;
    r.cursorOver = true;
    r.model.DblClick(false);
    EXPECT_EQ(r.trace, "r2 menu32@0,0");
}

TEST(ButtonInputModel, BlinkShowsTheTipAtSevenHidesAtFortyOneAndNeverWraps) {
    Recorder r;
    bool visible = false;
    int shownAt = 0, hiddenAt = 0;
    for (int tick = 1; tick <= 200000; ++tick) {
        const BlinkTip t = r.model.BlinkTick(visible, true);
        if (t == BlinkTip::Show) {
            if (!shownAt) shownAt = tick;
            visible = true;
        } else if (t == BlinkTip::Hide) {
            EXPECT_EQ(hiddenAt, 0);
            hiddenAt = tick;
            visible = false;
        }
    }
    EXPECT_EQ(shownAt, 7);
    EXPECT_EQ(hiddenAt, 41);
    EXPECT_EQ(r.model.BlinkTicks(), 0xFFFF);  // held, not wrapped
    // An inactive owner defers the tip; a reset starts the period again.
    r.model.ResetBlink();
    for (int tick = 1; tick <= 10; ++tick) EXPECT_EQ(r.model.BlinkTick(false, false), BlinkTip::None);
    EXPECT_EQ(r.model.BlinkTick(false, true), BlinkTip::Show);
}

}  // namespace
}  // namespace panorel::stylebutton
