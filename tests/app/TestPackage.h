#pragma once

#include "package/PackageModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvn::test {

// A support file carried in the main archive.
struct TestSupportFile {
    int32_t memberId = 0;
    std::string name;
    std::string folder = "%TempSetupDir%\\";
    std::string content;
    bool inArchive = true; // false: listed in section 11 but not in the archive
};

// A small but complete package: one language, a window title, support files.
struct TestPackage {
    TPackage package;
    std::vector<TestSupportFile> supportFiles;
    // Members in the archive that no support-file record names.
    std::vector<std::pair<int32_t, std::string>> strayMembers;
    uint8_t supportFlag = 1;

    TestPackage();
    // Sets message n of every language.
    void SetMessage(int n, const std::string& text);
    // Adds a wizard page named `name`.
    void AddPage(const std::string& name, uint8_t outOfSequence = 0);

    // The package appended to `stub`; section 16 holds the archive of the support files.
    std::vector<uint8_t> Build(const std::vector<uint8_t>& stub) const;
};

// A 24-bit bitmap file of the given size, filled with one colour.
std::string BitmapFile(int width, int height, uint8_t r, uint8_t g, uint8_t b);

} // namespace cvn::test
