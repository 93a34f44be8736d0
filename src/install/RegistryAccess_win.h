#pragma once

// Small registry readers shared by the system services: every read opens its key
// with query rights only, reads one value completely and closes the key.

#include "core/Handle_win.h"
#include "install/SharedDlls.h"

#include <optional>
#include <string>

namespace cvn {

RegKey OpenRegKey(HKEY root, const std::string& key, REGSAM access = KEY_QUERY_VALUE);
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
