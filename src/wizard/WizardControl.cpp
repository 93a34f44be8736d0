#include "wizard/WizardControl.h"

#include "script/VariableList.h"

namespace cvn {

std::optional<TControlClass> ControlClassOf(uint8_t kind, uint8_t role) {
    switch (kind) {
    case 1:
        return TControlClass::Label;
    case 2:
        return TControlClass::Edit;
    case 3:
        return TControlClass::Button;
    case 4:
        return TControlClass::CheckBox;
    case 5:
        return TControlClass::RadioButton;
    case 6:
        if (role == 1 || role == 10) return TControlClass::License;
        if (role == 12) return TControlClass::NotDeletedList;
        if (role == 15) return TControlClass::DirList;
        if (role == 17) return TControlClass::MemoList;
        return TControlClass::ListBox;
    case 7:
        return role == 16 ? TControlClass::DriveCombo : TControlClass::ComboBox;
    case 8:
        return TControlClass::Image;
    case 9:
        return TControlClass::ImageButton;
    case 10:
        return TControlClass::Line;
    case 11:
        return TControlClass::Shape;
    case 13:
        return TControlClass::Frame;
    case 14:
        return TControlClass::Progress;
    default:
        return std::nullopt;
    }
}

const char* ControlNameSuffix(TControlClass cls) {
    switch (cls) {
    case TControlClass::Label:
        return "_Label";
    case TControlClass::Edit:
        return "_TextBox";
    case TControlClass::Button:
        return "_Button";
    case TControlClass::CheckBox:
        return "_CheckBox";
    case TControlClass::RadioButton:
        return "_RadioBox";
    case TControlClass::ListBox:
        return "_ListBox";
    case TControlClass::ComboBox:
        return "_ComboBox";
    case TControlClass::Image:
        return "_Image";
    case TControlClass::ImageButton:
        return "_ImageButton";
    case TControlClass::Line:
        return "_Line";
    case TControlClass::Shape:
        return "_Shape";
    case TControlClass::Frame:
        return "_Frame";
    case TControlClass::Progress:
        return "_Progress";
    case TControlClass::License:
        return "_License";
    case TControlClass::NotDeletedList:
        return "_NotDeleted";
    case TControlClass::DirList:
        return "_DirList";
    case TControlClass::DriveCombo:
        return "_DriveCombo";
    case TControlClass::MemoList:
        return "_MemoList";
    }
    return "";
}

std::string TWizardControl::ListName() const {
    return class_ == TControlClass::ComboBox ? definition_.text[5] : definition_.text[4];
}

std::string TWizardControl::ItemText(int index) const {
    std::vector<std::string> items = Items();
    return index >= 0 && size_t(index) < items.size() ? items[size_t(index)] : std::string();
}

void TWizardControl::ApplyStateText(const std::string& text) {
    if (lastStateText_ && *lastStateText_ == text) return;
    lastStateText_ = text;
    SetChecked(EqualsNoCase(text, definition_.text[3]));
}

std::string TWizardControl::Value() const {
    switch (class_) {
    case TControlClass::CheckBox: {
        if (Checked()) return definition_.text[3];
        // A state text that still reads as a reference did not expand: it is kept as
        // it was, so that a later run can fill it in.
        const std::string& last = lastStateText_ ? *lastStateText_ : std::string();
        if (last.size() >= 2 && last.front() == '%' && last.back() == '%') return last;
        return definition_.text[4];
    }
    case TControlClass::ListBox: {
        int index = SelectedIndex();
        std::vector<std::string> items = Items();
        return index >= 0 && size_t(index) < items.size() ? items[size_t(index)] : std::string();
    }
    case TControlClass::ComboBox:
        return comboValue_;
    default:
        return Text();
    }
}

void TWizardControl::ApplyValue(const std::string& value) {
    std::vector<std::string> items = Items();
    int found = -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == value) {
            found = int(i);
            break;
        }
    if (class_ == TControlClass::ListBox) {
        for (size_t i = 0; i < items.size(); ++i)
            SetSelected(int(i), int(i) == found);
    } else if (class_ == TControlClass::ComboBox) {
        comboValue_ = value;
        if (found >= 0) SetSelected(found, true);
        // An editable combo shows the value even when no item has it.
        if (definition_.text[1] != "1") SetText(value);
    }
    FireEvent();
}

void TWizardControl::UserChangedSelection() {
    if (class_ == TControlClass::ComboBox) {
        const bool listOnly = definition_.text[1] == "1";
        if (!listOnly) {
            comboValue_ = Text();
        } else {
            int index = SelectedIndex();
            std::vector<std::string> items = Items();
            comboValue_ = index >= 0 && size_t(index) < items.size() ? items[size_t(index)] : std::string();
        }
    }
    FireEvent();
}

} // namespace cvn
