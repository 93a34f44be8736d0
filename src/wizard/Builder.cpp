#include "wizard/Wizard.h"

#include "script/Interpreter.h"
#include "script/VariableList.h"
#include "script/Variables.h"

namespace cvn {

namespace {

// Which classes run their script on their event.
bool RunsEventScript(TControlClass cls, uint8_t role) {
    switch (cls) {
    case TControlClass::Label:
    case TControlClass::Button:
    case TControlClass::CheckBox:
    case TControlClass::RadioButton:
    case TControlClass::ListBox:
    case TControlClass::ComboBox:
    case TControlClass::Image:
    case TControlClass::ImageButton:
        return true;
    case TControlClass::Edit:
        return role == 0;
    default:
        return false;
    }
}

} // namespace

TWizardPanel& TWizard::GetDialogPanel(const std::string& name, TWizardPanel& container, bool& created) {
    TWizardPanel* found = nullptr;
    for (auto& p : container.panels) {
        if (!found && EqualsNoCase(p->Name(), name)) {
            found = p.get();
        } else {
            p->SetVisible(false);
        }
    }
    created = found == nullptr;
    if (found) return *found;
    container.panels.push_back(view_->CreatePanel(container, name));
    return *container.panels.back();
}

TWizardPanel& TWizard::BuildStylePanel(const std::string& styleName) {
    const TDialogDefinition* style =
        styleName.empty() ? nullptr : FindDialog(ctx_.package->dialogs, styleName);
    TWizardPanel& form = view_->Form();
    if (!style) {
        // Page panels sit on the form itself: the style panels step aside.
        for (auto& p : form.panels)
            if (p->Name().rfind("Style_", 0) == 0) p->SetVisible(false);
        return form;
    }
    const std::string panelName = "Style_" + CleanDialogName(styleName);
    bool created = false;
    TWizardPanel& panel = GetDialogPanel(panelName, form, created);
    if (created) {
        panel.SetFont(PanelFont(*style));
        panel.SetBounds(0, 0, style->width, style->height);
        BuildControls(panelName, panel, style->controls, true);
    } else {
        for (auto& c : panel.controls)
            RefreshControl(*c, false, {}, 0, false);
    }
    panel.SetVisible(true);
    return panel;
}

bool TWizard::BuildControls(const std::string& prefix, TWizardPanel& parent,
                            const std::vector<TControlDefinition>& controls, bool registerPageAreas) {
    const TFontRecord& defaultFont = ctx_.package->Settings().appearance.setupFont;
    const bool keepFace = ctx_.flags.keepSystemFont != 0;
    for (const TControlDefinition& def : controls) {
        if (def.kind == 12) {
            if (registerPageAreas) pageAreas_.Register(prefix, def.left, def.width, def.height, def.top);
            continue;
        }
        std::optional<TControlClass> cls = ControlClassOf(def.kind, def.role);
        if (!cls) continue;
        std::unique_ptr<TWizardControl> made = view_->CreateControl(parent, *cls, def);
        if (!made) return false;
        TWizardControl& c = *made;
        c.SetName(UniqueControlName(parent, std::string(prefix) + ControlNameSuffix(*cls)));
        parent.controls.push_back(std::move(made));

        // Events are connected before any value is applied, so an initial value that
        // reads as a change already runs the control's script.
        if (RunsEventScript(*cls, def.role)) {
            TWizardControl* self = &c;
            c.onEvent = [this, self] { ctx_.interpreter->RunScript(self->Definition().eventScript); };
        }
        const auto& t = def.text;
        auto font = [&](const std::string& described) {
            c.SetFont(ParseFontSpec(described, defaultFont, keepFace));
        };
        switch (*cls) {
        case TControlClass::Label:
        case TControlClass::Frame:
            c.SetText(t[0]);
            font(t[1]);
            break;
        case TControlClass::Edit:
            c.SetText(t[0]);
            font(t[1]);
            c.SetReadOnly(t[2] == "1");
            break;
        case TControlClass::Button:
            c.SetText(t[0]);
            font(t[1]);
            c.SetButtonKind(NumberFromText(t[2]));
            break;
        case TControlClass::CheckBox:
            c.SetText(t[0]);
            font(t[1]);
            c.ApplyStateText(t[2]);
            break;
        case TControlClass::RadioButton:
            c.SetText(t[0]);
            font(t[1]);
            c.SetChecked(t[2] == "1");
            break;
        case TControlClass::ListBox:
            font(t[0]);
            c.SetMultiSelect(t[5] == "1");
            c.SetItems(SplitBarList(t[1]));
            c.ApplyValue(t[2]);
            break;
        case TControlClass::ComboBox:
            font(t[0]);
            c.SetReadOnly(t[1] == "1");
            c.SetItems(SplitBarList(t[2]));
            c.ApplyValue(t[3]);
            break;
        case TControlClass::MemoList:
            font(t[0]);
            c.SetItems(SplitBarList(t[1]));
            break;
        case TControlClass::License:
        case TControlClass::NotDeletedList:
            font(t[0]);
            c.SetItems({});
            break;
        case TControlClass::DirList:
        case TControlClass::DriveCombo:
            font(t[0]);
            break;
        case TControlClass::Image:
            c.SetImageFlags(t[1] == "1", t[2] == "1", t[3] == "1");
            break;
        case TControlClass::Shape:
            c.SetShape(NumberFromText(t[0]), NumberFromText(t[1]), NumberFromText(t[2]));
            break;
        case TControlClass::Progress:
            c.SetProgressMaximum(100);
            c.SetProgress(0);
            break;
        case TControlClass::ImageButton:
        case TControlClass::Line:
            break;
        }
        view_->ShowControl(c);
        RefreshControl(c, true, {}, 0, false);
    }
    return true;
}

} // namespace cvn
