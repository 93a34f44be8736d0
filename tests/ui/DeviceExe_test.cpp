// setup.exe with the handheld software of the PC: the stand-in remote API library in
// the system folder (its device a folder), the stand-in application manager where the
// synchronisation software registers it, and a Palm desktop set up in the registry.
#include "BuildFiles_win.h"
#include "DeviceStandIns_win.h"
#include "app/SetupProcess_win.h"
#include "app/TestPackage.h"

#include "package/StatementCodes.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::test;
using namespace std::chrono_literals;
using SC = StatementCommand;

namespace {

TScriptStatement St(SC code, std::array<std::string, 5> params) {
    return {uint8_t(code), std::move(params), ""};
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char b[3];
    for (unsigned char c : bytes) {
        snprintf(b, sizeof b, "%02X", c);
        out += b;
    }
    return out;
}

std::string Utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out + std::string(2, '\0');
}

class DeviceExe : public ::testing::Test {
protected:
    void SetUp() override {
        stub = ReadText(SetupStubPath());
        ASSERT_FALSE(stub.empty());
        folder = MakeScratchFolder(std::string("device-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        temp = folder + "\\temp";
        target = folder + "\\target";
        device = folder + "\\device";
        CreateDirectoryA(temp.c_str(), nullptr);
        CreateDirectoryA(device.c_str(), nullptr);
        SetEnvironmentVariableA("CVN_TEST_DEVICE", device.c_str());
        pkg.package.Settings().defaultInstallDir = target;
        pkg.package.flags.writeUninstallData = 0;
    }
    void TearDown() override {
        RemoveRapiLibrary();
        UnregisterAppManager();
        RemoveTree(folder);
    }

    void InstallStandInLibrary() { ASSERT_TRUE(InstallRapiLibrary()); }

    TFileRecord& AddFile(int32_t id, const std::string& name, const std::string& dir,
                         const std::string& content, const std::string& components = "") {
        TFileRecord r;
        r.memberId = id;
        r.fileDate = 0x5A8F6000;
        r.fileSize = uint32_t(content.size());
        r.entry.sourceName = "C:\\Build\\" + name;
        r.entry.targetDir = dir;
        r.entry.overwriteMode = 6;
        r.entry.components = components;
        pkg.package.files.push_back(r);
        pkg.strayMembers.emplace_back(id, content);
        return pkg.package.files.back();
    }

    int Run(std::chrono::milliseconds timeout = 60s) {
        const std::vector<uint8_t> bytes = pkg.Build({stub.begin(), stub.end()});
        const std::string exe = folder + "\\setup.exe";
        EXPECT_TRUE(WriteBytes(exe, bytes.data(), bytes.size()));
        SetupProcess setup(exe, temp);
        EXPECT_TRUE(setup.Started());
        if (!expectedBox.empty()) {
            auto box = setup.WaitForMessageBox(timeout);
            EXPECT_TRUE(box) << "no box";
            if (box) {
                shownBox = box->text;
                SetupProcess::PressOk(*box);
            }
        }
        return setup.WaitForExit(timeout);
    }

    std::string stub, folder, temp, target, device;
    std::string expectedBox, shownBox;
    TestPackage pkg;
};

} // namespace

TEST_F(DeviceExe, OnlyTheSelectedDeviceApplicationReachesTheManagerAndItsCarrierFilesGoAfterwards) {
    const std::string calls = RegisterAppManager();

    pkg.package.flags.removeDeviceFiles = 1;
    pkg.package.Settings().description = "Tide tables";
    pkg.package.deviceApplications.main = {"", "%InstallDir%\\Device\\", "", "", "tide.cab"};
    pkg.package.deviceApplications.extras = {
        {"Maps: Coast", "%InstallDir%\\Maps\\", "Charts", "", "maps.cab"}};
    AddFile(20, "tide.cab", "%InstallDir%\\Device\\", "MSCF tide");
    AddFile(21, "maps.cab", "%InstallDir%\\Maps\\", "MSCF maps", "Extras"); // not in the setup type
    EXPECT_EQ(Run(), 0);

    const std::string ini = target + "\\Device\\Tide Charts.ini";
    const std::string recorded = ReadText(calls);
    EXPECT_EQ(recorded.substr(0, recorded.find('\n')), "args: \"" + ini + "\"");
    EXPECT_NE(recorded.find("file: " + ini + "\n"), std::string::npos);
    EXPECT_NE(recorded.find("\r\n[Tide Charts]\r\nDescription = \"Tide tables\"\r\n"
                            "Uninstall = \"Harbour Soft Tide Charts\"\r\nCabFiles = tide.cab\r\n"),
              std::string::npos);
    EXPECT_EQ(recorded.find("Maps"), std::string::npos);
    // A device-only install leaves neither the cabinet nor the .ini behind.
    EXPECT_FALSE(PathExists(target + "\\Device\\tide.cab"));
    EXPECT_FALSE(PathExists(ini));
}

TEST_F(DeviceExe, AScriptReadsTheDeviceAndWritesReadsAndDeletesADeviceFile) {
    InstallStandInLibrary();
    std::string owner = Utf16("Ann Lee");
    owner.resize(72, '\0');
    owner += Utf16("Harbour");
    const std::string reg = "HKCU|CONTROLPANEL\\OWNER|Owner|3|" + Hex(owner) + "\n";
    ASSERT_TRUE(WriteBytes(device + ".reg", reg.data(), reg.size()));
    pkg.package.eventScripts[0] = {
        St(SC::scDeviceOwner, {"%Owner%", "NAME"}),
        St(SC::scDeviceOwner, {"%Company%", "COMPANY"}),
        St(SC::scDeviceOSVersion, {"%Version%", "FULL"}),
        St(SC::scDeviceProcessor, {"%Cpu%"}),
        St(SC::scDeviceFreeSpace, {"%Free%", ""}),
        St(SC::scDeviceFileOpen, {"%Opened%", "\\notes.txt", "0"}),
        St(SC::scDeviceFileWriteLine, {"hello device"}),
        St(SC::scDeviceFileClose, {}),
        St(SC::scDeviceFileOpen, {"%Opened%", "\\notes.txt", "0"}),
        St(SC::scDeviceFileReadLine, {"%Line%"}),
        St(SC::scDeviceFileClose, {}),
        St(SC::scDeviceFileDetails, {"%Size%", "\\notes.txt", "size"}),
        St(SC::scDeviceDeleteFile, {"\\notes.txt"}),
        St(SC::scDeviceFileDetails, {"%Gone%", "\\notes.txt", "EXISTENCE"}),
        St(SC::scDeviceRegWrite, {"HKEY_LOCAL_MACHINE", "\\Software\\Tide\\", "Count", "042"}),
        St(SC::scDeviceRegWrite, {"HKEY_LOCAL_MACHINE", "Software\\Tide", "Name", "Ann"}),
        St(SC::scDeviceRegRead, {"%Count%", "HKEY_LOCAL_MACHINE", "Software\\Tide", "Count", "none"}),
        St(SC::scDeviceRegDelete, {"HKEY_LOCAL_MACHINE", "Software\\Tide", "Name"}),
        St(SC::scDeviceRegRead, {"%Name%", "HKEY_LOCAL_MACHINE", "Software\\Tide", "Name", "gone"}),
        St(SC::scDevicePlatform, {"%Platform%"}),
        St(SC::scMessageBox,
           {"Probe", "%Owner%|%Company%|%Version%|%Cpu%|%Free%|%Opened%|%Line%|%Size%|%Gone%|"
                     "%Count%|%Name%|%Platform%"}),
    };
    pkg.package.platforms = {{1, "PPC2002", "POCKETPC", "", 1 << 9, 0, "3.0", "3.99"},
                             {1, "PPC2003", "POCKETPC", "", 1 << 9, 0, "4.0", "4.99"}};
    expectedBox = "box";
    Run();
    EXPECT_EQ(shownBox, "Ann Lee|Harbour|4.20|STRONGARM|12345678|OK|hello device|14|0|42|gone|PPC2003");
    // The number went to the device as a 32-bit value.
    EXPECT_NE(ReadText(device + ".reg").find("HKLM|SOFTWARE\\TIDE|Count|4|2A000000"), std::string::npos);
    // The probe took its program and its registry key away again.
    EXPECT_FALSE(PathExists(device + "\\cVN.exe"));
    EXPECT_EQ(ReadText(device + ".reg").find("TARROW"), std::string::npos);
}

TEST_F(DeviceExe, WithoutTheRemoteApiLibraryTheDeviceCommandsGiveTheirNotConnectedAnswers) {
    RemoveRapiLibrary();
    pkg.package.eventScripts[0] = {
        St(SC::scAssign, {"%ErrorCode%", "0", ""}),
        St(SC::scDeviceConnected, {"%Present%"}),
        St(SC::scDeviceOwner, {"%Owner%", "NAME"}),
        St(SC::scDeviceFileOpen, {"%Opened%", "\\x.txt", "0"}),
        St(SC::scDeviceFreeSpace, {"%Free%", "STRING"}),
        St(SC::scDevicePlatform, {"%Platform%"}),
        St(SC::scDeviceFileWrite, {"x"}),
        St(SC::scMessageBox, {"Probe", "%Present%|%Owner%|%Opened%|%Free%|%Platform%|%ErrorCode%"}),
    };
    expectedBox = "box";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(shownBox, "0||ERROR|0||1");
}

class PalmExe : public DeviceExe {
protected:
    void SetUp() override {
        DeviceExe::SetUp();
        palm = folder + "\\palm";
        ASSERT_TRUE(SetUpPalmDesktop(palm));
    }
    void TearDown() override {
        RemovePalmDesktop();
        DeviceExe::TearDown();
    }
    static std::optional<DWORD> Number(const std::string& sub, const char* name) {
        return PalmNumber(sub, name);
    }
    std::string palm;
};

TEST_F(PalmExe, FilesReachEveryChosenUserAndTheConduitIsRegisteredAfreshOnEachRun) {
    AddFile(20, "memo.prc", "%InstallDir%\\", "PRC tides").entry.hotSyncInstall = 1;
    AddFile(21, "cond.dll", "%InstallDir%\\", "conduit");
    TConduitRecord conduit;
    conduit.creatorId = "TIDE";
    conduit.conduitFile = "%InstallDir%\\cond.dll";
    conduit.conduitName = "Tide conduit";
    conduit.priority = 2;
    pkg.package.conduits = {conduit};
    pkg.package.eventScripts[0] = {
        St(SC::scAssign, {"%HotSyncUser%", "Ann, Bob", ""}), St(SC::scHotSyncUserCount, {"%Users%"}),
        St(SC::scHotSyncUserName, {"%Second%", "2"}), St(SC::scMessageBox, {"Probe", "%Users% %Second%"})};
    expectedBox = "box";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(shownBox, "2 Bob");
    EXPECT_EQ(ReadText(palm + "\\AnnL\\Install\\memo.prc"), "PRC tides");
    EXPECT_EQ(ReadText(palm + "\\BobK\\Install\\memo.prc"), "PRC tides");
    EXPECT_EQ(Number("HotSync Manager", "Install3"), 1u);
    EXPECT_EQ(Number("HotSync Manager", "Install7"), 1u);
    EXPECT_EQ(Number("Application0", "Creator"), 0x54494445u);
    EXPECT_EQ(Number("Application0", "Priority"), 2u);

    // The second run removes the first registration and takes the lowest free number again.
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Number("Application0", "Creator"), 0x54494445u);
    EXPECT_FALSE(Number("Application1", "Creator"));
}
