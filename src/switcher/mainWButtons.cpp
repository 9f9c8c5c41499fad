// The panel's two buttons: placed on the button bar as stored with the
// window, then given their font name, caption, style and colour at load.
#include "switcher/mainW.h"

#include <oleauto.h>
#include <shellapi.h>

#include "host/AnsiText.h"
#include "host/PanorelError.h"
#include "host/ProgramFolder.h"
#include "settings/UserSettings.h"

namespace panorel {
namespace {

constexpr int kMenuFont = 4;
constexpr Colour kButtonBackColor = 0xFFD0AD;

// The properties both buttons are stored with; everything else is at its default.
host::PropertyBag StoredButton() {
    host::PropertyBag bag;
    bag.Put("ButtonStyle", std::int32_t{10});
    bag.Put("Font", host::FontDesc{L"Tahoma", 8.25, 400});
    bag.Put("BackColor", std::int32_t{0xFFD1AD});
    bag.Put("PictureEffectOnOver", std::int32_t{0});
    bag.Put("PictureEffectOnDown", std::int32_t{0});
    bag.Put("CaptionEffects", std::int32_t{0});
    bag.Put("TooltipBackColor", std::int32_t{0});
    return bag;
}

// The face name of the user's menu font, as a new font object names it.
std::wstring MenuFontName(HWND window) {
    WindowDc dc = WindowDc::Client(window);
    const FontObject font = DefaultFont(dc.get(), kMenuFont);
    if (!font) return {};
    BSTR name = nullptr;
    if (FAILED(font->get_Name(&name)) || !name) return {};
    std::wstring result(name, ::SysStringLen(name));
    ::SysFreeString(name);
    return result;
}

// A button's action: the panel goes away, then the program beside the
// switcher starts; whether it started is not checked.
void HideAndStart(mainW& w, const char* file) {
    SkipOnError([&] {
        if (w.Visible()) w.Hide();
    });
    SkipOnError([&] {
        if (w.formBg.Visible()) w.formBg.Hide();
    });
    SkipOnError([&] {
        const std::string program = ToAnsi(host::ProgramFolder()) + file;
        ::ShellExecuteA(reinterpret_cast<HWND>(1), "open", program.c_str(), "1", "1", SW_SHOWNORMAL);
    });
}

}  // namespace

void mainW::CreateButtons() {
    buttonBar_ = std::make_unique<host::ControlContainer>(picBottom->hWnd());
    const host::PropertyBag stored = StoredButton();
    const PanelDesign& d = Design;
    cmdStartCP = std::make_unique<VLM_StyleButton>(*buttonBar_, L"cmdStartCP", d.startLeft, d.buttonTop,
                                                   d.buttonWidth, d.buttonHeight);
    cmdStartCP->ReadProperties(stored);
    cmdHelp = std::make_unique<VLM_StyleButton>(*buttonBar_, L"cmdHelp", d.helpLeft, d.buttonTop, d.buttonWidth,
                                                d.buttonHeight);
    cmdHelp->ReadProperties(stored);
    cmdStartCP->Click = [this] { HideAndStart(*this, "\\ControlPanel-Panorel2.exe"); };
    cmdHelp->Click = [this] { HideAndStart(*this, "\\helpBrowser.exe"); };
}

void mainW::SetUpButtons() {
    // Only the menu font's name is taken; size and weight stay as stored.
    auto withName = [](host::FontDesc font, const std::wstring& name) {
        if (!name.empty()) font.Name = name;
        return font;
    };
    cmdStartCP->Font(withName(cmdStartCP->Props().Font, MenuFontName(hWnd())));
    cmdStartCP->Caption(L"Start Panorel Control Panel");
    cmdStartCP->ButtonStyle(13);
    cmdStartCP->BackColor(kButtonBackColor);

    cmdHelp->Font(withName(cmdHelp->Props().Font, MenuFontName(hWnd())));
    cmdHelp->Caption(L"Help Browser");
    cmdHelp->Move(cmdHelp->Left(), cmdHelp->Top(), cmdStartCP->Width(), cmdHelp->Height());
    cmdHelp->Move(cmdHelp->Left(), cmdHelp->Top(), cmdHelp->Width(), cmdStartCP->Height());
    cmdHelp->Move(cmdHelp->Left(), cmdStartCP->Top(), cmdHelp->Width(), cmdHelp->Height());
    cmdHelp->ButtonStyle(13);
    cmdHelp->BackColor(kButtonBackColor);
}

}  // namespace panorel
