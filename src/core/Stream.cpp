#include "Stream.h"

#include <algorithm>
#include <cstring>

namespace cvn {

size_t MemoryInputStream::Read(void* buf, size_t n) {
    size_t avail = pos_ < data_.size() ? size_t(data_.size() - pos_) : 0;
    n = std::min(n, avail);
    if (n) std::memcpy(buf, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

bool MemoryInputStream::Seek(uint64_t pos) {
    if (pos > data_.size()) return false;
    pos_ = pos;
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::unique_ptr<FileInputStream> file = FileInputStream::Open(path);
    if (!file) return false;
    bytes.resize(size_t(file->Size()));
    return file->Seek(0) && file->ReadExact(bytes.data(), bytes.size());
}

} // namespace cvn
