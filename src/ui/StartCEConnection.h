#pragma once

#include "ui/Form.h"

#include <functional>
#include <memory>
#include <string>

namespace cvn {

// What the connection window shows, read when a connection attempt starts.
struct TConnectionLook {
    std::string caption; // the expanded software name
    std::string text;    // the device-connection message, expanded
    bool useSetupFont = false;
    TFontRecord setupFont;
};

// The small window shown while the setup waits for a Windows CE device to connect:
// one bold label, centred on the screen, an hourglass over it. The user cannot close it.
class TfrmStartCEConnection : public TForm {
public:
    static constexpr int kClientWidth = 320;
    static constexpr int kClientHeight = 60;

    bool CreateConnection(HWND owner, const TConnectionLook& look);
    // The label's text as shown; empty before the window is created.
    std::string Text() const { return label_ ? label_->caption : std::string(); }

protected:
    void FormCloseQuery(bool& canClose) override { canClose = false; }
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    TLabel* label_ = nullptr;
};

// The device link's connection progress shown as that window: phase 0 opens it,
// phase 1 frees it and restores the cursor.
class TConnectionDisplay {
public:
    explicit TConnectionDisplay(std::function<TConnectionLook()> look) : look_(std::move(look)) {}
    void ConnectProgress(int phase);
    // The window while a connection attempt runs, else null.
    const TfrmStartCEConnection* Window() const { return form_.get(); }

private:
    std::function<TConnectionLook()> look_;
    std::unique_ptr<TfrmStartCEConnection> form_;
    HCURSOR previousCursor_ = nullptr;
};

} // namespace cvn
