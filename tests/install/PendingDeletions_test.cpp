#include "install/PendingDeletions.h"

#include <gtest/gtest.h>

#include <string>

namespace cvn {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(PendingDeletions, OnlyTheDeletionsOfTheFileLeaveTheList) {
    // A deletion of the file with and without the NT prefix, a rename of it (kept: it
    // is no deletion), and another file's deletion.
    const std::string list = std::string("\\??\\C:\\WINDOWS\\cvnuninst.exe\0\0", 30) +
                             std::string("C:\\Temp\\a.tmp\0\0", 15) +
                             std::string("c:\\windows\\CVNUNINST.EXE\0\0", 26) +
                             std::string("\\??\\C:\\WINDOWS\\cvnuninst.exe\0C:\\x.exe\0", 38) + '\0';
    bool changed = false;
    const std::vector<uint8_t> kept = WithoutDeletionOf(Bytes(list), "C:\\Windows\\cvnuninst.exe", changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(kept, Bytes(std::string("C:\\Temp\\a.tmp\0\0", 15) +
                          std::string("\\??\\C:\\WINDOWS\\cvnuninst.exe\0C:\\x.exe\0", 38) + '\0'));
}

TEST(PendingDeletions, AListOfOnlyTheFileBecomesEmptyAndAnotherStaysAsItIs) {
    bool changed = false;
    EXPECT_TRUE(
        WithoutDeletionOf(Bytes(std::string("C:\\w\\u.exe\0\0\0", 13)), "C:\\W\\U.EXE", changed).empty());
    EXPECT_TRUE(changed);
    const std::vector<uint8_t> other = Bytes(std::string("C:\\w\\v.exe\0\0\0", 13));
    EXPECT_EQ(WithoutDeletionOf(other, "C:\\w\\u.exe", changed), other);
    EXPECT_FALSE(changed);
}

} // namespace
} // namespace cvn
