#pragma once

// An install engine over the in-memory Windows of FakeInstall.h, with the real
// variables, messages, selection and conditions. Message n reads "m<n>", followed by
// its placeholder where it has one, so tests can see which message was shown.

#include "FakeInstall.h"
#include "install/CorvaneInstall.h"
#include "package/CVNZipWriter.h"
#include "script/Condition.h"
#include "script/FakeSystemValues.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace cvn::test {

inline std::string MessageText(int n) {
    std::string text = "m" + std::to_string(n);
    switch (n) {
    case 20:
    case 51:
        return text + " <disk>";
    case 65:
        return text + " <component>";
    case 21:
    case 22:
    case 23:
    case 25:
    case 26:
    case 27:
    case 62:
    case 66:
        return text + " <file>";
    default:
        return text;
    }
}

struct TProgressReport {
    int kind;
    std::string text;
    int value;
};

class EngineFixture : public ::testing::Test {
protected:
    static constexpr const char* kInstallDir = "C:\\Program Files\\Acme";

    EngineFixture() {
        TLanguageSection section;
        section.unnamedTable.emplace();
        for (int n = 0; n < kMessageCount; ++n)
            (*section.unnamedTable)[size_t(n)] = MessageText(n);
        languages.Load(section);
        vars.Program().softwareName = "Acme Tool";
        vars.Program().companyName = "Acme";
        vars.Program().tempSetupDir = "C:\\TEMP\\cvn001";
        vars.SetVariable("%InstallDir%", kInstallDir);
        vars.SetVariable("%ProgramGroup%", "Acme");
        vars.SetVariable("%HotSyncUser%", "");
        pkg.Settings().softwareName = "Acme Tool";
        pkg.Settings().companyName = "Acme";
        selection.Load({"Main|Help", "Main", ""}, true);

        ctx.package = &pkg;
        ctx.variables = &vars;
        ctx.languages = &languages;
        ctx.selection = &selection;
        ctx.conditions = &conditions;
        ctx.platform = &platform;
        ctx.ui = &ui;
        ctx.archiveFiles = &platform;
        ctx.setupPath = "D:\\dl\\setup.exe";
    }

    TCorvaneInstall& Engine() {
        if (!engine) {
            engine = std::make_unique<TCorvaneInstall>(ctx);
            engine->OnInstallProgress.Bind(
                [this](TCorvaneInstall&, int kind, const std::string& text, int value) {
                    progress.push_back({kind, text, value});
                });
            ui.onClose = [this] {
                if (abortOnClose) engine->Abort();
            };
        }
        return *engine;
    }

    TFileRecord& AddFile(int32_t id, const std::string& name, const std::string& dir = "%InstallDir%\\",
                         uint8_t mode = omAlways, const std::string& components = "",
                         const std::string& condition = "") {
        TFileRecord f;
        f.memberId = id;
        f.fileDate = 0x30000000;
        f.fileSize = 3;
        f.entry.sourceName = "build\\" + name;
        f.entry.targetDir = dir;
        f.entry.overwriteMode = mode;
        f.entry.components = components;
        f.entry.condition = condition;
        pkg.files.push_back(f);
        return pkg.files.back();
    }

    // OnRestoreFile for one member: (target, write, kind).
    std::tuple<std::string, bool, int32_t> Restore(int32_t id) {
        std::string target = kInstallDir;
        bool write = true;
        int32_t kind = -1;
        Engine().ArchiveRestoreFile(id, target, write, 0, kind);
        return {target, write, kind};
    }

    // Builds the main archive from the package's files (member data "data<id>") and
    // puts it into the setup program at an offset.
    void BuildSetupWithArchive(std::vector<std::string> componentMessages = {}) {
        TCVNZipWriter w;
        ASSERT_TRUE(w.CreateInMemory());
        for (const std::string& m : componentMessages)
            w.AddMessage(m);
        for (const TFileRecord& f : pkg.files) {
            std::string data = "data" + std::to_string(f.memberId);
            ASSERT_TRUE(w.AddMember(f.memberId, 0x2B214A21,
                                    std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size())));
        }
        ASSERT_TRUE(w.Finish());
        std::vector<uint8_t> archive = w.TakeData();
        std::string setup(100, 'S');
        setup.append(archive.begin(), archive.end());
        platform.PutFile(ctx.setupPath, setup);
        ctx.archiveOffset = 100;
        pkg.progress.mainArchiveSize = int32_t(archive.size());
        pkg.progress.factor = 100.0 / double(archive.size());
    }

    std::vector<std::string> Shown() const { return ui.Texts(); }
    std::vector<std::string> LogPaths() const {
        std::vector<std::string> paths;
        for (const auto& i : engine->UninstallLog())
            paths.push_back(std::to_string(i.kind) + " " + i.path);
        return paths;
    }

    TFakeSystemValues sys;
    TVariables vars{sys};
    TLanguages languages{vars};
    TComponentSelection selection;
    TConditionEvaluator conditions{vars, selection};
    TPackage pkg;
    TFakePlatform platform;
    TFakeUi ui;
    TInstallContext ctx;
    bool abortOnClose = true;
    std::unique_ptr<TCorvaneInstall> engine;
    std::vector<TProgressReport> progress;

    // The bar positions reported so far, in order.
    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (auto& p : progress)
            if (p.kind == ipPosition) positions.push_back(p.value);
        return positions;
    }
};

} // namespace cvn::test
