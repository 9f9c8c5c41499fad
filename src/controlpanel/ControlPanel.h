#pragma once
// ControlPanel-Panorel2.exe's window: a modeless dialog of standard controls
// over PanelSettings. It reads with the switcher's fall-backs, writes only on
// OK or Apply, then tells the main process (ReadReg) and shows which hotkeys
// the main process could register.
#include <windows.h>

#include <cstdint>
#include <array>
#include <string>
#include <vector>

#include "controlpanel/PanelSettings.h"
#include "host/Handles.h"
#include "host/SingleInstance.h"

namespace panorel {

constexpr wchar_t kControlPanelClass[] = L"Panorel2ControlPanel";
constexpr wchar_t kControlPanelMutex[] = L"Local\\velmora_ControlPanelInstance";

class ControlPanel {
public:
    ControlPanel() = default;
    ControlPanel(const ControlPanel&) = delete;
    ControlPanel& operator=(const ControlPanel&) = delete;

    // Shows the dialog and serves it until it closes; the exit code.
    int Run(HINSTANCE instance, const host::InstanceClaim& claim);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);

    void Load();
    PanelSettings Collect();
    bool Apply();
    void ShowHotkey(int row, Hotkey hotkey);
    Hotkey HotkeyOf(int row) const;
    void ShowPrograms(int select = -1);
    void AddProgram();
    void EditProgram();
    void RemoveProgram();
    void SetDirty(bool dirty);

    bool MainRunning() const;
    // The state line; a note stays until another replaces it (null keeps it).
    void ShowRunState(const wchar_t* note = nullptr);
    void ShowHotkeyStatus();
    void WatchStatus();
    void OnStatusChanged();
    void QuitOrStart();
    void OnChildEnded(KernelHandle& process);

    HINSTANCE instance_ = nullptr;
    HWND dialog_ = nullptr;
    bool loading_ = false;
    std::wstring note_;
    int programDesktop_ = 1;                      // whose list the list box shows
    std::array<std::vector<std::wstring>, 4> programs_;
    // Waiting for the main process's next hotkey round after Apply.
    RegKeyHandle settingsKey_;
    KernelHandle statusChanged_;
    bool awaitingRound_ = false;
    std::int32_t roundBefore_ = 0;
    // Panorel2.exe --shutdown started by the Quit button, and a Panorel2.exe
    // started by the Start button (watched for an early end).
    KernelHandle child_;
    KernelHandle started_;
};

}  // namespace panorel
