#include "script/Commands.h"

#include <algorithm>

namespace cvn {

namespace {

// Root keywords are exact; any other text keeps the root of the previous registry command.
TRegRoot Root(TCommandsContext& ctx, std::string_view keyword) {
    if (keyword == "HKEY_CLASSES_ROOT")
        ctx.registryRoot = TRegRoot::ClassesRoot;
    else if (keyword == "HKEY_CURRENT_USER")
        ctx.registryRoot = TRegRoot::CurrentUser;
    else if (keyword == "HKEY_LOCAL_MACHINE")
        ctx.registryRoot = TRegRoot::LocalMachine;
    return ctx.registryRoot;
}

} // namespace

std::string RegistryKeyParameter(const TCommandsContext& ctx, std::string_view text) {
    std::string key = ctx.Expand(text);
    if (!key.empty() && key.back() == '\\') key.pop_back();
    if (!key.empty() && key.front() == '\\') key.erase(0, 1);
    return key;
}

bool IsStoredAsNumber(const std::string& value, int32_t& number) {
    if (value.empty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    int64_t v = 0;
    for (char c : value) {
        v = v * 10 + (c - '0');
        if (v > INT32_MAX) return false;
    }
    number = int32_t(v);
    return true;
}

void CmdRegRead(TCommandsContext& ctx, const TScriptStatement& s) {
    TRegRoot root = Root(ctx, s.param[1]);
    auto value = ctx.platform.registry->ReadValue(root, RegistryKeyParameter(ctx, s.param[2]),
                                                  ctx.Expand(s.param[3]), true);
    std::string result;
    if (auto text = value ? value->AsText() : std::nullopt)
        result = *text;
    else if (auto number = value ? value->AsDword() : std::nullopt)
        result = std::to_string(int32_t(*number)); // REG_DWORD reads back signed, as RegWrite stores it
    else
        result = ctx.Expand(s.param[4]);
    ctx.Set(s.param[0], result);
}

// A value of digits only is written as a 32-bit number. An empty value, and digits
// too large for a signed 32-bit number, are written as text: nothing is lost and
// RegRead gives the same text back.
void CmdRegWrite(TCommandsContext& ctx, const TScriptStatement& s) {
    TRegRoot root = Root(ctx, s.param[0]);
    std::string key = RegistryKeyParameter(ctx, s.param[1]);
    std::string name = ctx.Expand(s.param[2]);
    std::string value = ctx.Expand(s.param[3]);
    int32_t number = 0;
    if (IsStoredAsNumber(value, number))
        ctx.platform.registry->WriteNumber(root, key, name, number);
    else
        ctx.platform.registry->WriteText(root, key, name, value);
}

// A missing key is left missing: deleting must not create keys as a side effect.
void CmdRegDelete(TCommandsContext& ctx, const TScriptStatement& s) {
    TRegRoot root = Root(ctx, s.param[0]);
    std::string key = RegistryKeyParameter(ctx, s.param[1]);
    std::string name = ctx.Expand(s.param[2]);
    auto& registry = *ctx.platform.registry;
    if (!registry.KeyExists(root, key)) return;
    if (registry.ReadValue(root, key, name, true))
        registry.DeleteValue(root, key, name);
    else if (name.empty())
        registry.DeleteKey(root, key);
}

void CmdIsInstalled(TCommandsContext& ctx, const TScriptStatement& s) {
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ctx.Expand(s.param[2]) +
                      " " + ctx.Expand(s.param[1]);
    bool installed =
        ctx.platform.registry->ReadValue(TRegRoot::LocalMachine, key, "DisplayVersion", false).has_value();
    ctx.Set(s.param[0], installed ? "1" : "0");
}

} // namespace cvn
