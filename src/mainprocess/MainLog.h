#pragma once
// The main process's entries in the error log: "Panorel2: " and the message,
// with the system's reason where there is one.
#include <cstdint>
#include <string>

namespace panorel {

void LogMain(const std::wstring& message);
// " (the system's text for `code`)", without its line end.
std::wstring Reason(std::uint32_t code);

}  // namespace panorel
