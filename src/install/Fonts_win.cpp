#include "install/Fonts.h"

#include "core/Handle_win.h"
#include "core/Registry_win.h"
#include "install/SystemFolders.h"
#include "install/SystemInfo.h"

namespace cvn {

namespace {

constexpr const char* kFontsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";

// A font whose file is still being written or scanned can fail to load for a
// moment; a few tries cover that without hanging the setup on a font that never
// loads.
constexpr int kAddFontAttempts = 5;
constexpr DWORD kAddFontPauseMs = 100;

std::string RegisteredNameFor(const std::string& fontFile) {
    std::string file = fontFile;
    if (!FileDirOf(file).empty()) {
        char full[MAX_PATH + 1] = {};
        DWORD n = GetFullPathNameA(file.c_str(), sizeof full, full, nullptr);
        if (n > 0 && n < sizeof full) file = full;
    }
    return FontRegisteredName(file, GetFontsDir());
}

void BroadcastFontChange() {
    PostMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

} // namespace

bool RegisterFont(const std::string& fontFile, const std::string& fontName, bool addNow) {
    std::string name = RegisteredNameFor(fontFile);
    bool written;
    if (IsWindowsNT()) {
        // Windows maps the profile's "Fonts" section to its registry list.
        written = WriteProfileStringA("Fonts", fontName.c_str(), name.c_str()) != 0;
    } else {
        RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kFontsKey, KEY_SET_VALUE);
        written = key && RegSetValueExA(key.Get(), fontName.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(name.c_str()),
                                        DWORD(name.size() + 1)) == ERROR_SUCCESS;
    }
    if (!addNow) return written;
    bool added = false;
    for (int attempt = 0; attempt < kAddFontAttempts && !added; ++attempt) {
        if (attempt > 0) Sleep(kAddFontPauseMs);
        added = AddFontResourceA(name.c_str()) != 0;
    }
    if (added) BroadcastFontChange();
    return written && added;
}

bool UnregisterFont(const std::string& fontFile, const std::string& fontName) {
    std::string name = RegisteredNameFor(fontFile);
    if (IsWindowsNT()) {
        WriteProfileStringA("Fonts", fontName.c_str(), nullptr);
    } else {
        RegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kFontsKey, KEY_SET_VALUE);
        if (!key) return false;
        RegDeleteValueA(key.Get(), fontName.c_str());
    }
    if (RemoveFontResourceA(name.c_str())) BroadcastFontChange();
    return true;
}

} // namespace cvn
