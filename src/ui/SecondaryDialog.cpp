#include "ui/SecondaryDialog.h"

namespace cvn {

TfrmSecondaryDialog::~TfrmSecondaryDialog() {
    pnlSecondary_.reset();
    DestroyForm();
}

bool TfrmSecondaryDialog::Create(HWND owner, const std::string& caption, int width, int height) {
    if (!CreateForm(owner, TBorder::Dialog, width, height, caption)) return false;
    pnlSecondary_ = std::make_unique<TWinPanel>(Handle(), "pnlSecondary");
    pnlSecondary_->SetBounds(0, 0, width, height);
    pnlSecondary_->SetVisible(true);
    CentreOnScreen();
    return true;
}

int TfrmSecondaryDialog::Run(std::function<bool()> firstPaint) {
    afterShow_ = std::move(firstPaint);
    shown_ = false;
    return ShowModal();
}

LRESULT TfrmSecondaryDialog::HandleMessage(UINT msg, WPARAM, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_PAINT && !shown_) {
        // Once only, and before the script: a script that repaints must not run it again.
        shown_ = true;
        if (afterShow_ && afterShow_()) SetModalResult(mrAbort);
    }
    return 0;
}

} // namespace cvn
