#include "Remover.h"

#include "install/SystemFolders.h"
#include "script/Languages.h"
#include "script/VariableList.h"
#include "script/Selection.h"

#include <set>
#include <utility>

namespace cvn {

namespace {

// Positions of the texts in the uninstall data's list of 24.
constexpr size_t kTextShared = 5, kTextTypeLib = 6, kTextServer = 7, kTextKey = 8, kTextValue = 9,
                 kTextConduit = 10;

bool IsFileKind(uint8_t kind) {
    return kind == ukFile || kind == ukDeviceFile;
}

// Files, icon files, folders and conduits count once; registry values once for the
// value and once for its keys. The uninstaller program itself is not counted.
int CountedSteps(uint8_t kind) {
    switch (kind) {
    case ukFile:
    case ukDeviceFile:
    case ukPlainFile:
    case ukDirectory:
    case ukConduit:
        return 1;
    case ukRegistryValue:
        return 2;
    default:
        return 0;
    }
}

// The key path and each of its parents: "A\B\C", "A\B", "A".
void AddKeyAndParents(std::set<std::string>& keys, std::string key) {
    while (!key.empty()) {
        keys.insert(key);
        size_t cut = key.rfind('\\');
        if (cut == std::string::npos) break;
        key.resize(cut);
    }
}

} // namespace

TRemovalTexts TRemovalTexts::From(const TUninstallData& data) {
    TRemovalTexts t;
    t.sharedQuestion = data.uninstallerTexts[kTextShared];
    t.typeLibQuestion = data.uninstallerTexts[kTextTypeLib];
    t.serverQuestion = data.uninstallerTexts[kTextServer];
    t.keyLabel = data.uninstallerTexts[kTextKey];
    t.valueLabel = data.uninstallerTexts[kTextValue];
    t.conduitError = data.uninstallerTexts[kTextConduit];
    t.buttons = data.promptButtons;
    t.fileLabels = data.fileLabels;
    // The uninstall data carries no text for this; the list it appears on is English
    // in any case where the product's texts are missing.
    t.removedAtRestart = "<file> (removed when Windows restarts)";
    return t;
}

// A file that belongs to several components must stay while any of them stays, so
// an entry belongs when one of its components goes and none of them is kept.
bool TRemover::Belongs(const std::string& components) const {
    if (components.empty()) return removeAll_;
    bool goes = false;
    for (const std::string& name : ComponentNames(components)) {
        if (ComponentListContains(kept_, name)) return false;
        if (ComponentListContains(remove_, name)) goes = true;
    }
    return goes;
}

bool TRemover::Step() {
    ++done_;
    if (hooks_.processMessages) hooks_.processMessages();
    bool goOn = true;
    if (hooks_.progress) hooks_.progress(total_, done_, goOn);
    return goOn;
}

void TRemover::Report(const std::string& text) {
    notRemoved_.push_back(text);
    if (hooks_.report) hooks_.report(text);
}

std::string TRemover::Expand(const std::string& text) const {
    return hooks_.expand ? hooks_.expand(text) : text;
}

bool TRemover::Decide(TQuestion question, const std::string& path) {
    if (remembered_[question] == 1) return true;
    if (remembered_[question] == 2) return false;
    const std::string& text = question == qShared    ? texts_.sharedQuestion
                              : question == qTypeLib ? texts_.typeLibQuestion
                                                     : texts_.serverQuestion;
    // Without anyone to ask, the safe choice: keep the file.
    TRemoveAnswer answer =
        hooks_.ask ? hooks_.ask(ReplacePlaceholder(Expand(text), "<file>", path), path) : TRemoveAnswer::No;
    if (answer == TRemoveAnswer::YesToAll) remembered_[question] = 1;
    if (answer == TRemoveAnswer::NoToAll) remembered_[question] = 2;
    return answer == TRemoveAnswer::Yes || answer == TRemoveAnswer::YesToAll;
}

// A file in use cannot go now: Windows removes it at the next restart, and the
// not-removed list says so.
void TRemover::DeleteOrSchedule(const std::string& path) {
    if (platform_.RemoveFile(path) || !platform_.FileExists(path)) return;
    if (platform_.RemoveFileAtRestart(path))
        Report(ReplacePlaceholder(texts_.removedAtRestart, "<file>", path));
    else
        Report(path);
}

bool TRemover::RemoveFileEntry(const TUninstallItem& item) {
    const TFileEntry& e = item.file;
    const std::string& path = item.path;
    const bool countsUses = e.shared && platform_.WindowsMajorVersion() > 3;
    if (countsUses) {
        // Another product still using the file keeps it without a question; the
        // question comes only when this was the last use.
        int32_t left = platform_.DecSharedDllCount(path);
        if (left > 0) return true;
        if (!Decide(qShared, path)) return true;
    } else if (e.shared) {
        if (!Decide(qShared, path)) return true;
    } else if (e.registerTypeLib) {
        if (!Decide(qTypeLib, path)) return true;
    } else if (e.registerServer || e.activeX) {
        if (!Decide(qServer, path)) return true;
    }
    if (e.registerTypeLib) platform_.UnregisterTypeLibrary(path);
    if (e.registerServer || e.activeX) platform_.UnregisterServer(path);
    if (e.font) platform_.UnregisterFont(path, e.fontName);
    DeleteOrSchedule(path);
    return true;
}

std::string TRemover::RootName(TRegRoot root) const {
    switch (root) {
    case TRegRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case TRegRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case TRegRoot::LocalMachine:
        break;
    }
    return "HKEY_LOCAL_MACHINE";
}

bool TRemover::Remove(std::vector<TUninstallItem>& log, const std::string& componentsToRemove,
                      const std::string& componentsKept, bool removeAll, bool dropRemoved) {
    notRemoved_.clear();
    remembered_ = {};
    if (log.empty()) return false;
    remove_ = componentsToRemove;
    kept_ = componentsKept;
    removeAll_ = removeAll;
    done_ = 0;
    total_ = 0;
    for (const TUninstallItem& item : log)
        total_ += CountedSteps(item.kind);
    std::vector<bool> handled(log.size(), false);

    // Files, newest first, so that what was created last goes first.
    for (size_t n = log.size(); n-- > 0;) {
        TUninstallItem& item = log[n];
        if (item.kind == ukPlainFile) {
            if (removeAll_) {
                DeleteOrSchedule(item.path);
                handled[n] = true;
            }
        } else if (IsFileKind(item.kind)) {
            if (Belongs(item.file.components)) handled[n] = RemoveFileEntry(item);
        } else if (item.kind == ukConduit) {
            if (removeAll_ && !platform_.UnregisterConduit(item.path))
                Report(Expand(texts_.conduitError) + " " + item.path);
            handled[n] = removeAll_;
        } else {
            continue;
        }
        if (!Step()) return false;
    }

    // Folders, the deepest (created last) first. The install folder is logged both
    // as itself and as an install folder ending in a backslash; it is named once.
    std::set<std::string> reportedFolders;
    for (size_t n = log.size(); n-- > 0;) {
        const TUninstallItem& item = log[n];
        if (item.kind != ukDirectory) continue;
        if (platform_.FolderExists(item.path) && (removeAll_ || platform_.FolderIsEmpty(item.path)))
            platform_.RemoveEmptyFolder(item.path);
        if (platform_.FolderExists(item.path)) {
            if (removeAll_ && reportedFolders.insert(AsciiUpperCopy(DropTrailingBackslash(item.path))).second)
                Report(item.path);
        } else {
            handled[n] = true;
        }
        if (!Step()) return false;
    }

    // Registry values, then the keys they leave empty. The log holds keys and names
    // expanded; a root code above 2 meant the root of the entry before, as it did
    // when the value was written.
    std::vector<TRegRoot> roots(log.size(), TRegRoot::CurrentUser);
    TRegRoot lastRoot = TRegRoot::CurrentUser;
    for (size_t n = 0; n < log.size(); ++n)
        if (log[n].kind == ukRegistryValue) {
            if (log[n].registry.root <= 2) lastRoot = TRegRoot(log[n].registry.root);
            roots[n] = lastRoot;
        }
    std::array<std::set<std::string>, 3> keys;
    for (size_t n = log.size(); n-- > 0;) {
        const TUninstallItem& item = log[n];
        if (item.kind != ukRegistryValue) continue;
        const TRegistryRecord& r = item.registry;
        if (Belongs(r.components)) {
            const TRegRoot root = roots[n];
            if (platform_.ValueExists(root, r.key, r.valueName) &&
                !platform_.DeleteValue(root, r.key, r.valueName))
                Report(Expand(texts_.keyLabel) + " " + RootName(root) + "\\" + r.key + "    " +
                       Expand(texts_.valueLabel) + " " + r.valueName);
            AddKeyAndParents(keys[size_t(root)], r.key);
            handled[n] = true;
        }
        if (!Step()) return false;
    }
    for (size_t root = 0; root < keys.size(); ++root) {
        // Sorted as text, a parent comes before its subkeys: from the last to the first
        // every subkey is tried before its parent.
        for (auto it = keys[root].rbegin(); it != keys[root].rend(); ++it) {
            const TRegRoot r = TRegRoot(root);
            if (!platform_.KeyIsEmpty(r, *it)) continue;
            if (!platform_.DeleteKey(r, *it) && platform_.KeyExists(r, *it))
                Report(Expand(texts_.keyLabel) + " " + RootName(r) + "\\" + *it);
        }
    }
    for (const TUninstallItem& item : log)
        if (item.kind == ukRegistryValue && !Step()) return false;

    if (dropRemoved) {
        std::vector<TUninstallItem> left;
        for (size_t n = 0; n < log.size(); ++n)
            if (!handled[n]) left.push_back(std::move(log[n]));
        log = std::move(left);
    }
    if (hooks_.progress) {
        bool goOn = true;
        hooks_.progress(total_, total_, goOn);
    }
    return true;
}

std::string UninstallDataPathOf(const std::string& uninstallString) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < uninstallString.size() && tokens.size() < 2) {
        while (i < uninstallString.size() && uninstallString[i] == ' ')
            ++i;
        if (i >= uninstallString.size()) break;
        std::string token;
        if (uninstallString[i] == '"') {
            size_t end = uninstallString.find('"', i + 1);
            if (end == std::string::npos) end = uninstallString.size();
            token = uninstallString.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            size_t end = uninstallString.find(' ', i);
            if (end == std::string::npos) end = uninstallString.size();
            token = uninstallString.substr(i, end - i);
            i = end;
        }
        tokens.push_back(token);
    }
    return tokens.size() == 2 ? tokens[1] : std::string();
}

} // namespace cvn
