#include "switcher/CommandLine.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "host/Rounding.h"

namespace panorel {
namespace {

bool IsSkipped(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 99;
}

// &H and &O numbers are whole; like the classic reader, a value that fits 16
// bits is read as a signed 16-bit pattern and one that fits 32 bits as a
// signed 32-bit pattern (so &HFFFF is -1).
double RadixNumber(std::wstring_view text, std::size_t pos, int radix) {
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const wchar_t c = text[pos];
        if (IsSkipped(c)) continue;
        const int d = DigitValue(c);
        if (d >= radix) break;
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    }
    if (overflow || value > 0xFFFFFFFFull) return std::numeric_limits<double>::infinity();
    if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

double LeadingNumber(std::wstring_view text) {
    std::size_t pos = 0;
    auto skip = [&] {
        while (pos < text.size() && IsSkipped(text[pos])) ++pos;
    };
    skip();
    if (pos + 1 < text.size() && text[pos] == L'&') {
        const wchar_t kind = text[pos + 1];
        if (kind == L'H' || kind == L'h') return RadixNumber(text, pos + 2, 16);
        if (kind == L'O' || kind == L'o') return RadixNumber(text, pos + 2, 8);
        return 0.0;
    }
    // Collect the decimal number as plain ASCII and let strtod round it exactly.
    std::string number;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
        number += static_cast<char>(text[pos]);
        ++pos;
    }
    bool point = false;
    bool digits = false;
    for (; pos < text.size(); ++pos) {
        const wchar_t c = text[pos];
        if (IsSkipped(c)) continue;
        if (c >= L'0' && c <= L'9') {
            number += static_cast<char>(c);
            digits = true;
        } else if (c == L'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0;
    return std::strtod(number.c_str(), nullptr);  // overflow gives HUGE_VAL
}

std::int16_t DesktopNumberFromCommandLine(std::wstring_view commandLine) {
    const auto rounded = RoundToInt16(LeadingNumber(commandLine));
    if (!rounded || *rounded < 1 || *rounded > 4) return 0;
    return *rounded;
}

}  // namespace panorel
