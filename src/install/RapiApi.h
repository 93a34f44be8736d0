#pragma once

#include "core/Registry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cvn {

// Handles of the remote API: device files and device keys as the host library
// passes them, pointer-sized.
using TDeviceHandle = uintptr_t;
inline constexpr TDeviceHandle kNoDeviceHandle = TDeviceHandle(-1);

// How a device file is opened.
enum class TDeviceOpen { ReadExisting, CreateForWriting, ReadWriteAlways };

// Value types of the device registry (numbered as on Windows).
inline constexpr uint32_t kDeviceRegSz = 1;
inline constexpr uint32_t kDeviceRegDword = 4;

// The remote API library of the desktop synchronisation software, function by
// function. Texts cross this interface in the program's code page; the library side
// converts them to and from the device's UTF-16. Every call fails (false, -1, empty)
// when the library or the function is missing. The Win32 implementation loads the
// library from the system folder and looks each function up by name.
class TRapiApi {
public:
    virtual ~TRapiApi() = default;

    // Loads the library (once) and looks up every function whose slot is still
    // empty; false when the library cannot be loaded.
    virtual bool Bind() = 0;
    // The function's slot is filled (binding first when it is empty).
    virtual bool Has(const char* function) = 0;

    // CeRapiInitEx: starts a connection without waiting for it; false on failure.
    virtual bool InitEx() = 0;
    // Waits until the connection's start event is signalled or window input arrives;
    // true when the event is signalled.
    virtual bool WaitForInit() = 0;
    // CeRapiUninit; false when the library reports failure.
    virtual bool Uninit() = 0;

    // CeGetVersionEx with the major number preset to `major`: the numbers as the call
    // left them; false when the call could not be made.
    virtual bool GetVersion(int32_t& major, int32_t& minor) = 0;
    // CeGetSystemInfo: the processor type; false on failure.
    virtual bool GetProcessorType(int32_t& type) = 0;
    // CeGetStoreInformation: free bytes of the object store.
    virtual bool GetFreeStorage(uint64_t& bytes) = 0;

    virtual TDeviceHandle CeCreateFile(const std::string& path, TDeviceOpen how) = 0;
    // The number of bytes read or written; -1 on failure.
    virtual int64_t CeReadFile(TDeviceHandle file, void* buffer, uint32_t n) = 0;
    virtual int64_t CeWriteFile(TDeviceHandle file, const void* data, uint32_t n) = 0;
    virtual bool CeCloseHandle(TDeviceHandle handle) = 0;
    // CeSetFilePointer with origin 0 start, 1 current, 2 end; the new position or -1.
    virtual int64_t CeSetFilePointer(TDeviceHandle file, int64_t distance, int origin) = 0;
    virtual int64_t CeGetFileSize(TDeviceHandle file) = 0;
    // CeFindFirstFile + CeFindClose: something matches the name or pattern.
    virtual bool FindAny(const std::string& pattern) = 0;
    virtual bool CeCreateDirectory(const std::string& path) = 0;
    virtual bool CeRemoveDirectory(const std::string& path) = 0;
    virtual bool CeCopyFile(const std::string& from, const std::string& to) = 0; // replaces
    virtual bool CeMoveFile(const std::string& from, const std::string& to) = 0;
    virtual bool CeDeleteFile(const std::string& path) = 0;
    // CeCreateProcess; empty parameters are passed as none.
    virtual bool CeCreateProcess(const std::string& program, const std::string& parameters) = 0;

    // The predefined device key of a root.
    virtual TDeviceHandle RootKey(TRegRoot root) = 0;
    virtual bool CeRegOpenKey(TDeviceHandle parent, const std::string& path, TDeviceHandle& key) = 0;
    virtual bool CeRegCreateKey(TDeviceHandle parent, const std::string& path, TDeviceHandle& key) = 0;
    virtual bool CeRegCloseKey(TDeviceHandle key) = 0;
    virtual bool CeRegDeleteKey(TDeviceHandle parent, const std::string& path) = 0;
    virtual bool CeRegDeleteValue(TDeviceHandle key, const std::string& name) = 0;
    // CeRegQueryValueEx: type and size (no data) when `data` is null, else both.
    virtual bool CeRegQueryValue(TDeviceHandle key, const std::string& name, uint32_t& type,
                                 std::vector<uint8_t>* data) = 0;
    virtual bool CeRegSetValue(TDeviceHandle key, const std::string& name, uint32_t type,
                               const std::vector<uint8_t>& data) = 0;

    // A UTF-16 text of the device (little-endian bytes up to a zero pair) in the
    // program's code page.
    virtual std::string DeviceText(const uint8_t* bytes, size_t size) = 0;
    // A text of the program as UTF-16 bytes with the terminating zero pair.
    virtual std::vector<uint8_t> DeviceBytes(const std::string& text) = 0;
};

// The library of the running system (Windows only).
std::unique_ptr<TRapiApi> CreateWinRapiApi();

} // namespace cvn
