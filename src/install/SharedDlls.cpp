#include "install/SharedDlls.h"

#include <limits>

namespace cvn {

std::optional<int32_t> ParseDecimal32(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        n = n * 10 + (text[i] - '0');
        if (n > int64_t(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return int32_t(n);
}

TSharedCount DecodeSharedCount(const std::optional<TRegValue>& value) {
    TSharedCount c;
    if (!value) return c;
    const TRegValue& v = *value;
    if (auto text = v.AsText()) {
        if (auto n = ParseDecimal32(*text)) c = {*n, TSharedCountForm::Text, true};
    } else if (v.type == uint32_t(TRegType::Binary) && !v.data.empty() && v.data.size() <= 4) {
        uint32_t n = 0;
        for (size_t i = 0; i < v.data.size(); ++i)
            n |= uint32_t(v.data[i]) << (8 * i);
        c = {int32_t(n), TSharedCountForm::Binary, true};
    } else if (auto n = v.AsDword()) {
        c = {int32_t(*n), TSharedCountForm::Dword, true};
    }
    if (c.count < 0) c.count = 0;
    return c;
}

TRegValue EncodeSharedCount(TSharedCountForm form, int32_t count, uint32_t textType) {
    TRegValue v;
    switch (form) {
    case TSharedCountForm::Text:
        v = TRegValue::Text(std::to_string(count), TRegType(textType));
        if (!v.IsText()) v.type = uint32_t(TRegType::Sz);
        break;
    case TSharedCountForm::Binary:
    case TSharedCountForm::Dword:
        v.type = uint32_t(form == TSharedCountForm::Binary ? TRegType::Binary : TRegType::Dword);
        for (int i = 0; i < 4; ++i)
            v.data.push_back(uint8_t(uint32_t(count) >> (8 * i)));
        break;
    }
    return v;
}

TSharedCountChange IncrementSharedCount(const std::optional<TRegValue>& current) {
    TSharedCount c = DecodeSharedCount(current);
    // A count at the top of the range stays there instead of wrapping negative.
    int32_t next = c.count == std::numeric_limits<int32_t>::max() ? c.count : c.count + 1;
    TSharedCountChange ch;
    ch.newValue = EncodeSharedCount(c.form, next, current ? current->type : uint32_t(TRegType::Sz));
    return ch;
}

TSharedCountChange DecrementSharedCount(const std::optional<TRegValue>& current) {
    TSharedCountChange ch;
    if (!current) {
        ch.ok = false;
        return ch;
    }
    TSharedCount c = DecodeSharedCount(current);
    // A count nobody can read is taken as 2, so the file stays counted as in use
    // once: removing it could break another program that still needs it.
    if (!c.readable) c.count = 2;
    // A count already at 0 (stored as 0 or negative) is released as well instead of
    // being written back as -1.
    if (c.count <= 1) {
        ch.remove = true;
        return ch;
    }
    ch.newValue = EncodeSharedCount(c.form, c.count - 1, current->type);
    return ch;
}

} // namespace cvn
