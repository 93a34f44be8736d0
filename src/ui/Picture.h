#pragma once

#include "core/Handle_win.h"

#include <string>

namespace cvn {

// Loads a picture file (bitmap, JPEG, GIF, icon or metafile, as the system's picture
// loader knows them) into a device-independent bitmap owned by the caller. Returns an
// empty handle when the file is missing or not a picture.
GdiObject LoadPictureFile(const std::string& path);

// gdi32's own transparent copy (null where the system lacks it).
using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
TransparentBltFn TransparentCopy();

// Width and height of a bitmap; zero for none.
SIZE BitmapSize(HBITMAP bitmap);

} // namespace cvn
