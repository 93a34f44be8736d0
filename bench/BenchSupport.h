#pragma once

// What the extraction and installation benchmarks share: generated member data,
// building an archive from it, timing, and the raw libbzip2 pass over an archive's
// blocks that both compare against.

#include "core/Stream.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace cvn::bench {

// The process's peak memory use in bytes and its processor time so far
// (BenchSupport_win.cpp, BenchSupport_posix.cpp).
uint64_t PeakMemoryBytes();
double ProcessCpuSeconds();

struct Rng {
    uint64_t s;
    uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 16);
    }
};

// Member data made on the fly, so building the archive holds no file in memory.
// Text-like data draws words from a vocabulary of a few hundred made-up words.
class Generated final : public InputStream {
public:
    Generated(uint64_t size, bool text, uint64_t seed);
    size_t Read(void* buf, size_t n) override;
    bool Seek(uint64_t) override { return false; }
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return size_; }

private:
    uint64_t size_, pos_ = 0;
    bool text_;
    Rng rng_;
    std::string pending_;
    size_t next_ = 0;
};

struct MemberPlan {
    uint64_t size;
    bool text;
};

// The plan's members, member i made from seed i, in one volume file at path (one
// volume big enough for everything, so the writer streams to the file). Prints what
// it built; false after printing why it failed.
struct BuiltArchive {
    std::string path;
    uint64_t dataBytes = 0, archiveBytes = 0;
};
bool BuildArchive(const std::string& setupPath, const std::vector<MemberPlan>& plan, int32_t fileDate,
                  BuiltArchive& built);

double Seconds(std::chrono::steady_clock::duration d);

// Wall-clock and processor time of one run; the best of several runs counts. On
// a machine busy with other work the processor time is the steadier of the two.
struct Timing {
    double wall, cpu;
};

template <typename F> Timing Time(F&& f) {
    double cpu = ProcessCpuSeconds();
    auto start = std::chrono::steady_clock::now();
    f();
    return {Seconds(std::chrono::steady_clock::now() - start), ProcessCpuSeconds() - cpu};
}

struct Best {
    double wall = 1e30, cpu = 1e30;
    void Take(Timing t);
};

// Every block of the archive decompressed (or copied, when stored) into one 64 KiB
// buffer, with nothing else around it but the decompressor's memory, kept from block to
// block as the archive reader keeps it. Returns the bytes produced, or 0 when the
// file cannot be opened or a block does not decompress.
uint64_t DecompressBlocks(const std::string& path);

} // namespace cvn::bench
