#include "InstallRegistry.h"

#include "install/CorvaneInstall.h"
#include "install/InstallPlatform.h"
#include "install/InstallUi.h"
#include "script/Variables.h"

#include <limits>

namespace cvn {

namespace {

constexpr int kMsgCreatingRegistry = 35;
constexpr int kMsgRegistryError = 17;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Low 8 bits of a hexadecimal token's value: its last two digits decide them.
uint8_t HexTokenByte(std::string_view token) {
    unsigned value = 0;
    for (char c : token) {
        int d = HexDigit(c);
        if (d < 0) return 0;
        value = (value << 4 | unsigned(d)) & 0xFF;
    }
    return uint8_t(value);
}

} // namespace

TRegistryValueType RegistryValueTypeOf(int32_t code) {
    switch (code) {
    case 0:
        return TRegistryValueType::String;
    case 1:
        return TRegistryValueType::Number;
    case 2:
        return TRegistryValueType::Binary;
    default:
        return TRegistryValueType::MultiString;
    }
}

uint32_t RegistryNumberData(std::string_view data) {
    uint64_t value = 0;
    for (char c : data) {
        if (c < '0' || c > '9') continue;
        value = value * 10 + uint64_t(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return uint32_t(value);
}

std::string RegistryBinaryData(std::string_view data) {
    std::string bytes;
    size_t start = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] != ' ') continue;
        if (i > start) bytes.push_back(char(HexTokenByte(data.substr(start, i - start))));
        start = i + 1;
    }
    return bytes;
}

std::string RegistryMultiStringData(std::string_view data) {
    std::string bytes(data);
    for (char& c : bytes)
        if (c == ';') c = '\0';
    bytes.push_back('\0');
    bytes.push_back('\0');
    return bytes;
}

std::string RegistryValueBytes(TRegistryValueType type, std::string_view data) {
    switch (type) {
    case TRegistryValueType::String: {
        std::string bytes(data.substr(0, data.find('\0')));
        bytes.push_back('\0');
        return bytes;
    }
    case TRegistryValueType::Number: {
        uint32_t v = RegistryNumberData(data);
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(v >> (8 * i));
        return bytes;
    }
    case TRegistryValueType::Binary:
        return RegistryBinaryData(data);
    case TRegistryValueType::MultiString:
        break;
    }
    return RegistryMultiStringData(data);
}

std::string TrimRegistryKeyPath(std::string_view key) {
    if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    return std::string(key);
}

void TCorvaneInstall::WriteRegistry() {
    if (aborted_) return;
    Status(kMsgCreatingRegistry);
    TRegRoot root = TRegRoot::CurrentUser;
    bool failed = false;
    for (const TRegistryRecord& stored : ctx_.package->registry) {
        if (aborted_) return;
        if (!ItemInstalled(stored.components, stored.condition)) continue;
        // Any other root code keeps the root of the entry before; the log keeps the
        // code as stored, like every other field of the entry.
        if (stored.root <= 2) root = TRegRoot(stored.root);
        TRegistryRecord entry = stored;
        entry.key = TrimRegistryKeyPath(Expand(stored.key));
        entry.valueName = Expand(stored.valueName);
        entry.data = Expand(stored.data);
        const TRegistryValueType type = RegistryValueTypeOf(entry.valueType);
        TRegistryWrite result = ctx_.platform->WriteRegistryValue(root, entry.key, entry.valueName, type,
                                                                  RegistryValueBytes(type, entry.data));
        // A value that cannot be written counts like a key that cannot be opened:
        // the user hears of it once at the end, and nothing is logged for it.
        if (result != TRegistryWrite::Written) {
            failed = true;
            continue;
        }
        TUninstallItem item;
        item.kind = ukRegistryValue;
        item.registry = std::move(entry);
        log_.push_back(std::move(item));
    }
    if (failed) ShowError(kMsgRegistryError);
}

} // namespace cvn
