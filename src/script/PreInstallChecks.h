#pragma once

#include <cstdint>
#include <string>

namespace cvn {

struct TPackage;
struct TWindowsVersionLimits;
class TInterpreter;
class TLanguages;
class TMessageBoxes;
class TPcFiles;
class TVariables;

// What the program knows about itself when the wizard is created.
struct TPreInstallFacts {
    int32_t archiveOffset = 0;    // the main archive's offset in the executable; 0: it is in volume files
    std::string executablePath;   // the running setup program
    std::string applicationTitle; // caption of the messages
};

// Version values are major << 24 | minor << 16 | (build & 0xFFFF) and service packs
// major * 256 + minor, compared unsigned. On the NT family a version equal to the
// lower limit also needs the limit's service pack; other systems ignore service packs.
bool WindowsVersionAllowed(const TWindowsVersionLimits& limits, uint32_t version, uint32_t servicePack,
                           bool isNT);
// Screen classes 1-5 ask for at least 640x480, 720x480, 720x576, 800x600, 1024x768;
// 0 and any other class ask nothing.
bool ScreenAllowed(uint8_t minScreenClass, int width, int height);
// The executable's path with its extension replaced by ".001" (added when it has none).
std::string FirstVolumePath(const std::string& executablePath);

// The checks the wizard runs when it is created, in order: first volume file,
// Windows version, screen, colour depth, memory. A failing check shows its message
// (error icon), sets %CanClose% "1", %IsFinishingSetup% "0" and %ErrorCode% to the
// check's code ("3" to "7") and runs the error script (event script list 4).
class TPreInstallChecks {
public:
    TPreInstallChecks(TVariables& vars, const TLanguages& languages, TInterpreter& interpreter,
                      TMessageBoxes& messages, TPcFiles& files)
        : vars_(&vars), languages_(&languages), interpreter_(&interpreter), messages_(&messages),
          files_(&files) {}

    // False when a check failed and the error script left %CanClose% other than
    // "0": the program must end. True when every check passed or was overruled.
    bool Run(const TPackage& package, const TPreInstallFacts& facts);

private:
    // Reports a failed check; true when the error script keeps setup going.
    bool Fail(const TPackage& package, const TPreInstallFacts& facts, int message, const char* errorCode,
              const std::string& fileName = {});

    TVariables* vars_;
    const TLanguages* languages_;
    TInterpreter* interpreter_;
    TMessageBoxes* messages_;
    TPcFiles* files_;
};

} // namespace cvn
