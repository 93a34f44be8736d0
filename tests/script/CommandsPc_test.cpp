#include "script/Commands.h"
#include "script/ScriptFixture.h"

namespace cvn::test {
namespace {

using PcCommands = ScriptFixture;

// Registry type codes as Windows numbers them.
constexpr uint32_t kSz = 1, kDword = 4;

TEST(PathParts, AsFileInfoReportsThem) {
    EXPECT_EQ(PathFileName("C:\\dir\\a.txt"), "a.txt");
    EXPECT_EQ(PathFileName("C:a.txt"), "a.txt");
    EXPECT_EQ(PathFileName("a.txt"), "a.txt");
    EXPECT_EQ(PathFolder("C:\\dir\\a.txt"), "C:\\dir");
    EXPECT_EQ(PathFolder("C:\\a.txt"), "C:");
    EXPECT_EQ(PathFolder("a.txt"), "");
    EXPECT_EQ(PathDrive("C:\\dir\\a.txt"), "C:");
    EXPECT_EQ(PathDrive("\\\\server\\share\\a.txt"), "\\\\server\\share");
    EXPECT_EQ(PathDrive("\\\\server"), "");
    EXPECT_EQ(PathDrive("dir\\a.txt"), "");
    EXPECT_EQ(PathExtension("C:\\dir\\a.tar.gz"), ".gz");
    EXPECT_EQ(PathExtension("C:\\dir.x\\noext"), "");
    EXPECT_EQ(PathExtension("C:\\dir\\.profile"), ".profile");
}

TEST_F(PcCommands, FileInfoKindsIgnoreCase) {
    pc.files["C:\\App\\tool.exe"] = "12345";
    pc.versions["C:\\App\\tool.exe"] = {{1, 2, 30, 4}};
    auto info = [&](std::string kind, std::string file = "C:\\App\\tool.exe") {
        Run1(St(SC::scFileInfo, {"%R%", file, kind}));
        return Var("%R%");
    };
    EXPECT_EQ(info("name"), "tool.exe");
    EXPECT_EQ(info("Path"), "C:\\App");
    EXPECT_EQ(info("DRIVE"), "C:");
    EXPECT_EQ(info("extension"), ".exe");
    EXPECT_EQ(info("EXISTENCE"), "1");
    EXPECT_EQ(info("EXISTENCE", "C:\\nope"), "0");
    EXPECT_EQ(info("SIZE"), "5");
    EXPECT_EQ(info("SIZE", "C:\\nope"), "0");
    EXPECT_EQ(info("version"), "1.2.30.4");
    EXPECT_EQ(info("VERSION", "C:\\nope"), "0.0.0.0");
    EXPECT_EQ(info("colour"), "");
}

TEST_F(PcCommands, FileAndFolderOperationsExpandTheirPaths) {
    Set("%Dir%", "C:\\Work");
    pc.files["C:\\Work\\a.txt"] = "A";
    Run({St(SC::scCopyFile, {"%Dir%\\a.txt", "%Dir%\\b.txt"}),
         St(SC::scMoveFile, {"%Dir%\\b.txt", "%Dir%\\c.txt"}), St(SC::scDeleteFile, {"%Dir%\\a.txt"}),
         St(SC::scCreateFolder, {"%Dir%\\New\\"}), St(SC::scRemoveFolder, {"%Dir%\\Old"}),
         St(SC::scCreateShortcut, {"%Dir%", "Tool", "%Dir%\\c.txt", "-x", "%Dir%"}),
         St(SC::scDeleteShortcut, {"%Dir%", "Gone"})});
    EXPECT_EQ(pc.calls, (std::vector<std::string>{
                            "copy C:\\Work\\a.txt -> C:\\Work\\b.txt",
                            "move C:\\Work\\b.txt -> C:\\Work\\c.txt",
                            "delete C:\\Work\\a.txt",
                            "mkdir C:\\Work\\New",
                            "rmdir C:\\Work\\Old",
                            "link C:\\Work\\Tool.lnk -> C:\\Work\\c.txt [-x] in C:\\Work",
                            "delete C:\\Work\\Gone.lnk",
                        }));
    EXPECT_EQ(pc.files.count("C:\\Work\\c.txt"), 1u);

    pc.files["C:\\Work\\x.log"] = "";
    Run1(St(SC::scFileExistsIn, {"%R%", "*.log", "%Dir%"}));
    EXPECT_EQ(Var("%R%"), "1");
    EXPECT_EQ(pc.calls.back(), "match C:\\Work\\*.log");
    Run1(St(SC::scFileExistsIn, {"%R%", "*.ini", "%Dir%"}));
    EXPECT_EQ(Var("%R%"), "0");
}

TEST_F(PcCommands, ScriptFileOpenWriteReadClose) {
    Run1(St(SC::scFileOpen, {"%R%", "C:\\new.txt", "0"}));
    EXPECT_EQ(Var("%R%"), "OK");
    EXPECT_EQ(pc.files.count("C:\\new.txt"), 1u) << "created";
    Run1(St(SC::scFileOpen, {"%R%", "C:\\other.txt", "0"}));
    EXPECT_EQ(Var("%R%"), "ERROR") << "one file at a time";
    EXPECT_EQ(pc.files.count("C:\\other.txt"), 0u);

    Set("%Who%", "me");
    Run({St(SC::scFileWriteLine, {"one"}), St(SC::scFileWrite, {"two %Who%"})});
    EXPECT_EQ(pc.files["C:\\new.txt"], "one\r\ntwo me");
    Run1(St(SC::scFileRead, {"%R%", "3"}));
    EXPECT_EQ(Var("%R%"), "EOF") << "writing appends and leaves the position at the end";
    Run1(St(SC::scFileClose));
    Run1(St(SC::scFileClose));
    EXPECT_EQ(Var("%ErrorCode%"), "<unset>") << "closing twice is harmless";

    Run1(St(SC::scFileOpen, {"%R%", "C:\\new.txt", "0"}));
    Run1(St(SC::scFileRead, {"%R%", "2"}));
    EXPECT_EQ(Var("%R%"), "on");
    Run1(St(SC::scFileRead, {"%R%", "2147483647"}));
    EXPECT_EQ(Var("%R%"), "e\r\ntwo me") << "a huge count reads what is left";
    Run1(St(SC::scFileRead, {"%R%", "1"}));
    EXPECT_EQ(Var("%R%"), "EOF");
    Run1(St(SC::scFileClose));
}

TEST_F(PcCommands, ReadLineSplitsAtCarriageReturns) {
    pc.files["C:\\l.txt"] = "one\rtwo\r\nthree\n3\r\rlast";
    Run1(St(SC::scFileOpen, {"%R%", "C:\\l.txt", "0"}));
    std::vector<std::string> lines;
    for (int i = 0; i < 7; ++i) {
        Run1(St(SC::scFileReadLine, {"%Line%"}));
        lines.push_back(Var("%Line%"));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three\n3", "", "last", "EOF", "EOF"}));

    std::string longLine(10000, 'x');
    pc.files["C:\\long.txt"] = longLine + "\r\nend";
    Run({St(SC::scFileClose), St(SC::scFileOpen, {"%R%", "C:\\long.txt", "0"}),
         St(SC::scFileReadLine, {"%Line%"})});
    EXPECT_EQ(Var("%Line%"), longLine) << "lines longer than one read chunk";
    Run1(St(SC::scFileReadLine, {"%Line%"}));
    EXPECT_EQ(Var("%Line%"), "end");

    pc.files["C:\\edge.txt"] = std::string(4095, 'y') + "\r\nz";
    Run({St(SC::scFileClose), St(SC::scFileOpen, {"%R%", "C:\\edge.txt", "0"}),
         St(SC::scFileReadLine, {"%Line%"}), St(SC::scFileReadLine, {"%Next%"})});
    EXPECT_EQ(Var("%Next%"), "z") << "a CR at the end of a chunk still consumes its LF";
}

TEST_F(PcCommands, MagicNumberIsCheckedAndTheFileStaysOpen) {
    pc.files["C:\\m.dat"] = std::string("\x39\x30\x00\x00rest", 8); // 12345
    Run1(St(SC::scFileOpen, {"%R%", "C:\\m.dat", "12345"}));
    EXPECT_EQ(Var("%R%"), "OK");
    Run1(St(SC::scFileRead, {"%R%", "10"}));
    EXPECT_EQ(Var("%R%"), "rest") << "reading goes on after the magic number";
    Run({St(SC::scFileClose), St(SC::scFileOpen, {"%R%", "C:\\m.dat", "54321"})});
    EXPECT_EQ(Var("%R%"), "MAGICERROR");
    Run1(St(SC::scFileOpen, {"%S%", "C:\\m.dat", "0"}));
    EXPECT_EQ(Var("%S%"), "ERROR") << "the file stayed open after the wrong magic";
    pc.files["C:\\short.dat"] = "ab";
    Run({St(SC::scFileClose), St(SC::scFileOpen, {"%R%", "C:\\short.dat", "1"})});
    EXPECT_EQ(Var("%R%"), "MAGICERROR") << "too short for a magic number";
    Run1(St(SC::scFileClose));
    pc.failOpen = true;
    Run1(St(SC::scFileOpen, {"%R%", "C:\\x", "0"}));
    EXPECT_EQ(Var("%R%"), "ERROR");
}

TEST_F(PcCommands, ScriptFileCommandsWithoutAFileReportErrorCodeOne) {
    for (SC code : {SC::scFileWrite, SC::scFileWriteLine, SC::scFileRead, SC::scFileReadLine}) {
        Set("%ErrorCode%", "0");
        Set("%R%", "before");
        Run1(St(code, {"%R%", "1"}));
        EXPECT_EQ(Var("%ErrorCode%"), "1") << int(code);
        EXPECT_EQ(Var("%R%"), "before");
    }
    Set("%ErrorCode%", "0");
    Run1(St(SC::scFileOpen, {"%R%", "C:\\w.txt", "0"}));
    pc.failWrites = true;
    Run1(St(SC::scFileWrite, {"lost"}));
    EXPECT_EQ(Var("%ErrorCode%"), "1") << "a failed write is not reported as success";
}

TEST_F(PcCommands, RegistryRootsKeysAndValueKinds) {
    Run1(St(SC::scRegWrite, {"HKEY_LOCAL_MACHINE", "\\Software\\Acme\\", "Count", "042"}));
    const auto& acme = pc.keys[{TRegRoot::LocalMachine, "Software\\Acme"}].values;
    EXPECT_EQ(acme.at("Count").type, kDword);
    EXPECT_EQ(acme.at("Count").data, (std::vector<uint8_t>{42, 0, 0, 0}));
    Run1(St(SC::scRegWrite, {"HKEY_LOCAL_MACHINE", "Software\\Acme", "Name", "4a"}));
    EXPECT_EQ(acme.at("Name").type, kSz);
    // A lower-case root is no keyword: the previous root stays.
    Run1(St(SC::scRegWrite, {"hkey_local_machine", "Software\\Acme", "Empty", ""}));
    EXPECT_EQ(acme.at("Empty").type, kSz);
    Run1(St(SC::scRegWrite, {"", "Software\\Acme", "Big", "2147483648"}));
    EXPECT_EQ(acme.at("Big").type, kSz) << "too big for a number: kept as text";
    EXPECT_EQ(acme.at("Big").AsText(), "2147483648");

    auto read = [&](std::string root, std::string key, std::string name, std::string def = "dflt") {
        Run1(St(SC::scRegRead, {"%R%", std::move(root), std::move(key), std::move(name), std::move(def)}));
        return Var("%R%");
    };
    EXPECT_EQ(read("HKEY_LOCAL_MACHINE", "Software\\Acme", "Count"), "42");
    EXPECT_EQ(read("", "Software\\Acme", "Name"), "4a");
    EXPECT_EQ(read("HKEY_CURRENT_USER", "Software\\Acme", "Name"), "dflt");
    Set("%D%", "expanded");
    EXPECT_EQ(read("", "Software\\Acme", "Name", "%D%"), "expanded") << "the root stayed HKCU";
    pc.keys[{TRegRoot::LocalMachine, "Software\\Bin"}].values["B"] = {3, {1, 2, 3, 4}}; // REG_BINARY
    EXPECT_EQ(read("HKEY_LOCAL_MACHINE", "Software\\Bin", "B"), "dflt")
        << "other value types give the default";
    pc.keys[{TRegRoot::LocalMachine, "Software\\Bin"}].values["N"] = {kDword, {0xFB, 0xFF, 0xFF, 0xFF}}; // -5
    EXPECT_EQ(read("", "Software\\Bin", "N"), "-5");
    pc.deniedKeys.insert({TRegRoot::LocalMachine, "Software\\Bin"});
    EXPECT_EQ(read("", "Software\\Bin", "N"), "dflt") << "a key without full access counts as missing";
}

TEST_F(PcCommands, RegDeleteRemovesAValueOrAnEmptyNamedKey) {
    pc.keys[{TRegRoot::CurrentUser, "Software\\Acme"}].values["X"] = TRegValue::Text("1");
    Run1(St(SC::scRegDelete, {"HKEY_CURRENT_USER", "Software\\Acme", "X"}));
    EXPECT_TRUE(pc.keys.count(std::pair{TRegRoot::CurrentUser, std::string("Software\\Acme")}));
    EXPECT_TRUE((pc.keys[{TRegRoot::CurrentUser, "Software\\Acme"}].values.empty()));
    Run1(St(SC::scRegDelete, {"HKEY_CURRENT_USER", "Software\\Acme", ""}));
    EXPECT_FALSE(pc.keys.count(std::pair{TRegRoot::CurrentUser, std::string("Software\\Acme")}));
    Run1(St(SC::scRegDelete, {"HKEY_CURRENT_USER", "Software\\Missing", "Y"}));
    EXPECT_FALSE(pc.keys.count(std::pair{TRegRoot::CurrentUser, std::string("Software\\Missing")}))
        << "deleting creates no key";
}

TEST_F(PcCommands, IsInstalledLooksForDisplayVersion) {
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Widget";
    Set("%Co%", "Acme");
    Run1(St(SC::scIsInstalled, {"%R%", "Widget", "%Co%"}));
    EXPECT_EQ(Var("%R%"), "0");
    pc.keys[{TRegRoot::LocalMachine, key}].values["DisplayName"] = TRegValue::Text("W");
    Run1(St(SC::scIsInstalled, {"%R%", "Widget", "%Co%"}));
    EXPECT_EQ(Var("%R%"), "0") << "the key alone is not enough";
    pc.keys[{TRegRoot::LocalMachine, key}].values["DisplayVersion"] = TRegValue::Text("1.0");
    pc.deniedKeys.insert({TRegRoot::LocalMachine, key});
    Run1(St(SC::scIsInstalled, {"%R%", "Widget", "%Co%"}));
    EXPECT_EQ(Var("%R%"), "1") << "reading needs no full access";
}

TEST_F(PcCommands, ProgramsAndWindows) {
    Set("%Dir%", "C:\\Tools");
    Run({St(SC::scOpenDocument, {"%Dir%\\readme.txt"}), St(SC::scRun, {"%Dir%\\a.exe", "-q %Dir%", "1"}),
         St(SC::scRun, {"b.exe", "", "yes"}), St(SC::scOpenDocument, {"D:\\autorun.inf"})});
    // A document at a drive's root opens in the root, not in the drive's current folder.
    EXPECT_EQ(pc.calls, (std::vector<std::string>{"open-doc C:\\Tools\\readme.txt in C:\\Tools",
                                                  "run \"C:\\Tools\\a.exe\" -q C:\\Tools (wait)",
                                                  "run \"b.exe\" ", "open-doc D:\\autorun.inf in D:\\"}));
    pc.windows = {{"Notepad", "Untitled"}};
    Run1(St(SC::scWindowExists, {"%R%", "Notepad", ""}));
    EXPECT_EQ(Var("%R%"), "1");
    Run1(St(SC::scWindowExists, {"%R%", "Notepad", "Other"}));
    EXPECT_EQ(Var("%R%"), "0");
    Run({St(SC::scCloseWindow, {"Notepad", "", "1"}), St(SC::scCloseWindow, {"Notepad", "Untitled", "0"}),
         St(SC::scCloseWindow, {"Missing", "", "0"})});
    EXPECT_EQ(pc.posted, (std::vector<std::string>{"quit Notepad", "close Notepad"}));
    Run({St(SC::scSleep, {"25"}), St(SC::scSleep, {"-1"}), St(SC::scSleep, {"0"})});
    EXPECT_EQ(pc.sleeps, std::vector<uint32_t>{25}) << "a negative time is not an endless wait";
}

} // namespace
} // namespace cvn::test
