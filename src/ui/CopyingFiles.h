#pragma once

#include "core/Handle_win.h"
#include "ui/Form.h"

#include <functional>
#include <string>

namespace cvn {

// The progress window of an installation or a removal without an "INSTALL" page: a
// bold status line, a detail line, a bar and Cancel. Not modal: the run pumps
// messages while it works, and Cancel (or the close box) asks the wizard to close.
class TfrmCopyingFiles : public TForm {
public:
    enum TControlId : int { pbProgress = 101, btnCancel };

    ~TfrmCopyingFiles() override { DestroyForm(); }
    bool Create(HWND owner, const TFontSpec& font);

    // The progress handler: kind 0 status line, 1 detail line, 2 position, 3 maximum.
    void Progress(int kind, const std::string& text, int value);
    // Called for Cancel and for a close request; the window itself never closes.
    std::function<void()> OnCancel;
    void SetCancelCaption(const std::string& caption) { SetControlText(btnCancel, caption); }
    void SetCancelEnabled(bool enabled) { EnableWindow(Control(btnCancel), enabled); }

    const std::string& StatusText() const { return lblCopying_->caption; }
    const std::string& DetailText() const { return lblProc_->caption; }
    int Position() const;
    int Maximum() const;

protected:
    void FormCreate() override;
    void FormCloseQuery(bool& canClose) override;

private:
    void btnCancelClick();

    TLabel* lblCopying_ = nullptr;
    TLabel* lblProc_ = nullptr;
    GdiObject boldFont_;
};

} // namespace cvn
