#include "winsupport/CTimer.h"

#include "host/PanorelError.h"
#include "winsupport/MSubclass.h"
#include "winsupport/MTimer.h"

namespace panorel {

CTimer::~CTimer() {
    SkipOnError([this] { Interval(0); });
}

void CTimer::Interval(std::int32_t iIntervalA) {
    if (iIntervalA >= 1) {
        if (iIntervalA == interval_) return;
        if (interval_ != 0) TimerDestroy(*this);
        interval_ = iIntervalA;
        if (!TimerCreate(*this)) ErrRaise(kCantCreateTimer);
    } else if (interval_ > 0) {
        interval_ = 0;
        TimerDestroy(*this);
    }
}

void CTimer::PulseTimer() {
    if (!ThatTime) return;
    // The handler may destroy this timer, and with it ThatTime: it runs from
    // a copy, so its own state outlives the timer until it returns.
    const std::function<void()> handler = ThatTime;
    handler();
}

void CTimer::ErrRaise(std::int32_t number) {
    if (number < 1001) throw PanorelError(number, "", "");
    const char* text = number == kTooManyTimers    ? "No more than 10 timers allowed per class"
                       : number == kCantCreateTimer ? "Can't create system timer"
                                                    : "";
    throw PanorelError(kObjectErrorBase + number, WindowProcErrorSource(), text);
}

}  // namespace panorel
