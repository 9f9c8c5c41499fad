// Spacehost.exe for tests and benchmarks: the shipped entry routine with two
// seams on the window. PANOREL2_SLOW_SCALING_MS=t (read once, at most 10 s)
// makes the scaling of a switch's capture t ms slower, so that a test can show
// that nothing else waits for a switcher's scaling; and when the show benchmark
// has made its shared block, each show reports its stage times there.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "WinTestSupport.h"
#include "switcher/ShowProbe.h"
#include "switcher/mainDS.h"

namespace {

using panorel::mainW;
using panorel::test::ShowProbeRecord;

DWORD SlowScalingMs() {
    wchar_t text[8] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"PANOREL2_SLOW_SCALING_MS", text, 8);
    if (n == 0 || n >= 8) return 0;
    return static_cast<DWORD>(std::clamp(std::wcstol(text, nullptr, 10), 0L, 10000L));
}

// Exclusive stage times of the running show, written to the block at its end.
class StageClock {
public:
    StageClock() {
        mapping_.reset(::OpenFileMappingW(FILE_MAP_WRITE, FALSE, panorel::test::kShowProbeBlock));
        if (mapping_)
            record_ = static_cast<ShowProbeRecord*>(
                ::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, sizeof(ShowProbeRecord)));
    }
    ~StageClock() {
        if (record_) ::UnmapViewOfFile(record_);
    }
    bool Wanted() const { return record_ != nullptr; }

    void Mark(mainW::Stage stage, bool begin) {
        const double now = panorel::test::NowMs();
        if (begin) {
            if (stage == mainW::Stage::Show) {
                now_ = ShowProbeRecord{};
                now_.begunAt = now;
                open_.clear();
            }
            open_.push_back({stage, now});
            return;
        }
        if (open_.empty() || open_.back().stage != stage) return;
        const double took = now - open_.back().since;
        open_.pop_back();
        now_.stageMs[static_cast<int>(stage)] += took;
        if (!open_.empty()) now_.stageMs[static_cast<int>(open_.back().stage)] -= took;
        if (stage == mainW::Stage::ShowAndPaint) now_.visibleAt = now;
        if (stage == mainW::Stage::Show) {
            now_.doneAt = now;
            const LONG shows = record_->shows;
            *record_ = now_;
            record_->shows = shows;
            ::InterlockedIncrement(&record_->shows);
        }
    }

private:
    struct Open {
        mainW::Stage stage;
        double since;
    };
    panorel::KernelHandle mapping_;
    ShowProbeRecord* record_ = nullptr;
    ShowProbeRecord now_{};
    std::vector<Open> open_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StageClock clock;
    const DWORD slowMs = SlowScalingMs();
    return panorel::Main([&](mainW& w) {
        if (!clock.Wanted() && slowMs == 0) return;
        w.StageProbe = [&clock, slowMs, inShow = false](mainW::Stage stage, bool begin) mutable {
            if (stage == mainW::Stage::Show) inShow = begin;
            if (stage == mainW::Stage::Scaling && begin && !inShow && slowMs) ::Sleep(slowMs);
            if (clock.Wanted()) clock.Mark(stage, begin);
        };
    });
}
