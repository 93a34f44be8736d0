#pragma once

#include "core/Handle_win.h"
#include "package/PackageModel.h"
#include "ui/Form.h"
#include "wizard/BackWindowLayout.h"

#include <functional>
#include <string>
#include <vector>

namespace cvn {

class TVariables;
class TfrmSetupMain;

struct TBackWindowContext {
    const TAppearance* appearance = nullptr;
    const std::vector<TBackgroundItem>* items = nullptr;
    const TVariables* variables = nullptr;
};

// The large window behind the wizard: a colour gradient or a picture with texts and
// pictures in its corners, which slide in when it is first shown. It owns the
// wizard, keeps it above itself and takes the close request of the whole setup.
// Everything is drawn into a memory bitmap and copied to the screen at once; the
// entrances advance on a timer, so they go on while scripts run and files are copied.
class TfrmBackWindow final : public TForm {
public:
    explicit TfrmBackWindow(TBackWindowContext context);
    ~TfrmBackWindow() override;

    // Creates, sizes and shows the window; its first paint starts the entrances.
    bool Create();
    // Takes the wizard (created owned by this window): topmost, a caption bar only,
    // centred in this window. Its close requests come here from then on.
    void AttachWizard(TfrmSetupMain& wizard);
    // The caption anew (the setup title, expanded) and, when asked, a repaint.
    void Refresh(const std::string& caption, bool repaint);
    // The wizard is about to go: nothing here refers to it any more.
    void DetachWizard();
    bool EntrancesDone() const { return entrance_ >= items_.size(); }
    // The 64 gradient colours; none when the gradient's two colours are equal.
    HPALETTE Palette() const { return static_cast<HPALETTE>(palette_.Get()); }

protected:
    void FormCloseQuery(bool& canClose) override;
    void FormPaint(HDC dc) override;
    void FormDestroy() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    struct TItem {
        const TBackgroundItem* record = nullptr;
        GdiObject font;    // text items
        GdiObject picture; // picture items; empty when the file is missing
        COLORREF colour = 0;
        std::string text;     // expanded for display
        SIZE size{};          // what its corner makes room for
        SIZE slide{};         // what moves during its entrance
        int shadowOffset = 0; // text items
        TPoint place;
        bool arrived = false;
    };

    std::string Expand(const std::string& text, bool escapeAmpersands = false) const;
    void Layout(HDC dc, int width, int height);
    void PaintBackdrop(HDC dc, int width, int height);
    void PaintItem(HDC dc, const TItem& item, TPoint at);
    void NextFrame();
    void KeepWizardOnTop();
    void RealizePaletteNow();

    TBackWindowContext ctx_;
    GdiObject picture_; // the background picture, when its file exists
    GdiObject palette_;
    std::vector<TItem> items_;
    TfrmSetupMain* wizard_ = nullptr;
    bool shown_ = false;
    // The entrance in progress: the item and its frames.
    size_t entrance_ = 0;
    std::vector<TPoint> frames_;
    size_t frame_ = 0;
    bool timer_ = false;
};

} // namespace cvn
