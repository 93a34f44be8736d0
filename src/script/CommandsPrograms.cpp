#include "script/Commands.h"

namespace cvn {

std::string StartFolder(std::string_view path) {
    std::string folder = PathFolder(path);
    if (!folder.empty() && folder.back() == ':') folder += '\\';
    return folder;
}

void CmdOpenDocument(TCommandsContext& ctx, const TScriptStatement& s) {
    std::string file = ctx.Expand(s.param[0]);
    ctx.platform.programs->ShellOpen(file, StartFolder(file));
}

void CmdRun(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.programs->Run(ctx.Expand(s.param[0]), ctx.Expand(s.param[1]), s.param[2] == "1");
}

void CmdWindowExists(TCommandsContext& ctx, const TScriptStatement& s) {
    bool exists = ctx.platform.programs->WindowExists(ctx.Expand(s.param[1]), ctx.Expand(s.param[2]));
    ctx.Set(s.param[0], exists ? "1" : "0");
}

void CmdCloseWindow(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.programs->CloseWindow(ctx.Expand(s.param[0]), ctx.Expand(s.param[1]), s.param[2] == "1");
}

// A negative time would be an endless wait to the system: it waits not at all.
void CmdSleep(TCommandsContext& ctx, const TScriptStatement& s) {
    int32_t ms = ReadScriptNumber(ctx.Expand(s.param[0]));
    if (ms > 0) ctx.platform.programs->Sleep(uint32_t(ms));
}

} // namespace cvn
