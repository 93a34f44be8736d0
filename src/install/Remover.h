#pragma once

#include "core/Registry.h"
#include "package/UninstallData.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cvn {

// What removing an installation asks of and changes on the running system. The
// Win32 implementation is RemovalPlatform_win.cpp; tests give an in-memory Windows.
class TRemovalPlatform {
public:
    virtual ~TRemovalPlatform() = default;

    // Paths are Windows paths with backslashes.
    virtual bool FileExists(const std::string& path) = 0;
    // Deletes the file, clearing a read-only attribute first; true when it is gone.
    virtual bool RemoveFile(const std::string& path) = 0;
    // Asks Windows to delete the file at the next restart; true when that is recorded.
    virtual bool RemoveFileAtRestart(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool FolderIsEmpty(const std::string& path) = 0;
    // Removes the folder when it is empty; true when it is gone.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;

    virtual uint32_t WindowsMajorVersion() = 0;
    // Removes one use of a shared file; the uses left, or -1 when the file has no
    // count or the count cannot be changed.
    virtual int32_t DecSharedDllCount(const std::string& path) = 0;
    virtual bool UnregisterServer(const std::string& path) = 0;
    virtual bool UnregisterTypeLibrary(const std::string& path) = 0;
    virtual bool UnregisterFont(const std::string& fontFile, const std::string& fontName) = 0;
    virtual bool UnregisterConduit(const std::string& creatorId) = 0;

    // Registry: keys without leading or trailing backslash.
    virtual bool ValueExists(TRegRoot root, const std::string& key, const std::string& name) = 0;
    // True when the value is gone afterwards.
    virtual bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) = 0;
    virtual bool KeyExists(TRegRoot root, const std::string& key) = 0;
    // A key that exists and holds neither subkeys nor values.
    virtual bool KeyIsEmpty(TRegRoot root, const std::string& key) = 0;
    virtual bool DeleteKey(TRegRoot root, const std::string& key) = 0;
};

// The running Windows (RemovalPlatform_win.cpp; Windows only).
TRemovalPlatform& WindowsRemovalPlatform();

enum class TRemoveAnswer { Yes, YesToAll, No, NoToAll };

// The uninstaller texts a removal shows, taken from the uninstall data.
struct TRemovalTexts {
    std::string sharedQuestion;  // text 5, "<file>" = the path
    std::string typeLibQuestion; // text 6
    std::string serverQuestion;  // text 7
    std::string keyLabel;        // text 8
    std::string valueLabel;      // text 9
    std::string conduitError;    // message 63
    // The texts 24 to 29: Yes, Yes to all, No, No to all and the two file labels.
    std::array<std::string, 4> buttons;
    std::array<std::string, 2> fileLabels;
    // Shown with a file that is scheduled for removal at the next restart; "<file>"
    // is replaced by the path.
    std::string removedAtRestart;

    // The texts as an uninstall data file holds them.
    static TRemovalTexts From(const TUninstallData& data);
};

// What the remover asks and tells while it works.
struct TRemovalHooks {
    // A question about one file (the text already expanded, "<file>" replaced).
    std::function<TRemoveAnswer(const std::string& question, const std::string& path)> ask;
    // Each text put on the not-removed list.
    std::function<void(const std::string& text)> report;
    // After every counted entry; clearing goOn stops the removal.
    std::function<void(int total, int done, bool& goOn)> progress;
    std::function<void()> processMessages;
    // Variable expansion of the question and label texts; none: the texts as they are.
    std::function<std::string(const std::string&)> expand;
};

// Removes what an uninstall log holds: files and shortcuts (with their shared
// counts, server, type-library and font registrations), HotSync conduits, the
// folders that became empty, registry values and then the keys left empty.
class TRemover {
public:
    TRemover(TRemovalPlatform& platform, TRemovalTexts texts, TRemovalHooks hooks)
        : platform_(platform), texts_(std::move(texts)), hooks_(std::move(hooks)) {}

    // Removes the entries that belong to the components to remove (names separated
    // by "|") while none of their components is among those that stay; removeAll
    // also takes the entries without components, the product icon file and every
    // folder. False when the log is empty or the progress hook stopped the removal.
    // With dropRemoved the handled entries leave the log, which then holds what a
    // later uninstall data file still has to list.
    bool Remove(std::vector<TUninstallItem>& log, const std::string& componentsToRemove,
                const std::string& componentsKept, bool removeAll, bool dropRemoved = false);

    // The texts of everything the last removal could not remove, in order.
    const std::vector<std::string>& NotRemoved() const { return notRemoved_; }

private:
    enum TQuestion { qShared, qTypeLib, qServer, qCount };

    bool Belongs(const std::string& components) const;
    bool Step(); // one counted entry: messages, progress; false to stop
    void Report(const std::string& text);
    std::string Expand(const std::string& text) const;
    bool Decide(TQuestion question, const std::string& path);
    // A file entry: true when it was handled (removed or deliberately kept by use).
    bool RemoveFileEntry(const TUninstallItem& item);
    void DeleteOrSchedule(const std::string& path);
    std::string RootName(TRegRoot root) const;

    TRemovalPlatform& platform_;
    TRemovalTexts texts_;
    TRemovalHooks hooks_;
    std::vector<std::string> notRemoved_;
    std::array<int, qCount> remembered_{}; // 0 ask, 1 yes to all, 2 no to all
    std::string remove_, kept_;
    bool removeAll_ = false;
    int total_ = 0, done_ = 0;
};

// The second token of an "UninstallString" value: tokens are separated by spaces,
// and a token in double quotes may hold spaces (the quotes are not part of it).
// Empty when there is no second token.
std::string UninstallDataPathOf(const std::string& uninstallString);

} // namespace cvn
