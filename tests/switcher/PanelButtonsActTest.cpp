// The open panel from real input: a button clicked hides the panel and starts
// the program beside the switcher (or, without it, only hides the panel); keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

void ShowPanel(mainW& w) {
    w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher1");
    // Generous waits end as soon as the panel answers; a busy machine has
    // taken over 3 s for a show or a click.
    PumpUntil([&] { return w.Visible(); }, 15000);
    PumpFor(300);
}

// Whether the panel hid after a click on `b`.
bool ClickHides(mainW& w, const VLM_StyleButton& b) {
    RECT r{};
    ::GetWindowRect(b.hWnd(), &r);
    return ClickUntil((r.left + r.right) / 2, (r.top + r.bottom) / 2, [&] { return !w.Visible(); }, 7500);
}

class PanelInput : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettings();
        w.hWnd();
        w.formBg.Load();
    }
    void TearDown() override { w.Unload(); }
    SharedEvents events;
    mainW w{L"1"};
};

TEST_F(PanelInput, AButtonClickHidesThePanelAndStartsTheProgramBesideTheSwitcher) {
    const std::wstring folder = Folder();
    struct {
        VLM_StyleButton* button;
        const wchar_t* file;
    } const rows[] = {{w.cmdStartCP.get(), L"ControlPanel-Panorel2.exe"}, {w.cmdHelp.get(), L"helpBrowser.exe"}};
    // Absent first: in a fresh x86_64 Wine session the first ShellExecute of
    // a process started nothing, every time, on a new machine.
    for (bool present : {false, true}) {
        for (const auto& row : rows) {
            const std::wstring program = folder + L"\\" + row.file;
            if (present) {
                ASSERT_TRUE(::CopyFileW((folder + L"\\standin_program.exe").c_str(), program.c_str(), FALSE));
            }
            const std::wstring event = L"Local\\panorel_test_started_" + std::wstring(row.file);
            KernelHandle started(::CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
            const auto clickAndWait = [&](DWORD ms) {
                ShowPanel(w);
                EXPECT_TRUE(w.Visible());
                EXPECT_TRUE(ClickHides(w, *row.button)) << "the panel hides";
                EXPECT_FALSE(w.formBg.Visible());
                return PumpUntil([&] { return ::WaitForSingleObject(started.get(), 0) == WAIT_OBJECT_0; }, ms);
            };
            // A new Wine prefix has lost the first launches of a process
            // (no process appeared in 30 s): a present program gets one more click.
            const bool ran = present ? clickAndWait(30000) || clickAndWait(30000) : clickAndWait(1500);
            EXPECT_EQ(ran, present) << std::string(row.file, row.file + wcslen(row.file));
            if (present) {
                PumpFor(300);  // let the stand-in end before its file goes
                ::DeleteFileW(program.c_str());
            }
        }
    }
}

// The open panel from the keyboard: each row's keys, pressed for real, and
// what follows: the events a click on that tile sets, or none.
TEST_F(PanelInput, EscapeClosesAndDigitsOrArrowsWithEnterPickATile) {
    const struct {
        std::vector<WORD> keys;
        const char* events;  // Switcher2..4Update1, then SwitchToDesktop j
    } rows[] = {{{VK_ESCAPE}, ""},
                {{'3'}, "17 29 41 51"},
                {{VK_RIGHT, VK_DOWN, VK_RETURN}, "17 29 41 52"},
                {{VK_LEFT, VK_RETURN}, "17 29 41 49"}};
    for (const auto& row : rows) {
        ShowPanel(w);
        ASSERT_EQ(::GetForegroundWindow(), w.hWnd()) << "the panel has the keyboard";
        events.TakeSignalled();
        for (const WORD key : row.keys) {
            Press(key);
            if (key != VK_RIGHT) continue;
            // Tile 2 at (995, 70) shows the highlight inside its frame.
            PumpFor(150);
            const COLORREF c = ::GetSysColor(COLOR_HIGHLIGHT);
            EXPECT_EQ(ScreenShot().At(995 + 5, 70 + 200), (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
        EXPECT_TRUE(PumpUntil([&] { return !w.Visible(); }, 15000)) << row.events;
        EXPECT_FALSE(w.formBg.Visible()) << row.events;
        PumpFor(100);
        EXPECT_EQ(events.TakeSignalled(), row.events);
    }
}

}  // namespace
}  // namespace panorel::test
