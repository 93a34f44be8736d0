#pragma once

// The list of files Windows renames or deletes when it next starts: a REG_MULTI_SZ of
// pairs, source and target, where an empty target means "delete" and a source may
// carry the NT prefix "\??\".

#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// The list without the deletions of path (compared without case); renames and other
// deletions stay in their order. changed tells whether anything was taken out.
std::vector<uint8_t> WithoutDeletionOf(const std::vector<uint8_t>& list, const std::string& path,
                                       bool& changed);

} // namespace cvn
