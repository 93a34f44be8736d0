#pragma once

#include "app/SetupRun.h"
#include "app/StartupHost.h"

#include <string>

namespace cvn {

// The setup program's main routine: finds and checks the package in its own file,
// loads it, shows the loader (and splash) window while it extracts the support
// files, sets the start-up variables, runs the start-up script and hands over to
// the wizard. Returns the program's exit code. Every exit after the temporary setup
// folder exists runs the clean-up routine.
int RunSetup(TSetupRun& run, TStartupHost& host);

inline constexpr const char* kDefaultApplicationTitle = "Corvane Setup";
inline constexpr int kMsgActiveSyncMissing = 8;
inline constexpr int kMsgPreparing = 53;
inline constexpr int kMsgHotSyncMissing = 64;
inline constexpr unsigned kSplashMilliseconds = 500;

enum TExitCode : int { kExitOk = 0, kExitFailed = 1 };

// Start-up's own messages for what the package cannot tell in its language.
inline constexpr const char* kNoTempFolderMessage =
    "ERROR: Setup cannot create its temporary folder in \"<folder>\". Please make sure that the temporary "
    "folder exists and that you may write to it, then start Setup again.";
inline constexpr const char* kSupportWriteMessage =
    "Setup cannot write its support file \"<file>\". Please make sure that the disk has enough free "
    "space. Setup goes on, but some of its pictures or texts may be missing.";
inline constexpr const char* kSupportDataMessage =
    "The support file \"<file>\" in the setup data is damaged. Setup goes on, but some of its pictures or "
    "texts may be missing; if it does not work, please download this software again or contact the "
    "development company.";

// Creates "cvn001", "cvn002", ... in `systemTemp`, skipping names that exist, and
// returns the first one it created, without trailing delimiter. Empty when none can
// be created: after the 999 three-digit names, or at once when creating fails for
// another reason than the name being taken (the folder is not writable).
std::string CreateTempSetupFolder(const std::string& systemTemp);

// Where the loader window goes: near the bottom right corner when a splash picture
// is named, else centred (halves rounded toward zero).
struct TWindowPlace {
    int left = 0;
    int top = 0;
};
TWindowPlace LoaderPlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                         bool nearBottomRight);
TWindowPlace CentredPlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Decides, for one archive member of an extraction pass, whether it is a support
// file of this pass and where it goes; the targets let through are appended to the
// run's list of extracted support files.
class TSupportFileSelector {
public:
    TSupportFileSelector(TSetupRun& run, int pass) : run_(run), pass_(pass) {}
    void operator()(int32_t memberId, std::string& target, bool& extract);

private:
    TSetupRun& run_;
    int pass_;
};

} // namespace cvn
