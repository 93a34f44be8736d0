#include "ui/InstallationRunBillboard.h"

#include "ui/Picture.h"

namespace cvn {

void TBillboardWindow::FormCreate() {
    image_ = &AddImage(0, 0, 0, 0);
}

bool TBillboardWindow::ShowPicture(HWND owner, const std::string& path, int progressTop) {
    GdiObject picture = LoadPictureFile(path);
    if (!picture) return false;
    if (!Handle() && !CreateForm(owner, TBorder::None, 1, 1, {})) return false;
    picture_ = std::move(picture);
    auto bitmap = static_cast<HBITMAP>(picture_.Get());
    SIZE size = BitmapSize(bitmap);
    image_->bitmap = bitmap;
    image_->bounds = RECT{0, 0, size.cx, size.cy};
    SetClientSize(size.cx, size.cy);
    SetPosition(GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2, progressTop - Height() - 32);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    Repaint();
    return true;
}

} // namespace cvn
