#include "Stream.h"

#include <windows.h>

#include <algorithm>

namespace cvn {

std::unique_ptr<FileInputStream> FileInputStream::Open(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        return nullptr;
    }
    std::unique_ptr<FileInputStream> s(new FileInputStream);
    s->handle_ = reinterpret_cast<intptr_t>(h);
    s->size_ = uint64_t(size.QuadPart);
    s->path_ = path;
    return s;
}

FileInputStream::~FileInputStream() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

size_t FileInputStream::Read(void* buf, size_t n) {
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(pos_);
    if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) return 0;
    size_t done = 0;
    while (done < n) {
        DWORD chunk = DWORD(std::min<size_t>(n - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(h, static_cast<char*>(buf) + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    pos_ += done;
    return done;
}

bool FileInputStream::Seek(uint64_t pos) {
    pos_ = pos;
    return true;
}

} // namespace cvn
