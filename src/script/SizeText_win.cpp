#include "script/SizeText.h"

#include <windows.h>

namespace cvn {

std::string SystemDecimalSeparator() {
    char buf[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) <= 1) return ".";
    return buf;
}

} // namespace cvn
