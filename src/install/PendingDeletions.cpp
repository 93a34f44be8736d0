#include "install/PendingDeletions.h"

#include "script/VariableList.h"

#include <string_view>

namespace cvn {

namespace {

// The next zero-terminated text from at; a list cut short ends its last text.
std::string_view NextText(const std::vector<uint8_t>& list, size_t& at) {
    const size_t start = at;
    while (at < list.size() && list[at] != 0)
        ++at;
    std::string_view text(reinterpret_cast<const char*>(list.data()) + start, at - start);
    if (at < list.size()) ++at;
    return text;
}

} // namespace

std::vector<uint8_t> WithoutDeletionOf(const std::vector<uint8_t>& list, const std::string& path,
                                       bool& changed) {
    changed = false;
    std::vector<uint8_t> kept;
    size_t at = 0;
    while (at < list.size()) {
        const size_t pairStart = at;
        std::string_view source = NextText(list, at);
        if (source.empty()) break; // the list's closing zero
        std::string_view target = NextText(list, at);
        std::string_view name = source;
        if (name.substr(0, 4) == "\\??\\") name.remove_prefix(4);
        if (target.empty() && EqualsNoCase(name, path)) {
            changed = true;
            continue;
        }
        kept.insert(kept.end(), list.begin() + std::ptrdiff_t(pairStart), list.begin() + std::ptrdiff_t(at));
    }
    if (!kept.empty()) kept.push_back(0);
    return kept;
}

} // namespace cvn
