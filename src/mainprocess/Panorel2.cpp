// Panorel2.exe, the main process: reads its command line and either serves
// the switchers or acts on a running instance.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "mainprocess/MainCommandLine.h"
#include "mainprocess/MainLog.h"
#include "mainprocess/MainProcess.h"

namespace {

// A program without a console: the usage goes to a message box.
void ShowUsage(const std::wstring& problem) {
    const std::wstring text = problem.empty() ? panorel::MainUsageText() : problem + L"\n\n" + panorel::MainUsageText();
    ::MessageBoxW(nullptr, text.c_str(), L"Panorel 2", MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A background process must never stop on a system error dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
    if (argv) ::LocalFree(argv);

    const panorel::MainOptions options = panorel::ParseMainCommandLine(args);
    switch (options.command) {
    case panorel::MainCommand::Help:
        ShowUsage({});
        return panorel::kExitOk;
    case panorel::MainCommand::Invalid:
        panorel::LogMain(options.problem);
        ShowUsage(options.problem);
        return panorel::kExitBadArguments;
    case panorel::MainCommand::Signal:
        return panorel::SignalEventByShortName(options.shortName);
    case panorel::MainCommand::Shutdown:
        return panorel::RequestShutdown();
    case panorel::MainCommand::Run:
        break;
    }
    try {
        panorel::MainProcess main(options.singleDesktop);
        return main.Run();
    } catch (...) {
        panorel::LogMain(L"Ended after a failure it could not recover from (out of memory?).");
        return panorel::kExitStartupFailed;
    }
}
