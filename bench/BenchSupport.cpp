#include "BenchSupport.h"

#include "core/ByteReader.h"
#include "core/FileSystem.h"
#include "package/BZip2Memory.h"
#include "package/CVNZipWriter.h"

#include <bzlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace cvn::bench {

namespace {

const std::vector<std::string>& Vocabulary() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> v;
        Rng r{12345};
        for (int i = 0; i < 400; ++i) {
            std::string w;
            for (int n = 2 + int(r.Next() % 9); n > 0; --n)
                w.push_back(char('a' + r.Next() % 26));
            v.push_back(w);
        }
        return v;
    }();
    return words;
}

} // namespace

Generated::Generated(uint64_t size, bool text, uint64_t seed)
    : size_(size), text_(text), rng_{seed * 2654435761u + 1} {}

size_t Generated::Read(void* buf, size_t n) {
    const auto& vocabulary = Vocabulary();
    n = size_t(std::min<uint64_t>(n, size_ - pos_));
    auto* out = static_cast<uint8_t*>(buf);
    for (size_t i = 0; i < n;) {
        if (!text_) {
            out[i++] = uint8_t(rng_.Next());
            continue;
        }
        if (next_ == pending_.size()) {
            uint32_t r = rng_.Next();
            pending_ = vocabulary[r % vocabulary.size()];
            pending_ += r % 13 == 0 ? ".\r\n" : r % 7 == 0 ? ", " : " ";
            next_ = 0;
        }
        size_t take = std::min(pending_.size() - next_, n - i);
        std::memcpy(out + i, pending_.data() + next_, take);
        next_ += take;
        i += take;
    }
    pos_ += n;
    return n;
}

bool BuildArchive(const std::string& setupPath, const std::vector<MemberPlan>& plan, int32_t fileDate,
                  BuiltArchive& built) {
    built = {};
    auto t0 = std::chrono::steady_clock::now();
    TCVNZipWriter writer;
    bool ok = writer.CreateVolumes(setupPath, uint64_t(1) << 31);
    for (size_t i = 0; ok && i < plan.size(); ++i) {
        Generated data(plan[i].size, plan[i].text, i);
        ok = writer.AddMember(int32_t(i), fileDate, data);
        built.dataBytes += plan[i].size;
    }
    if (!ok || !writer.Finish()) {
        std::fprintf(stderr, "cannot build the archive: %s\n", writer.Error().c_str());
        return false;
    }
    built.path = writer.VolumePaths().front();
    GetFileSize(built.path, built.archiveBytes);
    std::printf("archive: %zu members, %.1f MiB of data in %.1f MiB, built in %.1f s\n", plan.size(),
                built.dataBytes / 1048576.0, built.archiveBytes / 1048576.0,
                Seconds(std::chrono::steady_clock::now() - t0));
    return true;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void Best::Take(Timing t) {
    wall = std::min(wall, t.wall);
    cpu = std::min(cpu, t.cpu);
}

uint64_t DecompressBlocks(const std::string& path) {
    auto in = FileInputStream::Open(path);
    if (!in) return 0;
    uint64_t done = 0;
    std::vector<char> packed(128 * 1024), out(65536);
    // Kept as the archive reader keeps it: under Wine a fresh 3.5 MB for every block maps
    // new pages each time, and the reference would mostly time the allocator.
    TBZip2Memory memory;
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
            if (size_t(b) > packed.size()) return 0;
            in->ReadExact(packed.data(), size_t(b));
            bz_stream s{};
            s.bzalloc = TBZip2Memory::Allocate;
            s.bzfree = TBZip2Memory::Release;
            s.opaque = &memory;
            BZ2_bzDecompressInit(&s, 0, 0);
            s.next_in = packed.data();
            s.avail_in = unsigned(b);
            s.next_out = out.data();
            s.avail_out = unsigned(out.size());
            int rc = BZ2_bzDecompress(&s);
            done += out.size() - s.avail_out;
            BZ2_bzDecompressEnd(&s);
            if (rc != BZ_STREAM_END) return 0;
        }
    }
    return done;
}

} // namespace cvn::bench
