#include "ui/Picture.h"

#include "core/ByteReader.h"
#include "core/Stream.h"
#include "core/SystemLibrary_win.h"

#include <ocidl.h>
#include <olectl.h>

#include <bzlib.h>

#include <cstring>
#include <vector>

namespace cvn {

GdiObject LoadPictureFile(const std::string& path) {
    // Plain bitmaps load directly; everything else goes through the OLE picture loader.
    if (HANDLE bmp =
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION))
        return GdiObject(static_cast<HBITMAP>(bmp));

    auto file = FileInputStream::Open(path);
    if (!file || file->Size() == 0 || file->Size() > 64u * 1024 * 1024) return {};
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(file->Size()));
    if (!mem) return {};
    void* data = GlobalLock(mem);
    bool read = file->ReadExact(data, size_t(file->Size()));
    GlobalUnlock(mem);
    ComPtr<IStream> stream;
    if (!read || FAILED(CreateStreamOnHGlobal(mem, TRUE, stream.Out()))) {
        if (!stream) GlobalFree(mem);
        return {};
    }
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), LONG(file->Size()), FALSE, IID_IPicture, picture.OutVoid())))
        return {};

    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HDC screen = GetDC(nullptr);
    int width = MulDiv(hmWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    int height = MulDiv(hmHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, &all);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return GdiObject(bitmap);
}

GdiObject LoadPackedBitmapResource(HINSTANCE module, const char* name) {
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto* packed = static_cast<char*>(loaded ? LockResource(loaded) : nullptr);
    if (!packed) return {};
    // A window's picture: a megabyte is far beyond any of them.
    std::vector<uint8_t> file(1024 * 1024);
    unsigned length = unsigned(file.size());
    if (BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(file.data()), &length, packed,
                                   unsigned(SizeofResource(module, found)), 0, 0) != BZ_OK)
        return {};
    constexpr size_t kFileHeader = 14;
    if (length < kFileHeader + sizeof(BITMAPINFOHEADER) || file[0] != 'B' || file[1] != 'M') return {};
    ByteReader header(std::span<const uint8_t>(file.data(), length));
    header.Seek(10);
    const uint32_t bitsOffset = header.U32("bits offset");
    BITMAPINFO info{};
    std::memcpy(&info.bmiHeader, file.data() + kFileHeader, sizeof(BITMAPINFOHEADER));
    const BITMAPINFOHEADER& h = info.bmiHeader;
    // Without a colour table only: the pictures made for the program have none.
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biCompression != BI_RGB || h.biBitCount < 16 ||
        h.biWidth <= 0 || h.biWidth > 4096 || h.biHeight == 0 || h.biHeight < -4096 || h.biHeight > 4096)
        return {};
    const size_t stride = (size_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    const size_t bytes = stride * size_t(h.biHeight < 0 ? -h.biHeight : h.biHeight);
    if (bitsOffset > length || bytes > length - bitsOffset) return {};
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    std::memcpy(bits, file.data() + bitsOffset, bytes);
    return bitmap;
}

// Looked up because the Windows 95 family lacks it; msimg32, which exports the same
// routine, is not a KnownDLL and stays unloaded.
TransparentBltFn TransparentCopy() {
    static const auto fn = ProcAddress<TransparentBltFn>(GetModuleHandleA("gdi32.dll"), "GdiTransparentBlt");
    return fn;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

} // namespace cvn
