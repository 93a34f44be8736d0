#include "script/SizeText.h"

#include "core/NumberText.h"

namespace cvn {

namespace {

// "199" -> "200": adds one to a text of decimal digits.
std::string IncrementDigits(std::string digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

} // namespace

std::string SizeText(uint64_t value, TSizeUnit unit, const std::string& decimalSeparator) {
    static const char* const kUnits[] = {" bytes", " KB", " MB", " GB"};
    int step = unit == TSizeUnit::Kilobytes ? 1 : 0;
    if (step == 0 && value < 1024) return std::to_string(value) + kUnits[0];

    double amount = double(value);
    if (step == 0) {
        amount /= 1024;
        step = 1;
    }
    while (step < 3 && amount >= 1024) {
        amount /= 1024;
        ++step;
    }

    // The value is first written in full (15 significant digits, as a general
    // float format does) and then cut, so the rounding looks at the written digits.
    std::string text = Significant15(amount);
    size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string decimals = dot == std::string::npos ? std::string() : text.substr(dot + 1);

    std::string result;
    if (decimals.empty()) {
        result = whole;
    } else if (decimals.size() == 1 || decimals[1] < '5') {
        result = whole + decimalSeparator + decimals[0];
    } else if (decimals[0] == '9') {
        result = IncrementDigits(whole) + decimalSeparator + '0';
    } else {
        result = whole + decimalSeparator + char(decimals[0] + 1);
    }
    return result + kUnits[step];
}

} // namespace cvn
