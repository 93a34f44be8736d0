#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace cvn {

// A readable, seekable byte source: the package file, a volume file, or memory in tests.
class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to n bytes; returns how many were read (fewer only at the end or on error).
    virtual size_t Read(void* buf, size_t n) = 0;
    virtual bool Seek(uint64_t pos) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;

    // Reads exactly n bytes or returns false.
    bool ReadExact(void* buf, size_t n) { return Read(buf, n) == n; }
};

class MemoryInputStream final : public InputStream {
public:
    explicit MemoryInputStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    size_t Read(void* buf, size_t n) override;
    bool Seek(uint64_t pos) override;
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return data_.size(); }

private:
    std::vector<uint8_t> data_;
    uint64_t pos_ = 0;
};

// A file opened for reading with writing denied to others (on Windows the share
// mode; elsewhere plain read access). Open returns null when the file cannot be opened.
class FileInputStream final : public InputStream {
public:
    static std::unique_ptr<FileInputStream> Open(const std::string& path);
    ~FileInputStream() override;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    size_t Read(void* buf, size_t n) override;
    bool Seek(uint64_t pos) override;
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return size_; }
    const std::string& Path() const { return path_; }

private:
    FileInputStream() = default;
    intptr_t handle_ = -1; // a HANDLE on Windows, a file descriptor elsewhere
    uint64_t pos_ = 0;
    uint64_t size_ = 0;
    std::string path_;
};

// The whole file, read through FileInputStream; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

} // namespace cvn
