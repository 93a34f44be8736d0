#include "install/Fonts.h"

#include "install/SystemFolders.h"
#include "script/VariableList.h"

namespace cvn {

std::string FontRegisteredName(std::string_view fontFile, std::string_view fontsDir) {
    std::string folder = FileDirOf(fontFile);
    // Folders are compared without regard to case, as Windows names them.
    if (folder.empty() ||
        (!fontsDir.empty() && EqualsNoCase(WithTrailingBackslash(folder), WithTrailingBackslash(fontsDir))))
        return FileNameOf(fontFile);
    return std::string(fontFile);
}

} // namespace cvn
