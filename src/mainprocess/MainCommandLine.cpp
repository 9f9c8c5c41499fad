#include "mainprocess/MainCommandLine.h"

namespace panorel {

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
        } else if (a == L"--shutdown" || a == L"--signal") {
            if (sawCommand) return invalid(L"only one of --signal and --shutdown may be given");
            sawCommand = true;
            if (a == L"--shutdown") {
                o.command = MainCommand::Shutdown;
                continue;
            }
            if (i + 1 >= args.size()) return invalid(L"--signal needs an event name");
            const std::wstring& name = args[++i];
            // Event names are plain ASCII; anything else cannot name one of ours.
            std::string ascii;
            for (wchar_t c : name) ascii += (c > 0 && c < 128) ? static_cast<char>(c) : '?';
            o.command = MainCommand::Signal;
            o.shortName = ascii;
        } else {
            return invalid(L"unknown argument");
        }
    }
    return o;
}

}  // namespace panorel
