#include "install/RapiTool.h"

#include "core/ByteReader.h"
#include "core/FileSystem.h"
#include "core/Stream.h"
#include "script/VariableList.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace cvn {

namespace {

struct TProcessorRow {
    int32_t type;
    const char* name;
    int index;
    TProcessorFamily family;
};

constexpr std::array<TProcessorRow, 9> kProcessors{{
    {1824, "ARM720", 1, TProcessorFamily::Arm},
    {2080, "ARM820", 2, TProcessorFamily::Arm},
    {2336, "ARM920", 3, TProcessorFamily::Arm},
    {10003, "SH3", 4, TProcessorFamily::Sh3},
    {10005, "SH4", 5, TProcessorFamily::Sh4},
    {2000, "MIPS2000", 6, TProcessorFamily::Mips},
    {3000, "MIPS3000", 7, TProcessorFamily::Mips},
    {4000, "MIPS4000", 8, TProcessorFamily::Mips},
    {2577, "STRONGARM", 9, TProcessorFamily::Arm},
}};

const TProcessorRow* FindProcessor(int32_t type) {
    for (const TProcessorRow& row : kProcessors)
        if (row.type == type) return &row;
    return nullptr;
}

// "-1" and plain decimal digits; anything else reads as 0.
int32_t VersionNumber(const std::string& text) {
    if (text.empty()) return 0;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return 0;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
        v = std::min<int64_t>(v * 10 + (text[i] - '0'), INT32_MAX);
    }
    return int32_t(text[0] == '-' ? -v : v);
}

std::string UpperNoSpaces(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string Trimmed(const std::string& text) {
    size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = text.find_last_not_of(" \t");
    return text.substr(a, b - a + 1);
}

// The platform is one of the excluded models: each model's base (spaces removed,
// upper case, trailing digits cut) and that base followed by 1 to 50.
bool IsExcludedModel(const std::string& models, const std::string& platform) {
    size_t start = 0;
    while (start <= models.size()) {
        size_t comma = models.find(',', start);
        if (comma == std::string::npos) comma = models.size();
        std::string base = UpperNoSpaces(Trimmed(models.substr(start, comma - start)));
        while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back())))
            base.pop_back();
        if (platform == base) return true;
        for (int n = 1; n <= 50; ++n)
            if (platform == base + std::to_string(n)) return true;
        start = comma + 1;
    }
    return false;
}

bool OutsideBounds(const TPlatformEntry& e, const TDeviceFacts& d) {
    return (e.minMajor != -1 && d.major < e.minMajor) || (e.minMinor != -1 && d.minor < e.minMinor) ||
           (e.maxMajor != -1 && d.major > e.maxMajor) || (e.maxMinor != -1 && d.minor > e.maxMinor);
}

std::string ExtensionOf(const std::string& path) {
    size_t dot = path.find_last_of(".\\");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot);
}

} // namespace

void ParseVersionText(const std::string& text, int32_t& major, int32_t& minor) {
    size_t first = text.find('.');
    if (first == std::string::npos) {
        major = VersionNumber(text);
        minor = 0;
        return;
    }
    major = VersionNumber(text.substr(0, first));
    size_t second = text.find('.', first + 1);
    minor = VersionNumber(
        text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
}

TPlatformEntry ToPlatformEntry(const TPlatformRecord& record) {
    TPlatformEntry e;
    e.kind = record.kind;
    e.name = record.name;
    e.platform = record.platform;
    e.models = record.models;
    e.processors = uint16_t(record.processors);
    e.processors2 = uint16_t(record.processors2);
    ParseVersionText(record.minVersion, e.minMajor, e.minMinor);
    ParseVersionText(record.maxVersion, e.maxMajor, e.maxMinor);
    return e;
}

int ProcessorIndex(int32_t type) {
    const TProcessorRow* row = FindProcessor(type);
    return row ? row->index : 0;
}

std::string ProcessorName(int32_t type) {
    const TProcessorRow* row = FindProcessor(type);
    return row ? row->name : "";
}

TProcessorFamily ProcessorFamilyOf(int32_t type) {
    const TProcessorRow* row = FindProcessor(type);
    return row ? row->family : TProcessorFamily::None;
}

bool EntryMatches(std::span<const TPlatformEntry> entries, const std::string& name,
                  const TDeviceFacts& device) {
    const std::string platform = UpperNoSpaces(device.platform);
    const int bit = ProcessorIndex(device.processorType);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const TPlatformEntry& e = *it;
        if (!EqualsNoCase(e.name, name)) continue;
        if (!(e.processors & (1u << bit))) continue;
        if (e.kind != 0 ? !EqualsNoCase(platform, e.platform) : IsExcludedModel(e.models, platform))
            return false;
        if (OutsideBounds(e, device)) continue;
        return true;
    }
    return false;
}

bool MatchPlatform(std::span<const TPlatformEntry> entries, const TDeviceFacts& device, std::string& name) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (EntryMatches(entries, it->name, device)) {
            name = it->name;
            return true;
        }
    return false;
}

size_t OwnerPartOffset(int part, int32_t osMajor) {
    if (part == 0) return 0;
    return osMajor > 2 ? 72 : 66;
}

// --- TRapiTool -------------------------------------------------------------------

TRapiTool::TRapiTool(TRapiApi& api, std::function<void()> pump) : api_(&api), pump_(std::move(pump)) {
    api_->Bind();
}

TRapiTool::~TRapiTool() {
    Disconnect();
}

bool TRapiTool::CurrentVersion(int32_t& major, int32_t& minor) {
    major = 1000000;
    minor = 0;
    return Can("CeGetVersionEx") && api_->GetVersion(major, minor) && major != 1000000;
}

bool TRapiTool::IsDevicePresent() {
    int32_t major = 0, minor = 0;
    if (connected_) {
        bool present = CurrentVersion(major, minor);
        if (!present) Disconnect();
        return present;
    }
    if (!Can("CeRapiInitEx") || !api_->InitEx()) return false;
    // The library counts this start as a connection until it is ended again.
    connected_ = true;
    bool present = CurrentVersion(major, minor);
    Disconnect();
    return present;
}

bool TRapiTool::Connect(bool presenceKnown) {
    if (connecting_) return false;
    if (connected_) return true;
    if (!presenceKnown && !IsDevicePresent()) return false;
    OnConnectProgress(0);
    if (!Can("CeRapiInitEx") || !api_->InitEx()) {
        OnConnectProgress(1);
        return false;
    }
    cancelRequested_ = false;
    connecting_ = true;
    for (;;) {
        if (pump_) pump_();
        if (cancelRequested_) {
            connecting_ = false;
            api_->Uninit();
            OnConnectProgress(1);
            return false;
        }
        if (api_->WaitForInit()) break;
    }
    connecting_ = false;
    connected_ = true;
    Probe();
    OnConnectProgress(1);
    return !platform_.empty();
}

bool TRapiTool::Disconnect() {
    if (!connected_) return true;
    CloseDeviceFile();
    CloseDeviceKey();
    connected_ = false;
    return Can("CeRapiUninit") && api_->Uninit();
}

bool TRapiTool::EnsureConnected() {
    if (connected_) return true;
    return IsDevicePresent() && Connect(true);
}

void TRapiTool::Probe() {
    platform_.clear();
    serial_.clear();
    isXScale_ = false;
    const std::string probe = "\\cVN.exe";
    TDeviceHandle file =
        Can("CeCreateFile") ? api_->CeCreateFile(probe, TDeviceOpen::CreateForWriting) : kNoDeviceHandle;
    if (file == kNoDeviceHandle) return;
    const std::vector<uint8_t> image = DeviceProbeImage(ProcessorFamilyOf(GetProcessorType()));
    if (!image.empty() &&
        api_->CeWriteFile(file, image.data(), uint32_t(image.size())) != int64_t(image.size())) {
        api_->CeCloseHandle(file);
        api_->CeDeleteFile(probe);
        return;
    }
    api_->CeCloseHandle(file);
    if (!RunOnDevice(probe, "")) return;
    const std::string key = "Software\\Tarrow\\Corvane";
    if (!OpenDeviceKey(TRegRoot::LocalMachine, key, true)) return;
    // The probe writes "Finished" last; there is no time limit, as for the connection.
    while (connected_ && !DeviceValueExists("Finished"))
        if (pump_) pump_();
    ReadDeviceString("Platform", platform_);
    ReadDeviceString("Serial", serial_);
    int32_t xscale = 0;
    if (ReadDeviceInteger("XScale", xscale)) isXScale_ = xscale == 1;
    for (const char* name : {"Finished", "Platform", "Serial", "XScale"})
        DeleteDeviceValue(name);
    CloseDeviceKey();
    DeleteDeviceKey(TRegRoot::LocalMachine, key);
    DeleteDeviceKey(TRegRoot::LocalMachine, "Software\\Tarrow");
    DeleteOnDevice(probe);
}

// --- device facts -------------------------------------------------------------------

std::string TRapiTool::GetOwner(int part) {
    if (!connected_ || (part != 0 && part != 1)) return {};
    if (!OpenDeviceKey(TRegRoot::CurrentUser, "ControlPanel\\Owner", false)) return {};
    uint32_t type = 0;
    std::vector<uint8_t> data;
    const bool read = ReadValue("Owner", type, data);
    CloseDeviceKey();
    int32_t major = 0, minor = 0;
    if (!read || !CurrentVersion(major, minor)) return {};
    const size_t offset = OwnerPartOffset(part, major);
    if (offset >= data.size()) return {};
    return api_->DeviceText(data.data() + offset, data.size() - offset);
}

std::string TRapiTool::GetOSVersion(int part) {
    int32_t major = 0, minor = 0;
    if (!connected_ || !CurrentVersion(major, minor)) return {};
    switch (part) {
    case 0:
        return std::to_string(major);
    case 1:
        return std::to_string(minor);
    case 2:
        return std::to_string(major) + "." + std::to_string(minor);
    default:
        return {};
    }
}

int32_t TRapiTool::GetProcessorType() {
    int32_t type = -1;
    if (!connected_ || !Can("CeGetSystemInfo") || !api_->GetProcessorType(type)) return -1;
    return type;
}

std::string TRapiTool::GetProcessorName() {
    return ProcessorName(GetProcessorType());
}

bool TRapiTool::GetFreeStorage(uint64_t& bytes) {
    bytes = 0;
    return connected_ && Can("CeGetStoreInformation") && api_->GetFreeStorage(bytes);
}

bool TRapiTool::IsAppInstalled(const std::string& application, const std::string& company) {
    if (!connected_ ||
        !OpenDeviceKey(TRegRoot::LocalMachine, "Software\\Apps\\" + company + " " + application, false))
        return false;
    int32_t installed = 0;
    const bool read = ReadDeviceInteger("Instl", installed);
    CloseDeviceKey();
    return read && installed == 1;
}

TDeviceFacts TRapiTool::Facts() {
    TDeviceFacts facts;
    facts.processorType = GetProcessorType();
    facts.platform = platform_;
    CurrentVersion(facts.major, facts.minor);
    return facts;
}

std::vector<TPlatformEntry> TRapiTool::Entries() const {
    std::vector<TPlatformEntry> entries;
    if (table_)
        for (const TPlatformRecord& r : *table_)
            entries.push_back(ToPlatformEntry(r));
    return entries;
}

bool TRapiTool::MatchPlatform(std::string& name) {
    if (!connected_) return false;
    return cvn::MatchPlatform(Entries(), Facts(), name);
}

bool TRapiTool::ProcessorInSecondSet() {
    std::string name;
    if (!MatchPlatform(name)) return false;
    const std::vector<TPlatformEntry> entries = Entries();
    const int bit = ProcessorIndex(GetProcessorType());
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->name == name) return (it->processors2 >> bit) & 1u;
    return false;
}

// --- device files -------------------------------------------------------------------

bool TRapiTool::DeviceFileInfo(const std::string& path, int kind, std::string& text, uint64_t& number) {
    switch (kind) {
    case 1:
        text = ExtensionOf(path);
        return true;
    case 2:
        text = path.substr(path.find_last_of('\\') + 1);
        return true;
    case 3: {
        size_t slash = path.find_last_of('\\');
        text = slash == std::string::npos ? "\\" : path.substr(0, slash + 1);
        return true;
    }
    case 0:
    case 4: {
        if (!connected_ || !Can("CeCreateFile")) return false;
        TDeviceHandle h = api_->CeCreateFile(path, TDeviceOpen::ReadExisting);
        if (h == kNoDeviceHandle) return false;
        int64_t size = kind == 4 && Can("CeGetFileSize") ? api_->CeGetFileSize(h) : 0;
        api_->CeCloseHandle(h);
        if (size < 0) return false;
        number = uint64_t(size);
        return true;
    }
    default:
        return false;
    }
}

bool TRapiTool::DeviceExists(const std::string& path) {
    return connected_ && Can("CeFindFirstFile") && Can("CeFindClose") && api_->FindAny(path);
}

bool TRapiTool::CreateDeviceFolder(const std::string& path) {
    return connected_ && Can("CeCreateDirectory") && api_->CeCreateDirectory(path);
}

bool TRapiTool::RemoveDeviceFolder(const std::string& path) {
    return connected_ && Can("CeRemoveDirectory") && api_->CeRemoveDirectory(path);
}

bool TRapiTool::RunOnDevice(const std::string& program, const std::string& parameters) {
    return connected_ && Can("CeCreateProcess") && api_->CeCreateProcess(program, parameters);
}

bool TRapiTool::CopyOnDevice(const std::string& from, const std::string& to) {
    return connected_ && Can("CeCopyFile") && api_->CeCopyFile(from, to);
}

bool TRapiTool::MoveOnDevice(const std::string& from, const std::string& to) {
    return connected_ && Can("CeMoveFile") && api_->CeMoveFile(from, to);
}

bool TRapiTool::DeleteOnDevice(const std::string& path) {
    return connected_ && Can("CeDeleteFile") && api_->CeDeleteFile(path);
}

bool TRapiTool::CopyStream(const std::function<int64_t(void*, uint32_t)>& read,
                           const std::function<int64_t(const void*, uint32_t)>& write, uint64_t size) {
    std::vector<uint8_t> buffer(8192);
    uint64_t total = 0;
    // An empty file copies as nothing to do: the target is already created and empty.
    while (total < size) {
        const uint32_t want = uint32_t(std::min<uint64_t>(size - total, buffer.size()));
        const int64_t got = read(buffer.data(), want);
        if (got <= 0) return false;
        if (write(buffer.data(), uint32_t(got)) < got) return false;
        total += uint64_t(got);
        if (pump_) pump_();
    }
    return true;
}

bool TRapiTool::CopyToDevice(const std::string& pcPath, const std::string& devicePath) {
    if (!connected_ || !Can("CeCreateFile") || !Can("CeWriteFile")) return false;
    auto in = FileInputStream::Open(pcPath);
    if (!in) return false;
    TDeviceHandle target = api_->CeCreateFile(devicePath, TDeviceOpen::CreateForWriting);
    if (target == kNoDeviceHandle) return false;
    const bool ok =
        CopyStream([&](void* b, uint32_t n) { return int64_t(in->Read(b, n)); },
                   [&](const void* b, uint32_t n) { return api_->CeWriteFile(target, b, n); }, in->Size());
    api_->CeCloseHandle(target);
    return ok;
}

bool TRapiTool::CopyFromDevice(const std::string& devicePath, const std::string& pcPath) {
    if (!connected_ || !Can("CeCreateFile") || !Can("CeReadFile") || !Can("CeGetFileSize")) return false;
    TDeviceHandle source = api_->CeCreateFile(devicePath, TDeviceOpen::ReadExisting);
    if (source == kNoDeviceHandle) return false;
    const int64_t size = api_->CeGetFileSize(source);
    auto out = size >= 0 ? CreateOutputFile(pcPath) : nullptr;
    const bool ok = out && CopyStream([&](void* b, uint32_t n) { return api_->CeReadFile(source, b, n); },
                                      [&](const void* b, uint32_t n) {
                                          return out->Write(b, n) ? int64_t(n) : int64_t(0);
                                      },
                                      uint64_t(size));
    api_->CeCloseHandle(source);
    return ok;
}

bool TRapiTool::OpenDeviceFile(const std::string& path, int32_t expected) {
    CloseDeviceFile();
    if (!connected_ || !Can("CeCreateFile")) return false;
    file_ = api_->CeCreateFile(path, TDeviceOpen::ReadWriteAlways);
    if (file_ == kNoDeviceHandle) return false;
    if (expected == 0) return true;
    std::array<uint8_t, 4> head{};
    return ReadDeviceFile(head.data(), 4) && ByteReader(head).I32("magic") == expected;
}

bool TRapiTool::CloseDeviceFile() {
    if (file_ == kNoDeviceHandle) return true;
    const bool ok = api_->CeCloseHandle(file_);
    file_ = kNoDeviceHandle;
    return ok;
}

int64_t TRapiTool::ReadDeviceFileSome(void* buffer, uint32_t n) {
    if (file_ == kNoDeviceHandle || !Can("CeReadFile")) return -1;
    return api_->CeReadFile(file_, buffer, n);
}

bool TRapiTool::ReadDeviceFile(void* buffer, uint32_t n) {
    return ReadDeviceFileSome(buffer, n) == int64_t(n);
}

bool TRapiTool::WriteDeviceFile(const void* data, uint32_t n) {
    return file_ != kNoDeviceHandle && Can("CeWriteFile") && api_->CeWriteFile(file_, data, n) == int64_t(n);
}

int64_t TRapiTool::GetDeviceFilePos() {
    if (file_ == kNoDeviceHandle || !Can("CeSetFilePointer")) return -1;
    return api_->CeSetFilePointer(file_, 0, 1);
}

int64_t TRapiTool::GetDeviceFileSize() {
    if (file_ == kNoDeviceHandle || !Can("CeGetFileSize")) return -1;
    return api_->CeGetFileSize(file_);
}

bool TRapiTool::SeekDeviceFile(int64_t position, int origin) {
    // The tool's origins (0 start, 1 end, 2 current) in the library's numbering.
    static constexpr int kLibraryOrigin[] = {0, 2, 1};
    if (file_ == kNoDeviceHandle || origin < 0 || origin > 2 || !Can("CeSetFilePointer")) return false;
    return api_->CeSetFilePointer(file_, position, kLibraryOrigin[origin]) >= 0;
}

// --- device registry ------------------------------------------------------------------

bool TRapiTool::OpenDeviceKey(TRegRoot root, const std::string& path, bool create) {
    CloseDeviceKey();
    if (!connected_) return false;
    TDeviceHandle rootKey = api_->RootKey(root);
    if (path.empty()) {
        key_ = rootKey;
        keyIsRoot_ = true;
        return true;
    }
    TDeviceHandle key = kNoDeviceHandle;
    const bool ok = create ? Can("CeRegCreateKeyEx") && api_->CeRegCreateKey(rootKey, path, key)
                           : Can("CeRegOpenKeyEx") && api_->CeRegOpenKey(rootKey, path, key);
    if (!ok) return false;
    key_ = key;
    keyIsRoot_ = false;
    return true;
}

bool TRapiTool::CloseDeviceKey() {
    if (key_ == kNoDeviceHandle) return true;
    const bool ok = keyIsRoot_ || (Can("CeRegCloseKey") && api_->CeRegCloseKey(key_));
    key_ = kNoDeviceHandle;
    keyIsRoot_ = false;
    return ok;
}

bool TRapiTool::DeleteDeviceKey(TRegRoot root, const std::string& path) {
    return connected_ && Can("CeRegDeleteKey") && api_->CeRegDeleteKey(api_->RootKey(root), path);
}

bool TRapiTool::DeleteDeviceValue(const std::string& name) {
    return key_ != kNoDeviceHandle && Can("CeRegDeleteValue") && api_->CeRegDeleteValue(key_, name);
}

bool TRapiTool::DeviceValueExists(const std::string& name) {
    uint32_t type = 0;
    return key_ != kNoDeviceHandle && Can("CeRegQueryValueEx") &&
           api_->CeRegQueryValue(key_, name, type, nullptr);
}

uint32_t TRapiTool::DeviceValueType(const std::string& name) {
    uint32_t type = 0;
    if (key_ == kNoDeviceHandle || !Can("CeRegQueryValueEx") ||
        !api_->CeRegQueryValue(key_, name, type, nullptr))
        return 0;
    return type;
}

bool TRapiTool::ReadValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) {
    if (key_ == kNoDeviceHandle || !Can("CeRegQueryValueEx")) return false;
    return api_->CeRegQueryValue(key_, name, type, nullptr) && api_->CeRegQueryValue(key_, name, type, &data);
}

bool TRapiTool::ReadDeviceString(const std::string& name, std::string& text) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!ReadValue(name, type, data) || type != kDeviceRegSz) return false;
    text = api_->DeviceText(data.data(), data.size());
    return true;
}

bool TRapiTool::ReadDeviceInteger(const std::string& name, int32_t& value) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!ReadValue(name, type, data) || type != kDeviceRegDword || data.size() != 4) return false;
    value = ByteReader(data).I32("device value");
    return true;
}

bool TRapiTool::WriteDeviceString(const std::string& name, const std::string& text) {
    return key_ != kNoDeviceHandle && Can("CeRegSetValueEx") &&
           api_->CeRegSetValue(key_, name, kDeviceRegSz, api_->DeviceBytes(text));
}

bool TRapiTool::WriteDeviceInteger(const std::string& name, int32_t value) {
    const uint32_t v = uint32_t(value);
    std::vector<uint8_t> data{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return key_ != kNoDeviceHandle && Can("CeRegSetValueEx") &&
           api_->CeRegSetValue(key_, name, kDeviceRegDword, data);
}

} // namespace cvn
