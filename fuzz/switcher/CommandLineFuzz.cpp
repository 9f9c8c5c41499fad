// Any command line ends in a desktop number 1..4 or in 0, never in a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "switcher/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const auto n = panorel::DesktopNumberFromCommandLine(text);
    if (n < 0 || n > 4) std::abort();
    return 0;
}
