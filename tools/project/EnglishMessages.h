#pragma once

#include "package/PackageModel.h"

namespace cvn::project {

// The setup's own texts in English, numbered 0 to 68: the table a project gets
// unless it says otherwise, and the base a language's changed texts are laid on.
const TMessageTable& EnglishMessages();

} // namespace cvn::project
