#pragma once

#include "core/Handle_win.h"

#include <string>

namespace cvn {

// Loads a picture file (bitmap, JPEG, GIF, icon or metafile, as the system's picture
// loader knows them) into a device-independent bitmap owned by the caller. Returns an
// empty handle when the file is missing or not a picture.
GdiObject LoadPictureFile(const std::string& path);

// A device-independent bitmap from a module's data resource holding a bzip2-compressed
// BMP file of 16, 24 or 32 bits a pixel (a seventh of the plain file for a drawn
// gradient). Returns an empty handle when the resource is missing or not such a file.
GdiObject LoadPackedBitmapResource(HINSTANCE module, const char* name);

// gdi32's own transparent copy (null where the system lacks it).
using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
TransparentBltFn TransparentCopy();

// A memory device context with a bitmap of its own selected, released together.
class TMemoryDC {
public:
    TMemoryDC(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)), old_(SelectObject(dc_, bitmap)) {}
    ~TMemoryDC() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Width and height of a bitmap; zero for none.
SIZE BitmapSize(HBITMAP bitmap);

} // namespace cvn
