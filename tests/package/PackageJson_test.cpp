#include "PackageJson.h"

#include "package/PackageReader.h"

#include "HandBytes.h"

#include <gtest/gtest.h>

using namespace cvn;
using namespace cvn::json;

namespace {

TPackage Sample() {
    MemoryInputStream s(test::SamplePackage().Build());
    TPackageReader r(s);
    TPackage p;
    EXPECT_TRUE(r.ReadAll(p));
    return p;
}

// Parses a description; returns the error text, empty on success.
std::string FromText(const std::string& text, TPackage& out) {
    std::string error;
    auto v = Parse(text, error);
    if (!v) return "parse: " + error;
    if (!PackageFromJson(*v, out, error)) return error;
    return {};
}

} // namespace

TEST(PackageJson, ModelSurvivesPrintingAndParsing) {
    TPackage p = Sample();
    p.Settings().description = "bytes \x01\x1f\x7f\x80\xe9\xff \"q\" \\ end";
    p.files[0].entry.fontName = "tab\tnew\nline";
    p.progress.factor = 100.0 / 3.0;
    p.customVariables[0].registry.word1 = 0xFFFF;
    p.Settings().appearance.setupFont.color = int32_t(0x80000008);

    MemoryInputStream s(test::SamplePackage().Build());
    TPackageReader r(s);
    ASSERT_TRUE(r.Open());
    std::string text = Print(PackageToJson(p, &r.Layout()));
    EXPECT_NE(text.find("\"wizardPages\""), std::string::npos);
    TPackage back;
    ASSERT_EQ(FromText(text, back), "");
    EXPECT_EQ(back, p);
}

TEST(PackageJson, PrintsStatementsWithTheirCommandNameAndStoredParameters) {
    TPackage p;
    TScriptStatement st;
    st.code = 1;
    st.param = {"T", "Text", "ERROR", "unused", "unused"};
    p.eventScripts[0].push_back(st);
    Value v = PackageToJson(p);
    const Value& s = v.Find("eventScripts")->Items()[0].Items()[0];
    EXPECT_EQ(s.Find("command")->AsString(), "MessageBox");
    EXPECT_EQ(s.Find("params")->Items().size(), 3u);
}

TEST(PackageJson, DescriptionsNeedOnlyTheFieldsTheyUse) {
    TPackage p;
    ASSERT_EQ(FromText(R"({
        "product": {"settings": {"softwareName": "Caf\u00e9 Tool", "companyName": "Café"}},
        "eventScripts": [[{"command": "assign", "params": ["%A%", "1"]}, {"code": 16, "condition": "%A% = 1|"}]],
        "dialogs": [{"name": "Welcome", "controls": [{"kind": 1, "text": ["Hello"]}]}],
        "flags": {"writeUninstallData": true},
        "layout": {"ignored": 1},
        "archives": {"main": []}
    })",
                       p),
              "");
    EXPECT_EQ(p.Settings().softwareName, "Caf\xe9 Tool");
    EXPECT_EQ(p.Settings().companyName, "Caf\xe9"); // UTF-8 input maps to the single-byte text
    ASSERT_EQ(p.eventScripts[0].size(), 2u);
    EXPECT_EQ(p.eventScripts[0][0].code, 56);
    EXPECT_EQ(p.eventScripts[0][0].param[1], "1");
    EXPECT_EQ(p.eventScripts[0][1].condition, "%A% = 1|");
    EXPECT_EQ(p.dialogs.at(0).controls.at(0).text[0], "Hello");
    EXPECT_EQ(p.flags.writeUninstallData, 1);
    EXPECT_TRUE(p.languages.languages.empty());
}

TEST(PackageJson, MistakesNameTheirPath) {
    TPackage p;
    auto expectError = [&](const std::string& text, const std::string& part) {
        std::string e = FromText(text, p);
        EXPECT_NE(e.find(part), std::string::npos) << "error: " << e;
    };
    expectError(R"({"prodcut": {}})", "unknown field \"prodcut\"");
    expectError(R"({"dialogs": [{}, {"controls": [{"kind": "x"}]}]})",
                "dialogs[1].controls[0].kind: expected a number");
    expectError(R"({"dialogs": [{"controls": [{"kind": 1, "text": ["a", "b", "c", "d"]}]}]})",
                "dialogs[0].controls[0].text: holds 4 texts, but only 3");
    expectError(R"({"flags": {"backgroundWindow": 256}})", "flags.backgroundWindow: number out of range");
    expectError(R"({"files": [{"memberId": 1.5}]})", "files[0].memberId: expected a whole number");
    expectError(R"({"eventScripts": [[{"command": "Jump"}]]})", "unknown command \"Jump\"");
    expectError(R"({"eventScripts": [[{"command": "NextDialog", "params": ["x"]}]]})", "only 0 are stored");
    expectError(R"({"eventScripts": [[{"command": "NextDialog", "code": 17}]]})", "disagree");
    expectError(R"({"eventScripts": [[], [], [], [], [], [], [], []]})", "at most 7");
    std::string seventy;
    for (int i = 0; i < 70; ++i)
        seventy += std::string(i ? "," : "") + "\"m\"";
    expectError(R"({"languages": {"languages": [{"messages": [)" + seventy + "]}]}}",
                "languages.languages[0].messages: holds 70 items, at most 69");
    expectError(R"({"product": {"settings": {"softwareName": "\u0100"}}})",
                "does not fit a single-byte text");
    expectError(R"({"a": 1, "a": 2})", "duplicate key");
    expectError("[1, 2", "parse: line 1");
    expectError(std::string(300, '['), "nesting too deep");
}
