// Any argument list either parses to one command or is refused with a reason;
// a parsed --signal name maps to an event index 0..54 and its action.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mainprocess/EventRouting.h"
#include "mainprocess/MainCommandLine.h"
#include "switcher/EventNames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    panorel::BuildEventNames();
    // Arguments are separated by the wide character 0.
    std::vector<std::wstring> args(1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) args.emplace_back();
        else args.back() += c;
    }
    const auto o = panorel::ParseMainCommandLine(args);
    if (o.command == panorel::MainCommand::Invalid && o.problem.empty()) std::abort();
    if (o.command == panorel::MainCommand::Signal) {
        const int index = panorel::EventIndexOfShortName(o.shortName);
        if (index < 0 || index > panorel::kEventCount) std::abort();
        if (index != 0 && panorel::ActionForEvent(index).kind == panorel::MainActionKind::None) std::abort();
    }
    return 0;
}
