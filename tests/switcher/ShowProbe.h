#pragma once
// What the probed Spacehost.exe (tests/switcher/ProbedSpacehost.cpp) reports
// of each show to whoever made the shared block: the show benchmark.
#include <windows.h>

#include "switcher/mainW.h"

namespace panorel::test {

constexpr wchar_t kShowProbeBlock[] = L"Local\\panorel_show_probe";

struct ShowProbeRecord {
    LONG shows;  // counted up (interlocked) once the rest of the record is written
    double begunAt;       // NowMs() as ShowPanel began
    double visibleAt;     // its first message pump returned: the panel is painted
    double doneAt;        // ShowPanel returned
    // Time spent in each mainW::Stage, less the stages nested in it.
    double stageMs[mainW::kStageCount];
};

}  // namespace panorel::test
