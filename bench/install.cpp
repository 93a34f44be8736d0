// Installation speed: builds a setup program whose package holds about 200 MiB of
// mixed members (text-like and incompressible, small and large) in a volume file
// beside it, then measures in the same run
//   (a) decompressing the archive's blocks straight with libbzip2 into memory, and
//   (b) a full InstallFiles run of the install engine into a temporary folder, with
//       its progress sink bound and no prompts.
// The engine's own cost is b/a; the target is b/a <= 1.15. Each side runs twice,
// alternating, and the better time of each counts. Windows only: the engine's real
// platform is Win32. Everything written is deleted again at the end.

#include "BenchSupport.h"

#include "core/FileSystem.h"
#include "core/Stream.h"
#include "install/CorvaneInstall.h"
#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "install/SystemServices.h"
#include "install/WinSystemValues.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"
#include "script/Condition.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace cvn;
using namespace cvn::bench;

namespace {

constexpr int kRounds = 2;
constexpr uint32_t kFileDate = 0x30E74A21; // 2004-07-07 09:17:02
constexpr int kFolders = 8;

// About 200 MiB: many small files of both kinds, some of a few MiB, a few large ones.
std::vector<MemberPlan> Plan() {
    std::vector<MemberPlan> plan;
    Rng r{77};
    for (int i = 0; i < 900; ++i)
        plan.push_back({1024 + r.Next() % (31 * 1024), true});
    for (int i = 0; i < 300; ++i)
        plan.push_back({1024 + r.Next() % (15 * 1024), false});
    for (int i = 0; i < 40; ++i)
        plan.push_back({(1 << 20) + r.Next() % (2 << 20), true});
    for (int i = 0; i < 8; ++i)
        plan.push_back({8 << 20, true});
    for (int i = 0; i < 8; ++i)
        plan.push_back({5 << 20, false});
    for (size_t i = plan.size(); i > 1; --i)
        std::swap(plan[i - 1], plan[r.Next() % i]);
    return plan;
}

// The window side of the run: no prompts are expected (the target folder starts
// empty), messages are counted, and pumping serves the thread's queue as the wizard
// would.
class BenchUi final : public TInstallUi {
public:
    int messages = 0, prompts = 0;

    void ShowMessage(const std::string& text, TMessageIcon, bool) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    TOverwriteAnswer AskOverwrite(const TOverwritePrompt&) override {
        ++prompts;
        return TOverwriteAnswer::No;
    }
    bool AskNextDisk(const TNextDiskPrompt&, std::string&) override {
        ++prompts;
        return false;
    }
    void CloseMainForm() override {}
    void TerminateApplication() override {}
    void ProcessMessages() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void ShowBillboard(const std::string&, int) override {}
    void CloseBillboard() override {}
};

std::string FolderName(size_t member) {
    return "folder" + std::to_string(member % kFolders);
}

// The package model: one file record per member, spread over a few install folders.
TPackage Model(const std::vector<MemberPlan>& plan) {
    TPackage model;
    TSettingsRecord& s = model.Settings();
    s.softwareName = "Cvn Install Bench";
    s.companyName = "CvnBench";
    model.languages.unnamedTable.emplace();
    for (int n = 0; n < kMessageCount; ++n)
        (*model.languages.unnamedTable)[size_t(n)] = "m" + std::to_string(n);
    for (int k = 0; k < kFolders; ++k)
        model.installFolders.push_back("%InstallDir%\\" + FolderName(size_t(k)));
    for (size_t i = 0; i < plan.size(); ++i) {
        TFileRecord f;
        f.memberId = int32_t(i);
        f.fileDate = kFileDate;
        f.fileSize = uint32_t(plan[i].size);
        f.entry.sourceName = "C:\\build\\file" + std::to_string(i) + ".dat";
        f.entry.targetDir = "%InstallDir%\\" + FolderName(i) + "\\";
        f.entry.overwriteMode = omAlways;
        model.files.push_back(f);
    }
    return model;
}

// Writes the setup program (a stub with the package) beside its volume file.
bool WriteSetup(const std::string& path, const TPackage& model, uint64_t archiveSize) {
    TArchiveParts parts;
    parts.mainArchiveInVolumes = true;
    parts.volumeArchiveSize = archiveSize;
    std::vector<uint8_t> stub(512, 0);
    stub[0] = 'M';
    stub[1] = 'Z';
    std::vector<uint8_t> setup;
    std::string error;
    if (!WritePackage(stub, model, parts, setup, error)) {
        std::fprintf(stderr, "cannot write the package: %s\n", error.c_str());
        return false;
    }
    auto out = CreateOutputFile(path);
    return out && out->Write(setup.data(), setup.size());
}

// One InstallFiles run into installDir; false when the engine reported anything or
// did not install every member.
bool InstallOnce(const std::string& setupPath, const std::string& installDir, size_t members, Best& best,
                 int& progressCalls) {
    TPackage pkg;
    TPackageLayout layout;
    if (PackageResult read = ReadPackageFile(setupPath, pkg, &layout); !read.Ok()) {
        std::fprintf(stderr, "cannot read the package back: %s\n", read.reason.c_str());
        return false;
    }
    TWinSystemValues sys;
    TVariables vars{sys};
    TLanguages languages{vars};
    TComponentSelection selection;
    TConditionEvaluator conditions{vars, selection};
    BenchUi ui;
    languages.Load(pkg.languages);
    selection.Load(pkg.Settings().setupTypeComponents, !pkg.components.empty());
    vars.Program().softwareName = pkg.Settings().softwareName;
    vars.Program().companyName = pkg.Settings().companyName;
    vars.SetVariable("%InstallDir%", installDir);
    vars.SetVariable("%ProgramGroup%", pkg.Settings().softwareName);
    vars.SetVariable("%HotSyncUser%", "");

    TInstallContext ctx;
    ctx.package = &pkg;
    ctx.variables = &vars;
    ctx.languages = &languages;
    ctx.selection = &selection;
    ctx.conditions = &conditions;
    ctx.platform = &WindowsInstallPlatform();
    ctx.ui = &ui;
    ctx.archiveOffset = int32_t(layout.archiveOffset);
    ctx.setupPath = setupPath;

    TCorvaneInstall engine(ctx);
    progressCalls = 0;
    engine.OnInstallProgress.Bind([&](TCorvaneInstall&, int, const std::string&, int) { ++progressCalls; });
    best.Take(Time([&] { engine.InstallFiles(); }));

    size_t files = 0;
    for (const TUninstallItem& item : engine.UninstallLog())
        files += item.kind == ukFile ? 1 : 0;
    if (engine.Aborted() || ui.messages || ui.prompts || files != members) {
        std::fprintf(stderr, "installation went wrong: %zu of %zu files, %d messages, %d prompts%s\n", files,
                     members, ui.messages, ui.prompts, engine.Aborted() ? ", aborted" : "");
        return false;
    }
    return true;
}

int Run(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    const std::string setup = (dir / "setup.exe").string();
    const std::string installDir = (dir / "installed").string();

    auto plan = Plan();
    BuiltArchive built;
    if (!BuildArchive(setup, plan, int32_t(kFileDate), built)) return 1;
    const std::string& archive = built.path;
    const uint64_t total = built.dataBytes;
    if (!WriteSetup(setup, Model(plan), built.archiveBytes)) return 1;

    TSystemServicesScope services;
    if (!services.Ok()) {
        std::fprintf(stderr, "%s\n", services.Error().c_str());
        return 1;
    }
    Best raw, install;
    for (int round = 0; round < kRounds; ++round) {
        uint64_t rawBytes = 0;
        raw.Take(Time([&] { rawBytes = DecompressBlocks(archive); }));
        if (rawBytes != total) {
            std::fprintf(stderr, "raw decompression went wrong\n");
            return 1;
        }
        std::error_code ec;
        fs::remove_all(installDir, ec);
        int progressCalls = 0;
        if (!InstallOnce(setup, installDir, plan.size(), install, progressCalls)) return 1;
        uint64_t installed = 0;
        for (const auto& e : fs::recursive_directory_iterator(installDir))
            if (e.is_regular_file()) installed += e.file_size();
        if (installed != total) {
            std::fprintf(stderr, "installed %llu bytes of %llu\n", (unsigned long long)installed,
                         (unsigned long long)total);
            return 1;
        }
        if (round == 0) std::printf("progress reports per run: %d\n", progressCalls);
    }

    double mib = total / 1048576.0;
    std::printf("                                  wall      MiB/s    cpu\n");
    std::printf("(a) libbzip2 into memory        %6.3f s  %6.1f  %6.3f s\n", raw.wall, mib / raw.wall,
                raw.cpu);
    std::printf("(b) InstallFiles into a folder  %6.3f s  %6.1f  %6.3f s\n", install.wall, mib / install.wall,
                install.cpu);
    std::printf("b/a = %.3f by wall time, %.3f by processor time (target <= 1.15)\n", install.wall / raw.wall,
                install.cpu / raw.cpu);
    std::printf("peak memory of the whole run: %.1f MiB\n", PeakMemoryBytes() / 1048576.0);
    std::printf(
        "install: ratio %.3f (target 1.15), %.3f s against libbzip2's %.3f s (%.1f MiB/s) by wall time\n",
        install.wall / raw.wall, install.wall, raw.wall, mib / raw.wall);
    return 0;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("cvn-install-bench-" + std::to_string(GetCurrentProcessId()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    int rc = Run(dir);
    fs::remove_all(dir, ec);
    return rc;
}
