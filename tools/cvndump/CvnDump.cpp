// cvndump: prints the package appended to a setup executable as JSON.
//
//   cvndump [--stub-length N] FILE
//
// FILE is a setup executable with its package, or with --stub-length a bare
// package cut from one whose stub was N bytes long (the package's offsets count
// from the start of the executable). Exit status: 0 printed, 1 usage error or
// unreadable file, 2 damaged package (the reason goes to stderr).

#include "PackageJson.h"

#include "core/Stream.h"
#include "package/PackageReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Presents a bare package as if the stub's bytes (zeros) stood before it.
class PrefixedStream final : public cvn::InputStream {
public:
    PrefixedStream(cvn::InputStream& inner, uint64_t prefix) : inner_(inner), prefix_(prefix) {}

    size_t Read(void* buf, size_t n) override {
        size_t done = 0;
        auto* out = static_cast<uint8_t*>(buf);
        if (pos_ < prefix_) {
            size_t zeros = size_t(std::min<uint64_t>(n, prefix_ - pos_));
            std::memset(out, 0, zeros);
            done = zeros;
            pos_ += zeros;
        }
        if (done < n) {
            if (!inner_.Seek(pos_ - prefix_)) return done;
            size_t got = inner_.Read(out + done, n - done);
            done += got;
            pos_ += got;
        }
        return done;
    }
    bool Seek(uint64_t pos) override {
        if (pos > Size()) return false;
        pos_ = pos;
        return true;
    }
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return prefix_ + inner_.Size(); }

private:
    cvn::InputStream& inner_;
    uint64_t prefix_;
    uint64_t pos_ = 0;
};

int Usage() {
    std::fprintf(stderr, "usage: cvndump [--stub-length N] FILE\n");
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t stubLength = 0;
    bool bare = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--stub-length" && i + 1 < argc) {
            char* end = nullptr;
            stubLength = std::strtoull(argv[++i], &end, 10);
            if (!end || *end) return Usage();
            bare = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (path.empty()) {
            path = arg;
        } else {
            return Usage();
        }
    }
    if (path.empty()) return Usage();

    auto file = cvn::FileInputStream::Open(path);
    if (!file) {
        std::fprintf(stderr, "cvndump: cannot open %s\n", path.c_str());
        return 1;
    }
    std::unique_ptr<PrefixedStream> prefixed;
    cvn::InputStream* stream = file.get();
    if (bare) {
        prefixed = std::make_unique<PrefixedStream>(*file, stubLength);
        stream = prefixed.get();
    }

    cvn::TPackageReader reader(*stream);
    cvn::TPackage package;
    cvn::PackageResult res = reader.ReadAll(package);
    if (!res) {
        std::fprintf(stderr, "cvndump: %s: %s\n", path.c_str(), res.reason.c_str());
        return res.status == cvn::PackageStatus::Corrupted ? 2 : 1;
    }
    std::string text = cvn::json::Print(cvn::json::PackageToJson(package, &reader.Layout()));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
