#pragma once
// helpBrowser.exe's window: a topic list, the page (drawn from the core's
// layout, with selection, copying and links) and a find bar. Everything it
// shows comes from the content resource the build made from docs/help.
#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "helpbrowser/HelpBundle.h"
#include "helpbrowser/HelpLayout.h"
#include "host/Handles.h"
#include "imaging/cAlphaImage.h"

namespace panorel::help {

constexpr wchar_t kHelpBrowserClass[] = L"Panorel2HelpBrowser";
constexpr wchar_t kHelpBrowserMutex[] = L"Local\\velmora_HelpBrowserInstance";
// Child window identifiers (screen readers and tests find the controls by them).
constexpr int kTopicsId = 10, kFindBoxId = 11, kFindNextId = 12, kFindStateId = 13;

class HelpBrowser : private TextMeasure {
public:
    HelpBrowser() = default;
    HelpBrowser(const HelpBrowser&) = delete;
    HelpBrowser& operator=(const HelpBrowser&) = delete;
    ~HelpBrowser() override;

    // Creates the window showing the requested topic; false when it cannot.
    bool Create(HINSTANCE instance, const std::wstring& request);
    HWND Window() const { return window_; }
    // Runs the message loop until the window closes.
    int Run();

private:
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Frame(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Page(UINT msg, WPARAM wParam, LPARAM lParam);
    // Keys for the whole window (Escape, Ctrl+F, F3, Tab); true when used.
    bool PreTranslate(const MSG& msg);

    void MakeFonts();
    void Arrange();
    void ShowTopic(std::size_t index);
    void LayOut();
    void ScrollTo(int y);
    void Paint(HDC dc, const RECT& area);
    void ShowFindBar(bool show);
    void FindNext();
    void Copy();
    void Follow(int link);
    int Px(int designed) const;

    int Width(FontKind font, const wchar_t* text, std::size_t length) override;
    void DrawRun(HDC dc, FontKind font, int x, int y, const wchar_t* text, std::size_t length);
    int Height(FontKind font) override;
    int Ascent(FontKind font) override;

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr, topics_ = nullptr, page_ = nullptr;
    HWND findLabel_ = nullptr, findBox_ = nullptr, findNext_ = nullptr, findState_ = nullptr;
    bool findShown_ = false;
    HWND lastFocus_ = nullptr;
    HelpContent content_;
    std::map<std::string, std::unique_ptr<imaging::cAlphaImage>> pictures_;
    std::size_t topic_ = 0;
    PageLayout layout_;
    int scroll_ = 0;
    std::size_t anchor_ = 0, caret_ = 0;  // the selection
    bool selecting_ = false, dragged_ = false;
    int pressedLink_ = -1;
    int twipsPerPixel_ = 15;
    std::array<FontHandle, kFontKinds> fonts_;
    FontHandle uiFont_;
    std::array<TEXTMETRICW, kFontKinds> metrics_{};
    MemoryDcHandle measureDc_;
};

}  // namespace panorel::help
