#include "script/Commands.h"

#include "core/ByteReader.h"

#include <algorithm>
#include <array>

namespace cvn {

namespace {

// Commands 6-9 without an open file only report it in %ErrorCode%.
TPcFile* OpenFileOrReport(TCommandsContext& ctx) {
    if (!ctx.scriptFile) ctx.SetErrorCode("1");
    return ctx.scriptFile.get();
}

// Appends at the end of the file. A write that fails is reported like a missing
// file, so a script that tests %ErrorCode% does not take a lost line for success.
void Append(TCommandsContext& ctx, const std::string& text) {
    TPcFile* file = OpenFileOrReport(ctx);
    if (!file) return;
    if (!file->Seek(file->Size()) || !file->Write(text.data(), text.size())) ctx.SetErrorCode("1");
}

bool AtEnd(TPcFile& file) {
    return file.Position() >= file.Size();
}

} // namespace

void CmdFileOpen(TCommandsContext& ctx, const TScriptStatement& s) {
    if (ctx.scriptFile) {
        ctx.Set(s.param[0], "ERROR");
        return;
    }
    auto file = ctx.platform.files->OpenReadWrite(ctx.Expand(s.param[1]));
    if (!file) {
        ctx.Set(s.param[0], "ERROR");
        return;
    }
    std::string result = "OK";
    int32_t magic = ReadScriptNumber(ctx.Expand(s.param[2]));
    if (magic != 0) {
        std::array<uint8_t, 4> head{};
        bool matches =
            file->Read(head.data(), head.size()) == head.size() && ByteReader(head).I32("magic") == magic;
        if (!matches) result = "MAGICERROR";
    }
    ctx.scriptFile = std::move(file);
    ctx.Set(s.param[0], result);
}

void CmdFileWrite(TCommandsContext& ctx, const TScriptStatement& s) {
    Append(ctx, ctx.Expand(s.param[0]));
}

void CmdFileWriteLine(TCommandsContext& ctx, const TScriptStatement& s) {
    Append(ctx, ctx.Expand(s.param[0]) + "\r\n");
}

void CmdFileRead(TCommandsContext& ctx, const TScriptStatement& s) {
    TPcFile* file = OpenFileOrReport(ctx);
    if (!file) return;
    if (AtEnd(*file)) {
        ctx.Set(s.param[0], "EOF");
        return;
    }
    // Never more than the file still holds, whatever count the script asks for.
    int32_t count = ReadScriptNumber(ctx.Expand(s.param[1]));
    uint64_t left = file->Size() - file->Position();
    std::string data(size_t(std::min<uint64_t>(left, uint64_t(std::max(count, 0)))), '\0');
    data.resize(file->Read(data.data(), data.size()));
    ctx.Set(s.param[0], data);
}

void CmdFileReadLine(TCommandsContext& ctx, const TScriptStatement& s) {
    TPcFile* file = OpenFileOrReport(ctx);
    if (!file) return;
    if (AtEnd(*file)) {
        ctx.Set(s.param[0], "EOF");
        return;
    }
    std::string line;
    char chunk[4096];
    for (;;) {
        uint64_t start = file->Position();
        size_t got = file->Read(chunk, sizeof chunk);
        if (got == 0) break;
        const char* cr = std::find(chunk, chunk + got, '\r');
        if (cr == chunk + got) {
            line.append(chunk, got);
            continue;
        }
        line.append(chunk, size_t(cr - chunk));
        // Only a LF right after the CR belongs to the line end.
        size_t next = size_t(cr - chunk) + 1;
        bool lineFeedFollows = false;
        if (next < got) {
            lineFeedFollows = chunk[next] == '\n';
        } else {
            char after = 0;
            lineFeedFollows = file->Read(&after, 1) == 1 && after == '\n';
        }
        file->Seek(start + next + (lineFeedFollows ? 1 : 0));
        break;
    }
    ctx.Set(s.param[0], line);
}

void CmdFileClose(TCommandsContext& ctx, const TScriptStatement&) {
    ctx.scriptFile.reset();
}

} // namespace cvn
