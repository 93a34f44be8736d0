#include "wizard/PageRules.h"

#include "script/VariableList.h"
#include "script/Variables.h"
#include "wizard/WizardControl.h"

#include <algorithm>

namespace cvn {

std::vector<std::string> SplitBarList(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t start = 0;
    while (true) {
        size_t bar = text.find('|', start);
        out.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return out;
}

std::string CleanDialogName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (std::string_view(". \\/:*?\"<>|,-").find(c) != std::string_view::npos) c = '_';
    return out;
}

std::string UniqueControlName(const TWizardPanel& parent, std::string_view stem) {
    for (int n = 1; n <= 30000; ++n) {
        std::string candidate = "CV_" + std::string(stem) + std::to_string(n);
        bool taken = std::any_of(parent.controls.begin(), parent.controls.end(),
                                 [&](const auto& c) { return EqualsNoCase(c->Name(), candidate); });
        if (!taken) return candidate;
    }
    return {};
}

TFontRecord ParseFontSpec(std::string_view text, const TFontRecord& defaultFont, bool keepDefaultFace) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        size_t bar = text.find('|', start);
        fields.push_back(
            text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    if (fields.size() != 5 || std::any_of(fields.begin(), fields.end(), [](auto f) { return f.empty(); }))
        return defaultFont;
    TFontRecord font = defaultFont;
    if (!keepDefaultFace) font.face = std::string(fields[0]);
    font.size = NumberFromText(fields[1]);
    font.color = NumberFromText(fields[2]);
    font.style = uint8_t(NumberFromText(fields[3]));
    font.charset = uint8_t(NumberFromText(fields[4]));
    return font;
}

const TDialogDefinition* FindDialog(const std::vector<TDialogDefinition>& dialogs, std::string_view name) {
    for (const TDialogDefinition& d : dialogs)
        if (EqualsNoCase(d.name, name)) return &d;
    return nullptr;
}

namespace {

// The index of the first dialog named so (any case); the size when none.
size_t IndexOf(const std::vector<TDialogDefinition>& dialogs, std::string_view name) {
    for (size_t i = 0; i < dialogs.size(); ++i)
        if (EqualsNoCase(dialogs[i].name, name)) return i;
    return dialogs.size();
}

} // namespace

std::string TPageSequence::NextDialogName(const std::string& current,
                                          const std::string& dialogBeforeInstall) const {
    if (current.empty()) return firstPage;
    if (current == lastPage) return lastPage;
    const std::string start = EqualsNoCase(current, "INSTALL") ? dialogBeforeInstall : current;
    for (size_t i = IndexOf(*dialogs, start) + 1; i < dialogs->size(); ++i)
        if ((*dialogs)[i].outOfSequence == 0) return (*dialogs)[i].name;
    return start;
}

std::string TPageSequence::PreviousDialogName(const std::string& current,
                                              const std::string& dialogBeforeInstall) const {
    if (current.empty() || current == firstPage) return firstPage;
    const std::string start = EqualsNoCase(current, "INSTALL") ? dialogBeforeInstall : current;
    for (size_t i = std::min(IndexOf(*dialogs, start), dialogs->size()); i-- > 0;)
        if ((*dialogs)[i].outOfSequence == 0) return (*dialogs)[i].name;
    return start;
}

void TPageAreas::Register(const std::string& name, int left, int width, int height, int top) {
    if (std::any_of(areas_.begin(), areas_.end(),
                    [&](const TPageArea& a) { return EqualsNoCase(a.name, name); }))
        return;
    areas_.push_back({name, left, top, width, height});
}

TPageArea TPageAreas::Find(std::string_view name) const {
    for (const TPageArea& a : areas_)
        if (EqualsNoCase(a.name, name)) return a;
    return {};
}

} // namespace cvn
