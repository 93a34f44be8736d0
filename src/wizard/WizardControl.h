#pragma once

#include "package/DialogDefinition.h"
#include "script/Interpreter.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cvn {

// The classes a control definition becomes.
enum class TControlClass {
    Label,
    Edit,
    Button,
    CheckBox,
    RadioButton,
    ListBox,
    ComboBox,
    Image,
    ImageButton,
    Line,
    Shape,
    Frame,
    Progress,
    License,
    NotDeletedList,
    DirList,
    DriveCombo,
    MemoList,
};

// The class of a control kind (1-14) with its role; none for the page area (12) and
// unknown kinds.
std::optional<TControlClass> ControlClassOf(uint8_t kind, uint8_t role);
// "_Label", "_TextBox", ...: the stem of generated control names.
const char* ControlNameSuffix(TControlClass cls);

// One item of an owner-drawn check list (component and program-group lists).
struct TItemObject {
    int state = 0; // 0 unchecked, 1 checked, 2 grayed
    int imageIndex = -1;
    int64_t size = 0;
    bool enabledWithoutSize = false;
    std::string name;
    bool locked = false;
};

// How a list shows its items.
struct TListLook {
    bool showChecks = false;
    bool showFileSize = false;
    bool showImages = false;
    bool showDisabledChecks = true;
    bool allowGrayed = false;
    bool sorted = false;
};

// A built control as the wizard's rules see it: its definition, its value and the
// operations the bindings use. The window side derives from it and shows the state.
class TWizardControl : public TScriptListBox {
public:
    TWizardControl(TControlClass cls, TControlDefinition definition)
        : class_(cls), definition_(std::move(definition)) {}
    ~TWizardControl() override = default;
    TWizardControl(const TWizardControl&) = delete;
    TWizardControl& operator=(const TWizardControl&) = delete;

    TControlClass Class() const { return class_; }
    const TControlDefinition& Definition() const { return definition_; }
    const std::string& Variable() const { return definition_.variable; }
    uint8_t Role() const { return definition_.role; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // The list name that list commands address (list box and memo list: text 5, combo box: text 6).
    std::string ListName() const;
    // The button name of EnableButton and DisableButton (text 5).
    const std::string& ButtonName() const { return definition_.text[4]; }

    // Caption of a label, button, check box, radio button or frame; text of a text box.
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetFont(const TFontRecord& font) = 0;
    virtual void Repaint() {}

    virtual void SetChecked(bool checked) { (void)checked; }
    virtual bool Checked() const { return false; }

    // Items of a list box or combo box, lines of a memo list or licence viewer.
    virtual void SetItems(const std::vector<std::string>& items) = 0;
    virtual std::vector<std::string> Items() const = 0;
    virtual void SetSelected(int index, bool selected) { (void)index, (void)selected; }
    virtual bool Selected(int index) const { return (void)index, false; }
    // The one selected item (single selection); -1 for none.
    virtual int SelectedIndex() const { return -1; }
    // The For-each-selected loop's view of a list box.
    int ItemCount() const override { return int(Items().size()); }
    std::string ItemText(int index) const override;
    bool ItemSelected(int index) const override { return Selected(index); }
    // Check lists: the item objects and the look.
    virtual void SetItemObjects(const std::vector<TItemObject>& items, const TListLook& look) {
        (void)items, (void)look;
    }
    virtual std::vector<TItemObject> ItemObjects() const { return {}; }

    // Text box read-only, combo list-only, multiple selection of a list box.
    virtual void SetReadOnly(bool readOnly) { (void)readOnly; }
    virtual void SetMultiSelect(bool multi) { (void)multi; }
    virtual void SetButtonKind(int kind) { (void)kind; }
    virtual void SetProgress(int position) { (void)position; }
    virtual void SetProgressMaximum(int maximum) { (void)maximum; }
    // Pictures and text files by full path; a missing file empties the picture and
    // leaves a text viewer unchanged.
    virtual void LoadPicture(const std::string& path) { (void)path; }
    virtual void LoadTextFile(const std::string& path) { (void)path; }
    // Image and image button: the application's icon on the wizard's colour.
    virtual void ShowApplicationIcon() {}
    // Image flags (text 2-4 of an image); shape kind and colours.
    virtual void SetImageFlags(bool stretch, bool transparent, bool border) {
        (void)stretch, (void)transparent, (void)border;
    }
    virtual void SetShape(int shape, int penColour, int brushColour) {
        (void)shape, (void)penColour, (void)brushColour;
    }
    // Directory list and drive combo: the folder shown, and its drive.
    virtual void SetFolder(const std::string& folder) { (void)folder; }
    virtual std::string Folder() const { return {}; }

    // Check box: applies a state text; the same text twice changes nothing.
    void ApplyStateText(const std::string& text);
    // The value a check box, list box or combo box stores in its variable.
    std::string Value() const;
    // List box and combo box: selects the item equal to the value (exact).
    void ApplyValue(const std::string& value);
    // The user picked an item of a combo box or list box (the window side calls it).
    void UserChangedSelection();

    // The event the definition's script runs on; the bindings may replace it.
    std::function<void()> onEvent;
    // Runs a copy: the handler may replace itself while it runs (a refresh it causes).
    void FireEvent() {
        if (!onEvent) return;
        std::function<void()> handler = onEvent;
        handler();
    }
    // The last folder of a directory list; the remembered drive of a drive combo.
    std::string lastFolder;

private:
    TControlClass class_;
    TControlDefinition definition_;
    std::string name_;
    std::optional<std::string> lastStateText_;
    std::string comboValue_;
};

// A panel holding one dialog's controls; the wizard form and style panels also hold
// the panels of their pages.
class TWizardPanel {
public:
    explicit TWizardPanel(std::string name) : name_(std::move(name)) {}
    virtual ~TWizardPanel() = default;
    TWizardPanel(const TWizardPanel&) = delete;
    TWizardPanel& operator=(const TWizardPanel&) = delete;

    const std::string& Name() const { return name_; }
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;
    virtual void SetFont(const TFontRecord& font) = 0;
    virtual void Repaint() {}

    std::vector<std::unique_ptr<TWizardControl>> controls;
    std::vector<std::unique_ptr<TWizardPanel>> panels;

private:
    std::string name_;
};

} // namespace cvn
