// The road of one desktop switch, timed under Wine at the session's screen
// size, and the idle cost of the five processes.
//
// Road: this program plays the main process for four real Spacehost.exe (it
// owns the 54 events and forwards them as WM_COPYDATA, the main process's way,
// one after another), so that it sees each stage: SwitchToDesktop3 set, the
// three Update events set (the preview is on the clipboard by then), and the
// three receivers done drawing (their WM_COPYDATA handlers have returned).
// A whole capture and draw, and the shares of capture, resampling and
// clipboard, come from the same library calls timed in this process, against
// the road's medians.
//
// Recorded switch: the real Panorel2.exe --single-desktop with its four
// switchers; each run asks the active desktop's switcher for the next desktop
// and times the main process recording it (the window property) against the
// moment the switcher set SwitchToDesktopj, which is when it answers a message
// held up while it copied the screen (BusyProbe).
//
// Flood: the real Panorel2.exe --single-desktop with switcher 4 stood in for
// by a window that reads nothing: how fast the main process takes a flood of
// signals for it, its private memory before and after, how soon a forward to
// switcher 3 (stood in for too) arrives meanwhile, and how long the stalled
// switcher's signals take to arrive once it reads again.
//
// Idle: the real Panorel2.exe --single-desktop with its four switchers, panel
// hidden: the CPU time each process uses over the idle period and the private
// memory of one switcher.
//
// Run: build/windows/wine-run build/windows/bench/road_bench.exe [road runs] [idle seconds] [flood signals]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "host/Handles.h"
#include "mainprocess/MainRun.h"
#include "switcher/EventNames.h"
#include "switcher/PanelLayout.h"
#include "switcher/PreviewExchange.h"
#include "winsupport/modResize.h"

namespace {

using namespace panorel;
using namespace panorel::test;

// When a window's thread comes back to its messages after being busy: a
// thread of its own sends the window WM_NULL again and again; the first send
// made after Arm and held up for more than 10 ms (a busy stretch longer than
// that, such as a screen copy) is answered as soon as the busy thread lets
// pending messages run. The constructor returns once ten sends in a row were
// answered at once (the window is idle).
class BusyProbe {
public:
    explicit BusyProbe(HWND window);
    ~BusyProbe();
    BusyProbe(const BusyProbe&) = delete;
    BusyProbe& operator=(const BusyProbe&) = delete;
    // Call right before asking the window's thread for the busy work.
    void Arm();
    // NowMs() when the held-up send was answered; negative when none was
    // within `milliseconds` (or the window is gone).
    double Answered(DWORD milliseconds);
    // The median of the last prompt answers before that, once Answered has
    // returned: how long an answer takes to come back.
    double RoundTripMs() const { return roundTrip_; }

private:
    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> armed_{false};
    std::atomic<double> armedAt_{0};
    std::atomic<int> prompt_{0};
    std::vector<double> roundTrips_;
    double roundTrip_ = 0;
    double answered_ = -1;
    KernelHandle done_;
    std::thread thread_;
};

BusyProbe::BusyProbe(HWND window) : window_(window), done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        while (!stop_) {
            const double start = NowMs();
            DWORD_PTR result = 0;
            if (!::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) break;
            const double took = NowMs() - start;
            if (took > 10.0) {
                if (armed_ && start >= armedAt_) {
                    answered_ = NowMs();
                    break;
                }
                prompt_ = 0;  // busy with something before the request: not the one
                continue;
            }
            roundTrips_.push_back(took);
            ++prompt_;
        }
        ::SetEvent(done_.get());
    });
    // Ten prompt answers in a row: the window is idle and the round trip known.
    PumpUntil([this] { return prompt_ >= 10 || ::WaitForSingleObject(done_.get(), 0) == WAIT_OBJECT_0; }, 10000);
}

void BusyProbe::Arm() {
    armedAt_ = NowMs();
    armed_ = true;
}

BusyProbe::~BusyProbe() {
    stop_ = true;
    thread_.join();
}

double BusyProbe::Answered(DWORD milliseconds) {
    if (::WaitForSingleObject(done_.get(), milliseconds) != WAIT_OBJECT_0) return -1;
    roundTrip_ = Median({roundTrips_.end() - std::min<std::size_t>(roundTrips_.size(), 10), roundTrips_.end()});
    return answered_;
}


bool Forward(HWND window, const std::string& name) {
    std::string bytes = name;
    COPYDATASTRUCT data{0, static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000,
                                 &result) != 0;
}

void PaintScene(HDC dc, int w, int h) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            FillRectangle(dc, x * w / 8, y * h / 8, (x + 1) * w / 8, (y + 1) * h / 8,
                          RGB(30 * x, 30 * y, (x * y * 17) & 0xFF));
}

struct RoadTimes {
    std::vector<double> switched, published, drawn;
};

// The four switchers under this program's own events.
bool RunRoad(int runs, RoadTimes& times) {
    SharedEvents events;
    KernelHandle switchers[5];
    HWND windows[5] = {};
    for (int n = 1; n <= 4; ++n) switchers[n] = StartProgram(L"Spacehost.exe", std::to_wstring(n));
    for (int n = 1; n <= 4; ++n) {
        windows[n] = WaitForWindow((L"Spacehost" + std::to_wstring(n)).c_str(), 30000);
        if (!windows[n]) {
            std::printf("switcher %d did not start\n", n);
            return false;
        }
    }
    ScreenCover scene(PaintScene);
    const HANDLE switchTo3 = events[SwitchToDesktopIndex(3)];
    // What switcher 1 sets after publishing: Switcher2Update1, Switcher3Update1, Switcher4Update1.
    const int receiver[3] = {2, 3, 4};
    HANDLE updates[3];
    for (int k = 0; k < 3; ++k) updates[k] = events[UpdateIndex(receiver[k], 1)];
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        const double t0 = NowMs();
        // The main process forwards on its own thread of control while the
        // switcher works; a helper thread stands in for that here.
        std::thread forward([&] { Forward(windows[1], EventName(SwitchToIndex(1, 3))); });
        ok = ::WaitForSingleObject(switchTo3, 5000) == WAIT_OBJECT_0;
        const double t1 = NowMs();
        ok = ok && ::WaitForMultipleObjects(3, updates, TRUE, 5000) == WAIT_OBJECT_0;
        const double t2 = NowMs();
        forward.join();
        for (int k = 0; k < 3 && ok; ++k)
            ok = Forward(windows[receiver[k]], EventName(UpdateIndex(receiver[k], 1)));
        const double t3 = NowMs();
        if (run == 0) {
            bool found = false;
            const std::size_t size = ClipboardBlock(format, &found).size();
            std::printf("clipboard after the first run: preview %s, %zu bytes\n", found ? "present" : "MISSING", size);
        }
        times.switched.push_back(t1 - t0);
        times.published.push_back(t2 - t0);
        times.drawn.push_back(t3 - t0);
    }
    for (int n = 1; n <= 4; ++n) Forward(windows[n], EventName(ShutdownSwitcherIndex(n)));
    for (int n = 1; n <= 4; ++n)
        if (WaitExit(switchers[n], 5000) == -1) ::TerminateProcess(switchers[n].get(), 9);
    if (!ok) std::printf("a stage of the road timed out\n");
    return ok;
}

struct MainTimes {
    std::vector<double> recorded, roundTrip;
    int beforePublished = 0;
};

// The real main process: how soon it records a switch that a switcher asks for.
bool RunRecordedSwitches(int runs, MainTimes& times) {
    RunningMain run;
    if (!run.Ready()) {
        std::printf("recorded switch: the main process or a switcher did not start\n");
        return false;
    }
    ScreenCover scene(PaintScene);
    auto active = [&] { return run.ActiveDesktop(); };
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    std::array<KernelHandle, kEventCount + 1> events;
    for (int i = 1; i <= 48; ++i)
        events[i].reset(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(static_cast<std::int16_t>(i)).c_str()));
    for (int r = 0; r < runs; ++r) {
        const int from = active(), to = from % 4 + 1;
        SetClipboardText(L"no preview yet");
        BusyProbe probe(run.SwitcherWindow(from));
        probe.Arm();
        ::SetEvent(events[SwitchToIndex(from, to)].get());
        const double asked = NowMs();
        double recorded = -1;
        bool published = true;
        while (NowMs() - asked < 5000) {
            if (active() == to) {
                recorded = NowMs();
                published = ::IsClipboardFormatAvailable(format) != FALSE;
                break;
            }
            ::Sleep(1);  // leaves the processor to the programs measured
        }
        const double set = probe.Answered(5000);
        if (recorded < 0 || set < 0) {
            std::printf("recorded switch: run %d: %s\n", r, recorded < 0 ? "never recorded" : "the switcher never got busy");
            return false;
        }
        times.recorded.push_back(recorded - set + probe.RoundTripMs());
        times.roundTrip.push_back(probe.RoundTripMs());
        if (!published) ++times.beforePublished;
        // The preview and its three forwards finish before the next run.
        PumpUntil([&] { return ::IsClipboardFormatAvailable(format) != FALSE; }, 5000);
        PumpFor(100);
    }
    return true;
}

struct PartTimes {
    std::vector<double> capture, resample, whole, publish, receive;
};

// The library calls the road is made of, timed here.
void TimeParts(int runs, PartTimes& parts) {
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    const int w = PreviewExtent(sw), h = PreviewExtent(sh);
    const BITMAPINFOHEADER header = DibHeader(w, h);
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    BitmapHandle tile(::CreateDIBSection(dc.get(), reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                         &bits, nullptr, 0));
    SelectionGuard selection(dc.get(), tile.get());
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    for (int i = 0; i < runs; ++i) {
        // The covering window is this thread's: let it answer, as in the road.
        PumpFor(20);
        const double t0 = NowMs();
        CaptureScreen();
        const double t1 = NowMs();
        DrawCaptureResized(dc.get(), w, h);
        ::GdiFlush();
        const double t2 = NowMs();
        PublishPreview(format);
        const double t3 = NowMs();
        {
            ClipboardSession clipboard;
            DrawClipboardPreview(format, dc.get(), w, h);
        }
        const double t4 = NowMs();
        parts.capture.push_back(t1 - t0);
        parts.resample.push_back(t2 - t1);
        parts.whole.push_back(t2 - t0);
        parts.publish.push_back(t3 - t2);
        parts.receive.push_back(t4 - t3);
    }
}

// Waits, without the 20 ms steps of a message pump, until `done` holds; false after 5 s.
template <class Done>
bool SpinUntil(Done done) {
    for (const double start = NowMs(); !done(); ::Sleep(1))
        if (NowMs() - start > 5000) return false;
    return true;
}

bool RunFlood(int signals) {
    RunningMain run;
    if (!run.Ready()) {
        std::printf("flood: the main process or a switcher did not start\n");
        return false;
    }
    run.EndSwitcher(3);
    run.EndSwitcher(4);
    StandInSwitcher standIn3(3);
    StandInSwitcher stalled(4, StandInSwitcher::kStalled);
    std::vector<int> block;  // switcher 4's signals but its shutdown, round and round
    for (int j = 1; j <= 4; ++j) block.insert(block.end(), {SwitchToIndex(4, j), UpdateIndex(4, j)});
    block.insert(block.end(), {ReadRegSwitcherIndex(4), ShowPreviewSwitcherIndex(4), ShowPopupSwitcherIndex(4)});
    std::vector<KernelHandle> events;
    for (int index : block) events.push_back(OpenEventToFire(index));
    std::vector<std::string> fired;
    const double memoryBefore = PrivateBytes(run.Main().get()) / 1048576.0;
    const double start = NowMs();
    for (int k = 0; k < signals; ++k) {
        fired.push_back(EventName(static_cast<std::int16_t>(block[k % block.size()])));
        if (!FireAndWaitTaken(events[k % block.size()].get())) {
            std::printf("flood: signal %d was never taken\n", k);
            return false;
        }
    }
    const double taken = NowMs() - start;
    const double memoryStalled = PrivateBytes(run.Main().get()) / 1048576.0;
    const KernelHandle update3 = OpenEventToFire(UpdateIndex(3, 1));
    std::vector<double> beside;
    for (int r = 0; r < 20; ++r) {
        const std::size_t before = standIn3.Received().size();
        const double t0 = NowMs();
        ::SetEvent(update3.get());
        if (!SpinUntil([&] { return standIn3.Received().size() > before; })) break;
        beside.push_back(NowMs() - t0);
    }
    const double released = NowMs();
    stalled.Release();
    PumpUntil([&] { return stalled.Received().size() >= fired.size(); }, 120000);
    const double drained = NowMs() - released;
    std::printf("flood: %d signals at a stalled switcher taken in %.0f ms; main process private memory %.1f -> %.1f "
                "MiB; once it read again all arrived %s in %.0f ms\n",
                signals, taken, memoryBefore, memoryStalled,
                stalled.Received() == fired ? "once each and in order" : "NOT as sent", drained);
    std::printf("flood: a forward to switcher 3 beside the stalled one, median of %zu: %.2f ms\n", beside.size(),
                Median(beside));
    return true;
}

void Idle(int seconds) {
    RunningMain run;
    if (!run.Ready()) {
        std::printf("idle: the main process or a switcher did not start\n");
        return;
    }
    ::Sleep(2000);  // let start-up work finish
    const HANDLE processes[5] = {run.Main().get(), run.Switcher(1).get(), run.Switcher(2).get(),
                                 run.Switcher(3).get(), run.Switcher(4).get()};
    std::uint64_t before[5];
    for (int i = 0; i < 5; ++i) before[i] = CpuTime100ns(processes[i]);
    const double t0 = NowMs();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = NowMs() - t0;
    double total = 0;
    const char* names[5] = {"Panorel2.exe", "Spacehost.exe 1", "Spacehost.exe 2", "Spacehost.exe 3",
                            "Spacehost.exe 4"};
    for (int i = 0; i < 5; ++i) {
        const double ms = (CpuTime100ns(processes[i]) - before[i]) / 10000.0;
        total += ms;
        std::printf("idle %-16s %7.1f ms CPU in %.1f s\n", names[i], ms, wall / 1000);
    }
    std::printf("idle all five: %.1f ms CPU, %.4f%% of one core\n", total, 100.0 * total / wall);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(processes[2], reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Wine reports a process's private commit as PagefileUsage.
        std::printf("switcher 2 memory: private %.1f MiB, working set %.1f MiB (a tile is %.2f MiB)\n",
                    memory.PagefileUsage / 1048576.0, memory.WorkingSetSize / 1048576.0,
                    DibStride(PreviewExtent(::GetSystemMetrics(SM_CXSCREEN))) *
                        PreviewExtent(::GetSystemMetrics(SM_CYSCREEN)) / 1048576.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    const int floodSignals = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10000;
    std::printf("screen %d x %d\n", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));

    RoadTimes road;
    if (!RunRoad(runs, road)) return 1;
    MainTimes recorded;
    if (!RunRecordedSwitches(runs, recorded)) return 1;
    PartTimes parts;
    {
        ScreenCover scene(PaintScene);
        TimeParts(runs, parts);
    }
    const double switched = Median(road.switched), published = Median(road.published), drawn = Median(road.drawn);
    const double capture = Median(parts.capture), resample = Median(parts.resample);
    const double publish = Median(parts.publish), receive = Median(parts.receive);
    std::printf("road, median of %d runs:\n", runs);
    std::printf("  to SwitchToDesktop3 set           %8.2f ms\n", switched);
    std::printf("  to the preview on the clipboard   %8.2f ms\n", published);
    std::printf("  to all three receivers drawn      %8.2f ms\n", drawn);
    std::printf("CaptureScreen + DrawCaptureResized, median of %d runs in this process: %.2f ms\n", runs,
                Median(parts.whole));
    std::printf("parts, median of %d runs in this process, and their share of the road:\n", runs);
    std::printf("  capture                 %7.2f ms  %5.1f%% of the clipboard stage  %5.1f%% of the whole\n",
                capture, 100 * capture / published, 100 * capture / drawn);
    std::printf("  resample and draw       %7.2f ms  %5.1f%% of the clipboard stage  %5.1f%% of the whole\n",
                resample, 100 * resample / published, 100 * resample / drawn);
    std::printf("  clipboard publish       %7.2f ms  %5.1f%% of the clipboard stage  %5.1f%% of the whole\n",
                publish, 100 * publish / published, 100 * publish / drawn);
    std::printf("  clipboard receive x 3   %7.2f ms  %5s                          %5.1f%% of the whole\n",
                3 * receive, "", 100 * 3 * receive / drawn);
    std::printf("switcher's own work beyond the screen copy (request to preview on the clipboard, less the copy): "
                "%.2f ms (goal 16.7 ms, ratio %.2f)\n",
                published - capture, (published - capture) / 16.7);
    std::vector<double> sorted = recorded.recorded;
    std::sort(sorted.begin(), sorted.end());
    const auto within = std::count_if(sorted.begin(), sorted.end(), [](double ms) { return ms <= 5.0; });
    std::printf("real Panorel2.exe: a switch recorded after the switcher set SwitchToDesktopj (negative: before its "
                "answer came back), %d runs: median %.2f ms, 90th percentile %.2f ms, within 5 ms in %d; answer "
                "round trip %.2f ms; recorded before the preview was published in %d\n",
                runs, Median(sorted), sorted[sorted.size() * 9 / 10], static_cast<int>(within),
                Median(recorded.roundTrip), recorded.beforePublished);
    if (!RunFlood(floodSignals)) return 1;
    Idle(idleSeconds);
    return 0;
}
