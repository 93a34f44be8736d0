// The device-side rules that need no device: the platform table, the application
// manager's .ini files and argument list, the HotSync creator number.
#include "EngineFixture.h"

#include "install/AppManager.h"
#include "install/HotSyncInstall.h"
#include "install/RapiTool.h"
#include "script/SelectionQueries.h"

#include <map>

using namespace cvn;
using namespace cvn::test;

namespace {

constexpr int32_t kSh4 = 10005;

TPlatformEntry Entry(uint8_t kind, const std::string& platform, const std::string& models,
                     const std::string& minVersion, const std::string& maxVersion) {
    TPlatformRecord r{kind, "Pocket", platform, models, 1 << 5, 0, minVersion, maxVersion};
    return ToPlatformEntry(r);
}

bool Admits(const TPlatformEntry& e, const std::string& platform, int32_t major, int32_t minor,
            int32_t processor = kSh4) {
    std::vector<TPlatformEntry> table{e};
    return EntryMatches(table, "POCKET", {processor, platform, major, minor});
}

} // namespace

TEST(DevicePlatformTable, ModelsExcludeEveryVariantAndBoundsTestMajorAndMinorApart) {
    const TPlatformEntry hpc = Entry(0, "", "HPC", "-1.-1", "-1");
    EXPECT_FALSE(Admits(hpc, "H P C", 3, 0));
    EXPECT_FALSE(Admits(hpc, "HPC2", 3, 0));
    EXPECT_FALSE(Admits(hpc, "hpc 50", 3, 0));
    EXPECT_TRUE(Admits(hpc, "HPC51", 3, 0));
    // The processor set is bit 5 (SH4) only.
    EXPECT_FALSE(Admits(hpc, "PocketPC", 3, 0, 2577));

    const TPlatformEntry ppc = Entry(1, "POCKETPC", "", "3.0", "4.20");
    EXPECT_TRUE(Admits(ppc, "Pocket PC", 4, 20));
    EXPECT_FALSE(Admits(ppc, "Pocket PC", 4, 21));
    EXPECT_FALSE(Admits(ppc, "Pocket PC", 5, 0));
    EXPECT_FALSE(Admits(ppc, "Smartphone", 4, 0));
    EXPECT_FALSE(Admits(Entry(1, "POCKETPC", "", "3.1", "-1"), "PocketPC", 4, 0));

    // A version text without a dot is major only.
    EXPECT_TRUE(Admits(Entry(1, "POCKETPC", "", "4", "-1"), "PocketPC", 4, 0));
    EXPECT_FALSE(Admits(Entry(1, "POCKETPC", "", "4", "-1"), "PocketPC", 3, 9));
}

TEST(DevicePlatformTable, TheLastAdmittingEntryNamesThePlatform) {
    std::vector<TPlatformEntry> table{
        ToPlatformEntry({1, "PPC2002", "POCKETPC", "", 1 << 9, 0, "3.0", "3.0"}),
        ToPlatformEntry({1, "PPC2003", "POCKETPC", "", 1 << 9, 0, "4.20", "4.20"}),
        ToPlatformEntry({0, "Other", "", "HPC", 1 << 5, 0, "", ""})};
    std::string name;
    ASSERT_TRUE(MatchPlatform(table, {2577, "PocketPC", 3, 0}, name));
    EXPECT_EQ(name, "PPC2002");
    EXPECT_FALSE(MatchPlatform(table, {2577, "PocketPC", 5, 1}, name));
    EXPECT_EQ(ProcessorName(2577), "STRONGARM");
    EXPECT_EQ(ProcessorName(1234), "");
    EXPECT_EQ(OwnerPartOffset(1, 3), 72u);
    EXPECT_EQ(OwnerPartOffset(1, 2), 66u);
}

TEST(HotSyncCreator, TheFirstCharacterIsTheMostSignificantByteAndShortIdsArePadded) {
    EXPECT_EQ(CreatorNumber("ABCD"), 0x41424344u);
    EXPECT_EQ(CreatorNumber("AB"), 0x41423030u);
    EXPECT_EQ(CreatorNumber("Tide2"), 0x54696465u);
}

TEST(AppManagerIni, TheFileSaysWhatTheManagerReadsLineByLine) {
    EXPECT_EQ(DeviceApplicationSafeName("Game: Pro v1.2 <a|b>,c"), "Game_ Pro v1.2 _a_b__c");
    TAppManagerIni ini{"Game_ Pro", "Game: Pro",     "Cards & dice", "Harbour Soft",
                       true,        "Game_ Pro.ico", "a.cab|b.cab|"};
    const std::string rule = ";==================================================\r\n";
    const std::string text = AppManagerIniText(ini);
    const std::string head = rule + "; Game_ Pro.ini\r\n;\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    const size_t tail = text.find("\r\n" + rule);
    ASSERT_NE(tail, std::string::npos);
    EXPECT_EQ(text.substr(tail + 2 + rule.size()), "\r\n"
                                                   "[CEAppManager]\r\n"
                                                   "Version = 1.0\r\n"
                                                   "Component = Game: Pro\r\n"
                                                   "\r\n"
                                                   "[Game: Pro]\r\n"
                                                   "Description = \"Cards & dice\"\r\n"
                                                   "Uninstall = \"Harbour Soft Game: Pro\"\r\n"
                                                   "IconFile = \"Game_ Pro.ico\"\r\n"
                                                   "CabFiles = a.cab,b.cab\r\n");
    EXPECT_NE(text.find("\r\n; Setup created by Harbour Soft with\r\n"), std::string::npos);
    ini.withUninstall = false;
    ini.iconFile.clear();
    EXPECT_EQ(AppManagerIniText(ini).find("Uninstall"), std::string::npos);
    EXPECT_EQ(AppManagerIniText(ini).find("IconFile"), std::string::npos);
}

class AppManagerHandOver : public EngineFixture {};

TEST_F(AppManagerHandOver, OnlyApplicationsWithASelectedCabinetTakePartAndOnlyTheFirstFileOffersUninstall) {
    pkg.Settings().description = "Tide tables";
    pkg.deviceApplications.main = {"", "%InstallDir%\\Device", "", "", "tide.cab"};
    pkg.deviceApplications.extras = {{"Game: Pro", "%InstallDir%\\Games", "Cards", "", "game.cab|"},
                                     {"Extra", "%InstallDir%\\Extra", "More", "", "extra.cab"}};
    AddFile(1, "tide.cab", "%InstallDir%\\Device");
    AddFile(2, "game.cab", "%INSTALLDIR%\\games");
    AddFile(3, "extra.cab", "%InstallDir%\\Extra", omAlways, "Extras"); // not selected
    TSelectionQueries queries(pkg, selection, conditions);
    std::vector<std::string> ran;
    TAppManager manager(pkg, vars, queries, platform,
                        [&](const std::string& p, const std::string& a, const std::string& f) {
                            ran = {p, a, f};
                        });

    std::vector<std::string> failed;
    const std::vector<std::string> written =
        manager.WriteIniFiles("C:\\Program Files\\Acme\\Acme Tool.ico", failed);
    EXPECT_EQ(written, (std::vector<std::string>{"C:\\Program Files\\Acme\\Device\\Acme Tool.ini",
                                                 "C:\\Program Files\\Acme\\Games\\Game_ Pro.ini"}));
    EXPECT_TRUE(failed.empty());
    const std::string first = platform.File(written[0]).bytes;
    const std::string second = platform.File(written[1]).bytes;
    EXPECT_NE(
        first.find(
            "\r\nUninstall = \"Acme Acme Tool\"\r\nIconFile = \"Acme Tool.ico\"\r\nCabFiles = tide.cab\r\n"),
        std::string::npos);
    EXPECT_EQ(second.find("Uninstall"), std::string::npos);
    EXPECT_NE(second.find("\r\n[Game: Pro]\r\nDescription = \"Cards\"\r\n"), std::string::npos);
    EXPECT_FALSE(platform.Has("C:\\Program Files\\Acme\\Extra\\Extra.ini"));

    EXPECT_EQ(manager.IniArguments(), "\"C:\\Program Files\\Acme\\Device\\Acme Tool.ini\" "
                                      "\"C:\\Program Files\\Acme\\Games\\Game_ Pro.ini\"");
}

namespace {

// A device that records what is written to it and starts only a program with content;
// the started probe reports the platform at once.
class FakeDevice final : public TRapiApi {
public:
    int32_t processor = kSh4;
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<uint8_t>> values; // the probe key's values
    bool probeKeyExists = false;
    std::string started; // the content of the program last started

    bool Bind() override { return true; }
    bool Has(const char*) override { return true; }
    bool InitEx() override { return true; }
    bool WaitForInit() override { return true; }
    bool Uninit() override { return true; }
    bool GetVersion(int32_t& major, int32_t& minor) override {
        major = 4;
        minor = 20;
        return true;
    }
    bool GetProcessorType(int32_t& type) override {
        type = processor;
        return true;
    }
    bool GetFreeStorage(uint64_t&) override { return false; }
    TDeviceHandle CeCreateFile(const std::string& path, TDeviceOpen) override {
        open_ = path;
        files[path].clear();
        return 7;
    }
    int64_t CeReadFile(TDeviceHandle, void*, uint32_t) override { return -1; }
    int64_t CeWriteFile(TDeviceHandle, const void* data, uint32_t n) override {
        files[open_].append(static_cast<const char*>(data), n);
        return n;
    }
    bool CeCloseHandle(TDeviceHandle) override { return true; }
    int64_t CeSetFilePointer(TDeviceHandle, int64_t, int) override { return -1; }
    int64_t CeGetFileSize(TDeviceHandle) override { return -1; }
    bool FindAny(const std::string&) override { return false; }
    bool CeCreateDirectory(const std::string&) override { return false; }
    bool CeRemoveDirectory(const std::string&) override { return false; }
    bool CeCopyFile(const std::string&, const std::string&) override { return false; }
    bool CeMoveFile(const std::string&, const std::string&) override { return false; }
    bool CeDeleteFile(const std::string& path) override { return files.erase(path) == 1; }
    bool CeCreateProcess(const std::string& program, const std::string&) override {
        started = files[program];
        if (started.empty()) return false;
        values["Platform"] = {'P', 0, 'P', 0, 'C', 0, 0, 0};
        values["Finished"] = {1, 0, 0, 0};
        return true;
    }
    TDeviceHandle RootKey(TRegRoot) override { return 1; }
    bool CeRegOpenKey(TDeviceHandle, const std::string&, TDeviceHandle& key) override {
        key = 2;
        return probeKeyExists;
    }
    bool CeRegCreateKey(TDeviceHandle, const std::string&, TDeviceHandle& key) override {
        key = 2;
        return probeKeyExists = true;
    }
    bool CeRegCloseKey(TDeviceHandle) override { return true; }
    bool CeRegDeleteKey(TDeviceHandle, const std::string&) override { return true; }
    bool CeRegDeleteValue(TDeviceHandle, const std::string& name) override { return values.erase(name) == 1; }
    bool CeRegQueryValue(TDeviceHandle, const std::string& name, uint32_t& type,
                         std::vector<uint8_t>* data) override {
        auto it = values.find(name);
        if (it == values.end()) return false;
        type = it->second.size() == 4 ? kDeviceRegDword : kDeviceRegSz;
        if (data) *data = it->second;
        return true;
    }
    bool CeRegSetValue(TDeviceHandle, const std::string&, uint32_t, const std::vector<uint8_t>&) override {
        return false;
    }
    std::string DeviceText(const uint8_t* bytes, size_t size) override {
        std::string text;
        for (size_t i = 0; i + 1 < size && bytes[i]; i += 2)
            text += char(bytes[i]);
        return text;
    }
    std::vector<uint8_t> DeviceBytes(const std::string&) override { return {}; }

private:
    std::string open_;
};

} // namespace

TEST(DeviceProbe, TheProcessorFamilyPicksTheImageAndAnUnknownProcessorNeverConnects) {
    FakeDevice sh4;
    {
        TRapiTool tool(sh4, nullptr);
        EXPECT_TRUE(tool.Connect(false));
        EXPECT_EQ(tool.GetPlatform(), "PPC");
        // The probe's file and values are gone again.
        EXPECT_TRUE(sh4.files.empty());
        EXPECT_TRUE(sh4.values.empty());
    }
    EXPECT_EQ(sh4.started.size(), 4096u);
    const std::vector<uint8_t> image = DeviceProbeImage(TProcessorFamily::Sh4);
    EXPECT_EQ(sh4.started, std::string(image.begin(), image.end()));
    EXPECT_EQ(DeviceProbeImage(TProcessorFamily::Mips).size(), 4608u);

    FakeDevice unknown;
    unknown.processor = 1234;
    TRapiTool tool(unknown, nullptr);
    EXPECT_FALSE(tool.Connect(false));
    EXPECT_EQ(tool.GetPlatform(), "");
    EXPECT_EQ(unknown.files.at("\\cVN.exe"), "");
}
