#include "install/DeviceCommands.h"

#include "install/HotSync.h"
#include "install/RapiTool.h"
#include "package/PackageModel.h"
#include "package/StatementCodes.h"
#include "script/Commands.h"
#include "script/Interpreter.h"
#include "script/SizeText.h"
#include "script/VariableList.h"

#include <algorithm>

namespace cvn {

namespace {

using SC = StatementCommand;

constexpr SC kCodes[] = {SC::scDeviceConnected,
                         SC::scDeviceOwner,
                         SC::scDeviceOSVersion,
                         SC::scDeviceRun,
                         SC::scDeviceFileDetails,
                         SC::scDeviceFileExistsIn,
                         SC::scDeviceCreateFolder,
                         SC::scDeviceRemoveFolder,
                         SC::scDeviceFileOpen,
                         SC::scDeviceFileWrite,
                         SC::scDeviceFileWriteLine,
                         SC::scDeviceFileRead,
                         SC::scDeviceFileReadLine,
                         SC::scDeviceFileClose,
                         SC::scDeviceRegRead,
                         SC::scDeviceRegWrite,
                         SC::scDeviceRegDelete,
                         SC::scDeviceCopyFile,
                         SC::scCopyFileToDevice,
                         SC::scCopyFileFromDevice,
                         SC::scDeviceDeleteFile,
                         SC::scIsInstalledOnDevice,
                         SC::scDevicePlatform,
                         SC::scDeviceProcessor,
                         SC::scDeviceProcessorSupported,
                         SC::scDeviceFreeSpace,
                         SC::scHotSyncUserCount,
                         SC::scHotSyncUserName,
                         SC::scDeviceSerial,
                         SC::scDeviceIsXScale,
                         SC::scDeviceMoveFile};

// Any root keyword other than the three names the current user's root.
TRegRoot DeviceRoot(const std::string& keyword) {
    if (keyword == "HKEY_CLASSES_ROOT") return TRegRoot::ClassesRoot;
    if (keyword == "HKEY_LOCAL_MACHINE") return TRegRoot::LocalMachine;
    return TRegRoot::CurrentUser;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

} // namespace

void TDeviceCommands::Install(TInterpreter& interpreter) {
    for (SC code : kCodes)
        interpreter.SetExternalCommand(uint8_t(code), [this](const TScriptStatement& s) { Run(s); });
}

std::string TDeviceCommands::Expand(const std::string& text) const {
    return ctx_->Expand(text);
}

void TDeviceCommands::Set(const std::string& var, const std::string& value) const {
    ctx_->Set(var, value);
}

bool TDeviceCommands::Usable() {
    return device_->EnsureConnected();
}

bool TDeviceCommands::Run(const TScriptStatement& s) {
    const auto& p = s.param;
    switch (SC(s.code)) {
    case SC::scDeviceConnected:
        Set(p[0], device_->IsDevicePresent() ? "1" : "0");
        break;
    case SC::scDeviceOwner:
        Owner(s);
        break;
    case SC::scDeviceOSVersion:
        OsVersion(s);
        break;
    case SC::scDeviceRun:
        if (Usable()) device_->RunOnDevice(Expand(p[0]), Expand(p[1]));
        break;
    case SC::scDeviceFileDetails:
        FileDetails(s);
        break;
    case SC::scDeviceFileExistsIn:
        Set(p[0], Usable() && device_->DeviceExists(Expand(p[2]) + "\\" + Expand(p[1])) ? "1" : "0");
        break;
    case SC::scDeviceCreateFolder:
        if (Usable()) device_->CreateDeviceFolder(Expand(p[0]));
        break;
    case SC::scDeviceRemoveFolder:
        if (Usable()) device_->RemoveDeviceFolder(Expand(p[0]));
        break;
    case SC::scDeviceFileOpen:
        FileOpen(s);
        break;
    case SC::scDeviceFileWrite:
        FileAppend(Expand(p[0]));
        break;
    case SC::scDeviceFileWriteLine:
        FileAppend(Expand(p[0]) + "\r\n");
        break;
    case SC::scDeviceFileRead:
        FileRead(s);
        break;
    case SC::scDeviceFileReadLine:
        FileReadLine(s);
        break;
    case SC::scDeviceFileClose:
        device_->CloseDeviceFile();
        break;
    case SC::scDeviceRegRead:
        RegRead(s);
        break;
    case SC::scDeviceRegWrite:
        RegWrite(s);
        break;
    case SC::scDeviceRegDelete:
        RegDelete(s);
        break;
    case SC::scDeviceCopyFile:
        if (Usable()) device_->CopyOnDevice(Expand(p[0]), Expand(p[1]));
        break;
    case SC::scDeviceMoveFile:
        if (Usable()) device_->MoveOnDevice(Expand(p[0]), Expand(p[1]));
        break;
    case SC::scCopyFileToDevice:
        if (Usable()) device_->CopyToDevice(Expand(p[0]), Expand(p[1]));
        break;
    case SC::scCopyFileFromDevice:
        if (Usable()) device_->CopyFromDevice(Expand(p[0]), Expand(p[1]));
        break;
    case SC::scDeviceDeleteFile:
        if (Usable()) device_->DeleteOnDevice(Expand(p[0]));
        break;
    case SC::scIsInstalledOnDevice: {
        const auto& settings = package_->Settings();
        Set(p[0],
            Usable() && device_->IsAppInstalled(settings.softwareName, settings.companyName) ? "1" : "0");
        break;
    }
    case SC::scDevicePlatform: {
        std::string name;
        Set(p[0], Usable() && device_->MatchPlatform(name) ? name : "");
        break;
    }
    case SC::scDeviceProcessor:
        Set(p[0], Usable() ? device_->GetProcessorName() : "");
        break;
    case SC::scDeviceProcessorSupported:
        Set(p[0], Usable() && device_->ProcessorInSecondSet() ? "1" : "0");
        break;
    case SC::scDeviceFreeSpace:
        FreeSpace(s);
        break;
    case SC::scDeviceSerial:
        Set(p[0], Usable() ? device_->GetSerial() : "");
        break;
    case SC::scDeviceIsXScale:
        Set(p[0], Usable() && device_->GetIsXScale() ? "1" : "0");
        break;
    case SC::scHotSyncUserCount:
        Set(p[0], std::to_string(hotSync_->GetUserCount()));
        break;
    case SC::scHotSyncUserName:
        Set(p[0], hotSync_->GetUserName(ReadScriptNumber(Expand(p[1])) - 1));
        break;
    default:
        return false;
    }
    return true;
}

void TDeviceCommands::Owner(const TScriptStatement& s) {
    const std::string& keyword = s.param[1];
    const int part = keyword == "NAME" ? 0 : keyword == "COMPANY" ? 1 : -1;
    Set(s.param[0], part != -1 && Usable() ? device_->GetOwner(part) : "");
}

void TDeviceCommands::OsVersion(const TScriptStatement& s) {
    const std::string& keyword = s.param[1];
    const int part = keyword == "MAJOR" ? 0 : keyword == "MINOR" ? 1 : keyword == "FULL" ? 2 : -1;
    std::string version = part != -1 && Usable() ? device_->GetOSVersion(part) : "";
    Set(s.param[0], version.empty() ? "0" : version);
}

void TDeviceCommands::FileDetails(const TScriptStatement& s) {
    const std::string kind = Upper(s.param[2]);
    const bool fromDevice = kind == "EXISTENCE" || kind == "SIZE";
    if (!Usable()) {
        Set(s.param[0], fromDevice ? "0" : "");
        return;
    }
    const std::string path = Expand(s.param[1]);
    std::string text;
    uint64_t number = 0;
    std::string result;
    if (kind == "EXISTENCE") {
        result = device_->DeviceFileInfo(path, 0, text, number) ? "1" : "0";
    } else if (kind == "SIZE") {
        result = device_->DeviceFileInfo(path, 4, text, number) ? std::to_string(number) : "0";
    } else if (kind == "NAME" || kind == "EXTENSION" || kind == "PATH") {
        device_->DeviceFileInfo(path, kind == "NAME" ? 2 : kind == "EXTENSION" ? 1 : 3, text, number);
        if (kind == "PATH" && !text.empty() && text.back() == '\\') text.pop_back();
        result = text;
    }
    Set(s.param[0], result);
}

void TDeviceCommands::FileOpen(const TScriptStatement& s) {
    const bool ok =
        Usable() && device_->OpenDeviceFile(Expand(s.param[1]), ReadScriptNumber(Expand(s.param[2])));
    // A magic number that does not match leaves no file open: the script's next write
    // must not land in a file it did not mean.
    if (!ok) device_->CloseDeviceFile();
    Set(s.param[0], ok ? "OK" : "ERROR");
}

void TDeviceCommands::FileAppend(const std::string& text) {
    if (!Usable() || !device_->DeviceFileOpen() || !device_->SeekDeviceFile(0, 1) ||
        !device_->WriteDeviceFile(text.data(), uint32_t(text.size())))
        ctx_->SetErrorCode("1");
}

void TDeviceCommands::FileRead(const TScriptStatement& s) {
    if (!Usable() || !device_->DeviceFileOpen()) {
        Set(s.param[0], "");
        ctx_->SetErrorCode("1");
        return;
    }
    const int32_t count = std::max(ReadScriptNumber(Expand(s.param[1])), 0);
    const int64_t pos = device_->GetDeviceFilePos(), size = device_->GetDeviceFileSize();
    // Never more than the file still holds, whatever count the script asks for.
    std::string data(size_t(std::clamp<int64_t>(size - pos, 0, count)), '\0');
    const int64_t got = data.empty() ? 0 : device_->ReadDeviceFileSome(data.data(), uint32_t(data.size()));
    data.resize(size_t(std::max<int64_t>(got, 0)));
    Set(s.param[0], data);
}

void TDeviceCommands::FileReadLine(const TScriptStatement& s) {
    if (!Usable() || !device_->DeviceFileOpen()) {
        Set(s.param[0], "");
        ctx_->SetErrorCode("1");
        return;
    }
    std::string line;
    char c = 0;
    while (device_->ReadDeviceFileSome(&c, 1) == 1) {
        if (c != '\r') {
            line += c;
            continue;
        }
        // Only a LF right after the CR belongs to the line end.
        if (device_->ReadDeviceFileSome(&c, 1) == 1 && c != '\n') device_->SeekDeviceFile(-1, 2);
        break;
    }
    Set(s.param[0], line);
}

void TDeviceCommands::RegRead(const TScriptStatement& s) {
    if (!Usable()) {
        Set(s.param[0], "");
        return;
    }
    std::string result = Expand(s.param[4]);
    const std::string name = Expand(s.param[3]);
    if (device_->OpenDeviceKey(DeviceRoot(s.param[1]), RegistryKeyParameter(*ctx_, s.param[2]), false)) {
        std::string text;
        int32_t number = 0;
        if (device_->ReadDeviceString(name, text))
            result = text;
        else if (device_->ReadDeviceInteger(name, number))
            result = std::to_string(number);
        device_->CloseDeviceKey();
    }
    Set(s.param[0], result);
}

void TDeviceCommands::RegWrite(const TScriptStatement& s) {
    if (!Usable() ||
        !device_->OpenDeviceKey(DeviceRoot(s.param[0]), RegistryKeyParameter(*ctx_, s.param[1]), true))
        return;
    const std::string name = Expand(s.param[2]);
    const std::string value = Expand(s.param[3]);
    int32_t number = 0;
    if (IsStoredAsNumber(value, number))
        device_->WriteDeviceInteger(name, number);
    else
        device_->WriteDeviceString(name, value);
    device_->CloseDeviceKey();
}

void TDeviceCommands::RegDelete(const TScriptStatement& s) {
    const TRegRoot root = DeviceRoot(s.param[0]);
    const std::string key = RegistryKeyParameter(*ctx_, s.param[1]);
    if (!Usable() || !device_->OpenDeviceKey(root, key, false)) return;
    const std::string name = Expand(s.param[2]);
    const bool exists = device_->DeviceValueExists(name);
    if (exists) device_->DeleteDeviceValue(name);
    device_->CloseDeviceKey();
    if (!exists && name.empty()) device_->DeleteDeviceKey(root, key);
}

void TDeviceCommands::FreeSpace(const TScriptStatement& s) {
    uint64_t bytes = 0;
    if (!Usable() || !device_->GetFreeStorage(bytes)) {
        Set(s.param[0], "0");
        return;
    }
    Set(s.param[0], s.param[1] == "STRING" ? SizeText(bytes, TSizeUnit::Bytes) : std::to_string(bytes));
}

} // namespace cvn
