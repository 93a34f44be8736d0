#include "app/Startup.h"

#include "app/HandOver.h"
#include "core/FileSystem.h"
#include "core/NumberText.h"
#include "install/HotSync.h"
#include "script/Languages.h"
#include "script/VariableNames.h"

#include <exception>

namespace cvn {

namespace {

#ifdef _WIN32
constexpr char kDelimiter = '\\';
#else
constexpr char kDelimiter = '/';
#endif

std::string WithDelimiter(std::string path) {
    if (path.empty() || !IsPathDelimiter(path.back())) path += kDelimiter;
    return path;
}

// The file-name part of a name as the packaging tool stored it: a Windows path
// whatever system reads it.
std::string StoredFileName(const std::string& name) {
    size_t slash = name.find_last_of("\\/:");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string Replace(std::string text, const std::string& placeholder, const std::string& value) {
    return ReplacePlaceholder(text, placeholder, value);
}

// One start-up run. Each step either succeeds or ends the run through Fail, which
// shows the message and runs the clean-up routine.
class TStartup {
public:
    TStartup(TSetupRun& run, TStartupHost& host) : run_(run), host_(host) {}

    int Run();

private:
    int Fail(const std::string& message, TMessageIcon icon = TMessageIcon::Error) {
        host_.CloseStartupWindows();
        host_.ShowMessage(message, icon);
        run_.CleanUp();
        return kExitFailed;
    }
    // A section that does not fit its frame. The fixed message tells the user what
    // to do; the reader's reason says which section, for whoever they call.
    int Damaged(const PackageResult& result) {
        std::string message = result.UserMessage();
        if (!result.reason.empty()) message += "\n\n(" + result.reason + ")";
        return Fail(message);
    }
    std::string Expand(const std::string& text) const { return run_.variables.ExpandVariables(text); }
    std::string ExpandedTitle() const { return Expand(run_.package.Settings().appearance.windowTitle); }

    bool OpenPackage(int& exitCode);
    bool InitialiseRun(int& exitCode);
    bool CompanionsPresent(int& exitCode);
    bool ExtractionPass(int pass, int& exitCode);
    bool ReadRemainingSections(int& exitCode);
    void SetStartupVariables();
    void ShowLoader();
    void ShowSplashWhenExtracted();

    TSetupRun& run_;
    TStartupHost& host_;
    bool haveSupportFiles_ = false;
};

bool TStartup::OpenPackage(int& exitCode) {
    run_.packageStream = FileInputStream::Open(host_.ExecutablePath());
    if (!run_.packageStream) {
        host_.ShowMessage(kInternalErrorMessage, TMessageIcon::Error);
        exitCode = kExitFailed;
        return false;
    }
    run_.reader = std::make_unique<TPackageReader>(*run_.packageStream);
    PackageResult opened = run_.reader->Open();
    if (!opened) {
        // Nothing exists yet that the clean-up routine would remove.
        host_.ShowMessage(opened.UserMessage(), TMessageIcon::Error);
        exitCode = kExitFailed;
        return false;
    }
    return true;
}

bool TStartup::InitialiseRun(int& exitCode) {
    // The desktop software is looked up once, before anything can expand %HotSyncDir%.
    TheHotSync().LoadHotSyncInfo(host_.HotSyncEnvironment());

    // Expansion needs the software and company names before the variables exist.
    TProductSection scratch;
    if (PackageResult r = run_.reader->ReadProduct(scratch); !r) {
        exitCode = Damaged(r);
        return false;
    }
    TProgramValues& program = run_.variables.Program();
    program.softwareName = scratch.settings.softwareName;
    program.companyName = scratch.settings.companyName;
    run_.selection.Load(scratch.settings.setupTypeComponents, false);

    std::string temp = host_.SystemTempFolder();
    run_.tempSetupDir = CreateTempSetupFolder(temp);
    if (run_.tempSetupDir.empty()) {
        exitCode = Fail(Replace(kNoTempFolderMessage, "<folder>", temp));
        return false;
    }
    program.tempSetupDir = run_.tempSetupDir;
    return true;
}

bool TStartup::CompanionsPresent(int& exitCode) {
    const TStartupFlags& flags = run_.Flags();
    if (flags.requiresActiveSync && !host_.IsApplicationManagerRegistered()) {
        exitCode = Fail(run_.languages.Text(kMsgActiveSyncMissing), TMessageIcon::Information);
        return false;
    }
    if (flags.requiresHotSync && !TheHotSync().IsHotSyncInstalled()) {
        exitCode = Fail(run_.languages.Text(kMsgHotSyncMissing), TMessageIcon::Information);
        return false;
    }
    return true;
}

void TStartup::ShowLoader() {
    const TSettingsRecord& settings = run_.package.Settings();
    TLoaderLook look;
    look.title = ExpandedTitle();
    look.message = run_.languages.Text(kMsgPreparing);
    look.useSetupFont = !run_.Flags().keepSystemFont;
    look.setupFont = settings.appearance.setupFont;
    look.nearBottomRight = !settings.appearance.splashPicture.empty();
    host_.ShowLoader(look);
}

bool TStartup::ExtractionPass(int pass, int& exitCode) {
    if (!haveSupportFiles_) return true;
    InputStream& stream = *run_.packageStream;
    if (!stream.Seek(run_.Layout().SectionStart(kSecMainArchive))) {
        exitCode = Fail(kInternalErrorMessage);
        return false;
    }
    TSupportFileSelector selector(run_, pass);
    int32_t errorCode = 0;
    std::string failedFile;
    bool ok;
    try {
        ok = host_.ExtractSupportFiles(stream, host_.ExecutablePath(), pass, Expand("%InstallDir%"), selector,
                                       errorCode, failedFile);
    } catch (const std::exception& e) {
        exitCode = Fail(e.what());
        return false;
    }
    // Only an unreadable archive ends the start-up. A pass that stops at a file it
    // cannot write or decompress leaves that file (and the ones after it) out: a
    // damaged picture is no reason not to install, so the user is told which file
    // and the setup goes on.
    if (!ok && errorCode != 0)
        host_.ShowMessage(
            Replace(errorCode == 1 ? kSupportWriteMessage : kSupportDataMessage, "<file>", failedFile),
            TMessageIcon::Warning);
    return true;
}

void TStartup::ShowSplashWhenExtracted() {
    const std::string& splash = run_.package.Settings().appearance.splashPicture;
    if (splash.empty()) return;
    std::string path = WithDelimiter(run_.tempSetupDir) + splash;
    if (!FileExists(path) || !host_.ShowSplash(path)) return;
    host_.Wait(kSplashMilliseconds);
}

bool TStartup::ReadRemainingSections(int& exitCode) {
    TPackage& p = run_.package;
    if (PackageResult r = run_.reader->ReadListSections(p); !r) {
        exitCode = Damaged(r);
        return false;
    }
    // Whether the package has components at all is known only now; %SetupType% picks
    // the type 0 list again when the start-up variables are set.
    run_.selection.Load(p.Settings().setupTypeComponents, !p.components.empty());
    run_.variables.Program().folderVariableList = p.installFolders;

    if (auto pages = FindWizardPageRange(p.dialogs)) {
        run_.firstPageName = p.dialogs[pages->first].name;
        run_.lastPageName = p.dialogs[pages->last].name;
    }
    return true;
}

void TStartup::SetStartupVariables() {
    const TSettingsRecord& settings = run_.package.Settings();
    run_.variables.InitVariables(CollectVariableNames(run_.package), settings.defaultInstallDir,
                                 settings.defaultProgramGroup, run_.languages.ChosenName());
}

int TStartup::Run() {
    int exitCode = kExitOk;
    host_.SetApplicationTitle(kDefaultApplicationTitle);
    if (!OpenPackage(exitCode) || !InitialiseRun(exitCode)) return exitCode;

    TPackage& p = run_.package;
    TPackageReader& reader = *run_.reader;
    if (PackageResult r = reader.ReadCustomVariables(p.customVariables); !r) return Damaged(r);
    run_.variables.LoadCustomVariables(p.customVariables);
    if (PackageResult r = reader.ReadProduct(p.product); !r) return Damaged(r);
    if (PackageResult r = reader.ReadAppearance(p.Settings().appearance); !r) return Damaged(r);
    TLanguageSection languages;
    if (PackageResult r = reader.ReadLanguages(languages); !r) return Damaged(r);
    run_.languages.Load(std::move(languages));

    if (!CompanionsPresent(exitCode)) return exitCode;
    if (PackageResult r = reader.ReadSupportFiles(p.supportFiles); !r) return Damaged(r);
    host_.SetApplicationTitle(ExpandedTitle());
    ShowLoader();

    if (PackageResult r = reader.ReadSupportFilesFlag(p.supportFilesFlag); !r) return Damaged(r);
    haveSupportFiles_ = p.supportFilesFlag == 1;
    if (!ExtractionPass(1, exitCode)) return exitCode;
    ShowSplashWhenExtracted();

    if (!ReadRemainingSections(exitCode)) return exitCode;
    SetStartupVariables();
    host_.SetApplicationTitle(ExpandedTitle());
    if (!ExtractionPass(0, exitCode)) return exitCode;
    host_.CloseStartupWindows();

    if (!run_.interpreter.RunScript(p.eventScripts[0])) {
        run_.CleanUp();
        return kExitOk;
    }
    if (run_.Flags().backgroundWindow) {
        if (PackageResult r = reader.ReadBackgroundItems(p.backgroundItems); !r) return Damaged(r);
    }
    return HandOver(run_, host_);
}

} // namespace

std::string CreateTempSetupFolder(const std::string& systemTemp) {
    const std::string base = WithDelimiter(systemTemp) + "cvn";
    for (int n = 1; n <= 999; ++n) {
        std::string path = base + ZeroPadded(uint32_t(n), 3);
        if (FolderExists(path) || FileExists(path)) continue;
        if (CreatePrivateFolder(path)) return path;
        // Someone else took the name in the meantime: try the next one. Any other
        // failure will not go away with another name.
        if (!FolderExists(path) && !FileExists(path)) return {};
    }
    return {};
}

TWindowPlace CentredPlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    return {screenWidth / 2 - windowWidth / 2, screenHeight / 2 - windowHeight / 2};
}

TWindowPlace LoaderPlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                         bool nearBottomRight) {
    if (nearBottomRight) return {screenWidth - windowWidth - 32, screenHeight - windowHeight - 48};
    return CentredPlace(screenWidth, screenHeight, windowWidth, windowHeight);
}

void TSupportFileSelector::operator()(int32_t memberId, std::string& target, bool& extract) {
    const TSupportFile* record = nullptr;
    for (const TSupportFile& f : run_.package.supportFiles)
        if (f.memberId == memberId) {
            record = &f;
            break;
        }
    if (!record) {
        extract = false;
        return;
    }
    const std::string name = StoredFileName(record->entry.sourceName);
    target = WithDelimiter(run_.variables.ExpandVariables(record->entry.targetDir)) + name;
    const bool isSplash = EqualsNoCase(name, run_.package.Settings().appearance.splashPicture);
    extract = pass_ == 1 ? isSplash : !isSplash;
    if (extract) run_.extractedSupportFiles.push_back(target);
}

int RunSetup(TSetupRun& run, TStartupHost& host) {
    return TStartup(run, host).Run();
}

} // namespace cvn
