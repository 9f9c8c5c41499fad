#pragma once
#include <cstdint>
#include <string>

namespace panorel {

// The system's message for an error code (usually ending in CR LF, which is
// kept), or empty when the system has none.
std::wstring SystemErrorText(std::uint32_t code);

}  // namespace panorel
