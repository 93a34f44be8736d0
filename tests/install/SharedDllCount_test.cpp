#include "install/SharedDlls.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

TRegValue Text(const std::string& s, TRegType type = TRegType::Sz) {
    TRegValue v{uint32_t(type), {s.begin(), s.end()}};
    v.data.push_back(0);
    return v;
}
TRegValue Binary(std::vector<uint8_t> bytes) {
    return {uint32_t(TRegType::Binary), std::move(bytes)};
}
TRegValue Dword(uint32_t n) {
    return {uint32_t(TRegType::Dword), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
}

TEST(SharedDllCount, IncrementKeepsEachRepresentation) {
    // Text stays text, with its own text type.
    EXPECT_EQ(IncrementSharedCount(Text("7")).newValue.data, Text("8").data);
    EXPECT_EQ(IncrementSharedCount(Text("7")).newValue.type, uint32_t(TRegType::Sz));
    EXPECT_EQ(IncrementSharedCount(Text("7", TRegType::ExpandSz)).newValue.type,
              uint32_t(TRegType::ExpandSz));
    // Short binary values are read little-endian and written back as four bytes.
    TRegValue b = IncrementSharedCount(Binary({0x01, 0x01})).newValue;
    EXPECT_EQ(b.type, uint32_t(TRegType::Binary));
    EXPECT_EQ(b.data, (std::vector<uint8_t>{0x02, 0x01, 0, 0}));
    EXPECT_EQ(IncrementSharedCount(Dword(41)).newValue.data, Dword(42).data);
    // A missing value starts at REG_DWORD 1.
    TRegValue first = IncrementSharedCount(std::nullopt).newValue;
    EXPECT_EQ(first.type, uint32_t(TRegType::Dword));
    EXPECT_EQ(first.data, Dword(1).data);
}

TEST(SharedDllCount, UnreadableValuesRestartAsDword) {
    for (const TRegValue& v :
         {Text("seven"), Text(""), Text("99999999999"), Binary({}), Binary({1, 2, 3, 4, 5}),
          TRegValue{uint32_t(TRegType::Dword), {1, 0}}, TRegValue{7, {1, 0, 0, 0}}}) {
        TSharedCount c = DecodeSharedCount(v);
        EXPECT_FALSE(c.readable);
        TRegValue next = IncrementSharedCount(v).newValue;
        EXPECT_EQ(next.type, uint32_t(TRegType::Dword));
        EXPECT_EQ(next.data, Dword(1).data);
    }
    // Text without its terminating zero still reads.
    EXPECT_EQ(DecodeSharedCount(TRegValue{uint32_t(TRegType::Sz), {'1', '2'}}).count, 12);
}

TEST(SharedDllCount, NegativeAndTopCounts) {
    EXPECT_EQ(DecodeSharedCount(Text("-3")).count, 0);
    EXPECT_EQ(IncrementSharedCount(Text("-3")).newValue.data, Text("1").data);
    EXPECT_EQ(IncrementSharedCount(Dword(0xFFFFFFFF)).newValue.data, Dword(1).data);
    // The top of the range does not wrap to a negative count.
    EXPECT_EQ(IncrementSharedCount(Dword(0x7FFFFFFF)).newValue.data, Dword(0x7FFFFFFF).data);
}

TEST(SharedDllCount, Decrement) {
    EXPECT_FALSE(DecrementSharedCount(std::nullopt).ok);
    EXPECT_TRUE(DecrementSharedCount(Dword(1)).remove);
    EXPECT_TRUE(DecrementSharedCount(Text("1")).remove);
    EXPECT_TRUE(DecrementSharedCount(Binary({1})).remove);
    // A count already at 0 is released instead of becoming -1.
    EXPECT_TRUE(DecrementSharedCount(Dword(0)).remove);
    EXPECT_TRUE(DecrementSharedCount(Text("-5")).remove);

    TSharedCountChange t = DecrementSharedCount(Text("8"));
    EXPECT_FALSE(t.remove);
    EXPECT_EQ(t.newValue.data, Text("7").data);
    EXPECT_EQ(DecrementSharedCount(Binary({3})).newValue.data, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(DecrementSharedCount(Dword(3)).newValue.data, Dword(2).data);
    // A value nobody can read counts as 2: the file stays counted once.
    TSharedCountChange u = DecrementSharedCount(Text("many"));
    EXPECT_FALSE(u.remove);
    EXPECT_EQ(u.newValue.type, uint32_t(TRegType::Dword));
    EXPECT_EQ(u.newValue.data, Dword(1).data);
}

TEST(SharedDllCount, ParseDecimal32) {
    EXPECT_EQ(ParseDecimal32("0"), 0);
    EXPECT_EQ(ParseDecimal32("+12"), 12);
    EXPECT_EQ(ParseDecimal32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimal32("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimal32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseDecimal32("-"), std::nullopt);
    EXPECT_EQ(ParseDecimal32("1 "), std::nullopt);
    EXPECT_EQ(ParseDecimal32("0x10"), std::nullopt);
}

} // namespace
} // namespace cvn
