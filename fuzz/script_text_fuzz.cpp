// Script text: whatever compiles must read back as text that compiles to the same
// statements (the authoring tool's round trip), and nothing may crash on the way.
#include "ScriptText.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<cvn::project::TTextError> errors;
    cvn::TScript script;
    if (!cvn::project::CompileScript(text, 1, script, errors)) return 0;
    std::string back = cvn::project::ScriptToText(script);
    cvn::TScript again;
    if (!cvn::project::CompileScript(back, 1, again, errors) || again != script) std::abort();
    return 0;
}
