#pragma once
// Conversion between the program's UTF-16 text and the ANSI code page, used
// only at the ANSI platform calls and in the log file.
#include <string>
#include <string_view>

namespace panorel {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

}  // namespace panorel
