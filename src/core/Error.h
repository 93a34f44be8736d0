#pragma once

#include <exception>
#include <string>

namespace cvn {

// The base of the errors this program raises, each with a text of its own. It derives
// from std::exception alone: the standard library's error classes keep their text in a
// second, reference-counted string implementation, which would come into the shipped
// programs with all its code just for them.
class Error : public std::exception {
public:
    explicit Error(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

} // namespace cvn
