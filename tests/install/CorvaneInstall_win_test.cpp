// Installations under Wine: packages made by the package writer and the archive
// writer, read back by the package reader and installed by the engine onto the real
// (Wine) file system, registry and shell. Prompts are answered by the fake window
// side; links are checked with lnkinfo, registry values with reg.exe and the
// uninstall entry with Wine's uninstaller. Everything is removed again.

#include "EngineFixture.h"
#include "install/InstallPlatform.h"
#include "install/SystemServices.h"
#include "install/UninstallRegistration.h"
#include "install/WinSystemValues.h"
#include "install/WinTestSupport.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <map>

namespace cvn::test {
namespace {

using A = TOverwriteAnswer;
using Strings = std::vector<std::string>;

const std::string kSoftware = "Cvn Engine Test " + std::to_string(GetCurrentProcessId());
const std::string kCompany = "CvnTestCo";
const std::string kRegistryKey = "Software\\CvnEngineTest" + std::to_string(GetCurrentProcessId());
constexpr uint32_t kNewDate = 0x30E74A21; // 2004-07-07 09:17:02
constexpr uint32_t kOldDate = 0x28214A21; // 2000-01-01 09:17:02

// Runs a program with its output in a pipe; returns what it wrote (empty when it
// could not start).
std::string RunCaptured(const std::string& commandLine) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return {};
    FileHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writer.Get();
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return {};
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writer.Reset();
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(reader.Get(), buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    WaitForSingleObject(process.Get(), 60000);
    return out;
}

// The Unix path of a Windows path, through Wine's own conversion; empty outside Wine.
std::string UnixPath(const std::string& path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* unix = convert(wide);
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// lnkinfo's report on a link file; empty when the tool is not there.
std::string LnkInfo(const std::string& link, const std::string& outFile) {
    if (GetFileAttributesA("Z:\\usr\\bin\\lnkinfo") == INVALID_FILE_ATTRIBUTES) return {};
    // A Unix program started from Wine keeps Wine's own output and is not waited for
    // through its handle: it writes its report to a file that appears when complete.
    const std::string out = UnixPath(outFile);
    std::string script =
        "lnkinfo '" + UnixPath(link) + "' > '" + out + ".part' 2>&1; mv '" + out + ".part' '" + out + "'";
    RunCaptured("Z:\\bin\\sh -c \"" + script + "\"");
    for (int i = 0; i < 200 && GetFileAttributesA(outFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    return ReadWholeFile(outFile);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Data(int32_t id) {
    return "contents of member " + std::to_string(id);
}

void SetFileDate(const std::string& path, uint32_t dos) {
    FILETIME local, utc;
    DosDateTimeToFileTime(WORD(dos >> 16), WORD(dos), &local);
    LocalFileTimeToFileTime(&local, &utc);
    FileHandle f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SetFileTime(f.Get(), nullptr, nullptr, &utc);
}

class EngineWin : public ::testing::Test {
protected:
    EngineWin() {
        installDir_ = root_ / "Program Files\\Acme Test";
        setupPath_ = root_ / "dl\\setup.exe";
        CreateDirectoryA((root_ / "dl").c_str(), nullptr);
        TSettingsRecord& s = model_.Settings();
        s.softwareName = kSoftware;
        s.companyName = kCompany;
        s.description = "Engine test product";
        s.uninstallDisplayName = "%SoftwareName% (test)";
        s.displayVersion = "1.2";
        s.setupTypeComponents = {"Main|Docs", "Main", ""};
        for (const char* name : {"Main", "Docs", "Extras"}) {
            TComponentRecord c;
            c.name = name;
            model_.components.push_back(c);
        }
        model_.languages.unnamedTable.emplace();
        for (int n = 0; n < kMessageCount; ++n)
            (*model_.languages.unnamedTable)[size_t(n)] = MessageText(n);
        model_.flags.writeUninstallData = 1;
    }
    ~EngineWin() override {
        engine_.reset();
        RemoveTree(groupToRemove_);
    }

    void SetUp() override { ASSERT_TRUE(services_.Ok()) << services_.Error(); }

    TFileRecord& AddFile(int32_t id, const std::string& name, const std::string& dir = "%InstallDir%\\",
                         uint8_t mode = omAlways, const std::string& components = "Main",
                         const std::string& condition = "") {
        TFileRecord f;
        f.memberId = id;
        f.fileDate = kNewDate;
        f.fileSize = uint32_t(Data(id).size());
        f.entry.sourceName = "C:\\build\\" + name;
        f.entry.targetDir = dir;
        f.entry.overwriteMode = mode;
        f.entry.components = components;
        f.entry.condition = condition;
        model_.files.push_back(f);
        return model_.files.back();
    }

    // Writes the setup program with its package (the archive inside it, or in volume
    // files of volumeSize bytes) and reads it back as start-up would.
    void Build(uint64_t volumeSize = 0) {
        TCVNZipWriter w;
        ASSERT_TRUE(volumeSize ? w.CreateVolumes(setupPath_, volumeSize) : w.CreateInMemory()) << w.Error();
        for (const TFileRecord& f : model_.files) {
            std::string d = Data(f.memberId);
            auto own = data_.find(f.memberId);
            if (own != data_.end()) d = own->second;
            ASSERT_TRUE(w.AddMember(f.memberId, int32_t(kNewDate),
                                    std::span(reinterpret_cast<const uint8_t*>(d.data()), d.size())));
        }
        ASSERT_TRUE(w.Finish()) << w.Error();
        TArchiveParts parts;
        if (volumeSize) {
            parts.mainArchiveInVolumes = true;
            parts.volumeArchiveSize = 1;
        } else {
            parts.mainArchive = w.TakeData();
        }
        std::vector<uint8_t> stub(512, 0);
        stub[0] = 'M';
        stub[1] = 'Z';
        std::vector<uint8_t> setup;
        std::string error;
        ASSERT_TRUE(WritePackage(stub, model_, parts, setup, error)) << error;
        {
            FileHandle f(
                CreateFileA(setupPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(bool(f));
            DWORD written = 0;
            WriteFile(f.Get(), setup.data(), DWORD(setup.size()), &written, nullptr);
        }
        TPackageLayout layout;
        ASSERT_TRUE(ReadPackageFile(setupPath_, pkg_, &layout).Ok());
        languages_.Load(pkg_.languages);
        selection_.Load(pkg_.Settings().setupTypeComponents, !pkg_.components.empty());
        vars_.Program().softwareName = pkg_.Settings().softwareName;
        vars_.Program().companyName = pkg_.Settings().companyName;
        vars_.SetVariable("%InstallDir%", installDir_);
        vars_.SetVariable("%ProgramGroup%", kSoftware);
        groupToRemove_ = Expand("%ProgramGroupDir%");
        vars_.SetVariable("%HotSyncUser%", "");

        ctx_.package = &pkg_;
        ctx_.variables = &vars_;
        ctx_.languages = &languages_;
        ctx_.selection = &selection_;
        ctx_.conditions = &conditions_;
        ctx_.platform = &WindowsInstallPlatform();
        ctx_.ui = &ui_;
        ctx_.archiveOffset = int32_t(layout.archiveOffset);
        ctx_.setupPath = setupPath_;
        engine_ = std::make_unique<TCorvaneInstall>(ctx_);
        ui_.onClose = [this] { engine_->Abort(); };
    }

    std::string Expand(const std::string& text) const { return vars_.ExpandVariables(text); }
    std::string Installed(const std::string& name) const { return installDir_ + "\\" + name; }
    void PutFile(const std::string& path, const std::string& text) {
        CreateDirectoryA(installDir_.substr(0, installDir_.rfind('\\')).c_str(), nullptr);
        CreateDirectoryA(installDir_.c_str(), nullptr);
        FileHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(f.Get(), text.data(), DWORD(text.size()), &written, nullptr);
    }
    Strings Log() const {
        Strings items;
        for (const auto& i : engine_->UninstallLog())
            items.push_back(std::to_string(i.kind) + " " + i.path);
        return items;
    }
    static void RemoveTree(const std::string& path) {
        if (path.empty()) return;
        std::string from = path + '\0';
        SHFILEOPSTRUCTA op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&op);
    }

    TSystemServicesScope services_;
    TempFolder root_{"cvn-engine"};
    std::string installDir_, setupPath_;
    std::string groupToRemove_;           // the test's own program group, once known
    std::map<int32_t, std::string> data_; // member contents other than Data(id)
    TPackage model_, pkg_;
    TWinSystemValues sys_;
    TVariables vars_{sys_};
    TLanguages languages_{vars_};
    TComponentSelection selection_;
    TConditionEvaluator conditions_{vars_, selection_};
    TFakeUi ui_;
    TInstallContext ctx_;
    std::unique_ptr<TCorvaneInstall> engine_;
};

TEST_F(EngineWin, SelectedFilesWithHoldingConditionsAreInstalled) {
    model_.installFolders = {"%InstallDir%\\sub", "%InstallDir%\\extras"};
    AddFile(1, "main.txt");
    AddFile(2, "doc.txt", "%InstallDir%\\sub\\", omAlways, "Docs");
    AddFile(3, "extra.txt", "%InstallDir%\\extras\\", omAlways, "Extras");
    AddFile(4, "nt.txt", "%InstallDir%\\", omAlways, "", "%IsNT% = 1|");
    AddFile(5, "nine.txt", "%InstallDir%\\", omAlways, "", "%IsNT% = 0|");
    AddFile(6, "only-existing.txt", "%InstallDir%\\", omReplaceExisting);
    Build();
    engine_->InstallFiles();

    EXPECT_EQ(ReadWholeFile(Installed("main.txt")), Data(1));
    EXPECT_EQ(ReadWholeFile(Installed("sub\\doc.txt")), Data(2));
    EXPECT_EQ(ReadWholeFile(Installed("nt.txt")), Data(4));
    for (const char* absent : {"extras\\extra.txt", "nine.txt", "only-existing.txt"})
        EXPECT_EQ(GetFileAttributesA(Installed(absent).c_str()), INVALID_FILE_ATTRIBUTES) << absent;
    EXPECT_EQ(GetFileAttributesA(Installed("extras").c_str()), INVALID_FILE_ATTRIBUTES);
    uint32_t date = 0;
    ASSERT_TRUE(GetFileDosDateTime(Installed("main.txt"), date));
    EXPECT_EQ(date, kNewDate);
    EXPECT_EQ(Log(), (Strings{"4 " + installDir_, "4 " + installDir_ + "\\sub", "0 " + Installed("main.txt"),
                              "0 " + Installed("sub\\doc.txt"), "0 " + Installed("nt.txt")}));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EngineWin, OverwriteModesAgainstExistingFiles) {
    AddFile(1, "ask-no.txt", "%InstallDir%\\", omAsk);
    AddFile(2, "never.txt", "%InstallDir%\\", omNever);
    AddFile(3, "replace.txt", "%InstallDir%\\", omReplaceExisting);
    AddFile(4, "version.txt", "%InstallDir%\\", omNewerVersion).versionMS = 0x00010000;
    AddFile(5, "older.txt", "%InstallDir%\\", omNewerDate);
    AddFile(6, "newer.txt", "%InstallDir%\\", omNewerDate);
    AddFile(7, "ask-yes.txt", "%InstallDir%\\", omAskExisting);
    AddFile(8, "readonly.txt", "%InstallDir%\\", omAlways);
    AddFile(9, "by-date.txt", "%InstallDir%\\", omAskByDate);
    for (const char* name : {"ask-no.txt", "never.txt", "replace.txt", "version.txt", "older.txt",
                             "newer.txt", "ask-yes.txt", "readonly.txt", "by-date.txt"})
        PutFile(Installed(name), "old");
    SetFileDate(Installed("older.txt"), kOldDate);
    SetFileDate(Installed("newer.txt"), kNewDate + 0x10000); // a day later than the package's
    SetFileDate(Installed("by-date.txt"), kOldDate);
    SetFileAttributesA(Installed("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Build();
    ui_.overwriteAnswers = {A::No, A::YesToAll, A::No};
    engine_->InstallFiles();

    auto contents = [&](const char* name) { return ReadWholeFile(Installed(name)); };
    EXPECT_EQ(contents("ask-no.txt"), "old");
    EXPECT_EQ(contents("never.txt"), "old");
    EXPECT_EQ(contents("replace.txt"), Data(3));
    EXPECT_EQ(contents("version.txt"), Data(4)); // no version resource counts as 0.0
    EXPECT_EQ(contents("older.txt"), Data(5));
    EXPECT_EQ(contents("newer.txt"), "old");
    EXPECT_EQ(contents("ask-yes.txt"), Data(7));
    EXPECT_EQ(contents("readonly.txt"), Data(8)); // read-only attribute cleared first
    EXPECT_EQ(contents("by-date.txt"), "old");
    Strings asked;
    for (const auto& p : ui_.overwritePrompts)
        asked.push_back(p.message);
    EXPECT_EQ(asked, (Strings{"m25 ask-no.txt", "m25 ask-yes.txt", "m26 by-date.txt"}));
    EXPECT_EQ(ui_.Texts(), (Strings{"m14"}));
}

TEST_F(EngineWin, AFileHeldOpenWithoutSharingIsReportedAndTheRunGoesOn) {
    AddFile(1, "busy.dll");
    AddFile(2, "free.dll");
    PutFile(Installed("busy.dll"), "old");
    Build();
    {
        FileHandle busy(
            CreateFileA(Installed("busy.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(bool(busy));
        engine_->InstallFiles();
    }
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "m66 " + Installed("busy.dll"));
    EXPECT_EQ(ui_.messages[0].icon, TMessageIcon::Warning);
    EXPECT_EQ(ReadWholeFile(Installed("busy.dll")), "old");
    EXPECT_EQ(ReadWholeFile(Installed("free.dll")), Data(2));
}

// The stand-in sfc.dll beside this test calls every "protected" file protected. The
// engine must ask the system's own library, never a copy lying beside the program,
// so the file is replaced like any other.
TEST_F(EngineWin, AnSfcDllBesideTheProgramIsNotAskedAboutProtectedFiles) {
    AddFile(1, "protected.dll");
    PutFile(Installed("protected.dll"), "system");
    Build();
    engine_->InstallFiles();
    // The platform keeps the library it asked: the system's, not the stand-in beside us.
    HMODULE asked = GetModuleHandleA("sfc.dll");
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(GetProcAddress(asked, "CvnFakeSfc"), nullptr);
    EXPECT_EQ(ReadWholeFile(Installed("protected.dll")), Data(1));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EngineWin, AMemberSpreadOverVolumesIsWrittenAndLoggedOnce) {
    AddFile(1, "small.txt");
    std::string big(300000, '\0');
    uint32_t x = 12345;
    for (char& c : big)
        c = char((x = x * 1103515245u + 12345u) >> 23); // does not compress
    data_[2] = big;
    AddFile(2, "big.bin").fileSize = uint32_t(big.size());
    Build(TCVNZipWriter::kMinVolumeSize * 2);
    // The later volumes are elsewhere: the next-disk prompt is answered with their folder.
    std::string moved = root_ / "disk2";
    CreateDirectoryA(moved.c_str(), nullptr);
    for (const char* volume : {"setup.002", "setup.003"})
        MoveFileA((root_ / "dl\\" + volume).c_str(), (moved + "\\" + volume).c_str());
    ASSERT_NE(GetFileAttributesA((moved + "\\setup.002").c_str()), INVALID_FILE_ATTRIBUTES);
    ui_.diskAnswers = {moved};
    engine_->InstallFiles();

    ASSERT_EQ(ui_.diskPrompts.size(), 1u);
    EXPECT_EQ(ui_.diskPrompts[0].disk, 2);
    EXPECT_EQ(ui_.diskPrompts[0].folder, root_ / "dl\\");
    EXPECT_TRUE(ReadWholeFile(Installed("big.bin")) == big);
    int logged = 0;
    for (const auto& item : engine_->UninstallLog())
        logged += item.path == Installed("big.bin");
    EXPECT_EQ(logged, 1);
}

TEST_F(EngineWin, ShortcutsRegistryValuesAndTheUninstallEntry) {
    const std::string uninstallKey = UninstallKeyPath(kCompany, kSoftware);
    KeyGuard uninstallGuard(HKEY_LOCAL_MACHINE, uninstallKey);
    KeyGuard valuesGuard(HKEY_CURRENT_USER, kRegistryKey);
    AddFile(1, "tool.exe", "%InstallDir%\\bin\\");
    AddFile(2, kSoftware + ".ico");
    TShortcutRecord tool;
    tool.name = "Tool";
    tool.target = "tool.exe";
    tool.arguments = "/open \"%InstallDir%\"";
    tool.description = "Runs the tool";
    tool.showCommand = SW_SHOWMAXIMIZED;
    tool.folder = "%ProgramGroupDir%\\";
    tool.iconFile = "%InstallDir%\\" + kSoftware + ".ico";
    tool.iconIndex = 1;
    TShortcutRecord remove;
    remove.name = "Remove";
    remove.target = "UNINSTALLER";
    remove.folder = "%ProgramGroupDir%\\Extra\\";
    remove.showCommand = SW_SHOWNORMAL;
    model_.programGroupFolders = {"%ProgramGroupDir%\\Extra"};
    model_.shortcuts = {tool, remove};
    auto reg = [](int32_t type, const std::string& name, const std::string& data) {
        TRegistryRecord r;
        r.root = 1;
        r.key = "\\" + kRegistryKey + "\\";
        r.valueType = type;
        r.valueName = name;
        r.data = data;
        return r;
    };
    model_.registry = {reg(0, "Path", "%InstallDir%"), reg(1, "Count", "12a3"), reg(2, "Bytes", "0A 0B 1f "),
                       reg(3, "List", "a;b")};
    Build();
    engine_->InstallFiles();
    engine_->CreateShortcuts();
    engine_->WriteRegistry();
    engine_->WriteUninstallData();
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages[0].text;

    // Links, read back by lnkinfo.
    const std::string group = Expand("%ProgramGroupDir%");
    const std::string toolLink = group + "\\Tool.lnk";
    ASSERT_NE(GetFileAttributesA(toolLink.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string info = LnkInfo(toolLink, root_ / "tool.txt");
    if (info.empty()) {
        ADD_FAILURE() << "lnkinfo is missing or failed";
    } else {
        EXPECT_TRUE(Contains(info, "Description\t\t\t: Runs the tool")) << info;
        EXPECT_TRUE(Contains(info, "Command line arguments\t\t: /open \"" + installDir_ + "\"")) << info;
        EXPECT_TRUE(Contains(info, "Working directory\t\t: " + installDir_ + "\\bin")) << info;
        EXPECT_TRUE(Contains(info, "Icon location\t\t\t: " + installDir_ + "\\" + kSoftware + ".ico"))
            << info;
        EXPECT_TRUE(Contains(info, "Icon index\t\t\t: 1")) << info;
        EXPECT_TRUE(Contains(info, "tool.exe")) << info;
    }
    // The show command sits in the link header (lnkinfo 20181227 does not report it).
    std::string header = ReadWholeFile(toolLink);
    ASSERT_GE(header.size(), 0x40u);
    EXPECT_EQ(header[0x3C], SW_SHOWMAXIMIZED);
    std::string removeInfo = LnkInfo(group + "\\Extra\\Remove.lnk", root_ / "remove.txt");
    if (!removeInfo.empty()) {
        EXPECT_TRUE(Contains(removeInfo, "cvnuninst.exe")) << removeInfo;
        EXPECT_TRUE(Contains(removeInfo, ": \"" + installDir_ + "\\uninst.dat\"")) << removeInfo;
    }

    // Registry values, read back by reg.exe.
    std::string query = RunCaptured("reg.exe query \"HKCU\\" + kRegistryKey + "\"");
    EXPECT_TRUE(Contains(query, "REG_SZ")) << query;
    EXPECT_TRUE(Contains(query, installDir_)) << query;
    EXPECT_TRUE(Contains(query, "0x7b")) << query;
    EXPECT_TRUE(Contains(query, "0A0B1F")) << query;
    auto list = GetRaw(HKEY_CURRENT_USER, kRegistryKey, "List");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->first, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(std::string(list->second.begin(), list->second.end()), std::string("a\0b\0\0", 5));

    // The uninstall entry, as the list of installed programs shows it.
    EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString"),
              "\"" + sys_.WindowsDir() + "\\cvnuninst.exe\" \"" + installDir_ + "\\uninst.dat\"");
    EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayIcon"), Installed(kSoftware + ".ico"));
    std::string programs = RunCaptured("uninstaller.exe --list");
    EXPECT_TRUE(Contains(programs, kSoftware + " (test)")) << programs;

    // uninst.dat holds the log: links, values and itself included.
    std::string bytes = ReadWholeFile(Installed("uninst.dat"));
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    ByteReader r(data);
    TUninstallData d = ReadUninstallData(r);
    EXPECT_EQ(d.softwareName, kSoftware);
    EXPECT_EQ(d.iconPath, Installed(kSoftware + ".ico"));
    ASSERT_FALSE(d.items.empty());
    EXPECT_EQ(d.items.back().path, Installed("uninst.dat"));
    EXPECT_EQ(d.items.size(), engine_->UninstallLog().size());
    int links = 0, values = 0;
    for (const auto& item : d.items) {
        links += item.kind == ukFile && Contains(item.path, ".lnk");
        values += item.kind == ukRegistryValue;
    }
    EXPECT_EQ(links, 2);
    EXPECT_EQ(values, 4 + 12);
}

int CALLBACK NoteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// True when the screen has a font family of that name.
bool FamilyEnumerated(const std::string& family) {
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, family.c_str(), LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &lf, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

std::string ProfileFont(const std::string& name) {
    char buf[MAX_PATH] = {};
    GetProfileStringA("Fonts", name.c_str(), "", buf, sizeof buf);
    return buf;
}

TEST_F(EngineWin, FontsAreRegisteredWhereTheyWereInstalled) {
    const std::string inFonts = TestFontData("CvnTsA"), elsewhere = TestFontData("CvnTsB");
    if (inFonts.empty()) GTEST_SKIP() << "no DejaVu fonts on this machine";
    const std::string fontsDir = Expand("%FontsDir%");
    struct Cleanup {
        std::string fontsFile, otherFile;
        ~Cleanup() {
            for (const char* name : {"CvnTsA Sans (TrueType)", "CvnTsB Sans (TrueType)"})
                WriteProfileStringA("Fonts", name, nullptr);
            for (const std::string& f : {std::string("CvnTsA.ttf"), fontsFile, otherFile})
                while (RemoveFontResourceA(f.c_str())) {
                }
            DeleteFileA(fontsFile.c_str());
        }
    } cleanup{fontsDir + "\\CvnTsA.ttf", Installed("CvnTsB.ttf")};
    TFileRecord& a = AddFile(1, "CvnTsA.ttf", "%FontsDir%\\");
    a.entry.font = 1;
    a.entry.fontName = "CvnTsA Sans (TrueType)";
    TFileRecord& b = AddFile(2, "CvnTsB.ttf");
    b.entry.font = 1;
    b.entry.fontName = "CvnTsB Sans (TrueType)";
    data_[1] = inFonts;
    data_[2] = elsewhere;
    Build();
    engine_->InstallFiles();

    EXPECT_TRUE(ui_.messages.empty());
    // Windows' own rule: a font of the Fonts folder by its file name, any other by its path.
    EXPECT_EQ(ProfileFont("CvnTsA Sans (TrueType)"), "CvnTsA.ttf");
    EXPECT_TRUE(EqualsNoCase(ProfileFont("CvnTsB Sans (TrueType)"), Installed("CvnTsB.ttf")))
        << ProfileFont("CvnTsB Sans (TrueType)");
    EXPECT_TRUE(FamilyEnumerated("CvnTsA Sans"));
    EXPECT_TRUE(FamilyEnumerated("CvnTsB Sans"));
}

TEST_F(EngineWin, TheUninstallerTravelsAsDataAndIsWrittenAsAProgram) {
    AddFile(1, "CVNUNINST.DAT", "%InstallDir%\\", omAlways, "", "uninstaller");
    Build();
    engine_->InstallFiles();
    EXPECT_EQ(ReadWholeFile(Installed("cvnuninst.exe")), Data(1));
    EXPECT_EQ(GetFileAttributesA(Installed("CVNUNINST.DAT").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Log().back(), "3 " + Installed("cvnuninst.exe"));
}

TEST_F(EngineWin, CarrierFilesGoAgainAfterADeviceOnlyInstall) {
    model_.installFolders = {"%InstallDir%\\Device"};
    model_.deviceApplications.main.cabFiles = "app.cab";
    AddFile(1, "app.cab", "%InstallDir%\\Device\\");
    Build();
    engine_->InstallFiles();
    ASSERT_EQ(ReadWholeFile(installDir_ + "\\Device\\app.cab"), Data(1));
    engine_->DeleteCarrierFiles();
    EXPECT_EQ(GetFileAttributesA((installDir_ + "\\Device").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(installDir_.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace cvn::test
