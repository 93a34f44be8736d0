#include "package/Script.h"
#include "package/StatementCodes.h"

#include <gtest/gtest.h>

#include <map>

using namespace cvn;

TEST(StatementCodes, ParameterCountsMatchTheStoredArityGroups) {
    // The arity groups as the stored format defines them, written out independently of the table.
    const std::map<int, std::vector<int>> groups = {
        {0, {10, 15, 16, 17, 22, 23, 25, 45, 50, 55, 59, 60, 74, 103, 104, 111}},
        {1,
         {4,  6,  7,  9,  18, 19, 20, 27, 30, 31, 32, 34, 38, 39,  46,  47,  48,  49,  51,  61,  67,  68,
          70, 71, 73, 81, 82, 83, 84, 85, 87, 90, 91, 92, 99, 100, 101, 102, 105, 106, 107, 108, 109, 110}},
        {2, {3,  8,  14, 21, 28, 33, 41, 52, 53, 54, 62,  63,  64,
             72, 78, 79, 80, 86, 88, 93, 94, 95, 98, 112, 113, 114}},
        {3, {1, 5, 13, 26, 36, 37, 42, 43, 44, 56, 57, 58, 65, 66, 69, 77, 89, 96, 97}},
        {4, {2, 12, 29, 35, 76}},
        {5, {0, 11, 24, 40, 75}},
    };
    int seen = 0;
    for (const auto& [n, codes] : groups)
        for (int c : codes) {
            EXPECT_EQ(StatementParamCount(uint8_t(c)), n) << "code " << c;
            ++seen;
        }
    EXPECT_EQ(seen, 115);
    for (int c = 115; c < 256; ++c)
        EXPECT_EQ(StatementParamCount(uint8_t(c)), 0);
}

TEST(StatementCodes, NamesAreUniqueAndFoundIgnoringCase) {
    for (const auto& s : kStatementTable) {
        ASSERT_FALSE(s.name.empty());
        EXPECT_EQ(FindStatementCode(s.name), s.code) << s.name;
    }
    EXPECT_EQ(FindStatementCode("messagebox"), 1);
    EXPECT_EQ(FindStatementCode("ASKYESNO"), 2);
    EXPECT_EQ(FindStatementCode("DeviceMoveFile"), 114);
    EXPECT_FALSE(FindStatementCode("NoSuchCommand"));
    EXPECT_EQ(uint8_t(StatementCommand::scElse), 105);
    EXPECT_TRUE(StatementName(200).empty());
}

namespace {

void PutScrambled(std::vector<uint8_t>& b, std::string_view plain) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(plain.size() >> (8 * i)));
    for (size_t i = 0; i < plain.size(); ++i)
        b.push_back(uint8_t(plain[i] ^ "tmq-ribbon"[i % 10]));
}
void PutI32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

TEST(Script, ReadsStatementsStoredByHand) {
    std::vector<uint8_t> b;
    PutI32(b, 3);
    PutI32(b, 0x12345601); // MessageBox; only the low byte is the code
    PutScrambled(b, "Title");
    PutScrambled(b, "Hello, world");
    PutScrambled(b, "INFORMATION");
    PutScrambled(b, "%IsNT% = 1|");
    PutI32(b, 16); // NextDialog: no parameters
    PutScrambled(b, "");
    PutI32(b, 200); // unknown code: no parameters either
    PutScrambled(b, "x");
    b.push_back(0xEE); // a following field

    ByteReader r(b);
    TScript s = ReadScript(r);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].code, 1);
    EXPECT_EQ(s[0].param[0], "Title");
    EXPECT_EQ(s[0].param[1], "Hello, world");
    EXPECT_EQ(s[0].param[2], "INFORMATION");
    EXPECT_EQ(s[0].param[3], "");
    EXPECT_EQ(s[0].condition, "%IsNT% = 1|");
    EXPECT_EQ(s[1].code, 16);
    EXPECT_EQ(s[2].code, 200);
    EXPECT_EQ(s[2].condition, "x");
    EXPECT_EQ(r.U8(), 0xEE);
}

TEST(Script, CutsLongTextsTo1000Characters) {
    std::vector<uint8_t> b;
    PutI32(b, 1);
    PutI32(b, 18); // GotoDialog
    PutScrambled(b, std::string(1500, 'd'));
    PutScrambled(b, std::string(1001, 'c'));
    ByteReader r(b);
    TScript s = ReadScript(r);
    EXPECT_EQ(s[0].param[0], std::string(1000, 'd'));
    EXPECT_EQ(s[0].condition, std::string(1000, 'c'));
    EXPECT_TRUE(r.AtEnd());

    ByteWriter w;
    TScriptStatement long1;
    long1.code = 18;
    long1.param[0] = std::string(2000, 'p');
    WriteScript(w, {long1});
    ByteReader back(w.Data());
    EXPECT_EQ(ReadScript(back)[0].param[0].size(), 1000u);
}

TEST(Script, RoundTripsOnlyTheStoredParameters) {
    TScript in(2);
    in[0].code = 35; // Calculate: four parameters
    in[0].param = {"%N%", "7", "DIVISION", "2", "dropped"};
    in[0].condition = "%A% != B|";
    in[1].code = 50; // Exit
    ByteWriter w;
    WriteScript(w, in);
    ByteReader r(w.Data());
    TScript out = ReadScript(r);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].param[3], "2");
    EXPECT_EQ(out[0].param[4], "");
    EXPECT_EQ(out[0].condition, in[0].condition);
    EXPECT_EQ(out[1].code, 50);
    EXPECT_TRUE(r.AtEnd());
}

TEST(Script, DamagedScriptsFailWithAReason) {
    {
        std::vector<uint8_t> b;
        PutI32(b, 1000000); // far more statements than bytes
        PutI32(b, 0);
        ByteReader r(b);
        EXPECT_THROW(ReadScript(r), FormatError);
    }
    {
        std::vector<uint8_t> b;
        PutI32(b, 1);
        PutI32(b, 18);
        PutI32(b, 5000); // parameter length beyond the data
        b.insert(b.end(), 10, 'x');
        ByteReader r(b);
        try {
            ReadScript(r);
            FAIL();
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("statement parameter 1"), std::string::npos) << e.what();
        }
    }
    {
        std::vector<uint8_t> b;
        PutI32(b, 1);
        PutI32(b, 50);
        PutI32(b, 0xFFFFFFFF); // negative condition length
        ByteReader r(b);
        EXPECT_THROW(ReadScript(r), FormatError);
    }
}
