#pragma once

#include <windows.h>

#include <string>

namespace cvn {

// A drive combo's text of a drive, in lower case: the letter and ":" for a removable
// drive; otherwise "%s: %s" with the connection name of a network drive, or the
// volume name.
std::string DriveText(char letter);

// Draws an entry of a directory list: its folder picture (open for the folders of the
// current path, closed for their subfolders; built-in ones where the shell has none)
// indented 4 pixels a level, then its name.
void DrawFolderEntry(const DRAWITEMSTRUCT& d, const std::string& name, int depth, bool open, HFONT font);
// Draws a drive combo's entry: the shell's small picture of the drive (a built-in one by
// drive type where the shell has none), then its text.
void DrawDriveEntry(const DRAWITEMSTRUCT& d, const std::string& text, HFONT font);
// The item height of a directory list or drive combo in that font.
int FolderEntryHeight(HWND list, HFONT font);

} // namespace cvn
