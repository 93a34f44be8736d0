#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cvn::project {

// Project files are UTF-8; the package stores single-byte Windows-1252 texts. The
// five bytes that code page leaves undefined stand for U+0081, U+008D, U+008F,
// U+0090 and U+009D, so that every stored byte has a character and back.
std::string AnsiToUtf8(std::string_view ansi);
// Nullopt when the text holds a character the code page has not (or is not UTF-8).
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

} // namespace cvn::project
