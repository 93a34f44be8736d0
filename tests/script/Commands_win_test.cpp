#include "core/Handle_win.h"
#include "install/WinTestSupport.h"
#include "package/StatementCodes.h"
#include "script/CommandPlatform.h"
#include "script/Condition.h"
#include "script/FakeSystemValues.h"
#include "script/Interpreter.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace cvn::test {
namespace {

using SC = StatementCommand;

TScriptStatement St(SC code, std::initializer_list<std::string> params = {}) {
    TScriptStatement s;
    s.code = uint8_t(code);
    size_t i = 0;
    for (const auto& p : params)
        s.param[i++] = p;
    return s;
}

// The script commands over the real Win32 implementations, in a private folder of
// the temporary folder and a private registry key, both removed afterwards.
class WinCommands : public ::testing::Test {
protected:
    WinCommands()
        : vars(sys), conditions(vars, selection), boxes(CreateWinMessageBoxes(sys)),
          files(CreateWinPcFiles()), registry(CreateWinPcRegistry()), programs(CreateWinPcPrograms()),
          interp(vars, conditions,
                 TCommandPlatform{boxes.get(), files.get(), registry.get(), programs.get()}) {
        sys.mainWindow = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "cvnscript" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        vars.SetVariable("%Dir%", dir);
        key = "Software\\CvnScriptTest" + std::to_string(GetCurrentProcessId());
        vars.SetVariable("%Key%", key);
    }
    ~WinCommands() override {
        interp.RunScript({St(SC::scFileClose)});
        RemoveTree(dir);
        RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\Sub").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    }
    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAA fd;
        FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &fd));
        if (find) {
            do {
                std::string name = fd.cFileName;
                if (name == "." || name == "..") continue;
                std::string path = folder + "\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(find.Get(), &fd));
        }
        find.Reset();
        RemoveDirectoryA(folder.c_str());
    }

    std::string Var(std::string_view name) {
        const std::string* v = vars.Store().Find(name);
        return v ? *v : "<unset>";
    }
    void Run(TScript script) { interp.RunScript(script); }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool Exists(const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    TFakeSystemValues sys;
    TVariables vars;
    TComponentSelection selection;
    TConditionEvaluator conditions;
    std::unique_ptr<TMessageBoxes> boxes;
    std::unique_ptr<TPcFiles> files;
    std::unique_ptr<TPcRegistry> registry;
    std::unique_ptr<TPcPrograms> programs;
    TInterpreter interp;
    std::string dir, key;
};

TEST_F(WinCommands, ScriptFileOnDisk) {
    Run({St(SC::scFileOpen, {"%R%", "%Dir%\\log.txt", "0"}), St(SC::scFileWriteLine, {"one"}),
         St(SC::scFileWrite, {"two"}), St(SC::scFileOpen, {"%Second%", "%Dir%\\other.txt", "0"}),
         St(SC::scFileClose)});
    EXPECT_EQ(Var("%R%"), "OK");
    EXPECT_EQ(Var("%Second%"), "ERROR");
    EXPECT_FALSE(Exists(dir + "\\other.txt"));
    EXPECT_EQ(Read(dir + "\\log.txt"), "one\r\ntwo");

    Run({St(SC::scFileOpen, {"%R%", "%Dir%\\log.txt", "0"}), St(SC::scFileReadLine, {"%A%"}),
         St(SC::scFileReadLine, {"%B%"}), St(SC::scFileReadLine, {"%C%"}), St(SC::scFileClose)});
    EXPECT_EQ(Var("%A%"), "one");
    EXPECT_EQ(Var("%B%"), "two");
    EXPECT_EQ(Var("%C%"), "EOF");

    std::ofstream(dir + "\\magic.dat", std::ios::binary)
        .write("\x39\x30\x00\x00"
               "data",
               8);
    Run({St(SC::scFileOpen, {"%R%", "%Dir%\\magic.dat", "12345"}), St(SC::scFileRead, {"%D%", "100"}),
         St(SC::scFileClose), St(SC::scFileOpen, {"%M%", "%Dir%\\magic.dat", "7"}), St(SC::scFileClose)});
    EXPECT_EQ(Var("%R%"), "OK");
    EXPECT_EQ(Var("%D%"), "data");
    EXPECT_EQ(Var("%M%"), "MAGICERROR");

    Run({St(SC::scFileOpen, {"%R%", "%Dir%\\no\\such\\folder\\x.txt", "0"})});
    EXPECT_EQ(Var("%R%"), "ERROR");
}

TEST_F(WinCommands, FilesFoldersAndShortcuts) {
    std::ofstream(dir + "\\a.txt") << "12345";
    Run({St(SC::scCopyFile, {"%Dir%\\a.txt", "%Dir%\\b.txt"}),
         St(SC::scMoveFile, {"%Dir%\\b.txt", "%Dir%\\c.log"}), St(SC::scCreateFolder, {"%Dir%\\Sub\\"}),
         St(SC::scFileExistsIn, {"%Log%", "*.log", "%Dir%"}),
         St(SC::scFileExistsIn, {"%Ini%", "*.ini", "%Dir%"}),
         St(SC::scFileExistsIn, {"%Folder%", "Sub", "%Dir%"}),
         St(SC::scFileInfo, {"%Size%", "%Dir%\\c.log", "size"}),
         St(SC::scFileInfo, {"%There%", "%Dir%\\c.log", "EXISTENCE"}),
         St(SC::scFileInfo, {"%Gone%", "%Dir%\\b.txt", "EXISTENCE"})});
    EXPECT_TRUE(Exists(dir + "\\Sub"));
    EXPECT_EQ(Var("%Log%"), "1");
    EXPECT_EQ(Var("%Ini%"), "0");
    EXPECT_EQ(Var("%Folder%"), "0") << "folders are not files";
    EXPECT_EQ(Var("%Size%"), "5");
    EXPECT_EQ(Var("%There%"), "1");
    EXPECT_EQ(Var("%Gone%"), "0");

    // Copying replaces an existing destination.
    std::ofstream(dir + "\\d.txt") << "old";
    Run({St(SC::scCopyFile, {"%Dir%\\a.txt", "%Dir%\\d.txt"})});
    EXPECT_EQ(Read(dir + "\\d.txt"), "12345");

    Run({St(SC::scCreateShortcut, {"%Dir%\\Sub", "Tool", "%Dir%\\a.txt", "-x", "%Dir%"})});
    ASSERT_TRUE(Exists(dir + "\\Sub\\Tool.lnk"));
    {
        CoInitialize(nullptr);
        ComPtr<IShellLinkA> link;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IShellLinkA, link.OutVoid())));
        ComPtr<IPersistFile> file;
        ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.OutVoid())));
        std::string path = dir + "\\Sub\\Tool.lnk";
        std::wstring wide(path.begin(), path.end());
        ASSERT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
        char buf[MAX_PATH] = {};
        link->GetArguments(buf, MAX_PATH);
        EXPECT_STREQ(buf, "-x");
        link->GetWorkingDirectory(buf, MAX_PATH);
        EXPECT_EQ(std::string(buf), dir);
        file.Reset();
        link.Reset();
        CoUninitialize();
    }
    Run({St(SC::scDeleteShortcut, {"%Dir%\\Sub", "Tool"}), St(SC::scRemoveFolder, {"%Dir%\\Sub"})});
    EXPECT_FALSE(Exists(dir + "\\Sub\\Tool.lnk"));
    EXPECT_FALSE(Exists(dir + "\\Sub"));
}

TEST_F(WinCommands, FileVersionFromTheVersionResource) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    vars.SetVariable("%Sys%", system);
    std::ofstream(dir + "\\plain.txt") << "x";
    Run({St(SC::scFileInfo, {"%V%", "%Sys%\\kernel32.dll", "VERSION"}),
         St(SC::scFileInfo, {"%P%", "%Dir%\\plain.txt", "Version"})});
    std::string version = Var("%V%");
    EXPECT_NE(version, "0.0.0.0");
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3) << version;
    EXPECT_EQ(Var("%P%"), "0.0.0.0");
}

TEST_F(WinCommands, RegistryValuesKeysAndRoots) {
    Run({St(SC::scRegWrite, {"HKEY_CURRENT_USER", "\\%Key%\\Sub\\", "Count", "042"}),
         St(SC::scRegWrite, {"", "%Key%\\Sub", "Name", "4a"}),
         St(SC::scRegWrite, {"", "%Key%\\Sub", "Empty", ""}),
         St(SC::scRegRead, {"%Count%", "", "%Key%\\Sub", "Count", "none"}),
         St(SC::scRegRead, {"%Name%", "", "%Key%\\Sub", "Name", "none"}),
         St(SC::scRegRead, {"%Missing%", "", "%Key%\\Sub", "Missing", "default %Key%"})});
    EXPECT_EQ(Var("%Count%"), "42");
    EXPECT_EQ(Var("%Name%"), "4a");
    EXPECT_EQ(Var("%Missing%"), "default " + key);

    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\Sub").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
    RegKey sub(h);
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(sub.Get(), "Count", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(value, 42u);
    ASSERT_EQ(RegQueryValueExA(sub.Get(), "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_EQ(RegQueryValueExA(sub.Get(), "Empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    sub.Reset();

    Run({St(SC::scRegDelete, {"HKEY_CURRENT_USER", "%Key%\\Sub", "Count"}),
         St(SC::scRegRead, {"%Count%", "", "%Key%\\Sub", "Count", "gone"})});
    EXPECT_EQ(Var("%Count%"), "gone");
    Run({St(SC::scRegDelete, {"", "%Key%\\Sub", "Name"}), St(SC::scRegDelete, {"", "%Key%\\Sub", "Empty"}),
         St(SC::scRegDelete, {"", "%Key%\\Sub", ""})});
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\Sub").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
    Run({St(SC::scRegDelete, {"", "%Key%\\Never", "X"})});
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\Never").c_str(), 0, KEY_READ, &h), ERROR_SUCCESS)
        << "deleting a value does not create its key";
}

TEST_F(WinCommands, IsInstalledReadsTheUninstallKey) {
    std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CvnTestCo CvnTestApp" +
                            std::to_string(GetCurrentProcessId());
    vars.SetVariable("%App%", "CvnTestApp" + std::to_string(GetCurrentProcessId()));
    Run({St(SC::scIsInstalled, {"%R%", "%App%", "CvnTestCo"})});
    EXPECT_EQ(Var("%R%"), "0");
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &h, nullptr),
              ERROR_SUCCESS);
    RegKey k(h);
    RegSetValueExA(k.Get(), "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("1.0"), 4);
    k.Reset();
    Run({St(SC::scIsInstalled, {"%R%", "%App%", "CvnTestCo"})});
    EXPECT_EQ(Var("%R%"), "1");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstall.c_str());
}

// Finds the message box with this title from another thread, notes its text and
// default button, and presses a button, so the test never waits for a person.
struct TBoxCloser {
    explicit TBoxCloser(std::string t, int button = IDOK) : title(std::move(t)), press(button) {}
    std::string title;
    int press;
    std::string text;
    int defaultButton = 0;
    bool found = false;

    static DWORD WINAPI Main(void* p) {
        auto* self = static_cast<TBoxCloser*>(p);
        for (int i = 0; i < 500 && !self->found; ++i) {
            if (HWND box = FindWindowA("#32770", self->title.c_str())) {
                char buf[512] = {};
                GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
                self->text = buf;
                for (int id : {IDOK, IDYES, IDNO})
                    if (HWND b = GetDlgItem(box, id);
                        b && (GetWindowLongA(b, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
                        self->defaultButton = id;
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(self->press, BN_CLICKED), 0);
                self->found = true;
            }
            Sleep(20);
        }
        return 0;
    }
    KernelHandle Start() { return KernelHandle(CreateThread(nullptr, 0, Main, this, 0, nullptr)); }
};

TEST_F(WinCommands, MessageBoxesAreAnsweredAndDefaultToNoWhenAsked) {
    vars.SetVariable("%Who%", "World");
    TBoxCloser ok("cvn test box");
    KernelHandle t1 = ok.Start();
    Run({St(SC::scMessageBox, {"cvn test box", "Hello %Who%", "INFORMATION"})});
    WaitForSingleObject(t1.Get(), 15000);
    ASSERT_TRUE(ok.found);
    EXPECT_EQ(ok.text, "Hello World");

    TBoxCloser yes("cvn test question", IDYES);
    KernelHandle t2 = yes.Start();
    vars.SetVariable("%Answer%", "No");
    Run({St(SC::scAskYesNo, {"%Answer%", "cvn test question", "Sure?", "QUESTION"})});
    WaitForSingleObject(t2.Get(), 15000);
    ASSERT_TRUE(yes.found);
    EXPECT_EQ(yes.defaultButton, IDNO);
    EXPECT_EQ(Var("%Answer%"), "YES");

    TBoxCloser no("cvn test question", IDNO);
    KernelHandle t3 = no.Start();
    Run({St(SC::scAskYesNo, {"%Answer%", "cvn test question", "Again?", "QUESTION"})});
    WaitForSingleObject(t3.Get(), 15000);
    ASSERT_TRUE(no.found);
    EXPECT_EQ(no.defaultButton, IDYES) << "the answer was YES, so Yes is the default";
    EXPECT_EQ(Var("%Answer%"), "NO");
}

LRESULT CALLBACK RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        SetPropA(w, "cvnClosed", reinterpret_cast<HANDLE>(1));
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

TEST_F(WinCommands, ProgramsAndWindows) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CvnScriptTestWindow";
    RegisterClassA(&wc);
    Window w(CreateWindowExA(0, wc.lpszClassName, "cvn target", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr));
    ASSERT_TRUE(w);
    Run({St(SC::scWindowExists, {"%A%", "CvnScriptTestWindow", ""}),
         St(SC::scWindowExists, {"%B%", "CvnScriptTestWindow", "cvn target"}),
         St(SC::scWindowExists, {"%C%", "CvnScriptTestWindow", "other title"}),
         St(SC::scCloseWindow, {"CvnScriptTestWindow", "cvn target", "0"})});
    EXPECT_EQ(Var("%A%"), "1");
    EXPECT_EQ(Var("%B%"), "1");
    EXPECT_EQ(Var("%C%"), "0");
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_TRUE(GetPropA(w.Get(), "cvnClosed")) << "a close message was posted";
    RemovePropA(w.Get(), "cvnClosed");
    w.Reset();
    UnregisterClassA(wc.lpszClassName, wc.hInstance);

    // Run waits for the program when asked: the file it writes is there afterwards.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    vars.SetVariable("%Cmd%", std::string(system) + "\\cmd.exe");
    Run({St(SC::scRun, {"%Cmd%", "/c echo done> \"%Dir%\\ran.txt\"", "1"})});
    EXPECT_TRUE(Exists(dir + "\\ran.txt"));

    // A bare name is looked for in the system folders, never beside the program: a
    // copy of the probe planted there under a new name is not started.
    Run({St(SC::scRun, {"cmd", "/c echo bare> \"%Dir%\\bare.txt\"", "1"})});
    EXPECT_TRUE(Exists(dir + "\\bare.txt"));
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string planted = self;
    planted = planted.substr(0, planted.rfind('\\')) + "\\cvnplanted.exe";
    ASSERT_TRUE(CopyFileA(BuildFile("testing/sysprobe/cvn_sysprobe.exe").c_str(), planted.c_str(), FALSE));
    Run({St(SC::scRun, {"cvnplanted", "\"%Dir%\\planted.txt\" cwd", "1"})});
    DeleteFileA(planted.c_str());
    EXPECT_FALSE(Exists(dir + "\\planted.txt"));

    DWORD start = GetTickCount();
    Run({St(SC::scSleep, {"120"}), St(SC::scSleep, {"-5"})});
    EXPECT_GE(GetTickCount() - start, 100u);
}

} // namespace
} // namespace cvn::test
