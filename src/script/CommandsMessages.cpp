#include "script/Commands.h"

#include "script/VariableList.h"

namespace cvn {

namespace {

// Icon keywords are compared exactly; any other text shows no icon.
TMessageIcon IconFromKeyword(std::string_view keyword) {
    if (keyword == "QUESTION") return TMessageIcon::Question;
    if (keyword == "INFORMATION") return TMessageIcon::Information;
    if (keyword == "ERROR") return TMessageIcon::Error;
    if (keyword == "WARNING") return TMessageIcon::Warning;
    return TMessageIcon::None;
}

} // namespace

void CmdMessageBox(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.messages->ShowMessage(ctx.Expand(s.param[0]), ctx.Expand(s.param[1]),
                                       IconFromKeyword(s.param[2]));
}

void CmdAskYesNo(TCommandsContext& ctx, const TScriptStatement& s) {
    bool noIsDefault = EqualsNoCase(ctx.ValueOf(s.param[0]), "NO");
    bool yes = ctx.platform.messages->AskYesNo(ctx.Expand(s.param[1]), ctx.Expand(s.param[2]),
                                               IconFromKeyword(s.param[3]), noIsDefault);
    ctx.Set(s.param[0], yes ? "YES" : "NO");
}

} // namespace cvn
