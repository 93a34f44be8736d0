#pragma once

#include "core/Stream.h"
#include "install/HotSync.h"
#include "package/PackageRecords.h"
#include "script/CommandPlatform.h"
#include "script/SystemValues.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cvn {

class TSetupRun;

// How the loader window looks and where it sits.
struct TLoaderLook {
    std::string title;   // the expanded window title
    std::string message; // message 53, expanded
    bool useSetupFont = true;
    TFontRecord setupFont; // its face and character set; colour, style and size are fixed
    bool nearBottomRight = false;
};

// The start-up's decision for one archive member: (member id; var target path;
// var extract). The loader's archive reader calls it before each member.
using TSupportFileFilter = std::function<void(int32_t memberId, std::string& target, bool& extract)>;

// What start-up needs from the platform: windows, message boxes, the registry and
// the system's folders. The Win32 program implements it with the loader and splash
// windows; tests implement it to watch the sequence.
class TStartupHost {
public:
    virtual ~TStartupHost() = default;

    virtual TSystemValues& SystemValues() = 0;
    virtual THotSyncEnvironment& HotSyncEnvironment() = 0;
    virtual std::string ExecutablePath() = 0;
    // The system's temporary folder, with or without trailing delimiter.
    virtual std::string SystemTempFolder() = 0;

    virtual void SetApplicationTitle(const std::string& title) = 0;
    // A message box captioned with the current application title.
    virtual void ShowMessage(const std::string& text, TMessageIcon icon) = 0;
    // The default value of HKLM\...\App Paths\CEAPPMGR.EXE can be read as text.
    virtual bool IsApplicationManagerRegistered() = 0;

    virtual void ShowLoader(const TLoaderLook& look) = 0;
    // One pass of the loader's archive reader over the archive at the stream's
    // position, with `pass` stored on the reader. True when the pass reached the end
    // record without error; otherwise `errorCode` tells what went wrong and
    // `failedFile` is the target of the member the pass stopped at. Throws the
    // reader's exception for an unreadable archive.
    virtual bool ExtractSupportFiles(InputStream& package, const std::string& packagePath, int pass,
                                     const std::string& defaultTarget, const TSupportFileFilter& filter,
                                     int32_t& errorCode, std::string& failedFile) = 0;
    // Shows the picture centred on the screen; false when it cannot be loaded.
    virtual bool ShowSplash(const std::string& picturePath) = 0;
    // Waits while keeping the windows painted.
    virtual void Wait(unsigned milliseconds) = 0;
    // Closes and releases the splash and the loader window.
    virtual void CloseStartupWindows() = 0;
    // The wizard over the package's pages until the setup ends; ends the run through
    // its clean-up and returns the program's exit code.
    virtual int RunWizard(TSetupRun& run) = 0;
};

} // namespace cvn
