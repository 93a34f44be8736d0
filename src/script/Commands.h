#pragma once

#include "script/CommandsContext.h"

namespace cvn {

// The desktop commands the interpreter performs itself, one per statement code;
// the handler table (StatementHandlers.h) maps codes to them.

// Messages and questions.
void CmdMessageBox(TCommandsContext& ctx, const TScriptStatement& s);
void CmdAskYesNo(TCommandsContext& ctx, const TScriptStatement& s);

// Variables and numbers.
void CmdAssign(TCommandsContext& ctx, const TScriptStatement& s);
void CmdCalculate(TCommandsContext& ctx, const TScriptStatement& s);
void CmdRandom(TCommandsContext& ctx, const TScriptStatement& s);
void CmdDecToHex(TCommandsContext& ctx, const TScriptStatement& s);
void CmdHexToDec(TCommandsContext& ctx, const TScriptStatement& s);
void CmdPadLeft(TCommandsContext& ctx, const TScriptStatement& s);

// Lists held in variables.
void CmdListAdd(TCommandsContext& ctx, const TScriptStatement& s);
void CmdListRemove(TCommandsContext& ctx, const TScriptStatement& s);
void CmdListContains(TCommandsContext& ctx, const TScriptStatement& s);
void CmdListItem(TCommandsContext& ctx, const TScriptStatement& s);
void CmdListCount(TCommandsContext& ctx, const TScriptStatement& s);

// Files and folders on the PC.
void CmdDeleteFile(TCommandsContext& ctx, const TScriptStatement& s);
void CmdCopyFile(TCommandsContext& ctx, const TScriptStatement& s);
void CmdMoveFile(TCommandsContext& ctx, const TScriptStatement& s);
void CmdCreateFolder(TCommandsContext& ctx, const TScriptStatement& s);
void CmdRemoveFolder(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileInfo(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileExistsIn(TCommandsContext& ctx, const TScriptStatement& s);
void CmdCreateShortcut(TCommandsContext& ctx, const TScriptStatement& s);
void CmdDeleteShortcut(TCommandsContext& ctx, const TScriptStatement& s);

// The script file.
void CmdFileOpen(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileWrite(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileWriteLine(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileRead(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileReadLine(TCommandsContext& ctx, const TScriptStatement& s);
void CmdFileClose(TCommandsContext& ctx, const TScriptStatement& s);

// The registry of the PC and the installed-software test.
void CmdRegRead(TCommandsContext& ctx, const TScriptStatement& s);
void CmdRegWrite(TCommandsContext& ctx, const TScriptStatement& s);
void CmdRegDelete(TCommandsContext& ctx, const TScriptStatement& s);
void CmdIsInstalled(TCommandsContext& ctx, const TScriptStatement& s);

// Programs and windows.
void CmdOpenDocument(TCommandsContext& ctx, const TScriptStatement& s);
void CmdRun(TCommandsContext& ctx, const TScriptStatement& s);
void CmdWindowExists(TCommandsContext& ctx, const TScriptStatement& s);
void CmdCloseWindow(TCommandsContext& ctx, const TScriptStatement& s);
void CmdSleep(TCommandsContext& ctx, const TScriptStatement& s);

// Path parts as the FileInfo command reports them ("C:\dir\a.txt": name "a.txt",
// folder "C:\dir", drive "C:", extension ".txt"). A UNC path's drive is "\\server\share".
std::string PathFileName(std::string_view path);
std::string PathFolder(std::string_view path); // without trailing backslash
std::string PathDrive(std::string_view path);
std::string PathExtension(std::string_view path);
// The folder a program or document is started in: its PathFolder, except that a
// drive root keeps its backslash ("C:\" names the root, "C:" the drive's current folder).
std::string StartFolder(std::string_view path);
// A registry key parameter: expanded, one trailing and one leading backslash removed.
std::string RegistryKeyParameter(const TCommandsContext& ctx, std::string_view text);
// Registry writes store a value of digits that fits a signed 32-bit number as that
// number ("042" is forty-two); anything else as text.
bool IsStoredAsNumber(const std::string& value, int32_t& number);
// A list variable holds items separated by ", "; the list commands read it with each
// ", " turned into "|" (so a "|" already in the text also separates items).
std::string BarredList(std::string_view text);

} // namespace cvn
