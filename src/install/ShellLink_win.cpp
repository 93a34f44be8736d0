#include "install/ShellLink.h"

#include "core/Handle_win.h"

#include <objidl.h>
#include <shlobj.h>

#include <vector>

namespace cvn {

namespace {

// IPersistFile takes the link path as UTF-16; the path is text in the system code page.
std::vector<wchar_t> WidePath(const std::string& path) {
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::vector<wchar_t> wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
    return wide;
}

} // namespace

bool CreateShellLink(const TShellLinkSpec& link) {
    ComPtr<IShellLinkA> shell;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                shell.OutVoid())))
        return false;
    // The target first; the rest describe how it is started and shown.
    if (FAILED(shell->SetPath(link.target.c_str()))) return false;
    if (FAILED(shell->SetArguments(link.arguments.c_str()))) return false;
    if (!link.workingFolder.empty() && FAILED(shell->SetWorkingDirectory(link.workingFolder.c_str())))
        return false;
    if (!link.iconFile.empty() && FAILED(shell->SetIconLocation(link.iconFile.c_str(), link.iconIndex)))
        return false;
    if (FAILED(shell->SetShowCmd(link.showCommand))) return false;
    if (!link.description.empty() && FAILED(shell->SetDescription(link.description.c_str()))) return false;

    ComPtr<IPersistFile> file;
    if (FAILED(shell->QueryInterface(IID_IPersistFile, file.OutVoid()))) return false;
    std::vector<wchar_t> path = WidePath(link.linkPath);
    if (path.empty()) return false;
    return SUCCEEDED(file->Save(path.data(), TRUE));
}

} // namespace cvn
