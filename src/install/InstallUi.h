#pragma once

#include <cstdint>
#include <string>

#include "install/InstallOverwrite.h"
#include "script/CommandPlatform.h" // TMessageIcon, shared with the script commands

namespace cvn {

// The overwrite prompt's content: the question with "<file>" already replaced, the
// existing target, the new file's date and size, and the captions.
struct TOverwritePrompt {
    std::string message;
    std::string filePath;
    uint32_t newDate = 0; // MS-DOS date-time
    uint32_t newSize = 0;
    std::string yes, yesToAll, no, noToAll, cancel;
    std::string existentLabel;    // message 67
    std::string destinationLabel; // message 68
};

// The next-disk window's content for volume `disk`.
struct TNextDiskPrompt {
    int disk = 0;
    std::string caption;      // message 50
    std::string message;      // message 51 with "<disk>" replaced
    std::string pathLabel;    // message 52
    std::string browse;       // message 57
    std::string ok;           // message 0
    std::string cancel;       // message 1
    std::string folder;       // where the volume is expected, with trailing backslash
    std::string notFoundText; // message 20
    std::string directoryCaption, directoryLabel, directoriesLabel, drivesLabel; // messages 46-49
};

class TLanguages;

// The next-disk window's texts for volume `disk`, expected in `folder` (with trailing
// backslash), in the current language.
TNextDiskPrompt NextDiskPrompt(const TLanguages& languages, int disk, const std::string& folder);

// The windows the engine shows or drives, implemented by the wizard's side: message
// boxes (caption: the application title), the overwrite and next-disk prompts (parent:
// the wizard), the billboard window, closing the wizard and pumping messages. Tests
// answer it with a fake.
class TInstallUi {
public:
    virtual ~TInstallUi() = default;

    virtual void ShowMessage(const std::string& text, TMessageIcon icon,
                             bool secondButtonDefault = false) = 0;
    virtual TOverwriteAnswer AskOverwrite(const TOverwritePrompt& prompt) = 0;
    // True for OK, with `folder` set to the folder the user chose (the window itself
    // has checked that the volume file is there).
    virtual bool AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) = 0;

    // Asks the wizard to close; its confirmation aborts the engine (TCorvaneInstall::Abort).
    virtual void CloseMainForm() = 0;
    // Ends the program after a fatal failure.
    virtual void TerminateApplication() = 0;
    virtual void ProcessMessages() = 0;

    // Shows the bitmap file in the billboard window (created on first use, owned by
    // the background window or the application), its client area sized to the
    // bitmap, centred horizontally, its top at progressTop - bitmap height - 32.
    virtual void ShowBillboard(const std::string& bitmapPath, int progressTop) = 0;
    virtual void CloseBillboard() = 0;
};

} // namespace cvn
