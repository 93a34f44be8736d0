#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace cvn {

// The small set of file-system operations that extraction and the system services
// build on. Paths are single-byte texts in the system code page; on Windows both
// "\" and "/" separate folders, elsewhere "/". Failures are reported by result.

bool IsPathDelimiter(char c);

// The folder part of a path without its trailing delimiter, except that a root
// ("C:\", "/") keeps it: "C:\a\b" -> "C:\a", "C:\a" -> "C:\", "a" -> "".
std::string ExtractFileDir(const std::string& path);
// The folder part with its trailing delimiter: "C:\a\b.txt" -> "C:\a\".
std::string ExtractFilePath(const std::string& path);
// The part after the last delimiter: "C:\a\b.txt" -> "b.txt".
std::string ExtractFileName(const std::string& path);
// Replaces the extension (from the last "." of the file name on) by `ext`, which
// includes its point; a name without extension gets `ext` appended.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// What CreateFolderPath found or did. Callers treat only Failed as a failure: a
// drive or root is NotCreatable, which is fine because it exists or never will.
enum class FolderResult : int { Existed = 1, Failed = 2, NotCreatable = 3, Created = 4 };

// Creates a folder and every missing parent. A parent that cannot be created
// fails the whole path without trying the child.
FolderResult CreateFolderPath(const std::string& path);
// Creates one folder whose parent exists.
bool CreateFolder(const std::string& path);
// Creates one folder that only its creator, SYSTEM and the Administrators can open
// (on Windows a protected access list that its files inherit; elsewhere mode 0700):
// the temporary setup folder, whose files an elevated setup runs and loads.
bool CreatePrivateFolder(const std::string& path);
#ifdef _WIN32
// The access list that CreatePrivateFolder gives, in the system's security descriptor
// language; empty on systems without access lists.
std::string PrivateFolderAccessList();
// The access list that ProtectFromStandardUsers gives, in the same language.
std::string AdministratorFileAccessList();
#endif
// Replaces an existing file's access list by a protected one that gives SYSTEM and the
// Administrators full control and the Users group only reading and running: for a file
// that an elevated setup wrote and a later elevated program trusts (the uninstall data,
// the uninstaller). True where the system keeps no access lists.
bool ProtectFromStandardUsers(const std::string& path);
// True when the path (a trailing delimiter dropped unless it ends a root) is a folder.
bool FolderExists(const std::string& path);
// True when the path names something that exists and is not a folder.
bool FileExists(const std::string& path);
// True when the file does not exist; otherwise clears its read-only attribute and
// deletes it, giving the deletion's result.
bool DeleteFileForced(const std::string& path);
bool GetFileSize(const std::string& path, uint64_t& size);

// MS-DOS date and time as one 32-bit value: the date in the high word (years since
// 1980 << 9 | month << 5 | day), the time in the low word (hour << 11 | minute << 5 |
// seconds / 2). Archives and uninstall data store file times this way, in local time.
struct DosDateTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// False when the fields do not form a valid date and time (month 0, 30 February ...).
bool DecodeDosDateTime(uint32_t packed, DosDateTime& out);
// False when the date lies outside 1980-2107 or a field is out of range.
bool EncodeDosDateTime(const DosDateTime& dt, uint32_t& packed);

// The file's last-write time in local MS-DOS form; false when it cannot be read or
// does not fit the form.
bool GetFileDosDateTime(const std::string& path, uint32_t& dosDateTime);

// A file open for writing, closed when the object goes. Windows opens it without
// sharing, so nobody else can touch a target while it is being written.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Writes all n bytes or returns false.
    virtual bool Write(const void* data, size_t n) = 0;
    // Sets the last-write time from a local MS-DOS date and time; false when the
    // value is not a valid date or the time cannot be set.
    virtual bool SetDosDateTime(uint32_t dosDateTime) = 0;
};

// Creates the file, replacing any content; null when it cannot be created.
std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path);
// Creates a file where none is; null when it cannot, or when a file is there. Under Wine
// this costs less than creating over an existing name.
std::unique_ptr<OutputFile> CreateNewOutputFile(const std::string& path);
// Opens an existing file exclusively for writing at its end; null when it cannot.
std::unique_ptr<OutputFile> OpenOutputFileAtEnd(const std::string& path);

} // namespace cvn
