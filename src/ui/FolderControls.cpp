#include "ui/FolderControls.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <shellapi.h>

#include <algorithm>
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

// The shell's small folder picture, open or closed; null where the shell has none.
HICON FolderIcon(bool open) {
    static HICON icons[2] = {};
    static bool loaded[2] = {};
    if (!loaded[open]) {
        SHFILEINFOA info{};
        if (SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES |
                               (open ? SHGFI_OPENICON : 0)))
            icons[open] = info.hIcon; // kept for the program's life
        loaded[open] = true;
    }
    return icons[open];
}

constexpr int kIconSize = 16;

// The built-in pictures for when the shell gives none, drawn in a 16 x 16 cell at (x, y).
enum class TBuiltInPicture { ClosedFolder, OpenFolder, FixedDrive, RemovableDrive, DiscDrive, NetworkDrive };

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF fill) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void DrawBuiltInPicture(HDC dc, int x, int y, TBuiltInPicture picture) {
    const COLORREF folder = RGB(255, 204, 0), grey = RGB(192, 192, 192);
    switch (picture) {
    case TBuiltInPicture::ClosedFolder:
    case TBuiltInPicture::OpenFolder:
        FillBox(dc, x + 1, y + 2, x + 7, y + 5, folder); // the tab
        FillBox(dc, x + 1, y + 4, x + 15, y + 14, folder);
        if (picture == TBuiltInPicture::OpenFolder) {
            // The open folder's front leans back, showing its inside.
            const POINT front[] = {{x + 4, y + 7}, {x + 16, y + 7}, {x + 14, y + 14}, {x + 1, y + 14}};
            HBRUSH light = CreateSolidBrush(RGB(255, 240, 160));
            HGDIOBJ old = SelectObject(dc, light);
            Polygon(dc, front, 4);
            SelectObject(dc, old);
            DeleteObject(light);
        }
        return;
    case TBuiltInPicture::DiscDrive: {
        HBRUSH silver = CreateSolidBrush(grey);
        HGDIOBJ old = SelectObject(dc, silver);
        Ellipse(dc, x + 1, y + 1, x + 15, y + 15);
        SelectObject(dc, old);
        DeleteObject(silver);
        FillBox(dc, x + 6, y + 6, x + 10, y + 10, RGB(255, 255, 255));
        return;
    }
    case TBuiltInPicture::RemovableDrive:
        FillBox(dc, x + 1, y + 5, x + 15, y + 12, grey);
        FillBox(dc, x + 4, y + 7, x + 12, y + 9, RGB(0, 0, 0)); // the slot
        return;
    case TBuiltInPicture::NetworkDrive:
        FillBox(dc, x + 1, y + 2, x + 15, y + 9, grey);
        FillBox(dc, x + 7, y + 8, x + 9, y + 13, RGB(0, 0, 0)); // the cable
        FillBox(dc, x + 2, y + 13, x + 14, y + 15, RGB(0, 0, 0));
        return;
    case TBuiltInPicture::FixedDrive:
        FillBox(dc, x + 1, y + 5, x + 15, y + 12, grey);
        FillBox(dc, x + 11, y + 8, x + 13, y + 10, RGB(0, 192, 0)); // the light
        return;
    }
}

TBuiltInPicture DrivePicture(const std::string& root) {
    switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_REMOVABLE:
        return TBuiltInPicture::RemovableDrive;
    case DRIVE_CDROM:
        return TBuiltInPicture::DiscDrive;
    case DRIVE_REMOTE:
        return TBuiltInPicture::NetworkDrive;
    default:
        return TBuiltInPicture::FixedDrive;
    }
}

// An entry's background, picture at x (the shell's, else the built-in one) and text after it.
void DrawEntry(const DRAWITEMSTRUCT& d, const std::string& name, int x, HICON icon, TBuiltInPicture builtIn,
               HFONT font) {
    const bool selected = d.itemState & ODS_SELECTED;
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int height = d.rcItem.bottom - d.rcItem.top;
    const int y = d.rcItem.top + (height - kIconSize) / 2;
    if (icon)
        DrawIconEx(d.hDC, x, y, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    else
        DrawBuiltInPicture(d.hDC, x, y, builtIn);
    x += kIconSize + 4;
    HGDIOBJ old = SelectObject(d.hDC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text{x, d.rcItem.top, d.rcItem.right, d.rcItem.bottom};
    DrawTextA(d.hDC, name.c_str(), int(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(d.hDC, old);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
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

void DrawFolderEntry(const DRAWITEMSTRUCT& d, const std::string& name, int depth, bool open, HFONT font) {
    DrawEntry(d, name, d.rcItem.left + 2 + depth * 4, FolderIcon(open),
              open ? TBuiltInPicture::OpenFolder : TBuiltInPicture::ClosedFolder, font);
}

void DrawDriveEntry(const DRAWITEMSTRUCT& d, const std::string& text, HFONT font) {
    SHFILEINFOA info{};
    const std::string root = text.substr(0, 2) + "\\";
    if (text.size() < 2 || !SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON))
        info.hIcon = nullptr;
    DrawEntry(d, text, d.rcItem.left + 2, info.hIcon, DrivePicture(root), font);
    if (info.hIcon) DestroyIcon(info.hIcon);
}

int FolderEntryHeight(HWND list, HFONT font) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE text{};
    GetTextExtentPoint32A(dc, "Wg", 2, &text);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return std::max<int>(text.cy, kIconSize) + 2;
}

} // namespace cvn
