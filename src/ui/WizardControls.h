#pragma once

#include "core/Handle_win.h"
#include "ui/CheckListItem.h"
#include "ui/TransparentPaint.h"
#include "wizard/WizardControl.h"

#include <windows.h>

#include <memory>
#include <string>

namespace cvn {

// A plain child window holding the controls of one page, style or secondary dialog;
// it passes its controls' notifications on to them.
class TWinPanel final : public TWizardPanel {
public:
    TWinPanel(HWND parent, const std::string& name);
    ~TWinPanel() override;

    HWND Handle() const { return hwnd_; }
    void SetVisible(bool visible) override;
    bool Visible() const override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetFont(const TFontRecord& font) override;
    void Repaint() override;

private:
    HWND hwnd_ = nullptr;
};

// The form itself as the container of style and page panels.
class TFormContainer final : public TWizardPanel {
public:
    explicit TFormContainer(HWND form) : TWizardPanel("form"), hwnd_(form) {}
    HWND Handle() const { return hwnd_; }
    void SetVisible(bool) override {}
    bool Visible() const override { return true; }
    void SetBounds(int, int, int, int) override {}
    void SetFont(const TFontRecord&) override {}

private:
    HWND hwnd_;
};

// A built control: one standard window per class.
class TWinControl final : public TWizardControl {
public:
    // The check lists draw their items' pictures from `pictures` (may be null).
    TWinControl(HWND parent, TControlClass cls, const TControlDefinition& definition,
                const TListPictures* pictures = nullptr);
    ~TWinControl() override;

    HWND Handle() const { return hwnd_; }
    // The control a window of a page belongs to; null for other windows.
    static TWinControl* FromWindow(HWND hwnd);
    // A notification from the control's window (WM_COMMAND code).
    void Command(int code);
    COLORREF TextColour() const { return colour_; }
    // The check lists: drawing an item, and a click or Space on its check box.
    void DrawItem(const DRAWITEMSTRUCT& item);
    void ToggleItem(int index);
    bool Transparent() const { return transparent_; }

    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetEnabled(bool enabled) override;
    void SetFont(const TFontRecord& font) override;
    void Repaint() override;
    void SetChecked(bool checked) override;
    bool Checked() const override;
    void SetItems(const std::vector<std::string>& items) override;
    std::vector<std::string> Items() const override;
    void SetSelected(int index, bool selected) override;
    bool Selected(int index) const override;
    int SelectedIndex() const override;
    void SetItemObjects(const std::vector<TItemObject>& items, const TListLook& look) override;
    std::vector<TItemObject> ItemObjects() const override { return objects_; }
    void SetReadOnly(bool readOnly) override;
    void SetButtonKind(int kind) override;
    void SetProgress(int position) override;
    void SetProgressMaximum(int maximum) override;
    void LoadPicture(const std::string& path) override;
    void LoadTextFile(const std::string& path) override;
    void SetFolder(const std::string& folder) override;
    std::string Folder() const override { return folder_; }
    void SetImageFlags(bool stretch, bool transparent, bool border) override;
    void SetShape(int shape, int penColour, int brushColour) override;
    void ShowApplicationIcon() override;
    // Pictures, lines and shapes draw themselves.
    void PaintGraphic(HDC dc);

private:
    bool IsList() const;
    bool IsCombo() const;
    bool IsMemo() const;
    bool ItemEnabled(const TItemObject& item) const;
    // The text of a list box's or combo box's item in the window.
    std::string WindowItemText(int index) const;
    void UpdateItemHeight();
    void RepaintGraphic();

    HWND hwnd_ = nullptr;
    GdiObject font_;
    GdiObject picture_;
    COLORREF colour_ = 0;
    bool transparent_ = false;
    bool settingText_ = false;
    std::vector<TItemObject> objects_;
    TListLook look_;
    const TListPictures* pictures_ = nullptr;
    std::string folder_;
    std::vector<std::string> entryPaths_; // directory list: the folder of each entry,
    std::vector<int> entryDepths_;        // its level below the drive,
    size_t openEntries_ = 0;              // and how many entries the current path has
    bool stretch_ = false, pictureTransparent_ = false, border_ = false;
    int shape_ = 0;
    COLORREF pen_ = RGB(0, 0, 0), brush_ = RGB(255, 255, 255);
    std::unique_ptr<TTransparentPaint> transparentPaint_;
};

} // namespace cvn
