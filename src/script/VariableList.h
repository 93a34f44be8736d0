#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cvn {

// ASCII-only case folding: letters a-z fold to A-Z, every other byte compares by value.
char AsciiUpper(char c);
std::string AsciiUpperCopy(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, over the folded bytes taken as unsigned.
int CompareNoCase(std::string_view a, std::string_view b);

// True for "%Name%": percent signs at both ends and none inside. Such a name can
// only occur in a text where a "%" starts it and the next "%" ends it, which lets
// expansion find the names a text uses with one scan of the text.
bool IsDelimitedName(std::string_view name);

// The variable store: name/value pairs kept sorted by name without regard to ASCII
// case, so a name is unique whatever its spelling. The first spelling of a name is
// kept; later assignments under another spelling replace only the value. Names are
// stored exactly as given (callers include the percent signs).
class TVariableList {
public:
    using TPair = std::pair<std::string, std::string>;

    // Halving search; -1 when absent.
    int IndexOf(std::string_view name) const;
    void SetValue(std::string_view name, std::string_view value);
    // Text-line form "name=value", split at the first "="; a line without "="
    // becomes an entry whose name and value are both the whole line.
    void AddLine(std::string_view line);
    // Empty for an index out of range.
    std::string GetLine(int index) const;
    TPair GetPair(int index) const;
    int Count() const { return int(entries_.size()); }
    void Clear() {
        entries_.clear();
        undelimited_ = 0;
    }

    // The stored value, or null when the name is not stored.
    const std::string* Find(std::string_view name) const;
    // Read access in sorted order, for expansion and saving.
    const std::vector<TPair>& Entries() const { return entries_; }
    // How many stored names are not of the "%Name%" form.
    int UndelimitedCount() const { return undelimited_; }

private:
    // Index of the first entry not less than name.
    size_t LowerBound(std::string_view name) const;

    std::vector<TPair> entries_;
    int undelimited_ = 0;
};

} // namespace cvn
