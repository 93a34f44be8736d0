// Extraction speed: builds an archive of about 64 MiB of mixed members (text-like
// and incompressible, small and large) and measures, in the same run,
//   (a) decompressing its blocks straight with libbzip2 into memory, and
//   (b) a full extraction pass of TSetupCVNZip to files, with progress events bound.
// The reader's own cost is b/a; the target is b/a <= 1.10. Each side runs several
// times, alternating, and the best time of each counts, which keeps other load on
// the machine out of the ratio as far as possible.

#include "core/ByteReader.h"
#include "core/FileSystem.h"
#include "package/CVNZipWriter.h"
#include "package/SetupCVNZip.h"

#include <bzlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace cvn {
// The process's peak memory use in bytes and its processor time so far
// (extract_platform_*.cpp).
uint64_t PeakMemoryBytes();
double ProcessCpuSeconds();
} // namespace cvn

using namespace cvn;

namespace {

constexpr int kRounds = 3;

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
    Generated(uint64_t size, bool text, uint64_t seed)
        : size_(size), text_(text), rng_{seed * 2654435761u + 1} {
        if (vocabulary_.empty()) {
            Rng r{12345};
            for (int i = 0; i < 400; ++i) {
                std::string w;
                for (int n = 2 + int(r.Next() % 9); n > 0; --n)
                    w.push_back(char('a' + r.Next() % 26));
                vocabulary_.push_back(w);
            }
        }
    }
    size_t Read(void* buf, size_t n) override {
        n = size_t(std::min<uint64_t>(n, size_ - pos_));
        auto* out = static_cast<uint8_t*>(buf);
        for (size_t i = 0; i < n;) {
            if (!text_) {
                out[i++] = uint8_t(rng_.Next());
                continue;
            }
            if (pending_.empty()) {
                uint32_t r = rng_.Next();
                pending_ = vocabulary_[r % vocabulary_.size()];
                pending_ += r % 13 == 0 ? ".\r\n" : r % 7 == 0 ? ", " : " ";
            }
            size_t take = std::min(pending_.size(), n - i);
            std::memcpy(out + i, pending_.data(), take);
            pending_.erase(0, take);
            i += take;
        }
        pos_ += n;
        return n;
    }
    bool Seek(uint64_t) override { return false; }
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return size_; }

private:
    static inline std::vector<std::string> vocabulary_;
    uint64_t size_, pos_ = 0;
    bool text_;
    Rng rng_;
    std::string pending_;
};

struct MemberPlan {
    uint64_t size;
    bool text;
};

std::vector<MemberPlan> Plan() {
    std::vector<MemberPlan> plan;
    Rng r{99};
    for (int i = 0; i < 300; ++i)
        plan.push_back({1024 + r.Next() % (31 * 1024), true});
    for (int i = 0; i < 100; ++i)
        plan.push_back({1024 + r.Next() % (15 * 1024), false});
    for (int i = 0; i < 12; ++i)
        plan.push_back({(1 << 20) + r.Next() % (2 << 20), true});
    for (int i = 0; i < 3; ++i)
        plan.push_back({6 << 20, true});
    for (int i = 0; i < 4; ++i)
        plan.push_back({4 << 20, false});
    for (size_t i = plan.size(); i > 1; --i)
        std::swap(plan[i - 1], plan[r.Next() % i]);
    return plan;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

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
    void Take(Timing t) {
        wall = std::min(wall, t.wall);
        cpu = std::min(cpu, t.cpu);
    }
};

// (a): every block of the archive decompressed (or copied, when stored) into one
// 64 KiB buffer, with nothing else around it.
uint64_t DecompressBlocks(const std::string& path) {
    auto in = FileInputStream::Open(path);
    uint64_t done = 0;
    std::vector<char> packed(128 * 1024), out(65536);
    auto i32 = [&] {
        uint8_t b[4];
        in->ReadExact(b, 4);
        return ByteReader(b).I32();
    };
    int32_t textLength = i32();
    in->Seek(in->Position() + uint64_t(textLength) + 8);
    for (;;) {
        int32_t tag = i32();
        if (tag == -2) break;
        if (tag == -3) {
            uint64_t length = uint64_t(i32());
            in->Seek(in->Position() + length);
            continue;
        }
        in->Seek(in->Position() + 8); // date and magic
        for (int32_t b = i32(); b != -4; b = i32()) {
            if (b < 0) {
                in->ReadExact(out.data(), size_t(-b));
                done += uint64_t(-b);
                continue;
            }
            in->ReadExact(packed.data(), size_t(b));
            bz_stream s{};
            BZ2_bzDecompressInit(&s, 0, 0);
            s.next_in = packed.data();
            s.avail_in = unsigned(b);
            s.next_out = out.data();
            s.avail_out = unsigned(out.size());
            if (BZ2_bzDecompress(&s) != BZ_STREAM_END) std::fprintf(stderr, "block not decompressed\n");
            done += out.size() - s.avail_out;
            BZ2_bzDecompressEnd(&s);
        }
    }
    return done;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "cvn-extract-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string setup = (dir / "bench.exe").string();

    auto plan = Plan();
    uint64_t total = 0;
    auto t0 = std::chrono::steady_clock::now();
    TCVNZipWriter writer; // one volume big enough for everything: streamed to the file
    bool ok = writer.CreateVolumes(setup, uint64_t(1) << 31);
    for (size_t i = 0; ok && i < plan.size(); ++i) {
        Generated data(plan[i].size, plan[i].text, i);
        ok = writer.AddMember(int32_t(i), 0x2B214A21, data);
        total += plan[i].size;
    }
    if (!ok || !writer.Finish()) {
        std::fprintf(stderr, "cannot build the archive: %s\n", writer.Error().c_str());
        return 1;
    }
    std::string archive = writer.VolumePaths().front();
    uint64_t archiveSize = 0;
    GetFileSize(archive, archiveSize);
    std::printf("archive: %zu members, %.1f MiB of data in %.1f MiB, built in %.1f s\n", plan.size(),
                total / 1048576.0, archiveSize / 1048576.0, Seconds(std::chrono::steady_clock::now() - t0));

    Best raw, pass, dry;
    for (int round = 0; round < kRounds; ++round) {
        uint64_t rawBytes = 0;
        raw.Take(Time([&] { rawBytes = DecompressBlocks(archive); }));

        fs::remove_all(dir / "out");
        TSetupCVNZip zip;
        int progressCalls = 0;
        zip.OnProgress.Bind([&](int32_t, int32_t, bool&) { ++progressCalls; });
        zip.OnRestoreFile.Bind([&](int32_t id, std::string& target, bool&, int32_t, int32_t&) {
            target =
                (dir / "out" / ("folder" + std::to_string(id % 10)) / ("file" + std::to_string(id))).string();
        });
        bool passed = false;
        pass.Take(Time([&] { passed = zip.ExtractFromFile(archive, ""); }));
        if (!passed || rawBytes != total || zip.BytesDone() != total ||
            zip.ExtractedCount() != int(plan.size())) {
            std::fprintf(stderr, "extraction went wrong\n");
            return 1;
        }
        if (round == 0) std::printf("progress calls per pass: %d\n", progressCalls);

        // The same pass with the file system left out: the reader's own share.
        DiscardingArchiveFiles nowhere;
        zip.SetFiles(&nowhere);
        auto file = FileInputStream::Open(archive);
        dry.Take(Time([&] { zip.ExtractFromStream(*file, ""); }));
    }
    fs::remove_all(dir);

    double mib = total / 1048576.0;
    std::printf("                                  wall      MiB/s    cpu\n");
    std::printf("(a) libbzip2 into memory        %6.3f s  %6.1f  %6.3f s\n", raw.wall, mib / raw.wall,
                raw.cpu);
    std::printf("(b) extraction pass to files    %6.3f s  %6.1f  %6.3f s\n", pass.wall, mib / pass.wall,
                pass.cpu);
    std::printf("(c) the same pass, no files     %6.3f s  %6.1f  %6.3f s\n", dry.wall, mib / dry.wall,
                dry.cpu);
    std::printf("b/a = %.3f by wall time, %.3f by processor time (target <= 1.10)\n", pass.wall / raw.wall,
                pass.cpu / raw.cpu);
    std::printf("peak memory of the whole run: %.1f MiB\n", PeakMemoryBytes() / 1048576.0);
    return 0;
}
