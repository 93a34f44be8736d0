#pragma once

// Self-registration of COM servers and registration of type libraries. Windows only.

#include <string>

namespace cvn {

// Loads the library and calls its "DllRegisterServer" / "DllUnregisterServer";
// true when the call returns a success code. System error boxes stay off and (for
// registration) the hourglass shows meanwhile; both are restored in every case.
bool RegisterServer(const std::string& path);
bool UnregisterServer(const std::string& path);

// Registers the type library in a file (its help folder taken from the library's
// own help file); true when loading and registering succeed.
bool RegisterTypeLibrary(const std::string& path);
// Removes the registration of the library the file holds.
bool UnregisterTypeLibrary(const std::string& path);

} // namespace cvn
