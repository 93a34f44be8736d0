#pragma once

#include "Json.h"

#include "package/PackageModel.h"
#include "package/PackageReader.h"

#include <string>

namespace cvn::json {

// The package as JSON, one key per model field in stored order (documented in
// docs/cvndump.md). With a layout, a "layout" object describes the trailer and
// the section table; "wizardPages" names the first and last wizard page.
Value PackageToJson(const TPackage& p, const TPackageLayout* layout = nullptr);

// The reverse, for the authoring tool. Absent keys keep their defaults, so a
// description names only what it needs; unknown keys, wrong types and numbers
// out of range are errors naming the path ("dialogs[2].controls[0].kind").
// The top-level keys "layout", "wizardPages" and "archives" are not part of the
// model and are skipped.
bool PackageFromJson(const Value& v, TPackage& out, std::string& error);

} // namespace cvn::json
