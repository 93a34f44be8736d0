#include "CorvaneInstall.h"

#include "install/AppManager.h"
#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/SystemFolders.h"
#include "script/Condition.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/VariableList.h"
#include "script/Variables.h"

#include <algorithm>

namespace cvn {

namespace {

constexpr int kMsgCannotCreateFolder = 10;
constexpr int kMsgSharedError = 21;
constexpr int kMsgRegisterServerError = 22;
constexpr int kMsgTypeLibraryError = 23;
constexpr int kMsgCopying = 28;
constexpr int kMsgFinishingDevice = 31;
constexpr int kMsgRegistering = 33;
constexpr int kMsgRemovingComponents = 59;
constexpr int kMsgConduitError = 62;
constexpr int kMsgCannotCreateFile = 66;

// Splits "a, b, c" (the HotSync user list) at ", ".
std::vector<std::string> SplitUserNames(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t sep = text.find(", ", start);
        if (sep == std::string::npos) sep = text.size();
        if (sep > start) names.push_back(text.substr(start, sep - start));
        start = sep + 2;
    }
    return names;
}

} // namespace

int BillboardIndex(int percent, int count) {
    if (count <= 0) return -1;
    if (percent <= 0) return 0;
    if (percent >= 100) return count - 1;
    const int step = 100 / count;
    for (int i = 0; i < count; ++i)
        if (step * i + 1 <= percent && percent <= step * (i + 1)) return i;
    return count - 1;
}

std::string ApplicationIconFileName(std::string_view softwareName) {
    std::string name = DeviceApplicationSafeName(softwareName);
    std::replace(name.begin(), name.end(), '.', '_');
    return name + ".ico";
}

TCorvaneInstall::TCorvaneInstall(const TInstallContext& context)
    : ctx_(context), queries_(*context.package, *context.selection, *context.conditions) {
    appManagerPath_ = WithTrailingBackslash(ctx_.platform->ActiveSyncDir()) + "CEAPPMGR.EXE";
    archive_.SetFiles(ctx_.archiveFiles);
    archive_.OnProgress.Bind(this, &TCorvaneInstall::ArchiveProgress);
    archive_.OnMessage.Bind(this, &TCorvaneInstall::ArchiveMessage);
    archive_.OnRestoreFile.Bind(this, &TCorvaneInstall::ArchiveRestoreFile);
    archive_.OnFileRestored.Bind([this](int32_t id, const std::string& target, OutputFile&, int32_t kind) {
        ArchiveFileRestored(id, target, kind);
    });
    archive_.OnCannotReplace.Bind(this, &TCorvaneInstall::ArchiveCannotReplace);
    archive_.OnNeedVolume.Bind(this, &TCorvaneInstall::ArchiveNeedVolume);
    archive_.OnError.Bind(this, &TCorvaneInstall::ArchiveError);
}

TCorvaneInstall::~TCorvaneInstall() {
    FreeBillboardWindow();
}

void TCorvaneInstall::Abort() {
    aborted_ = true;
    archive_.Stop();
}

// --- helpers ------------------------------------------------------------------

void TCorvaneInstall::Report(int kind, const std::string& text, int value) {
    OnInstallProgress(*this, kind, text, value);
    // The windows stay responsive (and a Cancel can arrive) with or without a sink. A large
    // install reports its position thousands of times, and under Wine every look at the
    // message queue is a call to its server: 50 catch-ups a second keep the windows alive.
    constexpr auto kPumpInterval = std::chrono::milliseconds(20);
    if (kind != ipStatus && kind != ipPosition) return;
    const auto now = std::chrono::steady_clock::now();
    if (kind == ipPosition && now - lastPump_ < kPumpInterval) return;
    lastPump_ = now;
    ctx_.ui->ProcessMessages();
}

void TCorvaneInstall::Status(int message) {
    Report(ipStatus, Message(message));
}

std::string TCorvaneInstall::Message(int number, std::string_view placeholder, std::string_view value) const {
    if (placeholder.empty()) return ctx_.languages->Text(number);
    return ctx_.languages->Text(number, {{placeholder, value}});
}

void TCorvaneInstall::ShowError(int message, std::string_view placeholder, std::string_view value) {
    ctx_.ui->ShowMessage(Message(message, placeholder, value), TMessageIcon::Error);
}

void TCorvaneInstall::FailFolder() {
    ShowError(kMsgCannotCreateFolder);
    ctx_.ui->TerminateApplication();
    Abort();
}

std::string TCorvaneInstall::Expand(std::string_view text) const {
    return ctx_.variables->ExpandVariables(text);
}

std::string TCorvaneInstall::InstallDir() const {
    return WithTrailingBackslash(Expand("%InstallDir%"));
}

bool TCorvaneInstall::Maintenance() const {
    return ctx_.selection->MaintenanceMode();
}

bool TCorvaneInstall::ItemInstalled(const std::string& components, const std::string& condition) const {
    return ctx_.selection->IsItemSelectedForInstall(components) &&
           ctx_.conditions->EvaluateCondition(condition);
}

const TFileRecord* TCorvaneInstall::FindFileRecord(int32_t memberId) const {
    for (const TFileRecord& f : ctx_.package->files)
        if (f.memberId == memberId) return &f;
    return nullptr;
}

bool TCorvaneInstall::IsIconFile(const std::string& path) const {
    return EqualsNoCase(FileNameOf(path), ApplicationIconFileName(ctx_.package->Settings().softwareName));
}

void TCorvaneInstall::NoteFreshFolder(const std::string& folder) {
    // Only a folder that is there now: a drive that is not (never created) holds nothing
    // the run could know of.
    if (ctx_.platform->FolderExists(folder))
        freshFolders_.insert(AsciiUpperCopy(DropTrailingBackslash(folder)));
}

bool TCorvaneInstall::KnownMissing(const std::string& target) const {
    // A name the system could match with another spelling of what the run wrote (other
    // cases beyond ASCII, a short name, dropped trailing dots and spaces, "/" as a
    // separator) is looked up as usual.
    const std::string name = FileNameOf(target);
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (char c : target)
        if (uint8_t(c) >= 0x80 || c == '~' || c == '/') return false;
    return freshFolders_.count(AsciiUpperCopy(FileDirOf(target))) &&
           !writtenTargets_.count(AsciiUpperCopy(target));
}

void TCorvaneInstall::Log(uint8_t kind, std::string path) {
    TUninstallItem item;
    item.kind = kind;
    item.path = std::move(path);
    log_.push_back(std::move(item));
}

// --- billboards -----------------------------------------------------------------

void TCorvaneInstall::ShowBillboard(int percent) {
    const std::vector<std::string>& pictures = ctx_.package->billboards;
    int index = BillboardIndex(percent, int(pictures.size()));
    if (index == -1 || index == currentBillboard_) return;
    currentBillboard_ = index;
    std::string path = Expand("%TempSetupDir%\\" + pictures[size_t(index)]);
    if (!ctx_.platform->FileExists(path)) return;
    ctx_.ui->ShowBillboard(path, progressTop_);
    billboardShown_ = true;
}

void TCorvaneInstall::FreeBillboardWindow() {
    if (!billboardShown_) return;
    billboardShown_ = false;
    ctx_.ui->CloseBillboard();
}

// --- InstallFiles ---------------------------------------------------------------

void TCorvaneInstall::InstallFiles() {
    if (aborted_) return;
    Status(kMsgCopying);
    if (!CreateInstallFolders()) return;
    ExtractArchives();

    if (!aborted_ && !Maintenance() && ctx_.appManager) {
        std::vector<std::string> failed;
        for (std::string& ini : ctx_.appManager->WriteIniFiles(iconPath_, failed))
            Log(ukPlainFile, std::move(ini));
        // The manager would miss that application; the user learns which file it is and
        // the run goes on with the others.
        for (const std::string& ini : failed)
            ctx_.ui->ShowMessage(Message(kMsgCannotCreateFile, "<file>", ini), TMessageIcon::Warning);
    }

    Status(kMsgRegistering);
    ClearDetail();
    RegisterInstalledFiles();
    RegisterConduits();
}

bool TCorvaneInstall::CreateInstallFolders() {
    const std::string installDir = Expand("%InstallDir%");
    const bool existed = ctx_.platform->FolderExists(installDir);
    if (!ctx_.platform->CreateFolderPath(installDir)) {
        FailFolder();
        return false;
    }
    if (!existed) NoteFreshFolder(installDir);
    if (!Maintenance()) Log(ukDirectory, installDir);

    return CreateUsedFolders(ctx_.package->installFolders, &TSelectionQueries::FolderIsUsed);
}

bool TCorvaneInstall::CreateUsedFolders(std::vector<std::string> folders,
                                        bool (TSelectionQueries::*isUsed)(std::string_view) const) {
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    for (const std::string& folder : folders) {
        // Only a folder that a selected item goes into is made.
        if (!(queries_.*isUsed)(folder)) continue;
        const std::string expanded = Expand(folder);
        const bool existed = ctx_.platform->FolderExists(expanded);
        if (Maintenance() && existed) continue;
        if (!ctx_.platform->CreateFolderPath(expanded)) {
            FailFolder();
            return false;
        }
        if (!existed) NoteFreshFolder(expanded);
        Log(ukDirectory, expanded);
    }
    return true;
}

void TCorvaneInstall::ExtractArchives() {
    const TPackage& pkg = *ctx_.package;
    if (ctx_.archiveOffset < 1) {
        // The setup is spread over volume files named after the setup program.
        const std::string first =
            WithTrailingBackslash(FileDirOf(ctx_.setupPath)) + VolumeFileName(FileNameOf(ctx_.setupPath), 1);
        ExtractPart(first, -1, 0, 0, 100);
        return;
    }
    const std::vector<TComponentRecord>& comps = pkg.components;
    if (pkg.progress.mainArchiveSize > 0) {
        int32_t max = comps.empty() ? 100 : comps.front().progressStart;
        if (!ExtractPart(ctx_.setupPath, ctx_.archiveOffset, 0, pkg.progress.mainArchiveSize, max)) return;
    }
    for (size_t i = 0; i < comps.size(); ++i) {
        if (comps[i].archiveSize <= 0) continue;
        int32_t max = i + 1 < comps.size() ? comps[i + 1].progressStart : 100;
        if (!ExtractPart(ctx_.setupPath, comps[i].archiveOffset, comps[i].progressStart, comps[i].archiveSize,
                         max))
            return;
    }
}

// One archive pass. False when extraction has to end: the run was aborted, or the
// pass failed and ended the run.
bool TCorvaneInstall::ExtractPart(const std::string& path, int32_t offset, int32_t base, int32_t span,
                                  int32_t max) {
    if (aborted_) return false;
    archive_.ProgressBase = base;
    archive_.ProgressSpan = span;
    archive_.ProgressMax = max;
    archive_.ProgressFactor = ctx_.package->progress.factor;
    const std::string target = Expand("%InstallDir%");
    try {
        if (offset < 0) {
            archive_.ExtractFromFile(path, target);
        } else {
            ArchiveFiles& files = ctx_.archiveFiles ? *ctx_.archiveFiles : ArchiveFiles::Default();
            std::unique_ptr<InputStream> in = files.OpenVolume(path);
            if (!in || !in->Seek(uint64_t(offset)))
                throw ECVNZipError("Setup cannot read the archive: " + path + " cannot be opened");
            archive_.ExtractFromStream(*in, target, path);
        }
    } catch (const std::exception& e) {
        // Files are missing and the package is damaged: the program ends.
        ctx_.ui->ShowMessage(e.what(), TMessageIcon::Error);
        ctx_.ui->TerminateApplication();
        Abort();
        return false;
    }
    const int32_t error = archive_.ErrorCode();
    if (error == TSetupCVNZip::kWriteError)
        // The user learns which target could not be written instead of finding files missing later.
        ctx_.ui->ShowMessage(Message(66, "<file>", archive_.CurrentTargetPath()), TMessageIcon::Warning);
    if (error != TSetupCVNZip::kNoError) {
        // A failed pass (a target that cannot be written, or a damaged block after
        // "Corvane Zip file corrupted.") ends the run like an unreadable archive
        // does. The reader stopped in the middle of the archive, so the members after
        // the failed one are missing whatever comes next; going on with the later
        // archives, the shortcuts, the registry and the uninstall entry would
        // register a product whose files were left out.
        ctx_.ui->TerminateApplication();
        Abort();
        return false;
    }
    return !aborted_;
}

void TCorvaneInstall::RegisterInstalledFiles() {
    for (size_t i = 0; i < log_.size() && !aborted_; ++i) {
        if (log_[i].kind != ukFile) continue;
        const TFileEntry entry = log_[i].file;
        const std::string path = log_[i].path;
        if (entry.hotSyncInstall) {
            if (ctx_.hotSync)
                for (const std::string& user : SplitUserNames(Expand("%HotSyncUser%")))
                    ctx_.hotSync->InstallForUser(user, path);
            continue;
        }
        if (entry.shared && ctx_.platform->WindowsMajorVersion() >= 4 &&
            !ctx_.platform->IncSharedDllCount(path))
            ShowError(kMsgSharedError, "<file>", path);
        if ((entry.registerServer || entry.activeX) && !ctx_.platform->RegisterServer(path))
            ShowError(kMsgRegisterServerError, "<file>", path);
        if (entry.registerTypeLib && !ctx_.platform->RegisterTypeLibrary(path))
            ShowError(kMsgTypeLibraryError, "<file>", path);
        // The installed file, not the package author's SourceName: the system's font
        // list and the running system must find the font where it now is.
        if (entry.font) ctx_.platform->RegisterFont(path, entry.fontName, true);
    }
}

void TCorvaneInstall::RegisterConduits() {
    if (!ctx_.hotSync) return;
    for (const TConduitRecord& conduit : ctx_.package->conduits) {
        if (aborted_) return;
        const std::string file = Expand(conduit.conduitFile);
        if (!ctx_.platform->FileExists(file)) continue;
        if (ctx_.hotSync->RegisterConduit(conduit))
            Log(ukConduit, conduit.creatorId);
        else
            ShowError(kMsgConduitError, "<file>", file);
    }
}

// --- later steps ----------------------------------------------------------------

void TCorvaneInstall::RemoveDeselectedComponents(int scale) {
    if (aborted_ || !Maintenance()) return;
    Status(kMsgRemovingComponents);
    ClearDetail();
    progressBase_ = scale;
    if (!ctx_.previous) return;
    ctx_.previous->RemoveDeselectedComponents([this](int done, int total) {
        const int half = progressBase_ / 2;
        // An empty removal reports the whole half at once instead of dividing by 0.
        const int position = total > 0 ? half + int(int64_t(done) * half / total) : progressBase_;
        Report(ipPosition, {}, position);
    });
}

std::string TCorvaneInstall::GetAppManagerArgs() {
    if (aborted_ || !ctx_.appManager || !ctx_.platform->FileExists(appManagerPath_)) return {};
    return ctx_.appManager->IniArguments();
}

void TCorvaneInstall::RunAppManager() {
    if (aborted_) return;
    const std::string args = GetAppManagerArgs();
    if (args.empty()) return;
    Status(kMsgFinishingDevice);
    ClearDetail();
    ctx_.appManager->RunAndWait(appManagerPath_, args, InstallDir());
}

void TCorvaneInstall::DeleteCarrierFiles() {
    if (aborted_) return;
    for (const TUninstallItem& item : log_)
        if (item.kind == ukDeviceFile || item.kind == ukPlainFile) ctx_.platform->RemoveFile(item.path);
    // Folders are logged parents first; removing them last-first lets a parent go
    // once its emptied children are gone.
    for (auto it = log_.rbegin(); it != log_.rend(); ++it)
        if (it->kind == ukDirectory) ctx_.platform->RemoveEmptyFolder(it->path);
}

} // namespace cvn
