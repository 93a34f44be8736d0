#include "core/ByteReader.h"
#include "core/ByteWriter.h"

#include <gtest/gtest.h>

using namespace cvn;

TEST(ByteReader, ReadsLittleEndianFieldsWrittenByHand) {
    const uint8_t bytes[] = {0x7f, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 'a', 'b', 0, 0, 2, 0, 0, 0, 'x', 'y'};
    ByteReader r(bytes);
    EXPECT_EQ(r.U8(), 0x7f);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.I32(), 0x12345678);
    EXPECT_EQ(r.Str(), "ab");
    EXPECT_EQ(r.Str(), ""); // the empty text is one zero byte
    EXPECT_EQ(r.Counted(), "xy");
    EXPECT_TRUE(r.AtEnd());
}

TEST(ByteReader, RoundTripsEveryFieldKind) {
    ByteWriter w;
    w.U8(200);
    w.U16(65535);
    w.I32(-5);
    w.F64(100.0 / 3.0);
    w.Str("text");
    w.Counted(std::string("a\0b", 3));
    ByteReader r(w.Data());
    EXPECT_EQ(r.U8(), 200);
    EXPECT_EQ(r.U16(), 65535);
    EXPECT_EQ(r.I32(), -5);
    EXPECT_DOUBLE_EQ(r.F64(), 100.0 / 3.0);
    EXPECT_EQ(r.Str(), "text");
    EXPECT_EQ(r.Counted(), std::string("a\0b", 3));
}

TEST(ByteReader, NeverReadsPastItsRange) {
    const uint8_t three[] = {1, 2, 3};
    ByteReader r(three, 1000);
    EXPECT_THROW(r.I32("size"), FormatError);
    EXPECT_EQ(r.Position(), 0u); // a failed read consumes nothing

    const uint8_t unterminated[] = {'a', 'b', 'c'};
    ByteReader s(unterminated);
    try {
        s.Str("name");
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("name at offset 0"), std::string::npos);
    }

    const uint8_t longText[] = {10, 0, 0, 0, 'a'};
    ByteReader c(longText);
    EXPECT_THROW(c.Counted(), FormatError);
    const uint8_t negative[] = {0xff, 0xff, 0xff, 0xff};
    ByteReader n(negative);
    EXPECT_THROW(n.Counted(), FormatError);

    ByteReader empty(std::span<const uint8_t>{}); // an empty section has no data pointer at all
    EXPECT_THROW(empty.Str(), FormatError);
}

TEST(ByteReader, CountRejectsMoreRecordsThanBytesLeft) {
    ByteWriter w;
    w.I32(3);
    for (int i = 0; i < 3 * 4; ++i) w.U8(0);
    ByteReader ok(w.Data());
    EXPECT_EQ(ok.Count(4), 3u);

    ByteReader tooMany(w.Data());
    EXPECT_THROW(tooMany.Count(5), FormatError);

    ByteWriter huge;
    huge.I32(0x7fffffff);
    ByteReader h(huge.Data());
    EXPECT_THROW(h.Count(1), FormatError);
    ByteWriter neg;
    neg.I32(-1);
    ByteReader ng(neg.Data());
    EXPECT_THROW(ng.Count(1), FormatError);
}
