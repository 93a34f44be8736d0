#include "ui/SetupLoader.h"

#include "ui/Application.h"
#include "ui/Picture.h"

namespace cvn {

TfrmSetupLoader::~TfrmSetupLoader() {
    // FormDestroy releases the reader while this part of the object still exists.
    DestroyForm();
}

bool TfrmSetupLoader::CreateLoader() {
    return CreateForm(TApplication::Instance().Handle(), TBorder::None, kClientWidth, kClientHeight,
                      TApplication::Instance().Title());
}

void TfrmSetupLoader::FormCreate() {
    loaderBitmap_ = LoadPackedBitmapResource(TApplication::Instance().ModuleInstance(), "LOADER");
    imlLoader_ = &AddImage(0, 0, kClientWidth, kClientHeight);
    imlLoader_->bitmap = static_cast<HBITMAP>(loaderBitmap_.Get());
    imlLoader_->stretch = true;
    // Dark behind the labels even if the picture were missing.
    SetColor(RGB(0x14, 0x2a, 0x48));

    lblTitle_ = &AddLabel(9, 8, 281, 13);
    lblTitle_->transparent = true;
    lblTitle_->centreVertically = true;
    lblMessage_ = &AddLabel(9, 32, 281, 67);
    lblMessage_->transparent = true;
    lblMessage_->align = DT_CENTER;
    lblMessage_->centreVertically = true;
    lblMessage_->wordWrap = true;
    SetLabelFont(nullptr);

    cvnZip_ = std::make_unique<TSetupCVNZip>();
    cvnZip_->OnRestoreFile.Bind(this, &TfrmSetupLoader::cvnZipFileRestoreFile);
    cvnZip_->OnProcessMessages.Bind(this, &TfrmSetupLoader::ArchiveBlockDone);
}

void TfrmSetupLoader::FormDestroy() {
    cvnZip_.reset();
}

void TfrmSetupLoader::FormCloseQuery(bool& canClose) {
    canClose = false;
}

LRESULT TfrmSetupLoader::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        handled = true;
        return TRUE;
    }
    return TForm::HandleMessage(msg, wp, lp, handled);
}

void TfrmSetupLoader::SetLabelFont(const TFontRecord* setupFont) {
    TFontSpec font = setupFont ? FontSpecFromRecord(*setupFont) : FontSpec();
    // White, bold and 8 points in every case: bold is the whole style, so the setup
    // font's italic, underline and strike-out do not carry over.
    font.color = RGB(255, 255, 255);
    font.bold = true;
    font.italic = font.underline = font.strikeOut = false;
    font.points = 8;
    SetFont(font);
}

void TfrmSetupLoader::SetTexts(const std::string& title, const std::string& message) {
    lblTitle_->caption = title;
    lblMessage_->caption = message;
    SetCaption(title);
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmSetupLoader::ShowNow() {
    Show();
    Repaint();
}

void TfrmSetupLoader::ArchiveBlockDone() {
    TApplication::Instance().ProcessMessages();
}

void TfrmSetupLoader::cvnZipFileRestoreFile(int32_t memberId, std::string& target, bool& extract, int32_t,
                                            int32_t&) {
    if (OnSupportFile)
        OnSupportFile(memberId, target, extract);
    else
        extract = false;
}

} // namespace cvn
