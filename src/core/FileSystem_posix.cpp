#include "FileSystem.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cvn {

namespace {

bool StatPath(const std::string& path, struct stat& st) {
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// POSIX has no share modes, so "exclusive" cannot be enforced here; the Windows
// build is the one that keeps others out of a target while it is written.
class PosixOutputFile final : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { ::close(fd_); }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool Write(const void* data, size_t n) override {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            ssize_t w = ::write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            p += w;
            n -= size_t(w);
        }
        return true;
    }

    bool SetDosDateTime(uint32_t dosDateTime) override {
        DosDateTime dt;
        if (!DecodeDosDateTime(dosDateTime, dt)) return false;
        std::tm tm{};
        tm.tm_year = dt.year - 1900;
        tm.tm_mon = dt.month - 1;
        tm.tm_mday = dt.day;
        tm.tm_hour = dt.hour;
        tm.tm_min = dt.minute;
        tm.tm_sec = dt.second;
        tm.tm_isdst = -1; // the stored time is local wall-clock time
        std::time_t t = std::mktime(&tm);
        if (t == std::time_t(-1)) return false;
        struct timespec times[2] = {{0, UTIME_OMIT}, {t, 0}};
        return ::futimens(fd_, times) == 0;
    }

private:
    int fd_;
};

std::unique_ptr<OutputFile> Wrap(int fd) {
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

} // namespace

bool CreateFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool CreatePrivateFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0700) == 0;
}

bool ProtectFromStandardUsers(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 &&
           ::chmod(path.c_str(), st.st_mode & ~mode_t(S_IWGRP | S_IWOTH)) == 0;
}

bool FolderExists(const std::string& path) {
    std::string p = path;
    if (p.size() > 1 && IsPathDelimiter(p.back())) p.pop_back();
    struct stat st;
    return StatPath(p, st) && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DeleteFileForced(const std::string& path) {
    struct stat st;
    if (!StatPath(path, st) || S_ISDIR(st.st_mode)) return true;
    if (!(st.st_mode & S_IWUSR)) ::chmod(path.c_str(), st.st_mode | S_IWUSR);
    return ::unlink(path.c_str()) == 0;
}

bool GetFileSize(const std::string& path, uint64_t& size) {
    struct stat st;
    if (!StatPath(path, st) || S_ISDIR(st.st_mode)) return false;
    size = uint64_t(st.st_size);
    return true;
}

bool GetFileDosDateTime(const std::string& path, uint32_t& dosDateTime) {
    struct stat st;
    if (!StatPath(path, st)) return false;
    std::tm tm{};
    if (!::localtime_r(&st.st_mtime, &tm)) return false;
    DosDateTime dt;
    dt.year = tm.tm_year + 1900;
    dt.month = tm.tm_mon + 1;
    dt.day = tm.tm_mday;
    dt.hour = tm.tm_hour;
    dt.minute = tm.tm_min;
    dt.second = tm.tm_sec > 59 ? 59 : tm.tm_sec; // a leap second still fits the 2-second grid
    return EncodeDosDateTime(dt, dosDateTime);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
    return Wrap(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

std::unique_ptr<OutputFile> CreateNewOutputFile(const std::string& path) {
    return Wrap(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
}

std::unique_ptr<OutputFile> OpenOutputFileAtEnd(const std::string& path) {
    return Wrap(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
}

} // namespace cvn
