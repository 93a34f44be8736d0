#include "DialogDefinition.h"

#include "ControlNames.h"

#include <iterator>

namespace cvn {

namespace {

constexpr size_t kMinControlSize = 23; // kind, empty variable, role, four int32, empty script
constexpr size_t kMinDialogSize = 43;  // two texts, size, font, byte, style, control count, four scripts

void WriteFixedText(ByteWriter& w, const std::string& s) {
    w.Str(std::string_view(s).substr(0, kMaxFixedText));
}

bool IsInstallPage(const std::string& name) {
    static constexpr std::string_view kInstall = "INSTALL";
    if (name.size() != kInstall.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c != kInstall[i]) return false;
    }
    return true;
}

} // namespace

int ControlTextCount(uint8_t kind) {
    for (const TControlKindInfo& k : ControlKinds())
        if (k.kind == kind) return k.textCount;
    return 0;
}

TControlDefinition ReadControlDefinition(ByteReader& r) {
    static const char* const kTextNames[] = {"control text 1", "control text 2", "control text 3",
                                             "control text 4", "control text 5", "control text 6"};
    TControlDefinition c;
    c.kind = r.U8("control kind");
    c.variable = ReadFixedText(r, "control variable");
    c.role = r.U8("control role");
    c.left = r.I32("control left");
    c.top = r.I32("control top");
    c.height = r.I32("control height");
    c.width = r.I32("control width");
    int n = ControlTextCount(c.kind);
    for (int i = 0; i < n; ++i)
        c.text[i] = ReadFixedText(r, kTextNames[i]);
    c.eventScript = ReadScript(r);
    return c;
}

void WriteControlDefinition(ByteWriter& w, const TControlDefinition& c) {
    w.U8(c.kind);
    WriteFixedText(w, c.variable);
    w.U8(c.role);
    w.I32(c.left);
    w.I32(c.top);
    w.I32(c.height);
    w.I32(c.width);
    int n = ControlTextCount(c.kind);
    for (int i = 0; i < n; ++i)
        WriteFixedText(w, c.text[i]);
    WriteScript(w, c.eventScript);
}

TDialogDefinition ReadDialogDefinition(ByteReader& r) {
    TDialogDefinition d;
    d.name = ReadFixedText(r, "dialog name");
    d.caption = ReadFixedText(r, "dialog caption");
    d.height = r.I32("dialog height");
    d.width = r.I32("dialog width");
    d.font = ReadFont(r);
    d.outOfSequence = r.U8("dialog out-of-sequence byte");
    d.styleName = r.Str("dialog style name");
    size_t count = r.Count(kMinControlSize, "control count");
    d.controls.reserve(count);
    for (size_t i = 0; i < count; ++i)
        d.controls.push_back(ReadControlDefinition(r));
    d.beforeBuildScript = ReadScript(r);
    d.afterBuildScript = ReadScript(r);
    d.afterShowScript = ReadScript(r);
    d.leaveScript = ReadScript(r);
    return d;
}

void WriteDialogDefinition(ByteWriter& w, const TDialogDefinition& d) {
    WriteFixedText(w, d.name);
    WriteFixedText(w, d.caption);
    w.I32(d.height);
    w.I32(d.width);
    WriteFont(w, d.font);
    w.U8(d.outOfSequence);
    w.Str(d.styleName);
    w.I32(int32_t(d.controls.size()));
    for (const auto& c : d.controls)
        WriteControlDefinition(w, c);
    WriteScript(w, d.beforeBuildScript);
    WriteScript(w, d.afterBuildScript);
    WriteScript(w, d.afterShowScript);
    WriteScript(w, d.leaveScript);
}

std::vector<TDialogDefinition> ReadDialogSection(ByteReader& r) {
    size_t count = r.Count(kMinDialogSize, "dialog count");
    std::vector<TDialogDefinition> dialogs;
    dialogs.reserve(count);
    for (size_t i = 0; i < count; ++i)
        dialogs.push_back(ReadDialogDefinition(r));
    return dialogs;
}

void WriteDialogSection(ByteWriter& w, const std::vector<TDialogDefinition>& dialogs) {
    w.I32(int32_t(dialogs.size()));
    for (const auto& d : dialogs)
        WriteDialogDefinition(w, d);
}

std::optional<TWizardPageRange> FindWizardPageRange(const std::vector<TDialogDefinition>& dialogs) {
    std::optional<TWizardPageRange> range;
    for (size_t i = 0; i < dialogs.size(); ++i) {
        if (dialogs[i].outOfSequence != 0 || IsInstallPage(dialogs[i].name)) continue;
        if (!range) range = TWizardPageRange{i, i};
        range->last = i;
    }
    return range;
}

} // namespace cvn
