#pragma once
// What Panorel2.exe is asked to do by its command line, and its exit codes.
#include <string>
#include <vector>

namespace panorel {

// Exit codes of Panorel2.exe, so scripts can tell the failures apart.
enum MainExitCode : int {
    kExitOk = 0,
    kExitStartupFailed = 1,   // events, window or switchers could not be set up (see the error log)
    kExitBadArguments = 2,    // unknown option or missing argument
    kExitUnknownEvent = 3,    // --signal with a name that is not one of the 54
    kExitNotRunning = 4,      // --signal/--shutdown but no main process owns the events
    kExitAlreadyRunning = 5,  // another instance owns the events
    kExitShutdownTimedOut = 6,
};

enum class MainCommand { Run, Signal, Shutdown, Invalid };

struct MainOptions {
    MainCommand command = MainCommand::Run;
    bool singleDesktop = false;
    std::string shortName;  // for Signal: the event's short name (ASCII)
    std::wstring problem;   // for Invalid: why
};

// Reads the arguments after the program name. Accepted:
//   (nothing) | --single-desktop | --signal ShortName | --shutdown
// Options are case-sensitive; anything else is Invalid.
MainOptions ParseMainCommandLine(const std::vector<std::wstring>& args);

}  // namespace panorel
