#include "script/DllCall.h"

#include "package/StatementCodes.h"
#include "script/CommandsContext.h"
#include "script/Interpreter.h"

#include <cstring>
#include <memory>

namespace cvn {

namespace {

void AddNumber(std::vector<TDllArgument>& out, std::string& token) {
    std::string_view t = token;
    while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ')
        t.remove_prefix(1);
    while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ')
        t.remove_suffix(1);
    if (!t.empty()) {
        TDllArgument a;
        a.kind = TDllArgument::Integer;
        a.number = ReadScriptNumber(t);
        out.push_back(std::move(a));
    }
    token.clear();
}

} // namespace

std::vector<TDllArgument> ParseDllArguments(std::string_view text) {
    std::vector<TDllArgument> out;
    std::string token;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            size_t close = text.find('"', i + 1);
            TDllArgument a;
            a.kind = TDllArgument::Text;
            a.text = std::string(
                text.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1));
            out.push_back(std::move(a));
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == ',') {
            AddNumber(out, token);
        } else {
            token += c;
        }
    }
    AddNumber(out, token);
    return out;
}

bool TDLLCall::Begin(const std::string& file, std::string_view arguments) {
    failed_ = false;
    arguments_ = ParseDllArguments(arguments);
    if (!invoke_->Load(file)) {
        failed_ = true;
        arguments_.clear();
        return false;
    }
    return true;
}

std::string TDLLCall::CallString(const std::string& file, const std::string& function,
                                 std::string_view arguments) {
    if (!Begin(file, arguments)) return {};
    std::string text;
    intptr_t result = 0;
    if (invoke_->Invoke(function, arguments_, result)) {
        if (result) text = reinterpret_cast<const char*>(result);
        arguments_.clear();
        TDllArgument returned;
        returned.kind = TDllArgument::Pointer;
        returned.pointer = uintptr_t(result);
        intptr_t ignored = 0;
        invoke_->Invoke("freememory", {returned}, ignored); // a DLL without it keeps its memory
    } else {
        failed_ = true;
    }
    arguments_.clear();
    invoke_->Unload();
    return text;
}

int32_t TDLLCall::CallInteger(const std::string& file, const std::string& function,
                              std::string_view arguments) {
    if (!Begin(file, arguments)) return 0;
    intptr_t result = 0;
    if (!invoke_->Invoke(function, arguments_, result)) {
        failed_ = true;
        result = 0;
    }
    arguments_.clear();
    invoke_->Unload();
    return int32_t(result);
}

void TDLLCall::CallDll(TCommandsContext& ctx, const TScriptStatement& s) {
    const std::string file = ctx.Expand(s.param[0]);
    const std::string function = ctx.Expand(s.param[1]);
    // The argument text is the fourth parameter followed directly by the fifth.
    const std::string arguments = ctx.Expand(s.param[3] + s.param[4]);
    std::string result = s.param[2] == "STRING" ? CallString(file, function, arguments)
                                                : std::to_string(CallInteger(file, function, arguments));
    if (failed_) {
        ctx.SetErrorCode("2");
        result = "ERROR";
    }
    ctx.Set("%DLLResult%", result);
}

void TDLLCall::Install(TInterpreter& interpreter) {
    interpreter.SetExternalCommand(
        uint8_t(StatementCommand::scCallDll),
        [this, &interpreter](const TScriptStatement& s) { CallDll(interpreter.Commands(), s); });
}

void InstallDllCallOnFirstUse(TInterpreter& interpreter,
                              std::function<std::unique_ptr<TDLLInvoke>()> makeInvoke) {
    struct TBridge {
        std::function<std::unique_ptr<TDLLInvoke>()> makeInvoke;
        std::unique_ptr<TDLLInvoke> invoke;
        std::unique_ptr<TDLLCall> call;
    };
    auto bridge = std::make_shared<TBridge>();
    bridge->makeInvoke = std::move(makeInvoke);
    interpreter.SetExternalCommand(uint8_t(StatementCommand::scCallDll),
                                   [bridge, &interpreter](const TScriptStatement& s) {
                                       if (!bridge->call) {
                                           bridge->invoke = bridge->makeInvoke();
                                           bridge->call = std::make_unique<TDLLCall>(*bridge->invoke);
                                       }
                                       bridge->call->CallDll(interpreter.Commands(), s);
                                   });
}

} // namespace cvn
