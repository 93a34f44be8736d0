#pragma once

#include "package/PackageModel.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cvn {

class TVariables;

// Message numbers the program itself refers to by number.
inline constexpr int kMsgDeviceConnecting = 61;

// The message tables and the current language. The language is the expanded
// value of %Language% at each lookup, so scripts can switch it at any time.
class TLanguages {
public:
    explicit TLanguages(TVariables& vars) : vars_(&vars) {}

    // Takes the tables and chooses the language at load: each default-flagged
    // record's name in turn goes to %Language%, so the last one wins. Then keeps
    // the device-connection text.
    void Load(TLanguageSection section);

    // Message n of the current language's table, not yet expanded; empty for a
    // number outside 0..68.
    const std::string& GetMessage(int n) const;
    // Message n expanded, then each placeholder ("<file>", ...) replaced by its value
    // without regard to case. Placeholder values are not expanded.
    std::string Text(int n,
                     const std::vector<std::pair<std::string_view, std::string_view>>& placeholders = {},
                     bool escapeAmpersands = false) const;

    // Name chosen at load (empty when no record is flagged as default).
    const std::string& ChosenName() const { return chosen_; }
    // Copy of message 61 taken at load; uninstall data may replace it.
    const std::string& DeviceConnectionText() const { return deviceText_; }
    void SetDeviceConnectionText(std::string text) { deviceText_ = std::move(text); }
    // Language names in package order, for language lists in dialogs.
    std::vector<std::string> Names() const;
    const std::vector<TLanguage>& Records() const { return section_.languages; }

private:
    const TMessageTable* CurrentTable() const;

    TVariables* vars_;
    TLanguageSection section_;
    std::string chosen_;
    std::string deviceText_;
};

// Replaces every occurrence of placeholder, compared without regard to ASCII case.
std::string ReplacePlaceholder(std::string_view text, std::string_view placeholder, std::string_view value);

} // namespace cvn
