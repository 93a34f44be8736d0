// Extraction speed: builds an archive of about 64 MiB of mixed members (text-like
// and incompressible, small and large) and measures, in the same run,
//   (a) decompressing its blocks straight with libbzip2 into memory, and
//   (b) a full extraction pass of TSetupCVNZip to files, with progress events bound.
// The reader's own cost is b/a; the target is b/a <= 1.10. Each side runs several
// times, alternating, and the best time of each counts, which keeps other load on
// the machine out of the ratio as far as possible.

#include "BenchSupport.h"

#include "core/Stream.h"
#include "package/SetupCVNZip.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace cvn;
using namespace cvn::bench;

namespace {

constexpr int kRounds = 3;

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

} // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "cvn-extract-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string setup = (dir / "bench.exe").string();

    auto plan = Plan();
    BuiltArchive built;
    if (!BuildArchive(setup, plan, 0x2B214A21, built)) return 1;
    const std::string& archive = built.path;
    const uint64_t total = built.dataBytes;

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
    std::printf(
        "extract: ratio %.3f (target 1.10), %.3f s against libbzip2's %.3f s (%.1f MiB/s) by wall time\n",
        pass.wall / raw.wall, pass.wall, raw.wall, mib / raw.wall);
    return 0;
}
