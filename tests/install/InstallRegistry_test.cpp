#include "install/InstallRegistry.h"
#include "install/UninstallRegistration.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

using namespace std::string_literals;

TEST(RegistryData, NumbersTakeTheDigitsInOrder) {
    EXPECT_EQ(RegistryNumberData("12a3"), 123u);
    EXPECT_EQ(RegistryNumberData("-5"), 5u);
    EXPECT_EQ(RegistryNumberData("none"), 0u);
    EXPECT_EQ(RegistryNumberData(""), 0u);
    EXPECT_EQ(RegistryNumberData("4294967295"), 4294967295u);
    EXPECT_EQ(RegistryNumberData("99999999999999999999"), 0xFFFFFFFFu); // held, not wrapped
    EXPECT_EQ(RegistryValueBytes(TRegistryValueType::Number, "258"), "\x02\x01\0\0"s);
}

TEST(RegistryData, BinaryTakesSpaceEndedHexTokens) {
    EXPECT_EQ(RegistryBinaryData("0A 0B"), "\x0A"s); // the last token has no space
    EXPECT_EQ(RegistryBinaryData("0A 0B "), "\x0A\x0B"s);
    EXPECT_EQ(RegistryBinaryData("ff  1 "), "\xFF\x01"s); // an empty run gives nothing
    EXPECT_EQ(RegistryBinaryData("1234 "), "\x34"s);      // the low 8 bits
    EXPECT_EQ(RegistryBinaryData("zz 7 "), "\0\x07"s);    // not hex: 0 keeps the places
    EXPECT_EQ(RegistryBinaryData(""), "");
}

TEST(RegistryData, MultiStringsEndEachItemAndTheList) {
    EXPECT_EQ(RegistryMultiStringData("x"), "x\0\0"s);
    EXPECT_EQ(RegistryMultiStringData("a;b"), "a\0b\0\0"s);
    EXPECT_EQ(RegistryMultiStringData(""), "\0\0"s);
    EXPECT_EQ(RegistryValueBytes(TRegistryValueType::String, "v"), "v\0"s);
    EXPECT_EQ(RegistryValueTypeOf(0), TRegistryValueType::String);
    EXPECT_EQ(RegistryValueTypeOf(2), TRegistryValueType::Binary);
    EXPECT_EQ(RegistryValueTypeOf(3), TRegistryValueType::MultiString);
    EXPECT_EQ(RegistryValueTypeOf(-1), TRegistryValueType::MultiString);
    EXPECT_EQ(RegistryValueTypeOf(17), TRegistryValueType::MultiString);
}

TEST(RegistryData, KeyPathsLoseOneBackslashAtEachEnd) {
    EXPECT_EQ(TrimRegistryKeyPath("\\Software\\Acme\\"), "Software\\Acme");
    EXPECT_EQ(TrimRegistryKeyPath("\\\\Software\\\\"), "\\Software\\");
    EXPECT_EQ(TrimRegistryKeyPath("\\"), "");
}

TEST(UninstallRegistration, ValuesInOrderWithBothPathsQuoted) {
    TUninstallKeyFacts f;
    f.displayName = "Acme Tool 2";
    f.windowsDir = "C:\\WINDOWS";
    f.installDir = "C:\\Program Files\\Acme";
    f.displayVersion = "2.0";
    f.description = "desc";
    f.setupPath = "D:\\dl\\setup.exe";
    f.companyName = "Acme";
    auto values = UninstallKeyValues(f);
    std::vector<std::string> names;
    for (auto& v : values)
        names.push_back(v.first);
    EXPECT_EQ(names, (std::vector<std::string>{"DisplayName", "UninstallString", "DisplayVersion",
                                               "URLInfoAbout", "HelpLink", "URLUpdateInfo", "Comments",
                                               "Contact", "InstallLocation", "InstallSource", "Publisher"}));
    EXPECT_EQ(values[1].second, "\"C:\\WINDOWS\\cvnuninst.exe\" \"C:\\Program Files\\Acme\\uninst.dat\"");
    EXPECT_EQ(values[8].second, "C:\\Program Files\\Acme\\");
    EXPECT_EQ(values[9].second, "D:\\dl\\");

    f.iconPath = "C:\\Program Files\\Acme\\Acme Tool.ico";
    values = UninstallKeyValues(f);
    EXPECT_EQ(values.back(), std::make_pair("DisplayIcon"s, f.iconPath));
    EXPECT_EQ(UninstallKeyPath("Acme", "Tool"),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Tool");
}

} // namespace
} // namespace cvn
