#include "PackageModel.h"

namespace cvn {

const char* SectionName(int section) {
    static const char* const kNames[kSectionCount] = {"settings",
                                                      "languages",
                                                      "appearance",
                                                      "start-up flags",
                                                      "custom variables",
                                                      "background items",
                                                      "components",
                                                      "billboards",
                                                      "event scripts",
                                                      "dialogs",
                                                      "folders",
                                                      "support files",
                                                      "files",
                                                      "shortcuts",
                                                      "registry",
                                                      "support-files flag",
                                                      "main archive",
                                                      "device platforms"};
    return section >= 0 && section < kSectionCount ? kNames[section] : "unknown";
}

} // namespace cvn
