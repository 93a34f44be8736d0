#pragma once

#include "core/Event.h"
#include "install/RapiApi.h"
#include "package/PackageRecords.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace cvn {

// One row of the device platform table, interpreted.
struct TPlatformEntry {
    uint8_t kind = 0; // 0: Models lists excluded platforms; else Platform must match
    std::string name;
    std::string platform;
    std::string models;
    uint16_t processors = 0;                                            // bit i: processor index i
    uint16_t processors2 = 0;                                           // the second set
    int32_t minMajor = -1, minMinor = -1, maxMajor = -1, maxMinor = -1; // -1: no bound
};

// "4.20" -> 4, 20; "4" -> 4, 0; "-1" -> -1, 0 (a bound of -1 is none).
void ParseVersionText(const std::string& text, int32_t& major, int32_t& minor);
TPlatformEntry ToPlatformEntry(const TPlatformRecord& record);

enum class TProcessorFamily { None, Arm, Mips, Sh3, Sh4 };
// By the type number the device reports: index 0, empty name, no family for an
// unknown type.
int ProcessorIndex(int32_t type);
std::string ProcessorName(int32_t type);
TProcessorFamily ProcessorFamilyOf(int32_t type);

// What a platform match looks at.
struct TDeviceFacts {
    int32_t processorType = 0;
    std::string platform; // as the probe reported it
    int32_t major = 0, minor = 0;
};

// Whether an entry named `name` (from the last to the first) admits the device.
bool EntryMatches(std::span<const TPlatformEntry> entries, const std::string& name,
                  const TDeviceFacts& device);
// The name of the last entry that admits the device; false when none does.
bool MatchPlatform(std::span<const TPlatformEntry> entries, const TDeviceFacts& device, std::string& name);

// The owner value of the device's control panel: part 0 the name at its start,
// part 1 the company (from byte 72 on OS major versions above 2, else from 66).
size_t OwnerPartOffset(int part, int32_t osMajor);

// The device probe program for one processor family; empty for none.
std::vector<uint8_t> DeviceProbeImage(TProcessorFamily family);

// The link to a Windows CE device through the remote API of the desktop
// synchronisation software. One instance for the whole program; every device
// request fails quietly when the library or the device is missing.
class TRapiTool {
public:
    // pump handles pending window messages during the waits.
    TRapiTool(TRapiApi& api, std::function<void()> pump);
    ~TRapiTool();
    TRapiTool(const TRapiTool&) = delete;
    TRapiTool& operator=(const TRapiTool&) = delete;

    // 0 when a connection attempt starts, 1 when it ends (the connection window).
    Event<int> OnConnectProgress;
    Event<int> OnDisconnectProgress;

    // The platform table read from the package (or an earlier installation's data);
    // the tool reads it where it lives.
    void SetPlatformTable(const std::vector<TPlatformRecord>* table) { table_ = table; }

    bool Bind() { return api_->Bind(); }
    bool IsDevicePresent();
    bool Connect(bool presenceKnown);
    bool Disconnect();
    bool IsConnected() const { return connected_; }
    bool EnsureConnected();
    // Ends a running connection wait.
    void Cancel() { cancelRequested_ = true; }
    bool Connecting() const { return connecting_; }

    std::string GetOwner(int part);
    std::string GetOSVersion(int part);
    int32_t GetProcessorType();
    std::string GetProcessorName();
    bool GetFreeStorage(uint64_t& bytes);
    bool IsAppInstalled(const std::string& application, const std::string& company);
    const std::string& GetSerial() const { return serial_; }
    bool GetIsXScale() const { return isXScale_; }
    const std::string& GetPlatform() const { return platform_; }
    bool MatchPlatform(std::string& name);
    bool ProcessorInSecondSet();

    // kind 0 exists, 1 extension, 2 file name, 3 folder with backslash, 4 size (number).
    bool DeviceFileInfo(const std::string& path, int kind, std::string& text, uint64_t& number);
    bool DeviceExists(const std::string& path);
    bool CreateDeviceFolder(const std::string& path);
    bool RemoveDeviceFolder(const std::string& path);
    bool RunOnDevice(const std::string& program, const std::string& parameters);
    bool CopyOnDevice(const std::string& from, const std::string& to);
    bool MoveOnDevice(const std::string& from, const std::string& to);
    bool DeleteOnDevice(const std::string& path);
    bool CopyToDevice(const std::string& pcPath, const std::string& devicePath);
    bool CopyFromDevice(const std::string& devicePath, const std::string& pcPath);

    bool OpenDeviceFile(const std::string& path, int32_t expected);
    bool CloseDeviceFile();
    bool DeviceFileOpen() const { return file_ != kNoDeviceHandle; }
    bool ReadDeviceFile(void* buffer, uint32_t n);
    // The count actually read (the script commands read up to n bytes).
    int64_t ReadDeviceFileSome(void* buffer, uint32_t n);
    bool WriteDeviceFile(const void* data, uint32_t n);
    int64_t GetDeviceFilePos();
    int64_t GetDeviceFileSize();
    // origin 0 from the start, 1 from the end, 2 from the current position.
    bool SeekDeviceFile(int64_t position, int origin);

    bool OpenDeviceKey(TRegRoot root, const std::string& path, bool create);
    bool CloseDeviceKey();
    bool DeleteDeviceKey(TRegRoot root, const std::string& path);
    bool DeleteDeviceValue(const std::string& name);
    bool DeviceValueExists(const std::string& name);
    uint32_t DeviceValueType(const std::string& name);
    bool ReadDeviceString(const std::string& name, std::string& text);
    bool ReadDeviceInteger(const std::string& name, int32_t& value);
    bool WriteDeviceString(const std::string& name, const std::string& text);
    bool WriteDeviceInteger(const std::string& name, int32_t value);

private:
    bool Can(const char* function) { return api_->Has(function); }
    void Probe();
    bool CurrentVersion(int32_t& major, int32_t& minor);
    TDeviceFacts Facts();
    std::vector<TPlatformEntry> Entries() const;
    bool ReadValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data);
    // Copies size bytes between an open PC stream side and a device file.
    bool CopyStream(const std::function<int64_t(void*, uint32_t)>& read,
                    const std::function<int64_t(const void*, uint32_t)>& write, uint64_t size);

    TRapiApi* api_;
    std::function<void()> pump_;
    const std::vector<TPlatformRecord>* table_ = nullptr;

    bool cancelRequested_ = false;
    bool connecting_ = false;
    bool connected_ = false;
    std::string platform_;
    std::string serial_;
    bool isXScale_ = false;
    TDeviceHandle file_ = kNoDeviceHandle;
    TDeviceHandle key_ = kNoDeviceHandle;
    bool keyIsRoot_ = false;
};

} // namespace cvn
