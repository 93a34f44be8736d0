#pragma once

// The one Win32 registry layer: the script commands, the install engine and the
// system services open, read and write keys through it. Every read returns the
// whole value; a key is opened with the rights the caller asks for (query rights
// unless told otherwise).

#include "core/Handle_win.h"
#include "core/Registry.h"

#include <optional>
#include <string>

namespace cvn {

HKEY RootKey(TRegRoot root);

RegKey OpenRegKey(HKEY root, const std::string& key, REGSAM access = KEY_QUERY_VALUE);
// Opens the key, creating it and its missing parents first.
RegKey CreateRegKey(HKEY root, const std::string& key, REGSAM access = KEY_SET_VALUE | KEY_QUERY_VALUE);
bool RegKeyExists(HKEY root, const std::string& key);

// A whole value of an open key: its type and every data byte; nothing when missing.
std::optional<TRegValue> ReadRegValue(HKEY key, const std::string& name);
// A REG_SZ or REG_EXPAND_SZ value (not expanded), up to its first zero byte.
std::optional<std::string> ReadRegText(HKEY key, const std::string& name);
std::optional<std::string> ReadRegText(HKEY root, const std::string& key, const std::string& name);
// A REG_DWORD value of exactly four bytes.
std::optional<uint32_t> ReadRegDword(HKEY root, const std::string& key, const std::string& name);

bool WriteRegValue(HKEY key, const std::string& name, const TRegValue& value);

} // namespace cvn
