#include "mainprocess/MainCommandLine.h"

namespace panorel {
namespace {

// An argument as it may be shown in a message: a runaway one is cut.
std::wstring Quoted(const std::wstring& argument) {
    constexpr std::size_t kShown = 80;
    if (argument.size() <= kShown) return L"\"" + argument + L"\"";
    return L"\"" + argument.substr(0, kShown) + L"...\"";
}

}  // namespace

MainOptions ParseMainCommandLine(const std::vector<std::wstring>& args) {
    MainOptions o;
    auto invalid = [&o](std::wstring why) {
        o.command = MainCommand::Invalid;
        o.problem = std::move(why);
        return o;
    };
    bool sawCommand = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--single-desktop") {
            o.singleDesktop = true;
        } else if (a == L"--help" || a == L"-h" || a == L"/?") {
            o.command = MainCommand::Help;
            return o;
        } else if (a == L"--shutdown" || a == L"--signal") {
            if (sawCommand) return invalid(L"Only one of --signal and --shutdown may be given (" + Quoted(a) + L").");
            sawCommand = true;
            if (a == L"--shutdown") {
                o.command = MainCommand::Shutdown;
                continue;
            }
            if (i + 1 >= args.size()) return invalid(L"--signal needs an event name.");
            const std::wstring& name = args[++i];
            // Event names are plain ASCII; anything else cannot name one of ours.
            std::string ascii;
            for (wchar_t c : name) ascii += (c > 0 && c < 128) ? static_cast<char>(c) : '?';
            o.command = MainCommand::Signal;
            o.shortName = ascii;
        } else {
            return invalid(L"Unknown argument " + Quoted(a) + L".");
        }
    }
    return o;
}

std::wstring MainUsageText() {
    return L"Usage:\n"
           L"  Panorel2.exe [--single-desktop]\n"
           L"      Starts Panorel 2: four desktops, or with --single-desktop all four switchers on this one.\n"
           L"  Panorel2.exe --signal <event name>\n"
           L"      Signals one shared event of the running Panorel 2, e.g. ShowPreviewSwitcher1 or ReadReg.\n"
           L"  Panorel2.exe --shutdown\n"
           L"      Ends the running Panorel 2 and its switchers.\n"
           L"  Panorel2.exe --help\n"
           L"      Shows this text.";
}

}  // namespace panorel
