#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

using namespace cvn;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// The headers of a PE32+ file as a linker writes them, without sections: the
// security entry of the data directory lies at 0x58 + 112 + 4 * 8 = 0xE8.
constexpr size_t kSecurityEntry = 0xE8;
std::vector<uint8_t> PeStub() {
    std::vector<uint8_t> b(1024, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, 0x40);
    Put32(b, 0x40, 0x00004550);
    Put16(b, 0x40 + 4 + 16, 240); // optional header size: 112 fixed bytes + 16 entries
    Put16(b, 0x58, 0x20B);
    Put32(b, 0x58 + 108, 16);
    return b;
}

// What signing tools do: zero bytes up to a multiple of 8 (`align` false leaves them
// out), the certificate table, and its place in the header.
std::vector<uint8_t> Signed(std::vector<uint8_t> file, bool align) {
    while (align && file.size() % 8)
        file.push_back(0);
    Put32(file, kSecurityEntry, uint32_t(file.size()));
    Put32(file, kSecurityEntry + 4, 24);
    std::vector<uint8_t> certificate = {24, 0, 0, 0, 0, 2, 2, 0};
    certificate.resize(24, 0xA5);
    file.insert(file.end(), certificate.begin(), certificate.end());
    return file;
}

} // namespace

TEST(SignedSetup, ThePackageIsFoundInFrontOfTheSignatureAndASignedStubIsRefused) {
    TPackage p;
    p.Settings().softwareName = "Tide Charts";
    p.billboards = {"slide.bmp"}; // an odd package length, so that signing pads it
    std::vector<uint8_t> packed;
    std::string error;
    ASSERT_TRUE(WritePackage(PeStub(), p, {}, packed, error)) << error;
    ASSERT_NE(packed.size() % 8, 0u);

    for (bool align : {true, false}) {
        MemoryInputStream s(Signed(packed, align));
        TPackageReader reader(s);
        TPackage read;
        PackageResult res = reader.ReadAll(read);
        ASSERT_TRUE(res) << res.reason;
        EXPECT_EQ(reader.Layout().fileSize, packed.size());
        EXPECT_EQ(reader.Layout().tableOffset, 1024u);
        EXPECT_EQ(read.Settings().softwareName, "Tide Charts");
        EXPECT_EQ(read.billboards, std::vector<std::string>{"slide.bmp"});
    }

    std::vector<uint8_t> again;
    EXPECT_FALSE(WritePackage(Signed(PeStub(), true), p, {}, again, error));
    EXPECT_NE(error.find("sign it after packing"), std::string::npos) << error;
    // An unsigned PE stub is no problem.
    EXPECT_TRUE(WritePackage(PeStub(), p, {}, again, error)) << error;
}
