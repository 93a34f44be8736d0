#pragma once

#include "ui/Form.h"

#include <string>

namespace cvn {

// The package's splash picture, alone in a borderless window that stays on top,
// centred on the screen while start-up carries on.
class TfrmSplashBitmapForm : public TForm {
public:
    TfrmSplashBitmapForm() = default;
    ~TfrmSplashBitmapForm() override { DestroyForm(); }

    // Loads the picture, creates the window at exactly its size, captioned with the
    // application title, centred, and shows it at once. False when the file is not a
    // picture (no window is shown then).
    bool ShowPicture(const std::string& path);

private:
    GdiObject picture_;
    TImage* imgBitmap_ = nullptr;
};

} // namespace cvn
