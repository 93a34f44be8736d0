#include "TextEncoding.h"

#include <array>
#include <cstdint>

namespace cvn::project {

namespace {

// Characters of bytes 0x80-0x9F; the undefined ones map to their C1 code point.
constexpr std::array<uint16_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        uint8_t b = uint8_t(ch);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighBlock[b - 0x80] : b);
    }
    return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        uint8_t b = uint8_t(utf8[i]);
        uint32_t cp = 0;
        size_t len = 0;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else {
            return std::nullopt; // four-byte characters are beyond the code page anyway
        }
        if (i + len > utf8.size()) return std::nullopt;
        for (size_t k = 1; k < len; ++k) {
            uint8_t c = uint8_t(utf8[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = cp << 6 | (c & 0x3F);
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += char(cp);
            continue;
        }
        bool found = false;
        for (size_t k = 0; k < kHighBlock.size() && !found; ++k)
            if (kHighBlock[k] == cp) {
                out += char(0x80 + k);
                found = true;
            }
        if (!found) return std::nullopt;
    }
    return out;
}

} // namespace cvn::project
