#pragma once

#include <cstdint>
#include <functional>

namespace cvn {

// The overwrite rule of a file entry: what happens when its target already exists.
enum TOverwriteMode : uint8_t {
    omAsk = 0,             // ask; a No warns once that skipping may cause errors
    omAskNoSkip = 1,       // ask; No is refused and the question repeats
    omNever = 2,           // keep the existing file
    omReplaceExisting = 3, // only replace an existing file, never create one
    omNewerVersion = 4,    // replace when the existing version is lower
    omNewerDate = 5,       // replace when the existing file is older
    omAlways = 6,          // always replace
    omAskExisting = 7,     // only replace an existing file, after asking
    omAskByVersion = 8,    // ask which way the versions differ; equal versions replace
    omAskByDate = 9,       // the same by date
};

// How the existing file compares with the one in the package.
enum class TFileOrder { Lower, Equal, Higher };

// Versions as in a version resource: VersionMS first, then VersionLS, unsigned.
TFileOrder CompareFileVersions(uint32_t existingMS, uint32_t existingLS, uint32_t newMS, uint32_t newLS);
// MS-DOS date-time values compared as signed 32-bit numbers.
TFileOrder CompareFileDates(int32_t existing, int32_t incoming);

enum class TOverwriteAnswer { Yes, YesToAll, No, NoToAll, Cancel };

// Remembered answers of one run: 0 ask, 1 Yes To All, 2 No To All.
struct TOverwriteMemory {
    uint8_t answerNewer = 0;  // question of message 26 (the package has a newer version)
    uint8_t answerOlder = 0;  // question of message 27 (the package has an older version)
    uint8_t answerExists = 0; // question of message 25 (the file exists)
    bool skipWarned = false;  // message 14 was shown
};

// Message numbers of the three questions.
inline constexpr int kMsgAskExists = 25;
inline constexpr int kMsgAskNewer = 26;
inline constexpr int kMsgAskOlder = 27;

// The dialogue side of the rules, answered by the engine (and by fakes in tests).
class TOverwriteQuestions {
public:
    virtual ~TOverwriteQuestions() = default;
    // Shows the overwrite prompt with the given question.
    virtual TOverwriteAnswer Ask(int message) = 0;
    // Message 14: skipping this file may cause errors.
    virtual void WarnSkipped() = 0;
    // Message 15: this file cannot be skipped.
    virtual void WarnCannotSkip() = 0;
    // The user chose Cancel: the wizard is asked to close. True when the run is
    // now aborted (the file is then skipped); false asks the question again.
    virtual bool CancelRun() = 0;
};

// The facts about the existing target, looked up only when a mode needs them.
struct TExistingFile {
    std::function<TFileOrder()> versionOrder;
    std::function<TFileOrder()> dateOrder;
};

// Decides whether a member is written over (or onto) its target. `exists` tells
// whether the target is there; the other facts are asked for only when needed.
bool DecideOverwrite(uint8_t mode, bool exists, const TExistingFile& existing, TOverwriteMemory& memory,
                     TOverwriteQuestions& questions);

} // namespace cvn
