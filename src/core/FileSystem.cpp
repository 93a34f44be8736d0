#include "FileSystem.h"

namespace cvn {

namespace {

#ifdef _WIN32
constexpr bool kDriveLetters = true;
#else
constexpr bool kDriveLetters = false;
#endif

bool IsDelimiterOrDrive(char c) {
    return IsPathDelimiter(c) || (kDriveLetters && c == ':');
}

// Index of the last folder delimiter or drive colon, or npos.
size_t LastDelimiter(const std::string& path) {
    for (size_t i = path.size(); i-- > 0;)
        if (IsDelimiterOrDrive(path[i])) return i;
    return std::string::npos;
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValid(const DosDateTime& dt) {
    return dt.year >= 1980 && dt.year <= 2107 && dt.month >= 1 && dt.month <= 12 && dt.day >= 1 &&
           dt.day <= DaysInMonth(dt.year, dt.month) && dt.hour >= 0 && dt.hour <= 23 && dt.minute >= 0 &&
           dt.minute <= 59 && dt.second >= 0 && dt.second <= 59;
}

} // namespace

bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string ExtractFileDir(const std::string& path) {
    size_t i = LastDelimiter(path);
    if (i == std::string::npos) return {};
    // Keep the delimiter of a root ("C:\", "/", "\\") so the parent of "C:\a" is "C:\".
    size_t len = i + 1;
    if (i > 0 && IsPathDelimiter(path[i]) && !IsDelimiterOrDrive(path[i - 1])) len = i;
    return path.substr(0, len);
}

std::string ExtractFilePath(const std::string& path) {
    size_t i = LastDelimiter(path);
    return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& path) {
    size_t i = LastDelimiter(path);
    return i == std::string::npos ? path : path.substr(i + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t nameStart = LastDelimiter(path);
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return path + ext;
    return path.substr(0, dot) + ext;
}

FolderResult CreateFolderPath(const std::string& path) {
    std::string p = path;
    if (!p.empty() && IsPathDelimiter(p.back())) p.pop_back();
    if (p.empty() || (kDriveLetters && p.back() == ':')) return FolderResult::NotCreatable;
    std::string parent = ExtractFileDir(p);
    if (parent == p) return FolderResult::NotCreatable;
    if (FolderExists(p)) return FolderResult::Existed;
    if (CreateFolderPath(parent) == FolderResult::Failed) return FolderResult::Failed;
    return CreateFolder(p) ? FolderResult::Created : FolderResult::Failed;
}

bool DecodeDosDateTime(uint32_t packed, DosDateTime& out) {
    uint32_t date = packed >> 16, time = packed & 0xFFFF;
    DosDateTime dt;
    dt.year = int(1980 + (date >> 9));
    dt.month = int(date >> 5 & 15);
    dt.day = int(date & 31);
    dt.hour = int(time >> 11);
    dt.minute = int(time >> 5 & 63);
    dt.second = int((time & 31) * 2);
    if (!IsValid(dt)) return false;
    out = dt;
    return true;
}

bool EncodeDosDateTime(const DosDateTime& dt, uint32_t& packed) {
    if (!IsValid(dt)) return false;
    uint32_t date = uint32_t(dt.year - 1980) << 9 | uint32_t(dt.month) << 5 | uint32_t(dt.day);
    uint32_t time = uint32_t(dt.hour) << 11 | uint32_t(dt.minute) << 5 | uint32_t(dt.second / 2);
    packed = date << 16 | time;
    return true;
}

} // namespace cvn
