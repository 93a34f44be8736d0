#include "ui/SplashBitmapForm.h"

#include "ui/Application.h"
#include "ui/Picture.h"

namespace cvn {

bool TfrmSplashBitmapForm::ShowPicture(const std::string& path) {
    picture_ = LoadPictureFile(path);
    if (!picture_) return false;
    const SIZE size = BitmapSize(static_cast<HBITMAP>(picture_.Get()));
    if (size.cx <= 0 || size.cy <= 0) return false;
    TApplication& app = TApplication::Instance();
    if (!CreateForm(app.Handle(), TBorder::None, size.cx, size.cy, app.Title(), WS_EX_TOPMOST)) return false;
    SetColor(RGB(255, 255, 255));
    imgBitmap_ = &AddImage(0, 0, size.cx, size.cy);
    imgBitmap_->bitmap = static_cast<HBITMAP>(picture_.Get());
    imgBitmap_->stretch = true;
    SetClientSize(size.cx, size.cy);
    SetPosition(GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2,
                GetSystemMetrics(SM_CYSCREEN) / 2 - Height() / 2);
    Show();
    Repaint();
    return true;
}

} // namespace cvn
