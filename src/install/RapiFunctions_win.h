#pragma once

// The functions of the remote API library "rapi.dll" as the program calls them, and
// the records they fill. The library is never linked: every function is looked up by
// name at run time.

#include <windows.h>

namespace cvn::rapi {

// The start record of CeRapiInitEx (12 bytes in a 32-bit process).
struct TRapiInit {
    DWORD cbSize;
    HANDLE heRapiInit;
    HRESULT hrRapiInit;
};

struct TCeOsVersionInfo {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};

struct TStoreInformation {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
};

struct TCeFindData {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[MAX_PATH];
};

using CeRapiInitExFn = HRESULT(WINAPI*)(TRapiInit*);
using CeRapiUninitFn = HRESULT(WINAPI*)();
using CeGetVersionExFn = BOOL(WINAPI*)(TCeOsVersionInfo*);
using CeGetSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
using CeGetStoreInformationFn = BOOL(WINAPI*)(TStoreInformation*);
using CeCreateFileFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using CeReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using CeWriteFileFn = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using CeCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using CeSetFilePointerFn = DWORD(WINAPI*)(HANDLE, LONG, PLONG, DWORD);
using CeGetFileSizeFn = DWORD(WINAPI*)(HANDLE, LPDWORD);
using CeFindFirstFileFn = HANDLE(WINAPI*)(LPCWSTR, TCeFindData*);
using CeFindCloseFn = BOOL(WINAPI*)(HANDLE);
using CeCreateDirectoryFn = BOOL(WINAPI*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
using CeRemoveDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
using CeCopyFileFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, BOOL);
using CeMoveFileFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR);
using CeDeleteFileFn = BOOL(WINAPI*)(LPCWSTR);
using CeCreateProcessFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                        DWORD, LPVOID, LPWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
using CeRegOpenKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
using CeRegCreateKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                                         PHKEY, LPDWORD);
using CeRegCloseKeyFn = LONG(WINAPI*)(HKEY);
using CeRegDeleteKeyFn = LONG(WINAPI*)(HKEY, LPCWSTR);
using CeRegDeleteValueFn = LONG(WINAPI*)(HKEY, LPCWSTR);
using CeRegQueryValueExFn = LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using CeRegSetValueExFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);

} // namespace cvn::rapi
