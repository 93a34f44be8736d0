#include "ui/Picture.h"

#include "core/Stream.h"
#include "core/SystemLibrary_win.h"

#include <ocidl.h>
#include <olectl.h>

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
