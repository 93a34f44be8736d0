#include "ui/StartCEConnection.h"

#include "ui/Application.h"

namespace cvn {

bool TfrmStartCEConnection::CreateConnection(HWND owner, const TConnectionLook& look) {
    if (!CreateForm(owner, TBorder::Dialog, kClientWidth, kClientHeight, look.caption)) return false;
    TFontSpec font = look.useSetupFont ? FontSpecFromRecord(look.setupFont) : TFontSpec{};
    font.bold = true;
    SetFont(font);
    label_ = &AddLabel(10, 10, kClientWidth - 20, kClientHeight - 20, look.text);
    label_->align = DT_CENTER;
    label_->centreVertically = true;
    label_->wordWrap = true;
    CentreOnScreen();
    return true;
}

LRESULT TfrmStartCEConnection::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        handled = true;
        return TRUE;
    }
    return TForm::HandleMessage(msg, wp, lp, handled);
}

void TConnectionDisplay::ConnectProgress(int phase) {
    if (phase == 0) {
        form_ = std::make_unique<TfrmStartCEConnection>();
        if (!form_->CreateConnection(TApplication::Instance().ActiveOwner(), look_())) {
            form_.reset();
            return;
        }
        previousCursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        form_->Show();
        form_->Repaint();
        return;
    }
    if (!form_) return;
    form_.reset();
    SetCursor(previousCursor_ ? previousCursor_ : LoadCursorA(nullptr, IDC_ARROW));
}

} // namespace cvn
