#include "install/Remover.h"

#include "FakeInstall.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;

namespace {

TUninstallItem FileItem(const std::string& path, const std::string& components = "") {
    TUninstallItem i;
    i.kind = ukFile;
    i.path = path;
    i.file.components = components;
    return i;
}

TUninstallItem PathItem(uint8_t kind, const std::string& path) {
    TUninstallItem i;
    i.kind = kind;
    i.path = path;
    return i;
}

TUninstallItem ValueItem(uint8_t root, const std::string& key, const std::string& name,
                         const std::string& components = "") {
    TUninstallItem i;
    i.kind = ukRegistryValue;
    i.registry.root = root;
    i.registry.key = key;
    i.registry.valueName = name;
    i.registry.components = components;
    return i;
}

class RemoverTest : public ::testing::Test {
protected:
    RemoverTest() {
        texts.sharedQuestion = "Remove shared <file>?";
        texts.typeLibQuestion = "Remove library <file>?";
        texts.serverQuestion = "Remove server <file>?";
        texts.keyLabel = "Key:";
        texts.valueLabel = "Value:";
        texts.conduitError = "Conduit error:";
        texts.removedAtRestart = "<file> at restart";
    }

    bool Remove(std::vector<TUninstallItem>& log, const std::string& remove, const std::string& kept,
                bool all, bool drop = false) {
        TRemovalHooks hooks;
        hooks.ask = [this](const std::string& question, const std::string&) {
            asked.push_back(question);
            TRemoveAnswer a = answers.empty() ? TRemoveAnswer::No : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return a;
        };
        hooks.report = [this](const std::string& t) { reported.push_back(t); };
        hooks.progress = [this](int total, int done, bool& goOn) {
            steps.emplace_back(done, total);
            if (stopAt && done == stopAt) goOn = false;
        };
        TRemover remover(pc, texts, hooks);
        bool ok = remover.Remove(log, remove, kept, all, drop);
        notRemoved = remover.NotRemoved();
        return ok;
    }

    TFakePlatform pc;
    TRemovalTexts texts;
    std::vector<TRemoveAnswer> answers;
    std::vector<std::string> asked, reported, notRemoved;
    std::vector<std::pair<int, int>> steps;
    int stopAt = 0;
};

} // namespace

TEST_F(RemoverTest, RemovesEveryKindOfEntryAndReportsWhatStays) {
    pc.CreateFolderPath("C:\\App\\Data");
    pc.PutFile("C:\\App\\a.exe");
    pc.PutFile("C:\\App\\Data\\keep.txt"); // the user's own file
    pc.PutFile("C:\\App\\app.ico");
    pc.PutFile("C:\\Start\\App.lnk");
    pc.PutFile("C:\\Sys\\used.dll");
    pc.PutFile("C:\\Sys\\last.dll");
    pc.PutFile("C:\\Sys\\com.dll");
    pc.PutFile("C:\\Sys\\tide.ttf");
    pc.IncSharedDllCount("C:\\Sys\\used.dll");
    pc.IncSharedDllCount("C:\\Sys\\used.dll"); // another product uses it too
    pc.IncSharedDllCount("C:\\Sys\\last.dll");
    pc.CreateRegistryKey(TRegRoot::CurrentUser, "Software\\Acme");
    pc.WriteRegistryValue(TRegRoot::CurrentUser, "Software\\Acme\\App\\Sub", "A", TRegistryValueType::String,
                          "1");
    pc.WriteRegistryValue(TRegRoot::CurrentUser, "Software\\Acme\\App", "B", TRegistryValueType::String, "1");
    pc.WriteRegistryValue(TRegRoot::CurrentUser, "Software\\Acme\\Other", "C", TRegistryValueType::String,
                          "1");
    pc.CreateRegistryKey(TRegRoot::CurrentUser, "Software");

    std::vector<TUninstallItem> log = {PathItem(ukDirectory, "C:\\App"),
                                       PathItem(ukDirectory, "C:\\App\\Data")};
    log.push_back(FileItem("C:\\App\\a.exe"));
    log.push_back(FileItem("C:\\Start\\App.lnk"));
    log.push_back(FileItem("C:\\Sys\\used.dll"));
    log.back().file.shared = 1;
    log.push_back(FileItem("C:\\Sys\\last.dll"));
    log.back().file.shared = 1;
    log.push_back(FileItem("C:\\Sys\\com.dll"));
    log.back().file.registerServer = 1;
    log.back().file.registerTypeLib = 1;
    log.push_back(FileItem("C:\\Sys\\tide.ttf"));
    log.back().file.font = 1;
    log.back().file.fontName = "Tide (TrueType)";
    log.push_back(PathItem(ukPlainFile, "C:\\App\\app.ico"));
    log.push_back(PathItem(ukUninstaller, "C:\\WINDOWS\\cvnuninst.exe"));
    log.push_back(PathItem(ukConduit, "TIDE"));
    log.push_back(ValueItem(1, "Software\\Acme\\App\\Sub", "A"));
    log.push_back(ValueItem(1, "Software\\Acme\\App", "B"));
    answers = {TRemoveAnswer::Yes, TRemoveAnswer::Yes};

    ASSERT_TRUE(Remove(log, "", "", true));
    EXPECT_EQ(asked, (std::vector<std::string>{"Remove library C:\\Sys\\com.dll?",
                                               "Remove shared C:\\Sys\\last.dll?"}));
    EXPECT_FALSE(pc.Has("C:\\App\\a.exe"));
    EXPECT_FALSE(pc.Has("C:\\Start\\App.lnk"));
    EXPECT_FALSE(pc.Has("C:\\App\\app.ico"));
    EXPECT_FALSE(pc.Has("C:\\Sys\\last.dll"));
    EXPECT_FALSE(pc.Has("C:\\Sys\\com.dll"));
    EXPECT_FALSE(pc.Has("C:\\Sys\\tide.ttf"));
    EXPECT_TRUE(pc.Has("C:\\Sys\\used.dll")) << "still counted for the other product";
    EXPECT_EQ(pc.uses.at("C:\\SYS\\USED.DLL"), 1);
    EXPECT_EQ(pc.uses.count("C:\\SYS\\LAST.DLL"), 0u);
    EXPECT_EQ(pc.removals, (std::vector<std::string>{"conduit TIDE", "font Tide (TrueType)",
                                                     "typelib C:\\Sys\\com.dll", "server C:\\Sys\\com.dll"}));
    EXPECT_TRUE(pc.FolderExists("C:\\App\\Data"));
    EXPECT_TRUE(pc.FolderExists("C:\\App"));
    EXPECT_EQ(notRemoved, (std::vector<std::string>{"C:\\App\\Data", "C:\\App"}));
    EXPECT_EQ(reported, notRemoved);

    // Both values, their emptied keys and the emptied parent go; a parent holding
    // another key and the keys above it stay.
    EXPECT_EQ(pc.Value(TRegRoot::CurrentUser, "Software\\Acme\\Other", "C")->bytes, "1");
    EXPECT_FALSE(pc.KeyExists(TRegRoot::CurrentUser, "Software\\Acme\\App\\Sub"));
    EXPECT_FALSE(pc.KeyExists(TRegRoot::CurrentUser, "Software\\Acme\\App"));
    EXPECT_TRUE(pc.KeyExists(TRegRoot::CurrentUser, "Software\\Acme"));
    EXPECT_TRUE(pc.KeyExists(TRegRoot::CurrentUser, "Software"));

    // 6 files, the icon, the conduit, 2 folders and 2 values counted twice; the
    // uninstaller program is not counted. The last call repeats the end.
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), std::make_pair(14, 14));
    EXPECT_EQ(steps.size(), 15u);
}

TEST_F(RemoverTest, AFolderLoggedWithAndWithoutItsBackslashIsReportedOnce) {
    pc.CreateFolderPath("C:\\App");
    pc.PutFile("C:\\App\\mine.txt");
    std::vector<TUninstallItem> log = {PathItem(ukDirectory, "C:\\App"), PathItem(ukDirectory, "c:\\app\\")};
    ASSERT_TRUE(Remove(log, "", "", true));
    EXPECT_EQ(notRemoved, std::vector<std::string>{"c:\\app\\"});
}

TEST_F(RemoverTest, AnswersToAllAreRememberedPerQuestionAndNoKeepsTheFile) {
    std::vector<TUninstallItem> log;
    for (const char* name : {"s1", "s2", "s3"}) {
        pc.PutFile(std::string("C:\\") + name);
        log.push_back(FileItem(std::string("C:\\") + name));
        log.back().file.shared = 1;
    }
    for (const char* name : {"r1", "r2"}) {
        pc.PutFile(std::string("C:\\") + name);
        log.push_back(FileItem(std::string("C:\\") + name));
        log.back().file.activeX = 1;
    }
    pc.windowsMajor = 3; // no use counts: every shared file is asked about
    // Newest first: r2, r1, s3, s2, s1. Yes to all for the servers leaves the shared
    // question to be asked; No to all for it keeps the other shared files unasked.
    answers = {TRemoveAnswer::No, TRemoveAnswer::YesToAll, TRemoveAnswer::NoToAll};
    ASSERT_TRUE(Remove(log, "", "", true));
    EXPECT_EQ(asked, (std::vector<std::string>{"Remove server C:\\r2?", "Remove server C:\\r1?",
                                               "Remove shared C:\\s3?"}));
    EXPECT_TRUE(pc.Has("C:\\r2"));
    EXPECT_FALSE(pc.Has("C:\\r1"));
    EXPECT_TRUE(pc.Has("C:\\s3") && pc.Has("C:\\s2") && pc.Has("C:\\s1"));
    EXPECT_TRUE(notRemoved.empty()) << "a file the user keeps is no failure";
}

TEST_F(RemoverTest, MaintenanceRemovesOnlyWhatNoKeptComponentNeedsAndDropsIt) {
    pc.CreateFolderPath("C:\\App\\Help");
    pc.PutFile("C:\\App\\main.exe");
    pc.PutFile("C:\\App\\both.dll");
    pc.PutFile("C:\\App\\Help\\help.chm");
    pc.PutFile("C:\\App\\app.ico");
    pc.WriteRegistryValue(TRegRoot::LocalMachine, "Software\\Acme\\Help", "Path", TRegistryValueType::String,
                          "x");
    std::vector<TUninstallItem> log = {
        PathItem(ukDirectory, "C:\\App"),
        PathItem(ukDirectory, "C:\\App\\Help"),
        FileItem("C:\\App\\main.exe", "Main"),
        FileItem("C:\\App\\both.dll", "Help|Main"),
        FileItem("C:\\App\\Help\\help.chm", "Help"),
        FileItem("C:\\App\\readme.txt"),
        PathItem(ukPlainFile, "C:\\App\\app.ico"),
        ValueItem(2, "Software\\Acme\\Help", "Path", "HELP"),
    };
    ASSERT_TRUE(Remove(log, "Help", "Main", false, true));
    EXPECT_FALSE(pc.Has("C:\\App\\Help\\help.chm"));
    EXPECT_FALSE(pc.FolderExists("C:\\App\\Help"));
    EXPECT_TRUE(pc.Has("C:\\App\\both.dll"));
    EXPECT_TRUE(pc.Has("C:\\App\\main.exe"));
    EXPECT_TRUE(pc.Has("C:\\App\\app.ico"));
    EXPECT_EQ(pc.Value(TRegRoot::LocalMachine, "Software\\Acme\\Help", "Path"), nullptr);
    EXPECT_TRUE(notRemoved.empty()) << "the folder that still holds kept files is expected";

    std::vector<std::string> left;
    for (const TUninstallItem& i : log)
        left.push_back(i.path);
    EXPECT_EQ(left, (std::vector<std::string>{"C:\\App", "C:\\App\\main.exe", "C:\\App\\both.dll",
                                              "C:\\App\\readme.txt", "C:\\App\\app.ico"}));

    // Without components to remove nothing with components belongs.
    std::vector<TUninstallItem> again = log;
    ASSERT_TRUE(Remove(again, "", "", false, true));
    EXPECT_EQ(again.size(), log.size());
}

TEST_F(RemoverTest, FileInUseIsLeftForTheRestartAndTheProgressHandlerStops) {
    pc.PutFile("C:\\App\\busy.exe").locked = true;
    pc.PutFile("C:\\App\\b.txt");
    pc.PutFile("C:\\App\\c.txt");
    std::vector<TUninstallItem> log = {FileItem("C:\\App\\c.txt"), FileItem("C:\\App\\b.txt"),
                                       FileItem("C:\\App\\busy.exe")};
    stopAt = 2;
    EXPECT_FALSE(Remove(log, "", "", true));
    EXPECT_EQ(pc.atRestart, std::vector<std::string>{"C:\\App\\busy.exe"});
    EXPECT_EQ(notRemoved, std::vector<std::string>{"C:\\App\\busy.exe at restart"});
    EXPECT_FALSE(pc.Has("C:\\App\\b.txt"));
    EXPECT_TRUE(pc.Has("C:\\App\\c.txt")) << "stopped before the third entry";

    std::vector<TUninstallItem> empty;
    EXPECT_FALSE(Remove(empty, "", "", true));
}

TEST(UninstallDataPath, IsTheSecondTokenQuotedOrNot) {
    EXPECT_EQ(UninstallDataPathOf("\"C:\\WINDOWS\\cvnuninst.exe\" \"C:\\Program Files\\Acme\\uninst.dat\""),
              "C:\\Program Files\\Acme\\uninst.dat");
    EXPECT_EQ(UninstallDataPathOf("C:\\WINDOWS\\cvnuninst.exe   C:\\Acme\\uninst.dat /S"),
              "C:\\Acme\\uninst.dat");
    EXPECT_EQ(UninstallDataPathOf("\"C:\\My Tools\\u.exe\" C:\\A\\uninst.dat"), "C:\\A\\uninst.dat");
    EXPECT_EQ(UninstallDataPathOf("\"C:\\WINDOWS\\cvnuninst.exe\""), "");
    EXPECT_EQ(UninstallDataPathOf(""), "");
}
