#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace cvn {

// Command codes of script statements. The "sc" prefix keeps names such as
// MessageBox and DeleteFile clear of the Win32 macros of the same name.
enum class StatementCommand : uint8_t {
    scReserved0 = 0,
    scMessageBox = 1,
    scAskYesNo = 2,
    scReserved3 = 3,
    scOpenDocument = 4,
    scFileOpen = 5,
    scFileWrite = 6,
    scFileWriteLine = 7,
    scFileRead = 8,
    scFileReadLine = 9,
    scFileClose = 10,
    scRegRead = 11,
    scRegWrite = 12,
    scRegDelete = 13,
    scReserved14 = 14,
    scCloseWizard = 15,
    scNextDialog = 16,
    scPreviousDialog = 17,
    scGotoDialog = 18,
    scShowDialogModal = 19,
    scBrowseForFolder = 20,
    scRefreshDialog = 21,
    scSaveDialogValues = 22,
    scInstall = 23,
    scCallDll = 24,
    scFinishSetup = 25,
    scRun = 26,
    scDeleteFile = 27,
    scCopyFile = 28,
    scFor = 29,
    scEndFor = 30,
    scWhile = 31,
    scEndWhile = 32,
    scListAddItem = 33,
    scListClear = 34,
    scCalculate = 35,
    scFileInfo = 36,
    scFileExistsIn = 37,
    scCreateFolder = 38,
    scRemoveFolder = 39,
    scCreateShortcut = 40,
    scDeleteShortcut = 41,
    scRandom = 42,
    scWindowExists = 43,
    scCloseWindow = 44,
    scReserved45 = 45,
    scIf = 46,
    scEndIf = 47,
    scLabel = 48,
    scGoto = 49,
    scExit = 50,
    scCheckInternet = 51,
    scDownload = 52,
    scHttpPost = 53,
    scHttpGet = 54,
    scBreak = 55,
    scAssign = 56,
    scIsInstalled = 57,
    scRemovePreviousInstall = 58,
    scLoadPreviousInstallation = 59,
    scShowWizard = 60,
    scDeviceConnected = 61,
    scDeviceOwner = 62,
    scDeviceOSVersion = 63,
    scDeviceRun = 64,
    scDeviceFileDetails = 65,
    scDeviceFileExistsIn = 66,
    scDeviceCreateFolder = 67,
    scDeviceRemoveFolder = 68,
    scDeviceFileOpen = 69,
    scDeviceFileWrite = 70,
    scDeviceFileWriteLine = 71,
    scDeviceFileRead = 72,
    scDeviceFileReadLine = 73,
    scDeviceFileClose = 74,
    scDeviceRegRead = 75,
    scDeviceRegWrite = 76,
    scDeviceRegDelete = 77,
    scDeviceCopyFile = 78,
    scCopyFileToDevice = 79,
    scCopyFileFromDevice = 80,
    scDeviceDeleteFile = 81,
    scIsInstalledOnDevice = 82,
    scDevicePlatform = 83,
    scDeviceProcessor = 84,
    scDeviceProcessorSupported = 85,
    scDeviceFreeSpace = 86,
    scHotSyncUserCount = 87,
    scHotSyncUserName = 88,
    scForEachSelected = 89,
    scEndForEachSelected = 90,
    scListSelectAll = 91,
    scListSelectNone = 92,
    scListSelectItems = 93,
    scListAdd = 94,
    scListRemove = 95,
    scListContains = 96,
    scListItem = 97,
    scListCount = 98,
    scListSort = 99,
    scListFillLanguages = 100,
    scEnableButton = 101,
    scDisableButton = 102,
    scReserved103 = 103,
    scReserved104 = 104,
    scElse = 105,
    scDecToHex = 106,
    scHexToDec = 107,
    scDeviceSerial = 108,
    scDeviceIsXScale = 109,
    scSleep = 110,
    scAbortDownload = 111,
    scPadLeft = 112,
    scMoveFile = 113,
    scDeviceMoveFile = 114,
};

inline constexpr uint8_t kLastStatementCode = 114;

struct StatementInfo {
    uint8_t code;
    std::string_view name;
    // How many parameters (a prefix param1..paramN) a stored statement of this code carries.
    uint8_t paramCount;
    // What the parameters mean, in order and comma-separated ("Var" names a variable
    // the command assigns); the authoring tool's messages and reference quote it.
    std::string_view params;
};

// One row per code 0..114. Codes without a command of their own (0, 3, 14, 45,
// 103, 104) are named "Reserved<code>"; the block codes carry their block role.
inline constexpr std::array<StatementInfo, 115> kStatementTable = {
    StatementInfo{0, "Reserved0", 5, "unused, unused, unused, unused, unused"},
    StatementInfo{1, "MessageBox", 3, "title, text, icon keyword"},
    StatementInfo{2, "AskYesNo", 4, "Var, title, text, icon keyword"},
    StatementInfo{3, "Reserved3", 2, "unused, unused"},
    StatementInfo{4, "OpenDocument", 1, "file"},
    StatementInfo{5, "FileOpen", 3, "Var, file, magic number"},
    StatementInfo{6, "FileWrite", 1, "text"},
    StatementInfo{7, "FileWriteLine", 1, "text"},
    StatementInfo{8, "FileRead", 2, "Var, count"},
    StatementInfo{9, "FileReadLine", 1, "Var"},
    StatementInfo{10, "FileClose", 0, ""},
    StatementInfo{11, "RegRead", 5, "Var, root, key, value name, default"},
    StatementInfo{12, "RegWrite", 4, "root, key, value name, value"},
    StatementInfo{13, "RegDelete", 3, "root, key, value name"},
    StatementInfo{14, "Reserved14", 2, "unused, unused"},
    StatementInfo{15, "CloseWizard", 0, ""},
    StatementInfo{16, "NextDialog", 0, ""},
    StatementInfo{17, "PreviousDialog", 0, ""},
    StatementInfo{18, "GotoDialog", 1, "dialog name (as written)"},
    StatementInfo{19, "ShowDialogModal", 1, "dialog name"},
    StatementInfo{20, "BrowseForFolder", 1, "Var"},
    StatementInfo{21, "RefreshDialog", 2, "reload flag, repaint flag"},
    StatementInfo{22, "SaveDialogValues", 0, ""},
    StatementInfo{23, "Install", 0, ""},
    StatementInfo{
        24, "CallDll", 5,
        "DLL file, function name, result kind keyword, arguments (param4 followed directly by param5)"},
    StatementInfo{25, "FinishSetup", 0, ""},
    StatementInfo{26, "Run", 3, "program, parameters, wait flag"},
    StatementInfo{27, "DeleteFile", 1, "file"},
    StatementInfo{28, "CopyFile", 2, "source, destination"},
    StatementInfo{29, "For", 4, "Var, first value, last value, block label"},
    StatementInfo{30, "EndFor", 1, "block label"},
    StatementInfo{31, "While", 1, "block label"},
    StatementInfo{32, "EndWhile", 1, "block label"},
    StatementInfo{33, "ListAddItem", 2, "list name, item"},
    StatementInfo{34, "ListClear", 1, "list name"},
    StatementInfo{35, "Calculate", 4, "Var, A, operation keyword (any case), B"},
    StatementInfo{36, "FileInfo", 3, "Var, file, kind keyword (any case)"},
    StatementInfo{37, "FileExistsIn", 3, "Var, file name or pattern, folder"},
    StatementInfo{38, "CreateFolder", 1, "folder"},
    StatementInfo{39, "RemoveFolder", 1, "folder"},
    StatementInfo{40, "CreateShortcut", 5, "folder, name, target, arguments, working folder"},
    StatementInfo{41, "DeleteShortcut", 2, "folder, name"},
    StatementInfo{42, "Random", 3, "Var, base, range"},
    StatementInfo{43, "WindowExists", 3, "Var, window class, window title"},
    StatementInfo{44, "CloseWindow", 3, "window class, window title, quit flag"},
    StatementInfo{45, "Reserved45", 0, ""},
    StatementInfo{46, "If", 1, "block label"},
    StatementInfo{47, "EndIf", 1, "block label"},
    StatementInfo{48, "Label", 1, "label name"},
    StatementInfo{49, "Goto", 1, "label name"},
    StatementInfo{50, "Exit", 0, ""},
    StatementInfo{51, "CheckInternet", 1, "Var"},
    StatementInfo{52, "Download", 2, "URL, destination file"},
    StatementInfo{53, "HttpPost", 2, "URL, body"},
    StatementInfo{54, "HttpGet", 2, "Var, URL"},
    StatementInfo{55, "Break", 0, ""},
    StatementInfo{56, "Assign", 3, "Var, value, strip flag"},
    StatementInfo{57, "IsInstalled", 3, "Var, software name, company name"},
    StatementInfo{58, "RemovePreviousInstall", 3, "Var, software name, company name"},
    StatementInfo{59, "LoadPreviousInstallation", 0, ""},
    StatementInfo{60, "ShowWizard", 0, ""},
    StatementInfo{61, "DeviceConnected", 1, "Var"},
    StatementInfo{62, "DeviceOwner", 2, "Var, keyword \"NAME\" or \"COMPANY\""},
    StatementInfo{63, "DeviceOSVersion", 2, "Var, keyword \"MAJOR\", \"MINOR\" or \"FULL\""},
    StatementInfo{64, "DeviceRun", 2, "program, command line"},
    StatementInfo{65, "DeviceFileDetails", 3, "Var, device file, kind keyword (any case)"},
    StatementInfo{66, "DeviceFileExistsIn", 3, "Var, pattern, device folder"},
    StatementInfo{67, "DeviceCreateFolder", 1, "device folder"},
    StatementInfo{68, "DeviceRemoveFolder", 1, "device folder"},
    StatementInfo{69, "DeviceFileOpen", 3, "Var, device file, magic number"},
    StatementInfo{70, "DeviceFileWrite", 1, "text"},
    StatementInfo{71, "DeviceFileWriteLine", 1, "text"},
    StatementInfo{72, "DeviceFileRead", 2, "Var, count"},
    StatementInfo{73, "DeviceFileReadLine", 1, "Var"},
    StatementInfo{74, "DeviceFileClose", 0, ""},
    StatementInfo{75, "DeviceRegRead", 5, "Var, root, key, value name, default"},
    StatementInfo{76, "DeviceRegWrite", 4, "root, key, value name, value"},
    StatementInfo{77, "DeviceRegDelete", 3, "root, key, value name"},
    StatementInfo{78, "DeviceCopyFile", 2, "device source, device destination"},
    StatementInfo{79, "CopyFileToDevice", 2, "PC source, device destination"},
    StatementInfo{80, "CopyFileFromDevice", 2, "device source, PC destination"},
    StatementInfo{81, "DeviceDeleteFile", 1, "device file"},
    StatementInfo{82, "IsInstalledOnDevice", 1, "Var"},
    StatementInfo{83, "DevicePlatform", 1, "Var"},
    StatementInfo{84, "DeviceProcessor", 1, "Var"},
    StatementInfo{85, "DeviceProcessorSupported", 1, "Var"},
    StatementInfo{86, "DeviceFreeSpace", 2, "Var, format keyword"},
    StatementInfo{87, "HotSyncUserCount", 1, "Var"},
    StatementInfo{88, "HotSyncUserName", 2, "Var, index"},
    StatementInfo{89, "ForEachSelected", 3, "Var, list-box control name, block label"},
    StatementInfo{90, "EndForEachSelected", 1, "block label"},
    StatementInfo{91, "ListSelectAll", 1, "list name"},
    StatementInfo{92, "ListSelectNone", 1, "list name"},
    StatementInfo{93, "ListSelectItems", 2, "list name, list"},
    StatementInfo{94, "ListAdd", 2, "Var, item"},
    StatementInfo{95, "ListRemove", 2, "Var, item"},
    StatementInfo{96, "ListContains", 3, "Var, list, item"},
    StatementInfo{97, "ListItem", 3, "Var, list, index"},
    StatementInfo{98, "ListCount", 2, "Var, list"},
    StatementInfo{99, "ListSort", 1, "list name"},
    StatementInfo{100, "ListFillLanguages", 1, "list name"},
    StatementInfo{101, "EnableButton", 1, "button name"},
    StatementInfo{102, "DisableButton", 1, "button name"},
    StatementInfo{103, "Reserved103", 0, ""},
    StatementInfo{104, "Reserved104", 0, ""},
    StatementInfo{105, "Else", 1, "block label"},
    StatementInfo{106, "DecToHex", 1, "Var"},
    StatementInfo{107, "HexToDec", 1, "Var"},
    StatementInfo{108, "DeviceSerial", 1, "Var"},
    StatementInfo{109, "DeviceIsXScale", 1, "Var"},
    StatementInfo{110, "Sleep", 1, "milliseconds"},
    StatementInfo{111, "AbortDownload", 0, ""},
    StatementInfo{112, "PadLeft", 2, "Var, width"},
    StatementInfo{113, "MoveFile", 2, "source, destination"},
    StatementInfo{114, "DeviceMoveFile", 2, "device source, device destination"},
};

constexpr bool StatementTableIsIndexedByCode() {
    for (size_t i = 0; i < kStatementTable.size(); ++i)
        if (kStatementTable[i].code != i) return false;
    return true;
}
static_assert(StatementTableIsIndexedByCode());

// Codes above 114 are stored without parameters and do nothing.
constexpr int StatementParamCount(uint8_t code) {
    return code <= kLastStatementCode ? kStatementTable[code].paramCount : 0;
}

// Empty for codes above 114.
constexpr std::string_view StatementName(uint8_t code) {
    return code <= kLastStatementCode ? kStatementTable[code].name : std::string_view{};
}

// What the parameters mean, comma-separated; empty for codes above 114.
constexpr std::string_view StatementParams(uint8_t code) {
    return code <= kLastStatementCode ? kStatementTable[code].params : std::string_view{};
}

// Looks a command up by name, ignoring ASCII letter case.
constexpr std::optional<uint8_t> FindStatementCode(std::string_view name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (const auto& s : kStatementTable)
        if (s.name.size() == name.size() && std::equal(name.begin(), name.end(), s.name.begin(),
                                                       [&](char a, char b) { return lower(a) == lower(b); }))
            return s.code;
    return std::nullopt;
}

} // namespace cvn
