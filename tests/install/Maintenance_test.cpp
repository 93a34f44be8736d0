#include "install/Maintenance.h"

#include "FakeInstall.h"
#include "package/StatementCodes.h"
#include "script/Condition.h"
#include "script/FakeCommandPlatform.h"
#include "script/FakeSystemValues.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;

namespace {

const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Tide Charts";
const char* kData = "C:\\Program Files\\Acme\\uninst.dat";

TUninstallItem Item(uint8_t kind, const std::string& path, const std::string& components = "") {
    TUninstallItem i;
    i.kind = kind;
    i.path = path;
    i.file.components = components;
    return i;
}

class MaintenanceTest : public ::testing::Test {
protected:
    MaintenanceTest() : vars(system), languages(vars), conditions(vars, selection) {
        selection.Attach(vars);
        pkg.Settings().softwareName = "Tide Charts";
        pkg.Settings().companyName = "Acme";
        selection.Load({"Main", "Main", ""}, true);
        vars.SetVariable("%Seen%", "before");

        TUninstallData data;
        data.softwareName = "Tide Charts";
        data.companyName = "Acme";
        data.installedComponents = "Main|Help";
        data.variables = {"%InstallDir%=C:\\Program Files\\Acme", "%Mood%=kept"};
        data.items = {Item(ukDirectory, "C:\\Program Files\\Acme"),
                      Item(ukFile, "C:\\Program Files\\Acme\\main.exe", "Main"),
                      Item(ukFile, "C:\\Program Files\\Acme\\help.chm", "Help")};
        std::vector<uint8_t> bytes = BuildUninstallData(data);
        dataFile.assign(bytes.begin(), bytes.end());
        pc.CreateFolderPath("C:\\Program Files\\Acme");
        pc.PutFile("C:\\Program Files\\Acme\\main.exe");
        pc.PutFile("C:\\Program Files\\Acme\\help.chm");

        TMaintenance::TParts parts;
        parts.package = &pkg;
        parts.variables = &vars;
        parts.languages = &languages;
        parts.selection = &selection;
        parts.registry = &registry;
        parts.readFile = [this](const std::string& path, std::vector<uint8_t>& bytes) {
            if (path != kData) return false;
            bytes.assign(dataFile.begin(), dataFile.end());
            return true;
        };
        parts.showError = [this](const std::string& t) { errors.push_back(t); };
        parts.removal = &pc;
        maintenance = std::make_unique<TMaintenance>(parts);
    }
    void Register(const std::string& uninstallString) {
        registry.keys[{TRegRoot::LocalMachine, kKey}].values["DisplayVersion"] = TRegValue::Text("1.0");
        registry.keys[{TRegRoot::LocalMachine, kKey}].values["UninstallString"] =
            TRegValue::Text(uninstallString);
    }

    TFakeSystemValues system;
    TVariables vars;
    TLanguages languages;
    TComponentSelection selection;
    TConditionEvaluator conditions;
    TPackage pkg;
    TFakePc registry;
    TFakePlatform pc;
    std::string dataFile;
    std::vector<std::string> errors;
    std::unique_ptr<TMaintenance> maintenance;
};

} // namespace

TEST(MaintenanceComponents, AddedAreNewAndRemovedAreGoneInTheirOwnOrder) {
    EXPECT_EQ(MaintenanceComponentsToAdd("Main|Help", "extras|MAIN|Tools"), "extras|Tools");
    EXPECT_EQ(MaintenanceComponentsToRemove("Main|Help|Samples", "extras|MAIN"), "Help|Samples");
    EXPECT_EQ(MaintenanceComponentsToRemove("", "Main"), "");
}

TEST_F(MaintenanceTest, LoadsTheRegisteredProductAndRemovesWhatIsNoLongerSelected) {
    Register("\"C:\\WINDOWS\\cvnuninst.exe\" \"C:\\Program Files\\Acme\\uninst.dat\"");
    TInterpreter interpreter(vars, conditions, TCommandPlatform{&registry, &registry, &registry, &registry});
    maintenance->Install(interpreter);
    interpreter.RunScript({{uint8_t(StatementCommand::scLoadPreviousInstallation), {}, ""}});

    ASSERT_TRUE(maintenance->Loaded());
    EXPECT_TRUE(selection.MaintenanceMode());
    EXPECT_EQ(selection.SetupTypeList(2), "Main|Help");
    EXPECT_EQ(selection.Current(), "Main|Help") << "setup type 2 starts from what was installed";
    EXPECT_EQ(*vars.Store().Find("%SetupType%"), "2");
    EXPECT_EQ(*vars.Store().Find("%Mood%"), "kept");
    EXPECT_EQ(vars.Store().Find("%Seen%"), nullptr) << "the store is the saved one";

    selection.SetCurrent("Main|Tools", true);
    std::vector<std::pair<int, int>> steps;
    maintenance->RemoveDeselectedComponents([&](int done, int total) { steps.emplace_back(done, total); });
    EXPECT_FALSE(pc.Has("C:\\Program Files\\Acme\\help.chm"));
    EXPECT_TRUE(pc.Has("C:\\Program Files\\Acme\\main.exe"));
    ASSERT_EQ(maintenance->Items().size(), 2u);
    EXPECT_EQ(maintenance->Items()[1].path, "C:\\Program Files\\Acme\\main.exe");
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), std::make_pair(3, 3));
}

TEST_F(MaintenanceTest, UnregisteredOrForeignDataLeavesTheRunAsItWas) {
    EXPECT_FALSE(maintenance->LoadPreviousInstallation());
    Register("C:\\WINDOWS\\cvnuninst.exe C:\\elsewhere\\uninst.dat");
    EXPECT_FALSE(maintenance->LoadPreviousInstallation());
    Register("C:\\WINDOWS\\cvnuninst.exe \"C:\\Program Files\\Acme\\uninst.dat\"");
    dataFile = "MZ not uninstall data";
    EXPECT_FALSE(maintenance->LoadPreviousInstallation());
    EXPECT_EQ(errors, std::vector<std::string>{"Invalid Uninstaller Script."});
    dataFile.resize(0);
    dataFile = std::string("iUNS") + "Tide";
    EXPECT_FALSE(maintenance->LoadPreviousInstallation());
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].rfind("Invalid Uninstaller Script.\n\n(", 0), 0u) << errors[1];
    EXPECT_FALSE(selection.MaintenanceMode());
    EXPECT_EQ(*vars.Store().Find("%Seen%"), "before");
}

TEST_F(MaintenanceTest, RemovingTheOwnProductRunsOnceAndTheSetupKeepsItsVariables) {
    Register("\"C:\\WINDOWS\\cvnuninst.exe\" \"C:\\Program Files\\Acme\\uninst.dat\"");
    pc.WriteRegistryValue(TRegRoot::LocalMachine, kKey, "DisplayName", TRegistryValueType::String, "Tide");
    pkg.eventScripts[5] = {{uint8_t(StatementCommand::scAssign), {"%Before%", "ran", "0"}, ""}};
    std::vector<std::string> scripts;
    TMaintenance::TProductRemoval run;
    run.runScript = [&](const TScript& script) {
        scripts.push_back(script.empty() ? "empty" : script[0].param[0]);
        return true;
    };
    std::vector<int> done;
    run.progress = [&](int d) { done.push_back(d); };

    ASSERT_TRUE(maintenance->RemoveProduct("%Result%", "Tide Charts", "Acme", run));
    EXPECT_EQ(*vars.Store().Find("%Result%"), "2");
    EXPECT_EQ(*vars.Store().Find("%Seen%"), "before") << "the setup's own store comes back";
    EXPECT_EQ(vars.Store().Find("%Mood%"), nullptr);
    EXPECT_EQ(scripts, (std::vector<std::string>{"%Before%", "empty"})) << "the product's own after-script";
    EXPECT_FALSE(pc.Has("C:\\Program Files\\Acme\\main.exe"));
    EXPECT_FALSE(pc.Has("C:\\Program Files\\Acme\\help.chm"));
    EXPECT_FALSE(pc.FolderExists("C:\\Program Files\\Acme"));
    EXPECT_FALSE(pc.KeyExists(TRegRoot::LocalMachine, kKey)) << "the list entry goes with it";
    ASSERT_FALSE(done.empty());
    EXPECT_EQ(done.back(), 3);

    EXPECT_FALSE(maintenance->RemoveProduct("%Result%", "Tide Charts", "Acme", run)) << "once per run";
    EXPECT_FALSE(maintenance->RemoveProduct("%Other%", "Tide Tables", "Acme", run)) << "not registered";
    EXPECT_EQ(vars.Store().Find("%Other%"), nullptr);
}

TEST_F(MaintenanceTest, ABeforeUninstallScriptThatClosesTheSetupLeavesTheProductInstalled) {
    Register("\"C:\\WINDOWS\\cvnuninst.exe\" \"C:\\Program Files\\Acme\\uninst.dat\"");
    bool closes = true;
    int scriptsRun = 0;
    TMaintenance::TProductRemoval run;
    run.runScript = [&](const TScript&) {
        ++scriptsRun;
        return !closes;
    };

    EXPECT_FALSE(maintenance->RemoveProduct("%Result%", "Tide Charts", "Acme", run));
    EXPECT_EQ(scriptsRun, 1) << "no after-uninstall script without a removal";
    EXPECT_TRUE(pc.Has("C:\\Program Files\\Acme\\main.exe"));
    EXPECT_TRUE(pc.Has("C:\\Program Files\\Acme\\help.chm"));
    EXPECT_EQ(vars.Store().Find("%Result%"), nullptr);

    // The stopped removal did not count as the one removal of the own product.
    closes = false;
    ASSERT_TRUE(maintenance->RemoveProduct("%Result%", "Tide Charts", "Acme", run));
    EXPECT_EQ(*vars.Store().Find("%Result%"), "2");
    EXPECT_FALSE(pc.Has("C:\\Program Files\\Acme\\main.exe"));
}
