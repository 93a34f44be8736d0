#pragma once

#include "core/Event.h"
#include "install/InstallContext.h"
#include "install/InstallOverwrite.h"
#include "package/SetupCVNZip.h"
#include "package/UninstallData.h"
#include "script/SelectionQueries.h"

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// Kinds of progress reports.
enum TInstallProgressKind : int {
    ipStatus = 0,   // the status line gets the text
    ipDetail = 1,   // the detail line gets the text (empty clears it)
    ipPosition = 2, // the bar's position becomes the value (0-100)
    ipMaximum = 3,  // the bar's maximum becomes the value
};

// The billboard shown at a percentage with `count` pictures: -1 for none.
int BillboardIndex(int percent, int count);

// Name of the application icon file: the software name with the characters that
// cannot stand in a file name (and dots) replaced by "_", then ".ico".
std::string ApplicationIconFileName(std::string_view softwareName);

// The install engine: carries out one installation run once the wizard has the
// user's choices. The wizard creates it, calls its operations in this order and
// releases it: ShowBillboard(0), InstallFiles, CreateShortcuts, WriteRegistry,
// RemoveDeselectedComponents (maintenance mode), WriteUninstallData, the billboard
// window closed, GetAppManagerArgs / RunAppManager, DeleteCarrierFiles. Every
// operation returns at once when the run is aborted.
//
// Releasing the package data after an aborted run (the program is ending) is the
// owner's part: it asks Aborted() when the engine is gone.
class TCorvaneInstall {
public:
    explicit TCorvaneInstall(const TInstallContext& context);
    ~TCorvaneInstall();
    TCorvaneInstall(const TCorvaneInstall&) = delete;
    TCorvaneInstall& operator=(const TCorvaneInstall&) = delete;

    // The progress sink: (engine, kind, text, value).
    Event<TCorvaneInstall&, int, const std::string&, int> OnInstallProgress;

    void ShowBillboard(int percent);
    void InstallFiles();
    void CreateShortcuts();
    void WriteRegistry();
    void RemoveDeselectedComponents(int scale);
    void WriteUninstallData();
    std::string GetAppManagerArgs();
    void RunAppManager();
    void DeleteCarrierFiles();
    // Closes the billboard window if one was shown.
    void FreeBillboardWindow();

    // The wizard confirmed cancelling, or a fatal failure: stops the archive pass
    // and makes every later operation return at once.
    void Abort();
    bool Aborted() const { return aborted_; }

    // The top edge of the window that shows progress; billboards go above it.
    void SetProgressTop(int top) { progressTop_ = top; }
    int ProgressTop() const { return progressTop_; }

    const std::vector<TUninstallItem>& UninstallLog() const { return log_; }
    const std::string& IconPath() const { return iconPath_; }
    const std::string& AppManagerPath() const { return appManagerPath_; }
    int CurrentBillboard() const { return currentBillboard_; }
    int CurrentDisk() const { return currentDisk_; }
    const TOverwriteMemory& OverwriteMemory() const { return memory_; }
    TSetupCVNZip& Archive() { return archive_; }

    // Handlers of the archive reader's events, bound at creation. Public so that
    // the rules can be exercised member by member.
    void ArchiveProgress(int32_t memberId, int32_t percent, bool& goOn);
    void ArchiveMessage(const std::string& componentName);
    void ArchiveRestoreFile(int32_t memberId, std::string& target, bool& write, int32_t dosDateTime,
                            int32_t& kind);
    void ArchiveFileRestored(int32_t memberId, const std::string& target, int32_t kind);
    void ArchiveCannotReplace(int32_t memberId, const std::string& target);
    void ArchiveNeedVolume(uint16_t disk, std::string& volumePath, bool& goOn);
    void ArchiveError(int32_t code);

private:
    class TQuestions;
    friend class TQuestions;

    // Progress reports; a status report lets the windows catch up, and so does a position
    // report 20 ms or more after the last catch-up.
    void Report(int kind, const std::string& text, int value = 0);
    void Status(int message);
    void ClearDetail() { Report(ipDetail, {}); }
    std::string Message(int number, std::string_view placeholder = {}, std::string_view value = {}) const;
    void ShowError(int message, std::string_view placeholder = {}, std::string_view value = {});
    // Message 10, the end of the program.
    void FailFolder();

    std::string Expand(std::string_view text) const;
    std::string InstallDir() const; // expanded, with a trailing backslash
    bool Maintenance() const;
    bool ItemInstalled(const std::string& components, const std::string& condition) const;
    const TFileRecord* FindFileRecord(int32_t memberId) const;
    bool IsIconFile(const std::string& path) const;
    void Log(uint8_t kind, std::string path);
    // Folders this run made, where only what the run wrote can be: their targets need no
    // look at the disk (KnownMissing) unless a member was written there before.
    void NoteFreshFolder(const std::string& folder);
    bool KnownMissing(const std::string& target) const;

    // InstallFiles steps.
    bool CreateInstallFolders();
    void ExtractArchives();
    bool ExtractPart(const std::string& path, int32_t offset, int32_t base, int32_t span, int32_t max);
    void RegisterInstalledFiles();
    void RegisterConduits();

    // CreateShortcuts steps.
    bool CreateProgramGroup();
    bool CreateProgramGroupFolders();
    // Creates, in case-insensitive order, each of `folders` that a selected item uses
    // (`isUsed`), logging what it made; false after a folder could not be made.
    bool CreateUsedFolders(std::vector<std::string> folders,
                           bool (TSelectionQueries::*isUsed)(std::string_view) const);
    void CreateShortcut(const TShortcutRecord& shortcut);
    std::string ShortcutTarget(const TShortcutRecord& shortcut) const;

    void WriteUninstallKey(bool logValues);

    TInstallContext ctx_;
    TSelectionQueries queries_; // the package's items under the current selection
    int progressBase_ = 0;
    std::vector<TUninstallItem> log_;
    int currentBillboard_ = -1;
    bool shortcutErrorShown_ = false;
    TOverwriteMemory memory_; // AnswerNewer, AnswerOlder, AnswerExists and the skip warning
    bool billboardShown_ = false;
    int currentDisk_ = 1;
    std::string appManagerPath_;
    std::string iconPath_;
    std::set<std::string> freshFolders_;   // upper case, without a trailing backslash
    std::set<std::string> writtenTargets_; // upper case: every member file written this run
    bool aborted_ = false;
    std::chrono::steady_clock::time_point lastPump_{};
    int progressTop_ = 0;
    TSetupCVNZip archive_;
};

} // namespace cvn
