#pragma once

// Registry values as the script commands, the install engine and the system
// services all see them: one root numbering, one value type. The Win32 side is
// core/Registry_win.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// The predefined keys a package or script may name, numbered as packages store them.
enum class TRegRoot : uint8_t { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2 };

// Registry type codes as Windows numbers them.
enum class TRegType : uint32_t { None = 0, Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4, MultiSz = 7 };

// A stored value as the registry returns it: type code and data bytes (text with or
// without its terminating zero).
struct TRegValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;

    static TRegValue Text(std::string_view text, TRegType type = TRegType::Sz);
    static TRegValue Dword(uint32_t value);

    bool IsText() const { return type == uint32_t(TRegType::Sz) || type == uint32_t(TRegType::ExpandSz); }
    // A REG_SZ or REG_EXPAND_SZ value (not expanded) up to its first zero byte.
    std::optional<std::string> AsText() const;
    // A REG_DWORD value of exactly four bytes.
    std::optional<uint32_t> AsDword() const;
};

} // namespace cvn
