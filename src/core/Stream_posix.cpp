#include "Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cvn {

std::unique_ptr<FileInputStream> FileInputStream::Open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<FileInputStream> s(new FileInputStream);
    s->handle_ = fd;
    s->size_ = uint64_t(st.st_size);
    s->path_ = path;
    return s;
}

FileInputStream::~FileInputStream() {
    if (handle_ >= 0) ::close(int(handle_));
}

size_t FileInputStream::Read(void* buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(int(handle_), static_cast<char*>(buf) + done, n - done, off_t(pos_ + done));
        if (r <= 0) break;
        done += size_t(r);
    }
    pos_ += done;
    return done;
}

bool FileInputStream::Seek(uint64_t pos) {
    pos_ = pos;
    return true;
}

} // namespace cvn
