#pragma once

#include "ui/Form.h"
#include "ui/WizardControls.h"

#include <functional>
#include <memory>
#include <string>

namespace cvn {

// The frame of a secondary dialog built from a dialog definition: a panel holds the
// dialog's controls; the dialog's after-show script runs at the first paint.
class TfrmSecondaryDialog : public TForm {
public:
    ~TfrmSecondaryDialog() override;
    bool Create(HWND owner, const std::string& caption, int width, int height);
    TWinPanel& Panel() { return *pnlSecondary_; }
    // Shows the window modally; firstPaint answers true to end it with abort.
    int Run(std::function<bool()> firstPaint);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    std::unique_ptr<TWinPanel> pnlSecondary_;
    std::function<bool()> afterShow_;
    bool shown_ = false;
};

} // namespace cvn
