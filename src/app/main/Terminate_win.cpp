#include <cstdlib>

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
