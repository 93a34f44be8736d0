#include "install/InstallUi.h"

#include "script/Languages.h"

namespace cvn {

TNextDiskPrompt NextDiskPrompt(const TLanguages& languages, int disk, const std::string& folder) {
    TNextDiskPrompt p;
    p.disk = disk;
    p.caption = languages.Text(50);
    // Shown as a label caption: "&" in the names must not become an accelerator.
    p.message = languages.Text(51, {{"<disk>", std::to_string(disk)}}, true);
    p.pathLabel = languages.Text(52);
    p.browse = languages.Text(57);
    p.ok = languages.Text(0);
    p.cancel = languages.Text(1);
    p.folder = folder;
    p.notFoundText = languages.Text(20);
    p.directoryCaption = languages.Text(46);
    p.directoryLabel = languages.Text(47);
    p.directoriesLabel = languages.Text(48);
    p.drivesLabel = languages.Text(49);
    return p;
}

} // namespace cvn
