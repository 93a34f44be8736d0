// How the C++ runtime's own errors are raised in the shipped programs, which have no console
// and are downloaded with every package.

#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

// The runtime's own handler for an exception nobody catches prints the exception's type,
// demangled, to the standard error stream, which a window program does not have; its
// demangler alone is a sixth of the program. Each program's main routine catches every
// exception that could end it, so the remaining case (one thrown while a destructor
// unwinds) just ends it.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// The library reports a misuse (a position past a string's end, a container grown past its
// largest size) through these functions. Its own versions throw the standard error classes,
// which bring a second string implementation and its code into the program. The programs
// catch such errors only as std::exception, so they get one of that kind with the library's
// text. Every function of the library's set is defined here: were one missing, the linker
// would bring in the library's set as well and report each of these twice.
namespace {

class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* text) : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_; // the library passes texts that live as long as the program
};

} // namespace

namespace std {

void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_logic_error(const char* text) {
    throw LibraryError(text);
}
void __throw_domain_error(const char* text) {
    throw LibraryError(text);
}
void __throw_invalid_argument(const char* text) {
    throw LibraryError(text);
}
void __throw_length_error(const char* text) {
    throw LibraryError(text);
}
void __throw_out_of_range(const char* text) {
    throw LibraryError(text);
}
// The format's own text names the function and the limit; the figures are left out.
void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryError(format);
}
void __throw_runtime_error(const char* text) {
    throw LibraryError(text);
}
void __throw_range_error(const char* text) {
    throw LibraryError(text);
}
void __throw_overflow_error(const char* text) {
    throw LibraryError(text);
}
void __throw_underflow_error(const char* text) {
    throw LibraryError(text);
}

} // namespace std
