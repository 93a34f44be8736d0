#include "FileSystem.h"

#include "Handle_win.h"
#include "SystemLibrary_win.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

namespace cvn {

namespace {

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

// The security descriptor functions came with Windows 2000 and are looked up, so
// the program still starts where they are missing.
HMODULE Advapi32() {
    return GetModuleHandleA("advapi32.dll");
}

// The process user's SID as text ("S-1-5-21-..."); empty when it cannot be had.
std::string CurrentUserSid() {
    using ToStringFn = BOOL(WINAPI*)(PSID, LPSTR*);
    auto toString = ProcAddress<ToStringFn>(Advapi32(), "ConvertSidToStringSidA");
    KernelHandle token;
    if (!toString || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out())) return {};
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<uint8_t> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    char* text = nullptr;
    if (!toString(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text) || !text) return {};
    std::string sid = text;
    LocalFree(text);
    return sid;
}

struct LocalMemoryFree {
    void operator()(void* p) const { LocalFree(p); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalMemoryFree>;

// An access list in the security descriptor language as the system builds it; null
// where the system has no such lists or the text is empty.
SecurityDescriptor ParseAccessList(const std::string& sddl) {
    using ConvertFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
    auto convert = ProcAddress<ConvertFn>(Advapi32(), "ConvertStringSecurityDescriptorToSecurityDescriptorA");
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!convert || sddl.empty() || !convert(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr)) return nullptr;
    return SecurityDescriptor(sd);
}

class WinOutputFile final : public OutputFile {
public:
    explicit WinOutputFile(FileHandle h) : h_(std::move(h)) {}

    bool Write(const void* data, size_t n) override {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            DWORD chunk = n > (1u << 30) ? DWORD(1u << 30) : DWORD(n);
            DWORD written = 0;
            if (!WriteFile(h_.Get(), p, chunk, &written, nullptr) || written == 0) return false;
            p += written;
            n -= written;
        }
        return true;
    }

    bool SetDosDateTime(uint32_t dosDateTime) override {
        DosDateTime dt;
        if (!DecodeDosDateTime(dosDateTime, dt)) return false;
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(WORD(dosDateTime >> 16), WORD(dosDateTime), &local)) return false;
        if (!LocalFileTimeToFileTime(&local, &utc)) return false;
        return SetFileTime(h_.Get(), nullptr, nullptr, &utc) != 0;
    }

private:
    FileHandle h_;
};

std::unique_ptr<OutputFile> Open(const std::string& path, DWORD disposition, bool atEnd) {
    if (path.empty()) return nullptr;
    FileHandle h(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return nullptr;
    if (atEnd) {
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(h.Get(), zero, nullptr, FILE_END)) return nullptr;
    }
    return std::make_unique<WinOutputFile>(std::move(h));
}

} // namespace

bool CreateFolder(const std::string& path) {
    return !path.empty() && CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::string PrivateFolderAccessList() {
    const std::string user = CurrentUserSid();
    // The Windows 95 family and NT 4 have no such access lists.
    if (user.empty()) return {};
    // Protected, so nothing is inherited from the temporary folder; files and
    // folders made inside inherit the three entries.
    return "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user + ")";
}

bool CreatePrivateFolder(const std::string& path) {
    if (path.empty()) return false;
    const std::string sddl = PrivateFolderAccessList();
    if (sddl.empty()) return CreateFolder(path);
    SecurityDescriptor sd = ParseAccessList(sddl);
    if (!sd) return false;
    SECURITY_ATTRIBUTES sa{sizeof sa, sd.get(), FALSE};
    return CreateDirectoryA(path.c_str(), &sa) != 0;
}

std::string AdministratorFileAccessList() {
    // Protected, so no entry of the folder above (a creator-owner entry, one for
    // authenticated users on a drive's root) reaches the file.
    return "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;BU)";
}

bool ProtectFromStandardUsers(const std::string& path) {
    // The Windows 95 family has neither the functions nor access lists to keep.
    using SetFn = DWORD(WINAPI*)(LPSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
    auto set = ProcAddress<SetFn>(Advapi32(), "SetNamedSecurityInfoA");
    if (!set) return true;
    SecurityDescriptor sd = ParseAccessList(AdministratorFileAccessList());
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!sd || !GetSecurityDescriptorDacl(sd.get(), &present, &dacl, &defaulted) || !dacl) return false;
    std::string name = path;
    return set(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
               nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

bool FolderExists(const std::string& path) {
    std::string p = path;
    if (p.size() > 1 && IsPathDelimiter(p.back()) && p[p.size() - 2] != ':') p.pop_back();
    DWORD a = Attributes(p);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileForced(const std::string& path) {
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    return DeleteFileA(path.c_str()) != 0;
}

bool GetFileSize(const std::string& path, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool GetFileDosDateTime(const std::string& path, uint32_t& dosDateTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return false;
    dosDateTime = uint32_t(date) << 16 | time;
    return true;
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
    return Open(path, CREATE_ALWAYS, false);
}

std::unique_ptr<OutputFile> CreateNewOutputFile(const std::string& path) {
    return Open(path, CREATE_NEW, false);
}

std::unique_ptr<OutputFile> OpenOutputFileAtEnd(const std::string& path) {
    return Open(path, OPEN_EXISTING, true);
}

} // namespace cvn
