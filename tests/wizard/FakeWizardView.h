#pragma once

#include "wizard/WizardView.h"

#include <set>
#include <string>
#include <vector>

namespace cvn::test {

// A control that keeps what the rules set; a text box reports a changed text as
// its window does.
class TFakeControl : public TWizardControl {
public:
    using TWizardControl::TWizardControl;

    void SetText(const std::string& text) override {
        const bool changed = text != text_;
        text_ = text;
        if (changed && Class() == TControlClass::Edit) FireEvent();
    }
    std::string Text() const override { return text_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void SetFont(const TFontRecord& font) override { font_ = font; }
    void SetChecked(bool checked) override { checked_ = checked; }
    bool Checked() const override { return checked_; }
    void SetItems(const std::vector<std::string>& items) override {
        items_ = items;
        selected_.assign(items.size(), false);
    }
    std::vector<std::string> Items() const override { return items_; }
    void SetSelected(int index, bool selected) override { selected_.at(size_t(index)) = selected; }
    bool Selected(int index) const override { return selected_.at(size_t(index)); }
    int SelectedIndex() const override {
        for (size_t i = 0; i < selected_.size(); ++i)
            if (selected_[i]) return int(i);
        return -1;
    }
    void SetItemObjects(const std::vector<TItemObject>& items, const TListLook&) override {
        objects_ = items;
    }
    std::vector<TItemObject> ItemObjects() const override { return objects_; }
    void SetFolder(const std::string& folder) override { folder_ = folder; }
    std::string Folder() const override { return folder_; }
    void LoadTextFile(const std::string& path) override { loadedFile_ = path; }
    void LoadPicture(const std::string& path) override { picture_ = path; }
    void ShowApplicationIcon() override { picture_ = "<application icon>"; }
    void SetProgress(int position) override { progress.push_back("2:" + std::to_string(position)); }
    void SetProgressMaximum(int maximum) override { progress.push_back("3:" + std::to_string(maximum)); }

    // The user types or picks.
    void UserTypes(const std::string& text) { SetText(text); }
    void UserPicksFolder(const std::string& folder) {
        folder_ = folder;
        FireEvent();
    }

    bool enabled_ = true;
    TFontRecord font_;
    std::string loadedFile_;
    std::string picture_;
    std::vector<std::string> progress; // "kind:value" as set

private:
    std::string text_;
    bool checked_ = false;
    std::vector<std::string> items_;
    std::vector<TItemObject> objects_;
    std::vector<bool> selected_;
    std::string folder_;
};

class TFakePanel : public TWizardPanel {
public:
    using TWizardPanel::TWizardPanel;
    void SetVisible(bool visible) override { visible_ = visible; }
    bool Visible() const override { return visible_; }
    void SetBounds(int left, int top, int width, int height) override {
        bounds_ = {left, top, width, height};
    }
    void SetFont(const TFontRecord&) override {}

    bool visible_ = false;
    std::vector<int> bounds_;
};

// The windows in memory: answers are set beforehand, what happened is recorded.
class TFakeWizardView : public TWizardView {
public:
    TFakeWizardView() : form_("form") {}

    TWizardPanel& Form() override { return form_; }
    std::unique_ptr<TWizardPanel> CreatePanel(TWizardPanel&, const std::string& name) override {
        ++panelsCreated;
        return std::make_unique<TFakePanel>(name);
    }
    std::unique_ptr<TWizardControl> CreateControl(TWizardPanel&, TControlClass cls,
                                                  const TControlDefinition& definition) override {
        return std::make_unique<TFakeControl>(cls, definition);
    }
    void ShowControl(TWizardControl&) override {}
    void SetBusyCursor(bool) override {}
    void ShowWizard(bool show) override { visible = show; }
    bool WizardVisible() const override { return visible; }
    bool HasBackgroundWindow() const override { return background; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetApplicationTitle(const std::string&) override {}
    void FitClientSize(int, int) override {}
    void FocusFirstControl(TWizardPanel&) override {}
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void TerminateApplication() override { terminated = true; }
    void RestartComputer() override { restarted = true; }
    TWizardPanel& OpenSecondary(const std::string&, int, int, const TFontRecord&) override {
        secondary = std::make_unique<TFakePanel>("secondary");
        return *secondary;
    }
    void SetSecondaryCaption(const std::string&) override {}
    bool ShowSecondaryModal(std::function<bool()> firstPaint) override {
        if (firstPaint()) return true;
        if (whileSecondaryShown) whileSecondaryShown();
        return false;
    }
    void CancelSecondary() override { secondaryCancelled = true; }
    void FreeSecondary() override { secondary.reset(); }
    std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void RunInstallation() override { ++installations; }
    std::vector<std::string> removals; // "variable software company"
    void RemovePreviousInstallation(const std::string& var, const std::string& software,
                                    const std::string& company) override {
        removals.push_back(var + " " + software + " " + company);
        if (whileRemoving) whileRemoving();
    }
    // What happens while the removal runs (its scripts, its progress).
    std::function<void()> whileRemoving;
    bool InstallationRunning() const override { return false; }
    bool InstallationAborted() const override { return false; }
    void AbortInstallation() override {}
    bool ReportToProgressWindow(int kind, const std::string&, int value) override {
        if (!progressWindow) return false;
        windowProgress.push_back(std::to_string(kind) + ":" + std::to_string(value));
        return true;
    }
    uint64_t InstallDriveFreeSpace() override { return 2048; }
    bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
    void AddComponentPicture(const std::string& path) override { componentPictures.push_back(path); }
    bool FolderExists(const std::string& path) const override { return folders.count(path) != 0; }
    std::string WindowsFolder() const override { return "C:\\WINDOWS"; }
    std::vector<std::string> ProgramGroups(bool) const override { return {}; }

    TFakePanel form_;
    std::unique_ptr<TFakePanel> secondary;
    std::function<void()> whileSecondaryShown;
    std::set<std::string> files;
    std::vector<std::string> componentPictures;
    std::set<std::string> folders;
    std::vector<std::string> questions;
    std::string caption;
    bool answerYes = false;
    bool visible = false;
    bool background = false; // a background window behind the wizard
    bool terminated = false;
    bool restarted = false;
    bool secondaryCancelled = false;
    int installations = 0;
    bool progressWindow = false; // a copying-files window exists
    std::vector<std::string> windowProgress;
    int panelsCreated = 0;
};

} // namespace cvn::test
