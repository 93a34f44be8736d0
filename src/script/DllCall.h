#pragma once

#include "package/Script.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

struct TCommandsContext;
class TInterpreter;

// One argument of a DLL call. The function gets a text as a pointer to its zero-ended
// copy here and an integer as its 32-bit value; the copies live until the call is over.
struct TDllArgument {
    enum TKind : uint8_t { Text = 1, Pointer = 2, Integer = 3 };
    TKind kind = Integer;
    std::string text;
    int32_t number = 0;
    uintptr_t pointer = 0; // only for handing a returned text back to "freememory"
};

// The argument text of a CallDll statement: "quoted texts" (no escapes; an unclosed
// quote runs to the end) and comma-separated numbers, e.g. "a,b",5,-1.
std::vector<TDllArgument> ParseDllArguments(std::string_view text);

// Holds one loaded library and makes the raw call. Windows only.
class TDLLInvoke {
public:
    // More arguments than a call can take; such a call fails.
    static constexpr size_t kMaxArguments = 16;

    virtual ~TDLLInvoke() = default;
    // Unloads what it held, then loads the file.
    virtual bool Load(const std::string& file) = 0;
    virtual void Unload() = 0;
    // False when no library is held, the function is not exported, there are too
    // many arguments or the call raised an exception that the DLL left unhandled. The result is
    // pointer-sized: a text result is a pointer.
    virtual bool Invoke(const std::string& function, const std::vector<TDllArgument>& arguments,
                        intptr_t& result) = 0;
};

// The Win32 library holder: a bare file name means the system folder's DLL, any other
// is loaded by its full path with its own folder searched first for what it needs.
std::unique_ptr<TDLLInvoke> CreateWinDllInvoke();

// Argument parsing, result conversion and the failure flag of the CallDll statement;
// the DLL is loaded for one call and unloaded right after it.
class TDLLCall {
public:
    explicit TDLLCall(TDLLInvoke& invoke) : invoke_(&invoke) {}

    // The function's text result, copied; the DLL's "freememory" export, when it has
    // one, then gets the returned pointer back.
    std::string CallString(const std::string& file, const std::string& function, std::string_view arguments);
    int32_t CallInteger(const std::string& file, const std::string& function, std::string_view arguments);
    bool Failed() const { return failed_; }

    // The CallDll statement: %DLLResult% := the result as text, or "ERROR" with
    // %ErrorCode% "2" when the call failed.
    void CallDll(TCommandsContext& ctx, const TScriptStatement& s);
    void Install(TInterpreter& interpreter);

private:
    bool Begin(const std::string& file, std::string_view arguments);

    TDLLInvoke* invoke_;
    std::vector<TDllArgument> arguments_;
    bool failed_ = false;
};

// Installs the CallDll statement with its bridge made by the first call: a setup whose
// scripts never call a DLL never makes one. The bridge lives as long as the interpreter
// keeps the command.
void InstallDllCallOnFirstUse(TInterpreter& interpreter,
                              std::function<std::unique_ptr<TDLLInvoke>()> makeInvoke);

} // namespace cvn
