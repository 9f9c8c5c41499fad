#pragma once
// What Panorel2.exe is asked to do by its command line, and its exit codes.
#include <string>
#include <vector>

namespace panorel {

// Exit codes of Panorel2.exe, so scripts can tell the failures apart.
enum MainExitCode : int {
    kExitOk = 0,
    kExitStartupFailed = 1,   // events, window, desktops or switchers could not be set up (see the error log)
    kExitBadArguments = 2,    // unknown option or missing argument
    kExitUnknownEvent = 3,    // --signal with a name that is not one of the 54
    kExitNotRunning = 4,      // --signal/--shutdown but no main process runs (nor, for --shutdown, any switcher)
    kExitAlreadyRunning = 5,  // another main process is running
    kExitShutdownTimedOut = 6,
    kExitWindowsStillOpen = 7,  // --shutdown refused: a program's window stayed open on desktop 2, 3 or 4
    kExitEndedLeftovers = 8,    // --shutdown found no main process and ended the switchers one had left
};

enum class MainCommand { Run, Signal, Shutdown, Help, Invalid };

struct MainOptions {
    MainCommand command = MainCommand::Run;
    bool singleDesktop = false;
    std::string shortName;  // for Signal: the event's short name (ASCII)
    std::wstring problem;   // for Invalid: what is wrong, naming the argument
};

// Reads the arguments after the program name. Accepted:
//   (nothing) | --single-desktop | --signal ShortName | --shutdown | --help
// Options are case-sensitive; anything else is Invalid.
MainOptions ParseMainCommandLine(const std::vector<std::wstring>& args);

// What --help shows, and what follows the problem of a bad command line.
std::wstring MainUsageText();

}  // namespace panorel
