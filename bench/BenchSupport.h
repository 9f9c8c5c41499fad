#pragma once
// What the timing programs measure beside the tests' helpers: a process's
// CPU time and memory, and the middle of a sample.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace panorel::test {

// Kernel plus user time of a process in 100 ns units; 0 when unreadable.
inline std::uint64_t CpuTime100ns(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
    auto value = [](const FILETIME& f) { return (std::uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
    return value(kernel) + value(user);
}

// Its private commit in bytes (Wine reports it as PagefileUsage); 0 when unreadable.
inline std::size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    return ::GetProcessMemoryInfo(process, &memory, sizeof memory) ? memory.PagefileUsage : 0;
}

// The middle value of a sample (the upper one of an even count); 0 when empty.
inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

}  // namespace panorel::test
