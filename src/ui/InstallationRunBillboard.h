#pragma once

#include "core/Handle_win.h"
#include "ui/Form.h"

#include <string>

namespace cvn {

// The borderless window that shows the current billboard picture above the
// progress display during the copy.
class TBillboardWindow : public TForm {
public:
    ~TBillboardWindow() override { DestroyForm(); }
    // Shows the picture (creating the window on first use), its client area sized to
    // the picture, centred horizontally with its top at progressTop - height - 32.
    // False when the picture cannot be loaded.
    bool ShowPicture(HWND owner, const std::string& path, int progressTop);

protected:
    void FormCreate() override;

private:
    GdiObject picture_;
    TImage* image_ = nullptr;
};

} // namespace cvn
