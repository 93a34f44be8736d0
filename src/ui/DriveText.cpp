#include "ui/DriveText.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <cctype>

namespace cvn {

namespace {

// The name of a network drive's connection; empty when it cannot be read.
std::string ConnectionName(char letter) {
    using GetConnectionFn = DWORD(WINAPI*)(LPCSTR, LPSTR, LPDWORD);
    static Library mpr = LoadSystemLibrary("mpr.dll");
    static const auto getConnection = ProcAddress<GetConnectionFn>(mpr.Get(), "WNetGetConnectionA");
    if (!getConnection) return {};
    const char local[3] = {letter, ':', '\0'};
    char remote[MAX_PATH] = {};
    DWORD size = sizeof remote;
    return getConnection(local, remote, &size) == NO_ERROR ? remote : "";
}

} // namespace

// A drive combo's text of a drive, in lower case: the letter and ":" for a removable
// drive (reading its name would wait for a disk); otherwise "%s: %s" with the
// connection name of a network drive, or the volume name.
std::string DriveText(char letter) {
    const char root[4] = {letter, ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    std::string text = std::string(1, letter) + ":";
    if (type != DRIVE_REMOVABLE) {
        std::string name = type == DRIVE_REMOTE ? ConnectionName(letter) : "";
        if (name.empty()) {
            char volume[MAX_PATH + 1] = {};
            const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
            if (GetVolumeInformationA(root, volume, sizeof volume, nullptr, nullptr, nullptr, nullptr, 0))
                name = volume;
            SetErrorMode(mode);
        }
        text += " " + name;
    }
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace cvn
