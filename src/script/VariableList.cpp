#include "script/VariableList.h"

#include <algorithm>

namespace cvn {

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string AsciiUpperCopy(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        c = AsciiUpper(c);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(AsciiUpper(a[i]));
        auto y = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsDelimitedName(std::string_view name) {
    return name.size() >= 2 && name.front() == '%' && name.back() == '%' &&
           name.substr(1, name.size() - 2).find('%') == std::string_view::npos;
}

size_t TVariableList::LowerBound(std::string_view name) const {
    size_t lo = 0, hi = entries_.size();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (CompareNoCase(entries_[mid].first, name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int TVariableList::IndexOf(std::string_view name) const {
    size_t i = LowerBound(name);
    return i < entries_.size() && CompareNoCase(entries_[i].first, name) == 0 ? int(i) : -1;
}

const std::string* TVariableList::Find(std::string_view name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &entries_[size_t(i)].second;
}

void TVariableList::SetValue(std::string_view name, std::string_view value) {
    size_t i = LowerBound(name);
    if (i < entries_.size() && CompareNoCase(entries_[i].first, name) == 0) {
        entries_[i].second.assign(value);
        return;
    }
    // Inserting at the search position keeps the order a full re-sort would give.
    entries_.insert(entries_.begin() + std::ptrdiff_t(i), TPair(std::string(name), std::string(value)));
    if (!IsDelimitedName(name)) ++undelimited_;
}

void TVariableList::AddLine(std::string_view line) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        SetValue(line, line);
    else
        SetValue(line.substr(0, eq), line.substr(eq + 1));
}

std::string TVariableList::GetLine(int index) const {
    if (index < 0 || index >= Count()) return {};
    const auto& e = entries_[size_t(index)];
    return e.first + "=" + e.second;
}

TVariableList::TPair TVariableList::GetPair(int index) const {
    if (index < 0 || index >= Count()) return {};
    return entries_[size_t(index)];
}

} // namespace cvn
