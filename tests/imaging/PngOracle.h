#pragma once
// The benchmarks' names for the libpng oracle.
#include "imaging/WriterOracles.h"

namespace panorel::imaging::testing {
using test::LibpngDecode;
inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) { return test::ReadFile(path); }
}  // namespace panorel::imaging::testing
