#include "controlpanel/ControlPanel.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ControlPanelIds.h"
#include "host/Process.h"
#include "host/ProgramFolder.h"
#include "settings/AppIcon.h"
#include "settings/DesktopSettings.h"
#include "settings/Registry.h"
#include "settings/RegistryWrite.h"
#include "settings/SharedNames.h"
#include "settings/WinAPIError.h"
#include "switcher/EventNames.h"

namespace panorel {

namespace {

constexpr wchar_t kTitle[] = L"Panorel 2 Control Panel";
constexpr UINT_PTR kRoundTimer = 1;
// How long the main process may take to re-register the hotkeys after ReadReg.
constexpr UINT kRoundTimeoutMs = 5000;

std::wstring HotkeyValueName(int row) {
    return row == 0 ? std::wstring(L"PanelKey") : L"Desktop" + std::to_wstring(row) + L"Key";
}

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::optional<std::int32_t> ReadStatusDword(const std::wstring& name) {
    RegistryValue value;
    if (!Registry::ReadValue(HKEY_CURRENT_USER, kHotkeyStatusKey, name, kRegDword, value)) return std::nullopt;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return *n;
    return std::nullopt;
}

std::wstring MainProgram() { return host::ProgramFolder() + L"\\Panorel2.exe"; }

KernelHandle StartMain(const wchar_t* arguments) {
    return host::StartProcess(MainProgram(), L"\"" + MainProgram() + L"\" " + arguments).process;
}

// The file picker; a path with blanks comes back quoted, as a command line.
std::wstring PickProgram(HWND owner) {
    std::wstring file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"Programs (*.exe)\0*.exe\0All files\0*.*\0";
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = L"Choose a program";
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&ofn)) return {};
    file.resize(file.find(L'\0'));
    return file.find(L' ') == std::wstring::npos ? file : L"\"" + file + L"\"";
}

INT_PTR CALLBACK EditProgramProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* text = reinterpret_cast<std::wstring*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SendDlgItemMessageW(dialog, IDC_COMMANDLINE, EM_SETLIMITTEXT, 4096, 0);
        ::SetDlgItemTextW(dialog, IDC_COMMANDLINE, text->c_str());
        return TRUE;
    }
    case WM_COMMAND: {
        auto* text = reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        switch (LOWORD(wParam)) {
        case IDC_BROWSE: {
            const std::wstring picked = PickProgram(dialog);
            if (!picked.empty()) ::SetDlgItemTextW(dialog, IDC_COMMANDLINE, picked.c_str());
            return TRUE;
        }
        case IDOK:
            *text = TextOf(::GetDlgItem(dialog, IDC_COMMANDLINE));
            ::EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    }
    return FALSE;
}

}  // namespace

int ControlPanel::Run(HINSTANCE instance, const host::InstanceClaim& claim) {
    instance_ = instance;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The dialog's own class, so that a second start can find this window
    // and no message box is taken for it.
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    ::GetClassInfoExW(nullptr, WC_DIALOG, &cls);
    cls.hInstance = instance;
    cls.lpszClassName = kControlPanelClass;
    cls.hIcon = ::LoadIconW(instance, L"AAA");
    ::RegisterClassExW(&cls);

    dialog_ = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_CONTROLPANEL), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!dialog_) return 1;
    ::ShowWindow(dialog_, SW_SHOW);
    ::SetForegroundWindow(dialog_);
    claim.MarkReady();

    // The dialog's messages, the main process's hotkey round and the end of
    // a Panorel2.exe this panel started, all without polling.
    for (;;) {
        HANDLE waits[3];
        DWORD count = 0;
        if (awaitingRound_ && statusChanged_) waits[count++] = statusChanged_.get();
        if (child_) waits[count++] = child_.get();
        if (started_) waits[count++] = started_.get();
        const DWORD r = ::MsgWaitForMultipleObjectsEx(count, waits, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r < WAIT_OBJECT_0 + count) {
            const HANDLE h = waits[r - WAIT_OBJECT_0];
            if (h == statusChanged_.get())
                OnStatusChanged();
            else
                OnChildEnded(h == child_.get() ? child_ : started_);
            continue;
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (!::IsDialogMessageW(dialog_, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
}

INT_PTR CALLBACK ControlPanel::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<ControlPanel*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_INITDIALOG) self->dialog_ = dialog;
    return self->Handle(msg, wParam, lParam);
}

INT_PTR ControlPanel::Handle(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetIcon(dialog_, "AAA", false);
        Load();
        ShowRunState();
        ShowHotkeyStatus();
        return TRUE;  // the focus goes to desktop 1's name
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_ACTIVATE:
        // Panorel 2 may have started or ended while the user was elsewhere.
        if (LOWORD(wParam) != WA_INACTIVE && !child_ && !awaitingRound_) ShowRunState();
        return FALSE;
    case WM_TIMER:
        if (wParam == kRoundTimer) {
            ::KillTimer(dialog_, kRoundTimer);
            awaitingRound_ = false;
            ShowRunState(MainRunning() ? L"It did not say which hotkeys it could register." : L"");
            ShowHotkeyStatus();
        }
        return TRUE;
    case WM_CLOSE:
        ::DestroyWindow(dialog_);
        return TRUE;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return FALSE;
    }
    return FALSE;
}

void ControlPanel::OnCommand(int id, int code) {
    if (loading_) return;
    if (id >= IDC_NAME1 && id < IDC_NAME1 + 4 && code == EN_CHANGE) SetDirty(true);
    if (((id >= IDC_CTRL0 && id <= IDC_CTRL0 + 4) || (id >= IDC_ALT0 && id <= IDC_ALT0 + 4) || id == IDC_SIGNIN) &&
        code == BN_CLICKED)
        SetDirty(true);
    if (id >= IDC_KEY0 && id <= IDC_KEY0 + 4 && code == CBN_SELCHANGE) SetDirty(true);
    switch (id) {
    case IDOK:
        if (::IsWindowEnabled(::GetDlgItem(dialog_, IDC_APPLY)) && !Apply()) return;
        ::DestroyWindow(dialog_);
        break;
    case IDCANCEL:
        ::DestroyWindow(dialog_);
        break;
    case IDC_APPLY:
        Apply();
        break;
    case IDC_QUITSTART:
        QuitOrStart();
        break;
    case IDC_PROGDESK:
        if (code == CBN_SELCHANGE) {
            programDesktop_ = static_cast<int>(::SendDlgItemMessageW(dialog_, IDC_PROGDESK, CB_GETCURSEL, 0, 0)) + 1;
            ::SendDlgItemMessageW(dialog_, IDC_PROGLIST, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            ShowPrograms();
        }
        break;
    case IDC_PROGLIST:
        if (code == LBN_DBLCLK) EditProgram();
        if (code == LBN_SELCHANGE) ShowPrograms();
        break;
    case IDC_ADD:
        AddProgram();
        break;
    case IDC_EDIT:
        EditProgram();
        break;
    case IDC_REMOVE:
        RemoveProgram();
        break;
    }
}

void ControlPanel::Load() {
    loading_ = true;
    for (int n = 1; n <= 4; ++n) {
        const HWND name = ::GetDlgItem(dialog_, IDC_NAME1 + n - 1);
        ::SendMessageW(name, EM_SETLIMITTEXT, kMaxDesktopNameLength, 0);
        ::SetWindowTextW(name, NameForEditing(ReadDesktopName(n)).c_str());
        ShowHotkey(n, HotkeyForEditing(ReadDesktopHotkey(n), {DefaultHotkeyKey(n), kDefaultHotkeyModifiers}));
        programs_[n - 1] = ProgramsForEditing(ReadDesktopPrograms(n));
        ::SendDlgItemMessageW(dialog_, IDC_PROGDESK, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(DefaultDesktopName(n).c_str()));
    }
    ShowHotkey(0, HotkeyForEditing(ReadPanelHotkey(), kDefaultPanelHotkey));
    ::SendDlgItemMessageW(dialog_, IDC_PROGDESK, CB_SETCURSEL, 0, 0);
    ShowPrograms();
    RegistryValue run;
    const bool signIn = Registry::ReadValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, kRegSz, run) ||
                        Registry::ReadValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, kRegExpandSz, run);
    ::CheckDlgButton(dialog_, IDC_SIGNIN, signIn ? BST_CHECKED : BST_UNCHECKED);
    SetDirty(false);
    loading_ = false;
}

void ControlPanel::ShowHotkey(int row, Hotkey hotkey) {
    ::CheckDlgButton(dialog_, IDC_CTRL0 + row, (hotkey.Modifiers & 2) ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog_, IDC_ALT0 + row, (hotkey.Modifiers & 1) ? BST_CHECKED : BST_UNCHECKED);
    const HWND keys = ::GetDlgItem(dialog_, IDC_KEY0 + row);
    ::SendMessageW(keys, CB_RESETCONTENT, 0, 0);
    bool listed = false;
    auto add = [&](std::int32_t key, const std::wstring& name) {
        const LRESULT i = ::SendMessageW(keys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageW(keys, CB_SETITEMDATA, static_cast<WPARAM>(i), key);
        if (key == hotkey.Key) {
            ::SendMessageW(keys, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            listed = true;
        }
    };
    for (const HotkeyKeyChoice& c : HotkeyKeyChoices()) add(c.key, c.name);
    // A key stored by other means stays as it is unless the user changes it.
    if (!listed) add(hotkey.Key, HotkeyKeyName(hotkey.Key));
}

Hotkey ControlPanel::HotkeyOf(int row) const {
    const HWND keys = ::GetDlgItem(dialog_, IDC_KEY0 + row);
    const LRESULT i = ::SendMessageW(keys, CB_GETCURSEL, 0, 0);
    Hotkey h;
    h.Key = i == CB_ERR ? 0 : static_cast<std::int32_t>(::SendMessageW(keys, CB_GETITEMDATA, i, 0));
    h.Modifiers = (::IsDlgButtonChecked(dialog_, IDC_CTRL0 + row) == BST_CHECKED ? 2 : 0) |
                  (::IsDlgButtonChecked(dialog_, IDC_ALT0 + row) == BST_CHECKED ? 1 : 0);
    return h;
}

PanelSettings ControlPanel::Collect() {
    PanelSettings s;
    for (int n = 1; n <= 4; ++n) {
        s.names[n - 1] = NameForStoring(TextOf(::GetDlgItem(dialog_, IDC_NAME1 + n - 1)));
        s.hotkeys[n - 1] = HotkeyOf(n);
        s.programs[n - 1] = programs_[n - 1];
    }
    s.panelHotkey = HotkeyOf(0);
    s.startAtSignIn = ::IsDlgButtonChecked(dialog_, IDC_SIGNIN) == BST_CHECKED;
    return s;
}

bool ControlPanel::Apply() {
    const PanelSettings s = Collect();
    if (const std::optional<SettingsProblem> problem = CheckSettings(s)) {
        ::MessageBoxW(dialog_, problem->message.c_str(), kTitle, MB_OK | MB_ICONWARNING);
        ::SetFocus(::GetDlgItem(dialog_, IDC_KEY0 + problem->row));
        return false;
    }
    std::wstring error;
    if (!Registry::WriteValues(HKEY_CURRENT_USER, SettingsChanges(s, MainProgram()), error)) {
        const std::wstring text = L"Your settings could not be saved, and nothing was changed.\n\n" + error;
        ::MessageBoxW(dialog_, text.c_str(), kTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    SetDirty(false);

    // The main process re-registers the hotkeys and every switcher rereads
    // names and hotkeys; its next round says which hotkeys it got.
    roundBefore_ = ReadStatusDword(kHotkeyStatusRound).value_or(0);
    WatchStatus();
    BuildEventNames();
    const KernelHandle readReg(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(ReadRegIndex).c_str()));
    if (readReg) ::SetEvent(readReg.get());
    if (MainRunning() && readReg) {
        awaitingRound_ = true;
        ::SetTimer(dialog_, kRoundTimer, kRoundTimeoutMs, nullptr);
        for (int row = 0; row <= 4; ++row) ::SetDlgItemTextW(dialog_, IDC_STATUS0 + row, L"Checking\x2026");
        ShowRunState(L"Saved.");
    } else {
        ShowRunState(L"Saved: the changes apply when it starts.");
        ShowHotkeyStatus();
    }
    return true;
}

void ControlPanel::SetDirty(bool dirty) { ::EnableWindow(::GetDlgItem(dialog_, IDC_APPLY), dirty ? TRUE : FALSE); }

void ControlPanel::ShowPrograms(int select) {
    const HWND list = ::GetDlgItem(dialog_, IDC_PROGLIST);
    const LRESULT selected = select >= 0 ? select : ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    int widest = 0;
    const WindowDc dc = WindowDc::Client(list);
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0));
    const SelectionGuard keep(dc.get(), font);
    for (const std::wstring& p : programs_[programDesktop_ - 1]) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), p.c_str(), static_cast<int>(p.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx) + 8);
    }
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    if (selected != LB_ERR) ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    const bool any = ::SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR;
    ::EnableWindow(::GetDlgItem(dialog_, IDC_EDIT), any);
    ::EnableWindow(::GetDlgItem(dialog_, IDC_REMOVE), any);
}

void ControlPanel::AddProgram() {
    const std::wstring picked = PickProgram(dialog_);
    if (picked.empty()) return;
    auto& list = programs_[programDesktop_ - 1];
    list.push_back(picked);
    ShowPrograms(static_cast<int>(list.size()) - 1);
    SetDirty(true);
}

void ControlPanel::EditProgram() {
    auto& list = programs_[programDesktop_ - 1];
    const LRESULT i = ::SendDlgItemMessageW(dialog_, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR || static_cast<std::size_t>(i) >= list.size()) return;
    std::wstring text = list[static_cast<std::size_t>(i)];
    if (::DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_EDITPROGRAM), dialog_, EditProgramProc,
                          reinterpret_cast<LPARAM>(&text)) != IDOK)
        return;
    const std::vector<std::wstring> cleaned = ProgramsForEditing({text});
    if (cleaned.empty())
        list.erase(list.begin() + i);
    else
        list[static_cast<std::size_t>(i)] = cleaned.front();
    ShowPrograms();
    SetDirty(true);
}

void ControlPanel::RemoveProgram() {
    auto& list = programs_[programDesktop_ - 1];
    const LRESULT i = ::SendDlgItemMessageW(dialog_, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR || static_cast<std::size_t>(i) >= list.size()) return;
    list.erase(list.begin() + i);
    ShowPrograms();
    SetDirty(true);
}

bool ControlPanel::MainRunning() const {
    const KernelHandle instance(::OpenMutexW(SYNCHRONIZE, FALSE, kMainInstanceMutex));
    return static_cast<bool>(instance);
}

void ControlPanel::ShowRunState(const wchar_t* note) {
    if (note) note_ = note;
    const bool running = MainRunning();
    std::wstring text = running ? L"Panorel 2 is running." : L"Panorel 2 is not running.";
    if (!note_.empty()) text += L" " + note_;
    ::SetDlgItemTextW(dialog_, IDC_RUNSTATE, text.c_str());
    ::SetDlgItemTextW(dialog_, IDC_QUITSTART, running ? L"&Quit Panorel 2" : L"&Start Panorel 2");
}

void ControlPanel::ShowHotkeyStatus() {
    const bool running = MainRunning();
    for (int row = 0; row <= 4; ++row) {
        std::wstring text;
        if (running)
            if (const auto code = ReadStatusDword(HotkeyValueName(row))) {
                const auto c = static_cast<std::uint32_t>(*code);
                text = HotkeyStatusText(c, SystemErrorText(c));
            }
        ::SetDlgItemTextW(dialog_, IDC_STATUS0 + row, text.c_str());
    }
}

void ControlPanel::WatchStatus() {
    if (!settingsKey_) {
        HKEY raw = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_NOTIFY, nullptr, &raw, nullptr) ==
            ERROR_SUCCESS)
            settingsKey_.reset(raw);
    }
    if (!statusChanged_) statusChanged_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (settingsKey_ && statusChanged_)
        ::RegNotifyChangeKeyValue(settingsKey_.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                  statusChanged_.get(), TRUE);
}

void ControlPanel::OnStatusChanged() {
    if (ReadStatusDword(kHotkeyStatusRound).value_or(0) == roundBefore_) {
        WatchStatus();  // something else changed: wait on
        return;
    }
    ::KillTimer(dialog_, kRoundTimer);
    awaitingRound_ = false;
    ShowRunState(note_ == L"Starting\x2026" ? L"" : nullptr);
    ShowHotkeyStatus();
}

void ControlPanel::QuitOrStart() {
    if (child_) return;
    const bool running = MainRunning();
    if (!running) {
        // Its first hotkey round says that it is up.
        roundBefore_ = ReadStatusDword(kHotkeyStatusRound).value_or(0);
        WatchStatus();
        awaitingRound_ = true;
        ::SetTimer(dialog_, kRoundTimer, kRoundTimeoutMs, nullptr);
    }
    KernelHandle& process = running ? child_ : started_;
    process = StartMain(running ? L"--shutdown" : L"");
    if (!process) {
        ShowRunState(L"Panorel2.exe could not be started.");
        return;
    }
    if (running) ::EnableWindow(::GetDlgItem(dialog_, IDC_QUITSTART), FALSE);
    ShowRunState(running ? L"Quitting\x2026" : L"Starting\x2026");
}

void ControlPanel::OnChildEnded(KernelHandle& process) {
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    process.reset();
    ::EnableWindow(::GetDlgItem(dialog_, IDC_QUITSTART), TRUE);
    const std::wstring note = code == 0 ? L"" : L"Panorel2.exe ended with code " + std::to_wstring(code) + L".";
    ShowRunState(note.c_str());
    ShowHotkeyStatus();
}

}  // namespace panorel
