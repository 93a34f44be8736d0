// The device probe images as a Windows CE loader sees them: the headers, the code
// section that holds the entry point, and the functions imported from COREDLL.dll.
#include "core/ByteReader.h"
#include "install/RapiTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace cvn;

namespace {

struct Section {
    std::string name;
    uint32_t virtualSize, rva, rawSize, rawOffset, characteristics;
};

struct Image {
    uint16_t machine = 0, characteristics = 0, magic = 0, subsystem = 0;
    uint32_t entry = 0, imageBase = 0, importRva = 0;
    std::vector<Section> sections;
};

Image ReadHeaders(std::span<const uint8_t> bytes) {
    ByteReader r(bytes);
    Image image;
    EXPECT_EQ(r.U16(), 0x5A4D); // "MZ"
    r.Seek(0x3C);
    r.Seek(r.U32());
    EXPECT_EQ(r.U32(), 0x00004550u); // "PE\0\0"
    image.machine = r.U16();
    const uint16_t count = r.U16();
    r.Skip(12);
    const uint16_t optionalSize = r.U16();
    image.characteristics = r.U16();
    const size_t optional = r.Position();
    image.magic = r.U16();
    r.Seek(optional + 16);
    image.entry = r.U32();
    r.Seek(optional + 28);
    image.imageBase = r.U32();
    r.Seek(optional + 68);
    image.subsystem = r.U16();
    r.Seek(optional + 96 + 8); // data directory 1: the imports
    image.importRva = r.U32();
    r.Seek(optional + optionalSize);
    for (uint16_t i = 0; i < count; ++i) {
        Section s;
        const size_t at = r.Position();
        s.name = r.Str();
        r.Seek(at + 8);
        s.virtualSize = r.U32();
        s.rva = r.U32();
        s.rawSize = r.U32();
        s.rawOffset = r.U32();
        r.Skip(12);
        s.characteristics = r.U32();
        image.sections.push_back(s);
    }
    return image;
}

size_t FileOffset(const Image& image, uint32_t rva) {
    for (const Section& s : image.sections)
        if (rva >= s.rva && rva < s.rva + s.rawSize) return s.rawOffset + (rva - s.rva);
    ADD_FAILURE() << "RVA " << rva << " lies in no section";
    return 0;
}

std::string TextAt(std::span<const uint8_t> bytes, size_t offset) {
    ByteReader r(bytes);
    r.Seek(offset);
    return r.Str();
}

// The imported names of the one library; the library's name in `dll`.
std::set<std::string> Imports(std::span<const uint8_t> bytes, const Image& image, std::string& dll) {
    ByteReader r(bytes);
    r.Seek(FileOffset(image, image.importRva));
    const uint32_t lookup = r.U32();
    r.Skip(8);
    dll = TextAt(bytes, FileOffset(image, r.U32()));
    const uint32_t addresses = r.U32();
    EXPECT_EQ(r.U32(), 0u) << "a second library"; // the zero descriptor ends the list
    std::set<std::string> names;
    ByteReader thunks(bytes), loaderSlots(bytes);
    thunks.Seek(FileOffset(image, lookup));
    loaderSlots.Seek(FileOffset(image, addresses));
    for (uint32_t thunk = thunks.U32(); thunk != 0; thunk = thunks.U32()) {
        EXPECT_EQ(thunk & 0x80000000u, 0u) << "imported by ordinal";
        EXPECT_EQ(loaderSlots.U32(), thunk);
        names.insert(TextAt(bytes, FileOffset(image, thunk) + 2));
    }
    return names;
}

bool HasWideText(std::span<const uint8_t> bytes, const std::string& text) {
    std::vector<uint8_t> wide;
    for (char c : text) {
        wide.push_back(uint8_t(c));
        wide.push_back(0);
    }
    return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end();
}

} // namespace

TEST(DeviceProbeImages, EachIsACeProgramForItsProcessorThatImportsTheRegistryAndHardwareCalls) {
    struct Expected {
        TProcessorFamily family;
        uint16_t machine;
        size_t size;
    };
    const Expected families[] = {{TProcessorFamily::Arm, 0x1C0, 4096},
                                 {TProcessorFamily::Mips, 0x166, 4608},
                                 {TProcessorFamily::Sh3, 0x1A2, 4096},
                                 {TProcessorFamily::Sh4, 0x1A6, 4096}};
    const std::set<std::string> needed{"RegCreateKeyExW",       "RegSetValueExW", "RegCloseKey",
                                       "SystemParametersInfoW", "GetVersionExW",  "KernelIoControl"};
    for (const Expected& e : families) {
        SCOPED_TRACE(e.machine);
        const std::vector<uint8_t> bytes = DeviceProbeImage(e.family);
        ASSERT_EQ(bytes.size(), e.size);
        const Image image = ReadHeaders(bytes);
        EXPECT_EQ(image.machine, e.machine);
        EXPECT_EQ(image.magic, 0x10B);
        EXPECT_EQ(image.subsystem, 9); // Windows CE GUI
        // An executable without relocations, loaded at its fixed base.
        EXPECT_EQ(image.characteristics & 0x0003, 0x0003);
        EXPECT_EQ(image.imageBase, 0x10000u);

        ASSERT_FALSE(image.sections.empty());
        const Section& text = image.sections[0];
        EXPECT_EQ(text.name, ".text");
        EXPECT_NE(text.characteristics & 0x20000000u, 0u); // executable
        EXPECT_GE(image.entry, text.rva);
        EXPECT_LT(image.entry, text.rva + text.virtualSize);
        for (const Section& s : image.sections)
            EXPECT_LE(s.rawOffset + s.rawSize, bytes.size()) << s.name;

        std::string dll;
        EXPECT_EQ(Imports(bytes, image, dll), needed);
        EXPECT_EQ(dll, "COREDLL.dll");
        for (const char* text : {"Software\\Tarrow\\Corvane", "Platform", "Serial", "XScale", "Finished"})
            EXPECT_TRUE(HasWideText(bytes, text)) << text;
    }
    EXPECT_TRUE(DeviceProbeImage(TProcessorFamily::None).empty());
}
