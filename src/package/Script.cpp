#include "Script.h"

#include "StatementCodes.h"

namespace cvn {

namespace {

// Smallest stored statement: the code and an empty condition.
constexpr size_t kMinStatementSize = 8;

std::string ReadScrambled(ByteReader& r, const char* what) {
    std::string s = ScrambleScriptText(r.Counted(what));
    if (s.size() > kMaxStatementText) s.resize(kMaxStatementText);
    return s;
}

void WriteScrambled(ByteWriter& w, std::string_view s) {
    w.Counted(ScrambleScriptText(s.substr(0, kMaxStatementText)));
}

} // namespace

std::string ScrambleScriptText(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = char(out[i] ^ kScriptKey[i % kScriptKey.size()]);
    return out;
}

TScriptStatement ReadScriptStatement(ByteReader& r) {
    static const char* const kParamNames[] = {"statement parameter 1", "statement parameter 2",
                                              "statement parameter 3", "statement parameter 4",
                                              "statement parameter 5"};
    TScriptStatement s;
    s.code = uint8_t(r.U32("statement code"));
    int n = StatementParamCount(s.code);
    for (int i = 0; i < n; ++i)
        s.param[i] = ReadScrambled(r, kParamNames[i]);
    s.condition = ReadScrambled(r, "statement condition");
    return s;
}

TScript ReadScript(ByteReader& r) {
    size_t count = r.Count(kMinStatementSize, "statement count");
    TScript script;
    script.reserve(count);
    for (size_t i = 0; i < count; ++i)
        script.push_back(ReadScriptStatement(r));
    return script;
}

void WriteScriptStatement(ByteWriter& w, const TScriptStatement& s) {
    w.I32(s.code);
    int n = StatementParamCount(s.code);
    for (int i = 0; i < n; ++i)
        WriteScrambled(w, s.param[i]);
    WriteScrambled(w, s.condition);
}

void WriteScript(ByteWriter& w, const TScript& script) {
    w.I32(int32_t(script.size()));
    for (const auto& s : script)
        WriteScriptStatement(w, s);
}

} // namespace cvn
