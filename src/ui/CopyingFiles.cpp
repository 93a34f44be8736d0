#include "ui/CopyingFiles.h"

#include <commctrl.h>

namespace cvn {

bool TfrmCopyingFiles::Create(HWND owner, const TFontSpec& font) {
    if (!CreateForm(owner, TBorder::Dialog, 297, 129, "*")) return false;
    SetFont(font);
    // The status line is the default font in bold: same face, size and character set.
    TFontSpec bold;
    bold.face = font.face;
    bold.points = font.points;
    bold.charset = font.charset;
    bold.color = font.color;
    bold.bold = true;
    boldFont_ = CreateFontFromSpec(bold);
    lblCopying_->font = static_cast<HFONT>(boldFont_.Get());
    return true;
}

void TfrmCopyingFiles::FormCreate() {
    lblCopying_ = &AddLabel(12, 16, 273, 14);
    lblCopying_->transparent = false;
    lblProc_ = &AddLabel(12, 36, 273, 14);
    lblProc_->transparent = false;
    AddControl(PROGRESS_CLASSA, pbProgress, "", PBS_SMOOTH, 12, 60, 273, 16);
    SendMessageA(Control(pbProgress), PBM_SETRANGE32, 0, 100);
    AddButton(btnCancel, "Cancel", 110, 92, 75, 23, false, true);
    OnClick(btnCancel, [this] { btnCancelClick(); });
}

void TfrmCopyingFiles::Progress(int kind, const std::string& text, int value) {
    switch (kind) {
    case 0:
        lblCopying_->caption = text;
        InvalidateItem(lblCopying_->bounds);
        UpdateWindow(Handle());
        break;
    case 1:
        lblProc_->caption = text;
        InvalidateItem(lblProc_->bounds);
        UpdateWindow(Handle());
        break;
    case 2:
        SendMessageA(Control(pbProgress), PBM_SETPOS, WPARAM(value), 0);
        break;
    case 3:
        SendMessageA(Control(pbProgress), PBM_SETRANGE32, 0, LPARAM(value));
        break;
    default:
        break;
    }
}

int TfrmCopyingFiles::Position() const {
    return int(SendMessageA(Control(pbProgress), PBM_GETPOS, 0, 0));
}

int TfrmCopyingFiles::Maximum() const {
    return int(SendMessageA(Control(pbProgress), PBM_GETRANGE, FALSE, 0));
}

void TfrmCopyingFiles::btnCancelClick() {
    if (OnCancel) OnCancel();
}

void TfrmCopyingFiles::FormCloseQuery(bool& canClose) {
    // The window goes away with its run; a close request is the user asking to stop.
    canClose = false;
    if (IsWindowEnabled(Control(btnCancel))) btnCancelClick();
}

} // namespace cvn
