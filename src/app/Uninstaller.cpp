#include "app/Uninstaller.h"

#include "app/Startup.h"
#include "install/PreviousInstallation.h"
#include "install/UninstallRegistration.h"
#include "script/Languages.h"

namespace cvn {

namespace {

// Positions of the texts in the uninstall data's list of 24.
constexpr size_t kTextTitle = 0, kTextConfirm = 1, kTextRemoving = 2, kTextDone = 3, kTextNotAll = 4;

bool SameFile(const std::string& a, const std::string& b) {
    return AsciiUpperCopy(a) == AsciiUpperCopy(b);
}

class TUninstall {
public:
    TUninstall(const TUninstallerArgs& args, TSetupRun& run, TRemovalPlatform& platform,
               TUninstallerHost& host)
        : args_(args), run_(run), platform_(platform), host_(host) {}

    int Run();

private:
    std::string Text(size_t n) const { return run_.variables.ExpandVariables(data_.uninstallerTexts[n]); }
    void Show(const std::string& text, TMessageIcon icon) {
        if (!args_.silent) host_.ShowMessage(text, icon);
    }
    // A script that ends with a close statement, unless it set %CanClose% to "0",
    // ends the uninstall.
    bool ScriptLetsGoOn(const TScript& script) {
        if (run_.interpreter.RunScript(script)) return true;
        const std::string* canClose = run_.variables.Store().Find("%CanClose%");
        return canClose && *canClose == "0";
    }
    void RemoveOwnFiles();

    const TUninstallerArgs& args_;
    TSetupRun& run_;
    TRemovalPlatform& platform_;
    TUninstallerHost& host_;
    TUninstallData data_;
};

// The uninstaller program in the Windows folder serves every product installed by
// this setup; it goes only with the last product that names it.
void TUninstall::RemoveOwnFiles() {
    platform_.RemoveFile(args_.dataPath);
    const std::string self = host_.ProgramPath();
    for (const std::string& command :
         host_.OtherUninstallStrings(UninstallKeyPath(data_.companyName, data_.softwareName))) {
        std::string program = command;
        if (!program.empty() && program[0] == '"')
            program = program.substr(1, program.find('"', 1) - 1);
        else
            program = program.substr(0, program.find(' '));
        if (SameFile(program, self)) return;
    }
    host_.RemoveProgramAtRestart(self);
}

int TUninstall::Run() {
    if (args_.dataPath.empty()) {
        Show("Usage: cvnuninst.exe \"<folder>\\uninst.dat\" [/S]", TMessageIcon::Error);
        return kExitFailed;
    }
    std::vector<uint8_t> bytes;
    if (!host_.ReadFile(args_.dataPath, bytes)) {
        Show("The uninstall data file \"" + args_.dataPath + "\" cannot be read. Nothing has been removed.",
             TMessageIcon::Error);
        return kExitFailed;
    }
    TUninstallDataRead read = ReadUninstallDataBytes(bytes);
    if (!read.ok) {
        Show(read.problem, TMessageIcon::Error);
        return kExitFailed;
    }
    data_ = std::move(read.data);
    ApplyUninstallData(data_, run_.package, run_.variables, &run_.languages);
    host_.SetTitle(Text(kTextTitle));
    if (!args_.silent && !host_.Confirm(Text(kTextConfirm))) return kExitOk;

    if (!ScriptLetsGoOn(run_.package.eventScripts[5])) return kExitOk;

    // The log lists the data file itself among the files that go without a question,
    // so it is gone before the installation folder is tried; the uninstaller program
    // stays until the end.
    std::vector<TUninstallItem>& log = data_.items;

    TRemovalTexts texts = TRemovalTexts::From(data_);
    TRemovalHooks hooks;
    hooks.expand = [this](const std::string& t) { return run_.variables.ExpandVariables(t); };
    hooks.processMessages = [this] { host_.ProcessMessages(); };
    hooks.progress = [this](int total, int done, bool&) { host_.Progress(total, done); };
    // Without questions the safe answer keeps the file.
    hooks.ask = [&](const std::string& question, const std::string& path) {
        return args_.silent ? TRemoveAnswer::No : host_.Ask(texts, question, path);
    };
    if (!args_.silent) host_.ShowProgress(Text(kTextRemoving));
    TRemover remover(platform_, texts, hooks);
    remover.Remove(log, data_.installedComponents, "", true);
    RemoveUninstallEntry(platform_, data_.companyName, data_.softwareName);
    if (!args_.silent) host_.CloseProgress();

    ScriptLetsGoOn(run_.package.eventScripts[6]);
    if (!args_.silent) {
        if (remover.NotRemoved().empty())
            host_.ShowMessage(Text(kTextDone), TMessageIcon::Information);
        else
            host_.ShowNotRemoved(Text(kTextNotAll), remover.NotRemoved());
    }
    RemoveOwnFiles();
    return kExitOk;
}

} // namespace

TUninstallerArgs ParseUninstallerArgs(const std::vector<std::string>& args) {
    TUninstallerArgs parsed;
    for (const std::string& arg : args) {
        if (arg == "/S" || arg == "/s")
            parsed.silent = true;
        else if (parsed.dataPath.empty())
            parsed.dataPath = arg;
    }
    return parsed;
}

int RunUninstaller(const TUninstallerArgs& args, TSetupRun& run, TRemovalPlatform& platform,
                   TUninstallerHost& host) {
    return TUninstall(args, run, platform, host).Run();
}

} // namespace cvn
