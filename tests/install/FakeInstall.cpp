#include "FakeInstall.h"

#include "core/Stream.h"

namespace cvn::test {

namespace {

std::string DropSlash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

class TFakeOutput final : public OutputFile {
public:
    TFakeOutput(TFakePlatform& fs, std::string key) : fs_(fs), key_(std::move(key)) {}
    bool Write(const void* data, size_t n) override {
        fs_.files[key_].bytes.append(static_cast<const char*>(data), n);
        return true;
    }
    bool SetDosDateTime(uint32_t dosDateTime) override {
        fs_.files[key_].age = int32_t(dosDateTime);
        return true;
    }

private:
    TFakePlatform& fs_;
    std::string key_;
};

} // namespace

TFakeFile& TFakePlatform::PutFile(const std::string& path, std::string bytes) {
    size_t cut = path.rfind('\\');
    if (cut != std::string::npos) CreateFolderPath(path.substr(0, cut));
    TFakeFile& f = files[Key(path)];
    f.bytes = std::move(bytes);
    return f;
}

const TFakeValue* TFakePlatform::Value(TRegRoot root, const std::string& key, const std::string& name) const {
    auto it = values.find({root, Key(key), Key(name)});
    return it == values.end() ? nullptr : &it->second;
}

bool TFakePlatform::FolderExists(const std::string& path) {
    return folders.count(Key(DropSlash(path))) != 0;
}

bool TFakePlatform::CreateFolderPath(const std::string& path) {
    const std::string key = Key(DropSlash(path));
    for (size_t at = 0; at != std::string::npos;) {
        at = key.find('\\', at + 1);
        std::string part = key.substr(0, at);
        if (part.size() == 2 && part[1] == ':') continue; // a drive
        if (failingFolders.count(part)) return false;
        if (folders.insert(part).second) calls.push_back("mkdir " + part);
    }
    return true;
}

bool TFakePlatform::RemoveFile(const std::string& path) {
    auto it = files.find(Key(path));
    if (it == files.end()) return true;
    if (it->second.locked) return false;
    files.erase(it);
    calls.push_back("delete " + Key(path));
    return true;
}

bool TFakePlatform::RemoveEmptyFolder(const std::string& path) {
    const std::string key = Key(DropSlash(path));
    const std::string inside = key + "\\";
    for (const auto& [name, file] : files)
        if (name.rfind(inside, 0) == 0) return false;
    for (const std::string& name : folders)
        if (name.rfind(inside, 0) == 0) return false;
    calls.push_back("rmdir " + key);
    return folders.erase(key) != 0;
}

bool TFakePlatform::WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    auto it = files.find(Key(path));
    if (it != files.end() && it->second.locked) return false;
    PutFile(path, std::string(bytes.begin(), bytes.end()));
    return true;
}

void TFakePlatform::ReadFileVersion(const std::string& path, uint32_t& ms, uint32_t& ls) {
    ms = ls = 0;
    if (!Has(path)) return;
    ms = File(path).versionMS;
    ls = File(path).versionLS;
}

bool TFakePlatform::Register(std::vector<std::string>& list, const std::string& path) {
    if (failingRegistrations.count(Key(path))) return false;
    list.push_back(path);
    if (&list == &sharedCounts) ++uses[Key(path)];
    return true;
}

bool TFakePlatform::Unregister(const std::string& what) {
    removals.push_back(what);
    calls.push_back(what);
    return true;
}

bool TFakePlatform::RemoveFileAtRestart(const std::string& path) {
    atRestart.push_back(path);
    return true;
}

bool TFakePlatform::FolderIsEmpty(const std::string& path) {
    const std::string inside = Key(DropSlash(path)) + "\\";
    for (const auto& [name, file] : files)
        if (name.rfind(inside, 0) == 0) return false;
    for (const std::string& name : folders)
        if (name.rfind(inside, 0) == 0) return false;
    return true;
}

int32_t TFakePlatform::DecSharedDllCount(const std::string& path) {
    auto it = uses.find(Key(path));
    if (it == uses.end()) return -1;
    int32_t left = --it->second;
    if (left <= 0) uses.erase(it);
    return left;
}

bool TFakePlatform::DeleteValue(TRegRoot root, const std::string& key, const std::string& name) {
    if (failingKeys.count(Key(key))) return false;
    values.erase({root, Key(key), Key(name)});
    calls.push_back("unreg " + key + " " + name);
    return true;
}

bool TFakePlatform::KeyIsEmpty(TRegRoot root, const std::string& key) {
    if (!KeyExists(root, key)) return false;
    const std::string inside = Key(key) + "\\";
    for (const auto& [k, v] : keys)
        if (k == root && v.rfind(inside, 0) == 0) return false;
    for (const auto& [k, v] : values)
        if (std::get<0>(k) == root && std::get<1>(k) == Key(key)) return false;
    return true;
}

bool TFakePlatform::DeleteKey(TRegRoot root, const std::string& key) {
    if (failingKeys.count(Key(key))) return false;
    calls.push_back("delkey " + Key(key));
    return keys.erase({root, Key(key)}) != 0;
}

bool TFakePlatform::RegisterFont(const std::string& file, const std::string& name, bool addNow) {
    if (!addNow) return false;
    fontFiles.push_back(file);
    fontNames.push_back(name);
    return true;
}

bool TFakePlatform::CreateRegistryKey(TRegRoot root, const std::string& key) {
    if (failingKeys.count(Key(key))) return false;
    keys.insert({root, Key(key)});
    return true;
}

TRegistryWrite TFakePlatform::WriteRegistryValue(TRegRoot root, const std::string& key,
                                                 const std::string& name, TRegistryValueType type,
                                                 const std::string& bytes) {
    if (!CreateRegistryKey(root, key)) return TRegistryWrite::KeyFailed;
    values[{root, Key(key), Key(name)}] = {type, bytes};
    calls.push_back("reg " + key + " " + name);
    return TRegistryWrite::Written;
}

bool TFakePlatform::CreateShellLink(const TShellLinkSpec& link) {
    if (linksFail) return false;
    links.push_back(link);
    PutFile(link.linkPath, "link");
    return true;
}

std::unique_ptr<InputStream> TFakePlatform::OpenVolume(const std::string& path) {
    if (!Has(path)) return nullptr;
    const std::string& b = File(path).bytes;
    return std::make_unique<MemoryInputStream>(std::vector<uint8_t>(b.begin(), b.end()));
}

bool TFakePlatform::RemoveExisting(const std::string& path) {
    auto it = files.find(Key(path));
    if (it == files.end()) return true;
    if (it->second.locked) return false;
    files.erase(it);
    return true;
}

std::unique_ptr<OutputFile> TFakePlatform::CreateTarget(const std::string& path) {
    if (Has(path) || unwritableTargets.count(Key(path))) return nullptr;
    files[Key(path)] = TFakeFile{};
    calls.push_back("write " + Key(path));
    return std::make_unique<TFakeOutput>(*this, Key(path));
}

std::unique_ptr<OutputFile> TFakePlatform::ReopenTarget(const std::string& path) {
    if (!Has(path) || File(path).locked) return nullptr;
    return std::make_unique<TFakeOutput>(*this, Key(path));
}

TOverwriteAnswer TFakeUi::AskOverwrite(const TOverwritePrompt& prompt) {
    overwritePrompts.push_back(prompt);
    if (overwriteAnswers.empty()) return TOverwriteAnswer::No;
    TOverwriteAnswer a = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return a;
}

bool TFakeUi::AskNextDisk(const TNextDiskPrompt& prompt, std::string& folder) {
    diskPrompts.push_back(prompt);
    if (diskAnswers.empty()) return false;
    folder = diskAnswers.front();
    diskAnswers.pop_front();
    return !folder.empty();
}

std::vector<std::string> TFakeUi::Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages)
        texts.push_back(m.text);
    return texts;
}

} // namespace cvn::test
