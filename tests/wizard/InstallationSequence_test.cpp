#include "script/Languages.h"
#include "script/ScriptFixture.h"
#include "wizard/InstallationSequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace cvn::test {
namespace {

// The engine's steps and the windows of a run, as one log of what happened in order.
class TRecordingRun : public TInstallationView, public TInstallSteps {
public:
    std::vector<std::string> log;
    bool driveReadable = true;
    uint64_t freeKb = 1000000;
    bool setupFileThere = true;
    // Answers of the Yes/No questions in turn; an empty list answers Yes.
    std::vector<bool> confirmAnswers;
    // Answers of the next-disk prompt in turn; an empty list answers Cancel.
    std::vector<bool> diskAnswers;
    bool aborted = false;
    std::function<void()> duringFiles;

    bool DriveFreeKilobytes(const std::string& drive, uint64_t& kb) override {
        log.push_back("free " + drive);
        kb = freeKb;
        return driveReadable;
    }
    void ShowError(const std::string& text) override { log.push_back("error: " + text); }
    bool Confirm(const std::string& text) override {
        log.push_back("confirm: " + text);
        if (confirmAnswers.empty()) return true;
        const bool yes = confirmAnswers.front();
        confirmAnswers.erase(confirmAnswers.begin());
        return yes;
    }
    TInstallSteps& StartEngine() override {
        log.push_back("start");
        return *this;
    }
    void ShowProgress(bool onPage) override {
        log.push_back(onPage ? "progress on page" : "progress window");
    }
    void ProcessMessages() override {}
    bool FileExists(const std::string&) override { return setupFileThere; }
    bool AskNextDisk(const TNextDiskPrompt& prompt, std::string&) override {
        log.push_back("disk: " + prompt.message + " in " + prompt.folder);
        if (diskAnswers.empty()) return false;
        const bool ok = diskAnswers.front();
        diskAnswers.erase(diskAnswers.begin());
        if (ok) setupFileThere = true;
        return ok;
    }
    void HideWindows(bool) override { log.push_back("hide"); }
    void RestoreBackground() override {}
    void ShowWizardAgain(bool) override { log.push_back("wizard again"); }
    void EndEngine() override { log.push_back("end"); }
    void Reboot() override { log.push_back("reboot"); }

    void ShowBillboard(int percent) override { log.push_back("billboard " + std::to_string(percent)); }
    void InstallFiles() override {
        log.push_back("files");
        if (duringFiles) duringFiles();
    }
    void CreateShortcuts() override { log.push_back("shortcuts"); }
    void WriteRegistry() override { log.push_back("registry"); }
    void RemoveDeselectedComponents(int scale) override { log.push_back("remove " + std::to_string(scale)); }
    void WriteUninstallData() override { log.push_back("uninstall data"); }
    void FreeBillboardWindow() override {}
    bool HasAppManagerArgs() override { return false; }
    void RunAppManager() override {}
    void DeleteCarrierFiles() override { log.push_back("delete carrier files"); }
    void Abort() override {
        log.push_back("abort");
        aborted = true;
    }
    bool Aborted() const override { return aborted; }
};

using Log = std::vector<std::string>;

class InstallationSequence : public ScriptFixture {
protected:
    InstallationSequence() : languages(vars) {
        TLanguage english = NumberedEnglish();
        english.messages[9] = "Stop copying?";
        english.messages[12] = "Drive <drive> cannot be read.";
        english.messages[13] = "Drive <drive> is full.";
        english.messages[51] = "Put disk <disk> back.";
        TLanguageSection section;
        section.languages = {english};
        languages.Load(std::move(section));
        Set("%InstallDir%", "D:\\Apps\\Notes");
        Set("%Ran%", "");
        // Each event script leaves a mark in the log through a wizard command.
        for (size_t i = 0; i < package.eventScripts.size(); ++i)
            package.eventScripts[i] = {St(SC::scAssign, {"%Ran%", "%Ran%" + std::to_string(i), "0"})};
    }

    TInstallationSequence& Make(TStartupFlags flags = {}) {
        TInstallationSequenceContext c;
        c.package = &package;
        c.variables = &vars;
        c.languages = &languages;
        c.interpreter = &interp;
        c.selection = &selection;
        c.conditions = &conditions;
        c.flags = flags;
        c.setupPath = "E:\\disk1\\setup.exe";
        c.showInstallPage = [this] { return hasInstallPage; };
        sequence = std::make_unique<TInstallationSequence>(std::move(c), run);
        return *sequence;
    }

    TPackage package;
    TLanguages languages;
    TRecordingRun run;
    bool hasInstallPage = true;
    std::unique_ptr<TInstallationSequence> sequence;
};

TEST_F(InstallationSequence, RunsTheEngineStepsBetweenTheScriptsAndRemembersTheInstall) {
    TStartupFlags flags;
    flags.writeUninstallData = 1;
    selection.EnterMaintenanceMode();
    TInstallationSequence& s = Make(flags);
    s.RunInstallation();
    EXPECT_EQ(run.log, (Log{"free D:", "start", "progress on page", "billboard 0", "files", "shortcuts",
                            "registry", "remove 100", "uninstall data", "wizard again", "end"}));
    // Before copy (1), then after copy (2).
    EXPECT_EQ(Var("%Ran%"), "12");
    EXPECT_TRUE(s.Installed());
    run.log.clear();
    s.RunInstallation();
    EXPECT_TRUE(run.log.empty());

    // A device-only install writes no uninstall data and leaves no carrier files,
    // also when no application manager took them.
    flags.removeDeviceFiles = 1;
    TInstallationSequence& device = Make(flags);
    device.RunInstallation();
    EXPECT_EQ(run.log, (Log{"free D:", "start", "progress on page", "billboard 0", "files", "shortcuts",
                            "registry", "remove 100", "delete carrier files", "wizard again", "end"}));
}

TEST_F(InstallationSequence, ADriveTooSmallOrUnreadableStopsBeforeTheEngine) {
    TFileRecord big;
    big.fileSize = 3'000'000; // 3000 kilobytes as the package counts them
    package.files = {big};
    run.freeKb = 2999;
    Make().RunInstallation();
    EXPECT_EQ(run.log, (Log{"free D:", "error: Drive D is full."}));
    EXPECT_TRUE(sequence->Terminated());

    run.log.clear();
    run.driveReadable = false;
    Set("%InstallDir%", "\\\\server\\share\\Notes");
    // The error script (4) may keep the setup open with %CanClose% "0".
    package.eventScripts[4] = {St(SC::scAssign, {"%CanClose%", "0", "0"})};
    TInstallationSequence& s = Make();
    EXPECT_EQ(s.InstallDriveFreeSpace(), 0u);
    EXPECT_EQ(run.log, (Log{"free \\\\server\\share", "error: Drive \\\\server\\share cannot be read."}));
    EXPECT_EQ(Var("%ErrorCode%"), "8");
    EXPECT_FALSE(s.Terminated());
}

TEST_F(InstallationSequence, AClosingBeforeCopyScriptAbandonsTheRunWithoutInstalling) {
    package.eventScripts[1] = {St(SC::scCloseWizard)};
    hasInstallPage = false;
    TInstallationSequence& s = Make();
    s.RunInstallation();
    EXPECT_EQ(run.log, (Log{"free D:", "start", "progress window", "billboard 0", "end"}));
    EXPECT_FALSE(s.Installed());
    EXPECT_FALSE(s.Busy());
}

TEST_F(InstallationSequence, TheSetupVolumeIsAskedForUntilItIsBackOrTheCloseGoesThrough) {
    run.setupFileThere = false;
    run.diskAnswers = {true};
    Make().RunInstallation();
    const Log expected{"free D:",     "start",    "progress on page",
                       "billboard 0", "files",    "disk: Put disk 1 back. in E:\\disk1\\",
                       "shortcuts",   "registry", "wizard again",
                       "end"};
    EXPECT_EQ(run.log, expected);

    // Cancel asks whether to stop copying: No asks for the volume again, Yes runs the
    // close script and aborts; the after-copy script and the wizard do not come back.
    run = {};
    Set("%Ran%", "");
    run.setupFileThere = false;
    run.diskAnswers = {false, false};
    run.confirmAnswers = {false, true};
    TInstallationSequence& s = Make();
    s.RunInstallation();
    const std::string disk = "disk: Put disk 1 back. in E:\\disk1\\";
    EXPECT_EQ(run.log, (Log{"free D:", "start", "progress on page", "billboard 0", "files", disk,
                            "confirm: Stop copying?", disk, "confirm: Stop copying?", "abort", "shortcuts",
                            "registry", "end"}));
    EXPECT_EQ(Var("%Ran%"), "13");
    EXPECT_FALSE(s.Installed());
    EXPECT_TRUE(s.Terminated());
}

TEST_F(InstallationSequence, ACloseScriptThatClearsCanCloseKeepsTheCopyGoing) {
    package.eventScripts[3] = {St(SC::scAssign, {"%CanClose%", "0", "0"})};
    TInstallationSequence& s = Make();
    bool accepted = true;
    run.duringFiles = [&] { accepted = s.CloseRequest(); };
    s.RunInstallation();
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(run.aborted);
    EXPECT_TRUE(s.Installed());
    EXPECT_EQ(Var("%IsFinishingSetup%"), "0");
}

TEST_F(InstallationSequence, FinishingRestartsOnlyWhenTheCloseScriptAgrees) {
    Set("%DoReboot%", "1");
    Make().FinishSetup();
    EXPECT_EQ(Var("%IsFinishingSetup%"), "1");
    EXPECT_EQ(run.log, (Log{"reboot"}));
    sequence->FinishSetup(); // the close script runs once
    EXPECT_EQ(Var("%Ran%"), "3");

    run.log.clear();
    package.eventScripts[3] = {St(SC::scAssign, {"%CanClose%", "0", "0"})};
    Make().FinishSetup();
    EXPECT_TRUE(run.log.empty());
}

} // namespace
} // namespace cvn::test
