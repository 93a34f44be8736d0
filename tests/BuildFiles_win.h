#pragma once

// Where a Windows test finds the programs and data the build made for it: from the
// test program's own location, so it runs the same from CTest, from the project root
// or from anywhere else.

#include <windows.h>

#include <string>

// Set by the build: the build folder relative to the folder holding the test program.
#ifndef CVN_TEST_TO_BUILD_FOLDER
#error "CVN_TEST_TO_BUILD_FOLDER must be defined by the build"
#endif

namespace cvn::test {

// The running test program's full path (build folders stay well inside MAX_PATH).
inline std::string ThisProgram() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

// The build folder, as a full Windows path without a trailing backslash.
inline std::string BuildFolder() {
    std::string self = ThisProgram();
    std::string relative = CVN_TEST_TO_BUILD_FOLDER;
    std::string joined = self.substr(0, self.find_last_of("\\/")) + "\\" + relative;
    for (char& c : joined)
        if (c == '/') c = '\\';
    char full[MAX_PATH] = {};
    DWORD n = GetFullPathNameA(joined.c_str(), MAX_PATH, full, nullptr);
    std::string folder = n > 0 && n < MAX_PATH ? std::string(full, n) : joined;
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// A file the build made, given relative to the build folder ("testing/x/y.exe").
inline std::string BuildFile(const std::string& relative) {
    std::string path = BuildFolder() + "\\" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace cvn::test
