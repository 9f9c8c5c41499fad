// The control panel's dialog at this process's display scaling (CTest runs it at 96, 144 and 192 dpi): every
// control inside the window, no two overlapping, every text (the longest the panel sets too) within its control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ControlPanelIds.h"
#include "controlpanel/ControlPanel.h"
#include "host/Handles.h"

namespace panorel {
namespace {

struct Child {
    HWND hwnd;
    RECT rect;  // in the dialog's client coordinates
    std::wstring cls, text;
    bool group, box;  // a group box, a check box
};

std::vector<Child> Children(HWND dialog) {
    std::vector<Child> all;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[256] = {}, text[256] = {};
        ::GetClassNameW(c, cls, 256);
        ::GetWindowTextW(c, text, 256);
        const LONG type = ::GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
        const bool button = std::wstring(cls) == L"Button";
        all.push_back({c, {}, cls, text, button && type == BS_GROUPBOX, button && type == BS_AUTOCHECKBOX});
        ::GetWindowRect(c, &all.back().rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&all.back().rect), 2);
    }
    return all;
}

int TextWidth(HWND control, const std::wstring& text) {
    const WindowDc dc = WindowDc::Client(control);
    const SelectionGuard font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    ::DrawTextW(dc.get(), text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right;
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(ControlPanelLayout, NothingIsClippedAtThisScaling) {
    if (const char* wanted = std::getenv("PANOREL_EXPECT_DPI")) {
        const WindowDc screen = WindowDc::Client(nullptr);
        ASSERT_EQ(::GetDeviceCaps(screen.get(), LOGPIXELSY), std::atoi(wanted)) << "the scaling was not applied";
    }
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    ::GetClassInfoExW(nullptr, WC_DIALOG, &cls);
    cls.hInstance = instance;
    cls.lpszClassName = kControlPanelClass;
    ::RegisterClassExW(&cls);
    const HWND dialog = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_CONTROLPANEL), nullptr, Inert, 0);
    ASSERT_TRUE(dialog);
    // The longest texts the panel itself puts into its controls.
    for (int row = 0; row <= 4; ++row) ::SetDlgItemTextW(dialog, IDC_STATUS0 + row, L"Held by another program");
    ::SetDlgItemTextW(dialog, IDC_RUNSTATE, L"Panorel 2 is not running. Saved: the changes apply when it starts.");
    ::SendDlgItemMessageW(dialog, IDC_KEY0 + 1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Page Down"));
    ::SendDlgItemMessageW(dialog, IDC_KEY0 + 1, CB_SETCURSEL, 0, 0);
    RECT client{};
    ::GetClientRect(dialog, &client);
    const std::vector<Child> children = Children(dialog);
    const int check = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
    for (const Child& c : children) {
        const std::string what(c.text.begin(), c.text.end());
        EXPECT_TRUE(c.rect.left >= 0 && c.rect.top >= 0 && c.rect.right <= client.right && c.rect.bottom <= client.bottom)
            << what;
        const bool combo = c.cls == L"ComboBox";
        const int room = c.rect.right - c.rect.left - (c.box ? check : 0) - (combo ? 24 : 0) -
                         (c.cls == L"Button" && !c.box && !c.group ? 8 : 0);
        std::wstring text = combo ? L"Page Down" : c.text;
        if (c.hwnd == ::GetDlgItem(dialog, IDC_QUITSTART)) text = L"&Quit Panorel 2";
        if (!text.empty() && c.cls != L"Edit" && c.cls != L"ListBox") {
            EXPECT_LE(TextWidth(c.hwnd, text), room) << what;
        }
        for (const Child& other : children) {
            RECT overlap{};  // group boxes hold others
            const bool apart = other.hwnd == c.hwnd || c.group || other.group ||
                               !::IntersectRect(&overlap, &c.rect, &other.rect);
            EXPECT_TRUE(apart) << what << " / " << std::string(other.text.begin(), other.text.end());
        }
    }
    ::DestroyWindow(dialog);
}

}  // namespace
}  // namespace panorel
