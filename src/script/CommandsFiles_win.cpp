#include "core/Handle_win.h"
#include "core/VersionResource_win.h"
#include "script/CommandPlatform.h"

#include <shlobj.h>

namespace cvn {

namespace {

class TWinPcFile final : public TPcFile {
public:
    explicit TWinPcFile(FileHandle h) : h_(std::move(h)) {}

    uint64_t Size() override {
        DWORD high = 0;
        DWORD low = GetFileSize(h_.Get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        return uint64_t(high) << 32 | low;
    }
    uint64_t Position() override { return pos_; }
    bool Seek(uint64_t position) override {
        LONG high = LONG(position >> 32);
        DWORD low = SetFilePointer(h_.Get(), LONG(uint32_t(position)), &high, FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
        pos_ = position;
        return true;
    }
    size_t Read(void* buffer, size_t n) override {
        DWORD got = 0;
        if (!ReadFile(h_.Get(), buffer, DWORD(n), &got, nullptr)) return 0;
        pos_ += got;
        return got;
    }
    bool Write(const void* data, size_t n) override {
        DWORD written = 0;
        bool ok = WriteFile(h_.Get(), data, DWORD(n), &written, nullptr) && written == n;
        pos_ += written;
        return ok;
    }

private:
    FileHandle h_;
    uint64_t pos_ = 0;
};

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(size_t(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    return w;
}

// COM for the duration of one call, balanced whether or not it was already on.
class TComScope {
public:
    TComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~TComScope() {
        if (ok_) CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool ok_;
};

class TWinPcFiles final : public TPcFiles {
public:
    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()); }
    bool CopyFileTo(const std::string& source, const std::string& destination) override {
        return CopyFileA(source.c_str(), destination.c_str(), FALSE);
    }
    bool MoveFileTo(const std::string& source, const std::string& destination) override {
        return MoveFileA(source.c_str(), destination.c_str());
    }
    bool CreateFolder(const std::string& path) override { return CreateDirectoryA(path.c_str(), nullptr); }
    bool RemoveFolder(const std::string& path) override { return RemoveDirectoryA(path.c_str()); }

    bool FileExists(const std::string& path) override {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool AnyFileMatches(const std::string& pattern) override {
        WIN32_FIND_DATAA fd;
        FindHandle find(FindFirstFileA(pattern.c_str(), &fd));
        if (!find) return false;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
        } while (FindNextFileA(find.Get(), &fd));
        return false;
    }

    uint64_t FileSize(const std::string& path) override {
        FileHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return 0;
        return TWinPcFile(std::move(h)).Size();
    }

    TFileVersion FileVersion(const std::string& path) override {
        TFileVersion v;
        VS_FIXEDFILEINFO fixed;
        if (!ReadFixedVersionInfo(path, fixed)) return v;
        v.part[0] = HIWORD(fixed.dwFileVersionMS);
        v.part[1] = LOWORD(fixed.dwFileVersionMS);
        v.part[2] = HIWORD(fixed.dwFileVersionLS);
        v.part[3] = LOWORD(fixed.dwFileVersionLS);
        return v;
    }

    std::unique_ptr<TPcFile> OpenReadWrite(const std::string& path) override {
        FileHandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return nullptr;
        return std::make_unique<TWinPcFile>(std::move(h));
    }

    bool CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments,
                        const std::string& workingFolder) override {
        TComScope com;
        ComPtr<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.OutVoid())))
            return false;
        link->SetPath(target.c_str());
        link->SetArguments(arguments.c_str());
        link->SetWorkingDirectory(workingFolder.c_str());
        link->SetShowCmd(SW_SHOWNORMAL);
        ComPtr<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return false;
        return SUCCEEDED(file->Save(Wide(linkPath).c_str(), TRUE));
    }
};

} // namespace

std::unique_ptr<TPcFiles> CreateWinPcFiles() {
    return std::make_unique<TWinPcFiles>();
}

} // namespace cvn
