#include "InstallOverwrite.h"

namespace cvn {

namespace {

TFileOrder Order(bool lower, bool higher) {
    return lower ? TFileOrder::Lower : higher ? TFileOrder::Higher : TFileOrder::Equal;
}

// One question with its answer memory. Yes and Yes To All write; No and No To All
// skip, with mode 0 warning once and mode 1 refusing the No and asking again.
bool AskWithMemory(uint8_t mode, int message, uint8_t& answer, TOverwriteMemory& memory,
                   TOverwriteQuestions& questions) {
    for (;;) {
        if (answer == 1) return true;
        // A remembered No To All skips, but mode 1 never lets a file be skipped and
        // mode 0 asks until its warning has been shown once.
        if (answer == 2 && mode != omAskNoSkip && !(mode == omAsk && !memory.skipWarned)) return false;

        TOverwriteAnswer reply = questions.Ask(message);
        if (reply == TOverwriteAnswer::Cancel) {
            if (questions.CancelRun()) return false;
            continue;
        }
        if (reply == TOverwriteAnswer::YesToAll) answer = 1;
        if (reply == TOverwriteAnswer::NoToAll) answer = 2;
        if (reply == TOverwriteAnswer::Yes || reply == TOverwriteAnswer::YesToAll) return true;

        if (mode == omAskNoSkip) {
            questions.WarnCannotSkip();
            continue;
        }
        if (mode == omAsk && !memory.skipWarned) {
            memory.skipWarned = true;
            questions.WarnSkipped();
        }
        return false;
    }
}

// Modes 8 and 9: a lower existing file asks the "newer version" question, a higher
// one the "older version" question, an equal one is replaced without asking.
bool AskByOrder(uint8_t mode, TFileOrder order, TOverwriteMemory& memory, TOverwriteQuestions& questions) {
    switch (order) {
    case TFileOrder::Lower:
        return AskWithMemory(mode, kMsgAskNewer, memory.answerNewer, memory, questions);
    case TFileOrder::Higher:
        return AskWithMemory(mode, kMsgAskOlder, memory.answerOlder, memory, questions);
    case TFileOrder::Equal:
        break;
    }
    return true;
}

} // namespace

TFileOrder CompareFileVersions(uint32_t existingMS, uint32_t existingLS, uint32_t newMS, uint32_t newLS) {
    if (existingMS != newMS) return Order(existingMS<newMS, existingMS> newMS);
    return Order(existingLS<newLS, existingLS> newLS);
}

TFileOrder CompareFileDates(int32_t existing, int32_t incoming) {
    return Order(existing<incoming, existing> incoming);
}

bool DecideOverwrite(uint8_t mode, bool exists, const TExistingFile& existing, TOverwriteMemory& memory,
                     TOverwriteQuestions& questions) {
    if (!exists) return mode != omReplaceExisting && mode != omAskExisting && mode < 10;

    switch (mode) {
    case omAsk:
    case omAskNoSkip:
    case omAskExisting:
        return AskWithMemory(mode, kMsgAskExists, memory.answerExists, memory, questions);
    case omNever:
        return false;
    case omReplaceExisting:
    case omAlways:
        return true;
    case omNewerVersion:
        return existing.versionOrder() == TFileOrder::Lower;
    case omNewerDate:
        return existing.dateOrder() == TFileOrder::Lower;
    case omAskByVersion:
        return AskByOrder(mode, existing.versionOrder(), memory, questions);
    case omAskByDate:
        return AskByOrder(mode, existing.dateOrder(), memory, questions);
    default:
        return false; // unknown modes never touch an existing file
    }
}

} // namespace cvn
