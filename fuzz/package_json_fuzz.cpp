// The package tools' JSON form: whatever parses prints as text that parses to the same
// print, and whatever reads as a package prints and reads back as the same package.
#include "PackageJson.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    std::optional<cvn::json::Value> v =
        cvn::json::Parse(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!v) return 0;
    const std::string printed = cvn::json::Print(*v);
    std::optional<cvn::json::Value> again = cvn::json::Parse(printed, error);
    if (!again || cvn::json::Print(*again) != printed) std::abort();

    cvn::TPackage package;
    if (!cvn::json::PackageFromJson(*v, package, error)) return 0;
    std::optional<cvn::json::Value> back =
        cvn::json::Parse(cvn::json::Print(cvn::json::PackageToJson(package)), error);
    cvn::TPackage reread;
    if (!back || !cvn::json::PackageFromJson(*back, reread, error) || !(reread == package)) std::abort();
    return 0;
}
