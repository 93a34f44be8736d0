// The install engine's answers to the archive reader's events: where each member
// goes, whether it is written over an existing file, and what the log records.
#include "CorvaneInstall.h"

#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/SystemFolders.h"
#include "script/Condition.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/VariableList.h"
#include "script/Variables.h"

namespace cvn {

namespace {

constexpr int kMsgSkipWarning = 14;
constexpr int kMsgCannotSkip = 15;
constexpr int kMsgCopying = 28;
constexpr int kMsgDeviceFiles = 29;
constexpr int kMsgUninstallerFiles = 30;
constexpr int kMsgCopyingComponent = 65;
constexpr int kMsgCannotReplace = 66;
constexpr const char* kArchiveCorrupted = "Corvane Zip file corrupted.";

} // namespace

// The overwrite prompt for one target, with the captions of the message table.
class TCorvaneInstall::TQuestions final : public TOverwriteQuestions {
public:
    TQuestions(TCorvaneInstall& engine, const std::string& target, const TFileRecord& record)
        : engine_(engine), target_(target), record_(record) {}

    TOverwriteAnswer Ask(int message) override {
        TOverwritePrompt p;
        p.message = engine_.Message(message, "<file>", FileNameOf(target_));
        p.filePath = target_;
        p.newDate = record_.fileDate;
        p.newSize = record_.fileSize;
        p.yes = engine_.Message(2);
        p.yesToAll = engine_.Message(4);
        p.no = engine_.Message(3);
        p.noToAll = engine_.Message(5);
        p.cancel = engine_.Message(1);
        p.existentLabel = engine_.Message(67);
        p.destinationLabel = engine_.Message(68);
        return engine_.ctx_.ui->AskOverwrite(p);
    }
    void WarnSkipped() override {
        engine_.ctx_.ui->ShowMessage(engine_.Message(kMsgSkipWarning), TMessageIcon::Information, true);
    }
    void WarnCannotSkip() override {
        engine_.ctx_.ui->ShowMessage(engine_.Message(kMsgCannotSkip), TMessageIcon::Error, true);
    }
    bool CancelRun() override {
        engine_.ctx_.ui->CloseMainForm();
        return engine_.aborted_;
    }

private:
    TCorvaneInstall& engine_;
    const std::string& target_;
    const TFileRecord& record_;
};

void TCorvaneInstall::ArchiveProgress(int32_t, int32_t percent, bool& goOn) {
    if (aborted_) {
        goOn = false;
        return;
    }
    // In maintenance mode the removal of components fills the second half.
    Report(ipPosition, {}, Maintenance() ? percent / 2 : percent);
    ShowBillboard(percent);
    if (aborted_) goOn = false;
}

void TCorvaneInstall::ArchiveMessage(const std::string& componentName) {
    if (componentName.empty())
        Report(ipStatus, Message(kMsgCopying));
    else
        Report(ipStatus, Message(kMsgCopyingComponent, "<component>", componentName));
}

void TCorvaneInstall::ArchiveRestoreFile(int32_t memberId, std::string& target, bool& write, int32_t,
                                         int32_t& kind) {
    write = false;
    const TFileRecord* record = FindFileRecord(memberId);
    if (!record || aborted_) return;
    const TFileEntry& entry = record->entry;
    const std::string targetDir = WithTrailingBackslash(Expand(entry.targetDir));
    target = targetDir + FileNameOf(entry.sourceName);

    if (!ItemInstalled(entry.components, entry.condition)) return;
    // Under Wine a look for a file that is not there reads its whole folder: each is done
    // once, and not at all in a folder this run made.
    bool exists = !KnownMissing(target) && ctx_.platform->FileExists(target);
    if (exists && ctx_.platform->IsProtectedFile(target)) return;

    const std::string fileName = FileNameOf(target);
    if (queries_.IsApplicationCabinet(fileName)) {
        kind = ukDeviceFile;
        Report(ipDetail, Message(kMsgDeviceFiles));
    } else if (EqualsNoCase(fileName, "CVNUNINST.DAT") && entry.condition == "uninstaller") {
        // The uninstaller travels under a name that is not run by mistake.
        target = targetDir + "cvnuninst.exe";
        exists = !KnownMissing(target) && ctx_.platform->FileExists(target);
        kind = ukUninstaller;
        // The last product removed may have left it to be deleted at restart; this
        // product names it too, whether or not the copy here is replaced.
        ctx_.platform->KeepAtRestart(target);
        Report(ipDetail, Message(kMsgUninstallerFiles));
    } else {
        kind = IsIconFile(target) ? ukPlainFile : ukFile;
        Report(ipDetail, fileName);
    }

    TExistingFile existing;
    existing.versionOrder = [&] {
        uint32_t ms = 0, ls = 0;
        ctx_.platform->ReadFileVersion(target, ms, ls);
        return CompareFileVersions(ms, ls, record->versionMS, record->versionLS);
    };
    existing.dateOrder = [&] {
        return CompareFileDates(ctx_.platform->FileAge(target), int32_t(record->fileDate));
    };
    TQuestions questions(*this, target, *record);
    write = DecideOverwrite(entry.overwriteMode, exists, existing, memory_, questions) && !aborted_;
}

void TCorvaneInstall::ArchiveFileRestored(int32_t memberId, const std::string& target, int32_t kind) {
    writtenTargets_.insert(AsciiUpperCopy(target));
    const TFileRecord* record = FindFileRecord(memberId);
    if (!record) return;
    // A member continued in the next volume completes once; should it be reported
    // again, the log still names the file once.
    if (!log_.empty() && log_.back().kind == kind && log_.back().path == target) return;
    TUninstallItem item;
    item.kind = uint8_t(kind);
    item.path = target;
    item.file = record->entry;
    log_.push_back(std::move(item));
    if (IsIconFile(target)) iconPath_ = target;
}

void TCorvaneInstall::ArchiveCannotReplace(int32_t, const std::string& target) {
    ctx_.ui->ShowMessage(Message(kMsgCannotReplace, "<file>", target), TMessageIcon::Warning);
}

void TCorvaneInstall::ArchiveNeedVolume(uint16_t disk, std::string& volumePath, bool& goOn) {
    if (aborted_) {
        goOn = false;
        return;
    }
    const std::string folder = WithTrailingBackslash(FileDirOf(volumePath));
    if (ctx_.platform->FileExists(folder + VolumeFileName(FileNameOf(ctx_.setupPath), disk))) return;

    const TNextDiskPrompt p = NextDiskPrompt(*ctx_.languages, disk, folder);
    std::string chosen;
    if (ctx_.ui->AskNextDisk(p, chosen)) {
        volumePath = WithTrailingBackslash(chosen) + FileNameOf(volumePath);
        currentDisk_ = disk;
        return;
    }
    // The wizard asks whether to quit; unless it did, the reader asks again.
    ctx_.ui->CloseMainForm();
    if (aborted_) goOn = false;
}

void TCorvaneInstall::ArchiveError(int32_t code) {
    if (code == TSetupCVNZip::kDataError) ctx_.ui->ShowMessage(kArchiveCorrupted, TMessageIcon::Error);
}

} // namespace cvn
