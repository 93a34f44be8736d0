#include "install/InstallOverwrite.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace cvn {
namespace {

using A = TOverwriteAnswer;

// Answers from a script and a record of every question and warning.
class TScriptedQuestions : public TOverwriteQuestions {
public:
    std::deque<A> answers;
    std::vector<std::string> events;
    bool abortOnCancel = true;

    A Ask(int message) override {
        events.push_back("ask" + std::to_string(message));
        if (answers.empty()) throw std::logic_error("asked once too often");
        A a = answers.front();
        answers.pop_front();
        return a;
    }
    void WarnSkipped() override { events.push_back("warn14"); }
    void WarnCannotSkip() override { events.push_back("warn15"); }
    bool CancelRun() override {
        events.push_back("cancel");
        return abortOnCancel;
    }
};

struct Facts {
    TFileOrder version = TFileOrder::Equal;
    TFileOrder date = TFileOrder::Equal;
    int versionReads = 0, dateReads = 0;
    TExistingFile Existing() {
        return {[this] { return ++versionReads, version; }, [this] { return ++dateReads, date; }};
    }
};

TEST(OverwriteRules, AMissingTargetIsWrittenExceptByTheReplaceOnlyModes) {
    Facts f;
    TOverwriteMemory m;
    TScriptedQuestions q;
    for (int mode = 0; mode < 12; ++mode) {
        bool expected = mode != 3 && mode != 7 && mode < 10;
        EXPECT_EQ(DecideOverwrite(uint8_t(mode), false, f.Existing(), m, q), expected) << mode;
    }
    EXPECT_TRUE(q.events.empty());
    EXPECT_EQ(f.versionReads + f.dateReads, 0);
}

TEST(OverwriteRules, ModesWithoutQuestions) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    EXPECT_FALSE(DecideOverwrite(omNever, true, f.Existing(), m, q));
    EXPECT_TRUE(DecideOverwrite(omReplaceExisting, true, f.Existing(), m, q));
    EXPECT_TRUE(DecideOverwrite(omAlways, true, f.Existing(), m, q));
    EXPECT_FALSE(DecideOverwrite(10, true, f.Existing(), m, q));
    EXPECT_FALSE(DecideOverwrite(255, true, f.Existing(), m, q));

    for (TFileOrder o : {TFileOrder::Lower, TFileOrder::Equal, TFileOrder::Higher}) {
        f.version = f.date = o;
        EXPECT_EQ(DecideOverwrite(omNewerVersion, true, f.Existing(), m, q), o == TFileOrder::Lower);
        EXPECT_EQ(DecideOverwrite(omNewerDate, true, f.Existing(), m, q), o == TFileOrder::Lower);
    }
    EXPECT_TRUE(q.events.empty());
}

TEST(OverwriteRules, ModeZeroWarnsOnceAfterNoToAllThenSkipsSilently) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    q.answers = {A::No, A::NoToAll};
    EXPECT_FALSE(DecideOverwrite(omAsk, true, f.Existing(), m, q)); // No: warned
    // The warning was shown, so a No To All skips every later mode-0 file at once.
    EXPECT_FALSE(DecideOverwrite(omAsk, true, f.Existing(), m, q));
    EXPECT_FALSE(DecideOverwrite(omAsk, true, f.Existing(), m, q));
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25", "warn14", "ask25"}));
    EXPECT_EQ(m.answerExists, 2);
}

TEST(OverwriteRules, ARememberedNoFromModeSevenStillLetsModeZeroAskUntilWarned) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    q.answers = {A::NoToAll, A::No};
    EXPECT_FALSE(DecideOverwrite(omAskExisting, true, f.Existing(), m, q)); // silent skip
    EXPECT_FALSE(DecideOverwrite(omAskExisting, true, f.Existing(), m, q)); // remembered
    EXPECT_FALSE(DecideOverwrite(omAsk, true, f.Existing(), m, q));         // asks, warns
    EXPECT_FALSE(DecideOverwrite(omAsk, true, f.Existing(), m, q));         // now remembered
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25", "ask25", "warn14"}));
}

TEST(OverwriteRules, ModeOneNeverSkipsAndAsksAgainAfterEveryNo) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    q.answers = {A::No, A::NoToAll, A::Yes};
    EXPECT_TRUE(DecideOverwrite(omAskNoSkip, true, f.Existing(), m, q));
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25", "warn15", "ask25", "warn15", "ask25"}));
    // Even the remembered No To All does not skip a mode-1 file.
    q.events.clear();
    q.answers = {A::YesToAll};
    EXPECT_TRUE(DecideOverwrite(omAskNoSkip, true, f.Existing(), m, q));
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25"}));
    // From now on Yes To All answers without a question, for every mode sharing the memory.
    q.events.clear();
    EXPECT_TRUE(DecideOverwrite(omAskNoSkip, true, f.Existing(), m, q));
    EXPECT_TRUE(DecideOverwrite(omAsk, true, f.Existing(), m, q));
    EXPECT_TRUE(DecideOverwrite(omAskExisting, true, f.Existing(), m, q));
    EXPECT_TRUE(q.events.empty());
}

TEST(OverwriteRules, CancelSkipsWhenTheRunEndsAndAsksAgainWhenItGoesOn) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    q.answers = {A::Cancel};
    EXPECT_FALSE(DecideOverwrite(omAskNoSkip, true, f.Existing(), m, q));
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25", "cancel"}));

    q.events.clear();
    q.abortOnCancel = false;
    q.answers = {A::Cancel, A::Yes};
    EXPECT_TRUE(DecideOverwrite(omAsk, true, f.Existing(), m, q));
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask25", "cancel", "ask25"}));
    EXPECT_EQ(m.answerExists, 0);
}

TEST(OverwriteRules, ByVersionAndByDateAskTheRightQuestionWithItsOwnMemory) {
    TOverwriteMemory m;
    TScriptedQuestions q;
    Facts f;
    // Equal: replaced without a question.
    EXPECT_TRUE(DecideOverwrite(omAskByVersion, true, f.Existing(), m, q));
    EXPECT_TRUE(q.events.empty());

    f.version = TFileOrder::Lower; // the package brings a newer version
    q.answers = {A::YesToAll};
    EXPECT_TRUE(DecideOverwrite(omAskByVersion, true, f.Existing(), m, q));
    EXPECT_TRUE(DecideOverwrite(omAskByVersion, true, f.Existing(), m, q)); // remembered
    EXPECT_EQ(m.answerNewer, 1);

    f.version = TFileOrder::Higher; // an older version: its own question and memory
    q.answers = {A::NoToAll};
    EXPECT_FALSE(DecideOverwrite(omAskByVersion, true, f.Existing(), m, q));
    EXPECT_FALSE(DecideOverwrite(omAskByVersion, true, f.Existing(), m, q));
    EXPECT_EQ(m.answerOlder, 2);
    EXPECT_EQ(q.events, (std::vector<std::string>{"ask26", "ask27"}));

    // Mode 9 reads dates only, and shares the memories.
    f.date = TFileOrder::Higher;
    f.versionReads = 0;
    EXPECT_FALSE(DecideOverwrite(omAskByDate, true, f.Existing(), m, q));
    EXPECT_EQ(f.versionReads, 0);
    EXPECT_EQ(f.dateReads, 1);
    EXPECT_EQ(m.answerExists, 0);
}

TEST(OverwriteRules, VersionsAndDatesCompareAsStored) {
    EXPECT_EQ(CompareFileVersions(0, 0, 0x00010000, 0), TFileOrder::Lower); // no version: 0.0
    EXPECT_EQ(CompareFileVersions(0x00010002, 5, 0x00010002, 5), TFileOrder::Equal);
    EXPECT_EQ(CompareFileVersions(0x00010002, 6, 0x00010002, 5), TFileOrder::Higher);
    EXPECT_EQ(CompareFileVersions(0x80000000, 0, 0x00010000, 0), TFileOrder::Higher); // unsigned
    EXPECT_EQ(CompareFileDates(0x30000000, 0x30000001), TFileOrder::Lower);
    EXPECT_EQ(CompareFileDates(int32_t(0x90000000), 0x30000000), TFileOrder::Lower); // signed
    EXPECT_EQ(CompareFileDates(-1, -1), TFileOrder::Equal);
}

} // namespace
} // namespace cvn
