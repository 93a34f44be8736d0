#include "BenchSupport.h"

#include <windows.h>

#include <psapi.h>

#include <cstdint>

namespace cvn::bench {

uint64_t PeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    return GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c) ? c.PeakWorkingSetSize : 0;
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& f) { return double(uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime); };
    return (ticks(kernel) + ticks(user)) / 1e7; // 100-nanosecond units
}

} // namespace cvn::bench
