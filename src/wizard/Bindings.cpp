#include "wizard/Wizard.h"

#include "script/Commands.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/SelectionQueries.h"
#include "script/SizeText.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>

namespace cvn {

namespace {

std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string WithoutBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

void SortNoCase(std::vector<std::string>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
}

} // namespace

template <class F> void TWizard::ForEachRefreshed(F f) {
    if (currentDialog_ && !currentDialog_->styleName.empty() && styleContainer_)
        for (size_t i = 0; i < styleControlCount_ && i < styleContainer_->controls.size(); ++i)
            f(*styleContainer_->controls[i]);
    if (pagePanel_)
        for (size_t i = 0; i < pageControlCount_ && i < pagePanel_->controls.size(); ++i)
            f(*pagePanel_->controls[i]);
}

void TWizard::RefreshControls(TWizardPanel& container, bool init, const std::string& variableName, int role,
                              bool repaintBackground) {
    if (!currentDialog_) return;
    const std::string title = Expand(ctx_.package->Settings().appearance.windowTitle);
    view_->SetApplicationTitle(title);
    view_->RefreshBackground(title, repaintBackground);
    view_->SetCaption(Expand(currentDialog_->caption, true));
    if (secondaryShowing_) view_->SetSecondaryCaption(Expand(secondaryCaption_, true));
    const bool folderVariable = !variableName.empty() && ctx_.variables->IsFolderVariable(variableName);
    auto refresh = [&](TWizardControl& c) {
        if (role != 0)
            RefreshControl(c, init, {}, role, true);
        else if (folderVariable)
            RefreshControl(c, init, variableName, 0, true);
        else
            RefreshControl(c, init, {}, 0, false);
    };
    ForEachRefreshed(refresh);
    if (&container != pagePanel_)
        for (auto& c : container.controls)
            refresh(*c);
}

void TWizard::RefreshControl(TWizardControl& c, bool init, const std::string& variableName, int role,
                             bool filtered) {
    const TControlDefinition& d = c.Definition();
    const bool selected = !filtered || d.role == role;
    auto shown = [&](const std::string& text) { return Expand(text, true); };
    switch (c.Class()) {
    case TControlClass::Label:
        if (!selected) return;
        if (d.role == 0 || d.role == 13 || d.role == 14) {
            c.SetText(shown(d.text[0]));
        } else if (d.role == 5) {
            TSelectionQueries queries(*ctx_.package, *ctx_.selection, *ctx_.conditions);
            c.SetText(SizeText(queries.SelectedSize(), TSizeUnit::Bytes));
        } else if (d.role == 6) {
            c.SetText(SizeText(view_->InstallDriveFreeSpace(), TSizeUnit::Kilobytes));
        } else if (d.role == 11) {
            c.SetText(shown(componentDescription_));
        }
        return;
    case TControlClass::Edit: {
        if (!(filtered || init || !variableName.empty())) return;
        if ((d.role == 3 || d.role == 7) && selected) {
            const char* bound = d.role == 3 ? "%ProgramGroup%" : "%InstallDir%";
            const std::string value = Expand(bound);
            if (d.role == 3 || !EqualsNoCase(WithBackslash(value), WithBackslash(c.Text()))) c.SetText(value);
            TWizardControl* self = &c;
            c.onEvent = [this, self, bound] {
                // The refreshes that follow a variable change set this text themselves.
                if (building_) return;
                ctx_.variables->SetVariable(bound, self->Text());
                ctx_.interpreter->RunScript(self->Definition().eventScript);
            };
        } else if (d.role == 0 && !filtered) {
            c.SetText(ctx_.variables->IsFolderVariable(d.variable) ? Expand(d.variable) : Expand(d.text[0]));
        } else if (d.role == 0 && !variableName.empty() && EqualsNoCase(variableName, d.variable)) {
            c.SetText(Expand(d.variable));
        }
        return;
    }
    case TControlClass::Button:
        if (!filtered) c.SetText(Expand(d.text[0]));
        return;
    case TControlClass::CheckBox:
        if (filtered) return;
        c.SetText(shown(d.text[0]));
        if (init) c.ApplyStateText(Expand(d.text[2]));
        return;
    case TControlClass::RadioButton:
    case TControlClass::Frame:
        if (!filtered) c.SetText(shown(d.text[0]));
        return;
    case TControlClass::ListBox: {
        const bool scopeChanged = folderListScope_ != ctx_.variables->AllUsersShellFolders();
        if (!init && !scopeChanged) return;
        if (init && d.role == 0 && selected) {
            c.SetItemObjects({}, TListLook{});
            std::vector<std::string> items;
            for (const std::string& field : SplitBarList(d.text[1]))
                items.push_back(Expand(field));
            c.SetItems(items);
            c.ApplyValue(Expand(d.text[2]));
        } else if (init && d.role == 4 && selected) {
            FillComponentList(c);
        }
        if (d.role == 2 && selected) {
            folderListScope_ = ctx_.variables->AllUsersShellFolders();
            FillProgramGroupList(c);
        }
        return;
    }
    case TControlClass::License: {
        if (!init) return;
        std::string path;
        if (d.role == 1 && !ctx_.package->Settings().appearance.licenceFile.empty())
            path = Expand(WithBackslash(ctx_.variables->Program().tempSetupDir) +
                          ctx_.package->Settings().appearance.licenceFile);
        else if (d.role == 10 && !d.text[2].empty())
            path = Expand(d.text[2]);
        if (!path.empty() && view_->FileExists(path)) c.LoadTextFile(path);
        return;
    }
    case TControlClass::NotDeletedList:
        // Only building the page clears the lines: each entry appends the list again.
        if (init && ctx_.notDeleted && !ctx_.notDeleted->empty()) {
            std::vector<std::string> lines = c.Items();
            lines.insert(lines.end(), ctx_.notDeleted->begin(), ctx_.notDeleted->end());
            c.SetItems(lines);
        }
        return;
    case TControlClass::DirList:
        if (init || role == 15 ||
            (d.role == 0 && !variableName.empty() && EqualsNoCase(variableName, d.variable)))
            SyncDirectoryList(c);
        return;
    case TControlClass::DriveCombo:
        if (init || role == 16 ||
            (d.role == 0 && !variableName.empty() && EqualsNoCase(variableName, d.variable)))
            SyncDriveCombo(c);
        return;
    case TControlClass::ComboBox:
        if (!filtered && init) {
            std::vector<std::string> items;
            for (const std::string& field : SplitBarList(d.text[2]))
                items.push_back(Expand(field));
            c.SetItems(items);
            c.ApplyValue(Expand(d.text[3]));
        }
        return;
    case TControlClass::MemoList:
        if (init) {
            std::vector<std::string> lines;
            for (const std::string& field : SplitBarList(d.text[1]))
                lines.push_back(Expand(field));
            c.SetItems(lines);
        }
        return;
    case TControlClass::Image:
    case TControlClass::ImageButton:
        if (!init || !selected) return;
        if (d.role == 0)
            c.LoadPicture(Expand(WithBackslash(ctx_.variables->Program().tempSetupDir) + d.text[0]));
        else if (d.role == 8)
            c.ShowApplicationIcon();
        else if (d.role == 9 && c.Class() == TControlClass::Image)
            c.LoadPicture(Expand(WithBackslash(ctx_.variables->Program().tempSetupDir) +
                                 ctx_.package->Settings().appearance.defaultDialogPicture));
        return;
    case TControlClass::Line:
    case TControlClass::Shape:
    case TControlClass::Progress:
        return;
    }
}

void TWizard::StoreControlValues(TWizardPanel& panel) {
    for (auto& p : panel.controls) {
        TWizardControl& c = *p;
        const std::string& variable = c.Variable();
        if (variable.empty()) continue;
        switch (c.Class()) {
        case TControlClass::Edit:
            ctx_.variables->SetVariable(variable, c.Text());
            break;
        case TControlClass::CheckBox:
        case TControlClass::ComboBox:
            ctx_.variables->SetVariable(variable, c.Value());
            break;
        case TControlClass::RadioButton:
            if (c.Checked()) ctx_.variables->SetVariable(variable, c.Definition().text[3]);
            break;
        case TControlClass::ListBox:
            if (c.Role() == 0) ctx_.variables->SetVariable(variable, c.Value());
            break;
        default:
            break;
        }
    }
}

void TWizard::CheckRadioButtons(TWizardPanel& panel) {
    for (auto& c : panel.controls)
        if (c->Class() == TControlClass::RadioButton &&
            Expand(c->Variable(), true) == c->Definition().text[3])
            c->SetChecked(true);
}

void TWizard::ListOperation(uint8_t code, const std::string& name, const std::string& text) {
    for (auto& p : TargetPanel()->controls) {
        TWizardControl& c = *p;
        const TControlClass cls = c.Class();
        if (cls != TControlClass::ListBox && cls != TControlClass::ComboBox && cls != TControlClass::MemoList)
            continue;
        if (!EqualsNoCase(c.ListName(), name)) continue;
        std::vector<std::string> items = c.Items();
        switch (code) {
        case 34:
            c.SetItems({});
            break;
        case 33:
            items.push_back(text);
            c.SetItems(items);
            break;
        case 91:
        case 92:
            if (cls == TControlClass::ListBox)
                for (size_t i = 0; i < items.size(); ++i)
                    c.SetSelected(int(i), code == 91);
            break;
        case 93:
            if (cls == TControlClass::ListBox) {
                const std::string barred = BarredList(text);
                for (size_t i = 0; i < items.size(); ++i)
                    if (ComponentListContains(barred, items[i])) c.SetSelected(int(i), true);
            }
            break;
        case 99:
            SortNoCase(items);
            c.SetItems(items);
            break;
        case 100:
            if (cls == TControlClass::MemoList) break;
            items = ctx_.languages->Names();
            SortNoCase(items);
            c.SetItems(items);
            c.ApplyValue(
                Expand(cls == TControlClass::ListBox ? c.Definition().text[2] : c.Definition().text[3]));
            break;
        default:
            break;
        }
    }
}

std::string TWizard::ComponentPicture(const TComponentRecord& component) const {
    if (component.iconFile.empty()) return {};
    std::string path = Expand(WithBackslash(ctx_.variables->Program().tempSetupDir) + component.iconFile);
    return view_->FileExists(path) ? path : std::string();
}

void TWizard::FillComponentList(TWizardControl& list) {
    TSelectionQueries queries(*ctx_.package, *ctx_.selection, *ctx_.conditions);
    std::vector<TItemObject> items;
    int nextPicture = 1;
    for (const TComponentRecord& component : ctx_.package->components) {
        TItemObject item;
        item.name = component.name;
        if (!ComponentPicture(component).empty()) item.imageIndex = nextPicture++;
        item.size = int64_t(queries.ComponentSize(component.name));
        item.enabledWithoutSize = queries.ComponentHasExtras(component.name);
        item.state = ComponentListContains(ctx_.selection->Current(), component.name) ? 1 : 0;
        items.push_back(item);
    }
    TListLook look;
    look.showChecks = true;
    look.showFileSize = true;
    look.showImages = true;
    look.showDisabledChecks = false;
    list.SetItemObjects(items, look);
    TWizardControl* self = &list;
    list.onEvent = [this, self] {
        // The selected item's description, and the check boxes' new states.
        int index = self->SelectedIndex();
        std::vector<TItemObject> objects = self->ItemObjects();
        componentDescription_.clear();
        if (index >= 0 && size_t(index) < objects.size())
            for (const TComponentRecord& component : ctx_.package->components)
                if (EqualsNoCase(component.name, objects[size_t(index)].name)) {
                    componentDescription_ = component.description;
                    break;
                }
        RefreshRole(11);
        ComponentsChanged(*self);
    };
}

void TWizard::ComponentsChanged(TWizardControl& list) {
    std::string checked;
    for (const TItemObject& item : list.ItemObjects()) {
        if (item.state != 1) continue;
        if (!checked.empty()) checked += '|';
        checked += item.name;
    }
    if (checked == ctx_.selection->Current()) return;
    ctx_.selection->SetCurrent(checked, VariableValue("%SetupType%") == "2");
    RefreshRole(5);
}

void TWizard::FillProgramGroupList(TWizardControl& list) {
    std::vector<std::string> groups = view_->ProgramGroups(ctx_.variables->AllUsersShellFolders());
    SortNoCase(groups);
    list.SetItemObjects({}, TListLook{});
    list.SetItems(groups);
    TWizardControl* self = &list;
    list.onEvent = [this, self] {
        int index = self->SelectedIndex();
        if (index >= 0) ctx_.variables->SetVariable("%ProgramGroup%", self->ItemText(index));
    };
}

void TWizard::SyncDirectoryList(TWizardControl& list) {
    TWizardControl* self = &list;
    list.onEvent = [this, self] { DirectoryChanged(*self); };
    std::string folder = WithoutBackslash(Expand(list.Variable()));
    list.lastFolder = folder;
    if (folder.empty()) return;
    list.SetFolder(NearestExistingFolder(folder));
}

void TWizard::SyncDriveCombo(TWizardControl& combo) {
    TWizardControl* self = &combo;
    combo.onEvent = [this, self] { DriveChanged(*self); };
    const std::string value = Expand(combo.Variable());
    if (value.empty()) return;
    const std::string root = std::string(1, value[0]) + ":\\";
    if (view_->FolderExists(root)) {
        combo.SetFolder(root);
        combo.lastFolder = root;
    }
}

void TWizard::DirectoryChanged(TWizardControl& list) {
    if (building_ || !pagePanel_) return;
    const std::string folder = list.Folder();
    if (EqualsNoCase(WithBackslash(folder), WithBackslash(list.lastFolder))) return;
    list.lastFolder = folder;
    const bool installDir = EqualsNoCase(list.Variable(), "%INSTALLDIR%");
    for (size_t i = 0; i < pageControlCount_ && i < pagePanel_->controls.size(); ++i) {
        TWizardControl& c = *pagePanel_->controls[i];
        if (c.Class() == TControlClass::Edit &&
            ((installDir && c.Role() == 7) || EqualsNoCase(c.Variable(), list.Variable()))) {
            if (!EqualsNoCase(c.Text(), WithBackslash(folder))) {
                c.SetText(WithBackslash(folder));
            }
        } else if (c.Class() == TControlClass::DriveCombo && EqualsNoCase(c.Variable(), list.Variable())) {
            if (!folder.empty() && (c.Folder().empty() || UpperAscii(c.Folder()[0]) != UpperAscii(folder[0])))
                c.SetFolder(folder.substr(0, 1) + ":\\");
        }
    }
}

void TWizard::DriveChanged(TWizardControl& combo) {
    if (building_ || !pagePanel_) return;
    const std::string root = combo.Folder();
    if (root.empty() || !view_->FolderExists(root)) {
        // No disk in the drive: back to the last drive that was ready.
        if (!combo.lastFolder.empty()) combo.SetFolder(combo.lastFolder);
        return;
    }
    combo.lastFolder = root;
    const bool installDir = EqualsNoCase(combo.Variable(), "%INSTALLDIR%");
    for (size_t i = 0; i < pageControlCount_ && i < pagePanel_->controls.size(); ++i) {
        TWizardControl& c = *pagePanel_->controls[i];
        if (c.Class() == TControlClass::Edit &&
            ((installDir && c.Role() == 7) || EqualsNoCase(c.Variable(), combo.Variable()))) {
            if (c.Text().empty() || UpperAscii(c.Text()[0]) != UpperAscii(root[0])) {
                c.SetText(root);
            }
        } else if (c.Class() == TControlClass::DirList && EqualsNoCase(c.Variable(), combo.Variable())) {
            if (c.Folder().empty() || UpperAscii(c.Folder()[0]) != UpperAscii(root[0])) c.SetFolder(root);
        }
    }
}

} // namespace cvn
