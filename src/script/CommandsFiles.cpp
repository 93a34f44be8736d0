#include "script/Commands.h"

#include "script/VariableList.h"

namespace cvn {

namespace {

// Index just past the folder part: after the last "\" or ":" (0 when there is none).
size_t NameStart(std::string_view path) {
    size_t sep = path.find_last_of("\\:");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

std::string WithoutTrailingBackslash(std::string_view path) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return std::string(path);
}

std::string FileVersionText(const TFileVersion& v) {
    return std::to_string(v.part[0]) + "." + std::to_string(v.part[1]) + "." + std::to_string(v.part[2]) +
           "." + std::to_string(v.part[3]);
}

std::string LinkPath(TCommandsContext& ctx, const TScriptStatement& s) {
    return ctx.Expand(s.param[0]) + "\\" + ctx.Expand(s.param[1]) + ".lnk";
}

} // namespace

std::string PathFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string PathFolder(std::string_view path) {
    return WithoutTrailingBackslash(path.substr(0, NameStart(path)));
}

std::string PathDrive(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // "\\server\share": up to the backslash after the share name.
        size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2) return {};
        size_t share = path.find('\\', server + 1);
        if (share == server + 1) return {};
        return std::string(path.substr(0, share));
    }
    return {};
}

std::string PathExtension(std::string_view path) {
    size_t dot = path.find_last_of(".\\:");
    if (dot == std::string_view::npos || path[dot] != '.') return {};
    return std::string(path.substr(dot));
}

void CmdDeleteFile(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->RemoveFile(ctx.Expand(s.param[0]));
}

void CmdCopyFile(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->CopyFileTo(ctx.Expand(s.param[0]), ctx.Expand(s.param[1]));
}

void CmdMoveFile(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->MoveFileTo(ctx.Expand(s.param[0]), ctx.Expand(s.param[1]));
}

void CmdCreateFolder(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->CreateFolder(WithoutTrailingBackslash(ctx.Expand(s.param[0])));
}

void CmdRemoveFolder(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->RemoveFolder(ctx.Expand(s.param[0]));
}

namespace {

std::string FileInfo(TCommandsContext& ctx, const std::string& file, std::string_view kind) {
    if (EqualsNoCase(kind, "NAME")) return PathFileName(file);
    if (EqualsNoCase(kind, "PATH")) return PathFolder(file);
    if (EqualsNoCase(kind, "DRIVE")) return PathDrive(file);
    if (EqualsNoCase(kind, "EXTENSION")) return PathExtension(file);
    if (EqualsNoCase(kind, "EXISTENCE")) return ctx.platform.files->FileExists(file) ? "1" : "0";
    if (EqualsNoCase(kind, "SIZE")) return std::to_string(ctx.platform.files->FileSize(file));
    if (EqualsNoCase(kind, "VERSION")) return FileVersionText(ctx.platform.files->FileVersion(file));
    return {};
}

} // namespace

void CmdFileInfo(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.Set(s.param[0], FileInfo(ctx, ctx.Expand(s.param[1]), s.param[2]));
}

void CmdFileExistsIn(TCommandsContext& ctx, const TScriptStatement& s) {
    std::string pattern = ctx.Expand(s.param[2]) + "\\" + ctx.Expand(s.param[1]);
    ctx.Set(s.param[0], ctx.platform.files->AnyFileMatches(pattern) ? "1" : "0");
}

void CmdCreateShortcut(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->CreateShortcut(LinkPath(ctx, s), ctx.Expand(s.param[2]), ctx.Expand(s.param[3]),
                                       ctx.Expand(s.param[4]));
}

void CmdDeleteShortcut(TCommandsContext& ctx, const TScriptStatement& s) {
    ctx.platform.files->RemoveFile(LinkPath(ctx, s));
}

} // namespace cvn
