#include "BenchSupport.h"

#include <sys/resource.h>

#include <cstdint>

namespace cvn::bench {

uint64_t PeakMemoryBytes() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return uint64_t(u.ru_maxrss) * 1024; // Linux reports kilobytes
}

double ProcessCpuSeconds() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace cvn::bench
