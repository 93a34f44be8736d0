#pragma once

// Helpers for the archive tests: archives written byte by byte (so the reader is
// checked against the stored layout, not only against our writer), a temporary
// folder, and test data of both kinds (text-like and incompressible).

#include "core/ByteWriter.h"
#include "core/FileSystem.h"
#include "core/Stream.h"
#include "package/CVNZipWriter.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace cvn::test {

// Archive bytes by hand; every call adds one field or record.
class HandArchive {
public:
    HandArchive& Header(uint32_t total, int32_t members = 0, const std::string& text = "Corvane 2002") {
        w_.Counted(text);
        w_.U32(total);
        w_.I32(members);
        return *this;
    }
    HandArchive& Message(const std::string& text) {
        w_.I32(-3);
        w_.Counted(text);
        return *this;
    }
    HandArchive& Member(int32_t id, int32_t dosDateTime = 0x2B214A21) {
        w_.I32(id);
        w_.I32(dosDateTime);
        return Magic();
    }
    HandArchive& Magic() {
        w_.Bytes(std::string_view("cVNZ"));
        return *this;
    }
    HandArchive& Compressed(const std::vector<uint8_t>& stream) {
        w_.I32(int32_t(stream.size()));
        w_.Bytes(std::span<const uint8_t>(stream));
        return *this;
    }
    HandArchive& Stored(const std::vector<uint8_t>& bytes) {
        w_.I32(-int32_t(bytes.size()));
        w_.Bytes(std::span<const uint8_t>(bytes));
        return *this;
    }
    HandArchive& EndData() { return I32(-4); }
    HandArchive& Switch(int32_t volume) { return I32(-1).I32(volume); }
    HandArchive& End() { return I32(-2); }
    HandArchive& I32(int32_t v) {
        w_.I32(v);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return w_.Data(); }
    MemoryInputStream Stream() const { return MemoryInputStream(w_.Data()); }

private:
    ByteWriter w_;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("cvnzip-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // A path inside the folder, written with the platform's separator.
    std::string operator/(const std::string& name) const { return (path_ / name).make_preferred().string(); }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Text-like data: words from a small vocabulary, compresses well.
inline std::vector<uint8_t> TextData(size_t n, uint32_t seed = 1) {
    static const char* words[] = {"setup ", "archive ", "volume ", "member ",
                                  "block ", "the ",     "of ",     "\r\n"};
    std::mt19937 rng(seed);
    std::vector<uint8_t> out;
    out.reserve(n);
    while (out.size() < n) {
        for (const char* p = words[rng() % 8]; *p && out.size() < n; ++p)
            out.push_back(uint8_t(*p));
    }
    return out;
}

// Incompressible data.
inline std::vector<uint8_t> RandomData(size_t n, uint32_t seed = 2) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = uint8_t(rng());
    return out;
}

// A whole archive from our writer, in memory.
struct TestMember {
    int32_t id;
    std::vector<uint8_t> data;
    int32_t dosDateTime = 0x2B214A21; // 2001-09-01 09:17:02
};

inline std::vector<uint8_t> WriteArchive(const std::vector<TestMember>& members) {
    TCVNZipWriter w;
    w.CreateInMemory();
    for (const auto& m : members)
        w.AddMember(m.id, m.dosDateTime, m.data);
    w.Finish();
    return w.TakeData();
}

} // namespace cvn::test
