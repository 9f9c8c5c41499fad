#pragma once
// Reading the desktop number from the switcher's command line.
#include <cstdint>
#include <string_view>

namespace panorel {

// The numeric value at the start of a text, read the classic way: blanks,
// tabs and line feeds are skipped anywhere (also between digits), an optional
// sign, decimal digits with one decimal point, or &H / &O followed by
// hexadecimal or octal digits. Reading stops at the first other character;
// no number gives 0. Values too large to represent give infinity.
double LeadingNumber(std::wstring_view text);

// The desktop number 1..4 named by a command line, or 0 when it names none
// (rounded halves to even; a value that does not fit 16 bits gives 0).
std::int16_t DesktopNumberFromCommandLine(std::wstring_view commandLine);

}  // namespace panorel
