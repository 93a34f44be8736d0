#include "script/Commands.h"

#include "script/VariableList.h"

#include <vector>

namespace cvn {

std::string BarredList(std::string_view text) {
    std::string barred;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',' && i + 1 < text.size() && text[i + 1] == ' ') {
            barred += '|';
            ++i;
        } else {
            barred += text[i];
        }
    }
    return barred;
}

namespace {

// The items of a list variable.
std::vector<std::string> SplitList(std::string_view text) {
    const std::string barred = BarredList(text);
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        size_t bar = barred.find('|', start);
        items.push_back(barred.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return items;
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) text += ", ";
        text += items[i];
    }
    return text;
}

bool Contains(const std::vector<std::string>& items, std::string_view item) {
    for (const auto& i : items)
        if (EqualsNoCase(i, item)) return true;
    return false;
}

} // namespace

void CmdListAdd(TCommandsContext& ctx, const TScriptStatement& s) {
    std::string current = ctx.ValueOf(s.param[0]);
    std::string item = ctx.Expand(s.param[1]);
    if (current.empty()) {
        ctx.Set(s.param[0], item);
        return;
    }
    auto items = SplitList(current);
    if (Contains(items, item)) return;
    items.push_back(item);
    ctx.Set(s.param[0], JoinList(items));
}

void CmdListRemove(TCommandsContext& ctx, const TScriptStatement& s) {
    auto items = SplitList(ctx.ValueOf(s.param[0]));
    std::string item = ctx.Expand(s.param[1]);
    std::vector<std::string> kept;
    for (auto& i : items)
        if (!i.empty() && !EqualsNoCase(i, item)) kept.push_back(std::move(i));
    ctx.Set(s.param[0], JoinList(kept));
}

void CmdListContains(TCommandsContext& ctx, const TScriptStatement& s) {
    bool found = Contains(SplitList(ctx.Expand(s.param[1])), ctx.Expand(s.param[2]));
    ctx.Set(s.param[0], found ? "1" : "0");
}

void CmdListItem(TCommandsContext& ctx, const TScriptStatement& s) {
    auto items = SplitList(ctx.Expand(s.param[1]));
    int32_t index = ReadScriptNumber(ctx.Expand(s.param[2]));
    bool inRange = index >= 1 && size_t(index) <= items.size();
    ctx.Set(s.param[0], inRange ? items[size_t(index) - 1] : std::string());
}

void CmdListCount(TCommandsContext& ctx, const TScriptStatement& s) {
    size_t count = 0;
    for (const auto& i : SplitList(ctx.Expand(s.param[1])))
        if (!i.empty()) ++count;
    ctx.Set(s.param[0], std::to_string(count));
}

} // namespace cvn
