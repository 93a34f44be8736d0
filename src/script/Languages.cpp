#include "script/Languages.h"

#include "script/Variables.h"

namespace cvn {

void TLanguages::Load(TLanguageSection section) {
    section_ = std::move(section);
    chosen_.clear();
    for (const auto& lang : section_.languages) {
        if (!lang.isDefault) continue;
        chosen_ = lang.name;
        vars_->SetVariable("%Language%", lang.name);
    }
    deviceText_ = GetMessage(kMsgDeviceConnecting);
}

const TMessageTable* TLanguages::CurrentTable() const {
    const auto& langs = section_.languages;
    if (langs.empty()) return section_.unnamedTable ? &*section_.unnamedTable : nullptr;
    const std::string current = vars_->ExpandVariables("%Language%");
    for (const auto& lang : langs)
        if (EqualsNoCase(lang.name, current)) return &lang.messages;
    for (const auto& lang : langs)
        if (lang.isDefault) return &lang.messages;
    return &langs.front().messages;
}

const std::string& TLanguages::GetMessage(int n) const {
    static const std::string empty;
    const TMessageTable* table = CurrentTable();
    if (!table || n < 0 || n >= kMessageCount) return empty;
    return (*table)[size_t(n)];
}

std::string TLanguages::Text(int n,
                             const std::vector<std::pair<std::string_view, std::string_view>>& placeholders,
                             bool escapeAmpersands) const {
    // Expanded before the placeholders go in, so that a file name holding "%"
    // is shown as it is.
    std::string text = vars_->ExpandVariables(GetMessage(n), escapeAmpersands);
    for (const auto& [placeholder, value] : placeholders)
        text = ReplacePlaceholder(text, placeholder, value);
    return text;
}

std::vector<std::string> TLanguages::Names() const {
    std::vector<std::string> names;
    names.reserve(section_.languages.size());
    for (const auto& lang : section_.languages)
        names.push_back(lang.name);
    return names;
}

std::string ReplacePlaceholder(std::string_view text, std::string_view placeholder, std::string_view value) {
    std::string out;
    if (placeholder.empty()) return std::string(text);
    const std::string upperText = AsciiUpperCopy(text);
    const std::string upperPlaceholder = AsciiUpperCopy(placeholder);
    size_t done = 0;
    for (size_t pos = upperText.find(upperPlaceholder); pos != std::string::npos;
         pos = upperText.find(upperPlaceholder, done)) {
        out.append(text.substr(done, pos - done));
        out.append(value);
        done = pos + placeholder.size();
    }
    out.append(text.substr(done));
    return out;
}

} // namespace cvn
