#pragma once

// The handheld software of a PC, as the device tests set it up: the stand-in remote API
// library in the system folder (its device a folder, CVN_TEST_DEVICE), the stand-in
// application manager registered where the synchronisation software registers it, and
// a Palm desktop with two users (Ann in AnnL, the current one, and Bob in BobK).

#include <windows.h>

#include <optional>
#include <string>

namespace cvn::test {

// The stand-in remote API library copied into the system folder; removed by RemoveRapiLibrary.
bool InstallRapiLibrary();
void RemoveRapiLibrary();

// CEAPPMGR.EXE of the build registered under App Paths; returns the calls.txt it writes.
std::string RegisterAppManager();
void UnregisterAppManager();

// A Palm desktop in `palm`: its registry keys under HKEY_CURRENT_USER, the user folders
// and users.dat. RemovePalmDesktop takes the keys away again.
bool SetUpPalmDesktop(const std::string& palm);
void RemovePalmDesktop();
// A registry key with everything below it.
void DeleteRegistryTree(HKEY root, const std::string& key);

// A value under the desktop's key ("HotSync Manager", "Application0", ...).
std::optional<DWORD> PalmNumber(const std::string& sub, const char* name);

} // namespace cvn::test
