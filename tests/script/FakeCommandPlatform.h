#pragma once

#include "script/CommandPlatform.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace cvn::test {

// The PC in memory: files are byte strings by path, folders a set, the registry a
// map, and every message box, program start and window request is recorded.
class TFakePc : public TMessageBoxes, public TPcFiles, public TPcRegistry, public TPcPrograms {
public:
    struct TBox {
        std::string title, text;
        TMessageIcon icon;
        bool yesNo, noIsDefault;
    };
    struct TKey {
        std::map<std::string, TRegValue> values;
    };

    // Message boxes
    std::vector<TBox> boxes;
    std::deque<bool> answers; // AskYesNo answers in order; No when none left
    void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override {
        boxes.push_back({title, text, icon, false, false});
    }
    bool AskYesNo(const std::string& title, const std::string& text, TMessageIcon icon,
                  bool noIsDefault) override {
        boxes.push_back({title, text, icon, true, noIsDefault});
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }

    // Files
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::map<std::string, TFileVersion> versions;
    std::vector<std::string> calls; // file and program operations, in order
    bool failWrites = false;

    class TFile : public TPcFile {
    public:
        TFile(TFakePc& pc, std::string path) : pc_(&pc), path_(std::move(path)) {}
        uint64_t Size() override { return Data().size(); }
        uint64_t Position() override { return pos_; }
        bool Seek(uint64_t p) override {
            if (p > Data().size()) return false;
            pos_ = p;
            return true;
        }
        size_t Read(void* buf, size_t n) override {
            const std::string& d = Data();
            size_t got = pos_ >= d.size() ? 0 : std::min(n, size_t(d.size() - pos_));
            std::memcpy(buf, d.data() + pos_, got);
            pos_ += got;
            return got;
        }
        bool Write(const void* data, size_t n) override {
            if (pc_->failWrites) return false;
            std::string& d = pc_->files[path_];
            if (d.size() < pos_ + n) d.resize(size_t(pos_ + n));
            std::memcpy(d.data() + pos_, data, n);
            pos_ += n;
            return true;
        }

    private:
        std::string& Data() { return pc_->files[path_]; }
        TFakePc* pc_;
        std::string path_;
        uint64_t pos_ = 0;
    };

    bool RemoveFile(const std::string& path) override {
        calls.push_back("delete " + path);
        return files.erase(path) > 0;
    }
    bool CopyFileTo(const std::string& source, const std::string& destination) override {
        calls.push_back("copy " + source + " -> " + destination);
        auto it = files.find(source);
        if (it == files.end()) return false;
        files[destination] = it->second;
        return true;
    }
    bool MoveFileTo(const std::string& source, const std::string& destination) override {
        calls.push_back("move " + source + " -> " + destination);
        auto it = files.find(source);
        if (it == files.end() || files.count(destination)) return false;
        files[destination] = it->second;
        files.erase(source);
        return true;
    }
    bool CreateFolder(const std::string& path) override {
        calls.push_back("mkdir " + path);
        return folders.insert(path).second;
    }
    bool RemoveFolder(const std::string& path) override {
        calls.push_back("rmdir " + path);
        return folders.erase(path) > 0;
    }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    // Supports a "*" in the last part only, enough for the tests' patterns.
    bool AnyFileMatches(const std::string& pattern) override {
        calls.push_back("match " + pattern);
        size_t star = pattern.find('*');
        for (const auto& [path, data] : files) {
            if (star == std::string::npos
                    ? path == pattern
                    : path.size() >= pattern.size() - 1 && path.compare(0, star, pattern, 0, star) == 0 &&
                          path.compare(path.size() - (pattern.size() - star - 1), std::string::npos, pattern,
                                       star + 1) == 0)
                return true;
        }
        return false;
    }
    uint64_t FileSize(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? 0 : it->second.size();
    }
    TFileVersion FileVersion(const std::string& path) override {
        auto it = versions.find(path);
        return it == versions.end() ? TFileVersion{} : it->second;
    }
    bool failOpen = false;
    std::unique_ptr<TPcFile> OpenReadWrite(const std::string& path) override {
        calls.push_back("open " + path);
        if (failOpen) return nullptr;
        files[path];
        return std::make_unique<TFile>(*this, path);
    }
    bool CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments,
                        const std::string& workingFolder) override {
        calls.push_back("link " + linkPath + " -> " + target + " [" + arguments + "] in " + workingFolder);
        files[linkPath] = target;
        return true;
    }

    // Registry: (root, key) -> values. A key in `deniedKeys` cannot be opened with full access.
    std::map<std::pair<TRegRoot, std::string>, TKey> keys;
    std::set<std::pair<TRegRoot, std::string>> deniedKeys;
    std::optional<TRegValue> ReadValue(TRegRoot root, const std::string& key, const std::string& name,
                                       bool fullAccess) override {
        if (fullAccess && deniedKeys.count({root, key})) return std::nullopt;
        auto k = keys.find({root, key});
        if (k == keys.end()) return std::nullopt;
        auto v = k->second.values.find(name);
        if (v == k->second.values.end()) return std::nullopt;
        return v->second;
    }
    bool WriteText(TRegRoot root, const std::string& key, const std::string& name,
                   const std::string& value) override {
        keys[{root, key}].values[name] = TRegValue::Text(value);
        return true;
    }
    bool WriteNumber(TRegRoot root, const std::string& key, const std::string& name, int32_t value) override {
        keys[{root, key}].values[name] = TRegValue::Dword(uint32_t(value));
        return true;
    }
    bool KeyExists(TRegRoot root, const std::string& key) override { return keys.count({root, key}) > 0; }
    bool DeleteValue(TRegRoot root, const std::string& key, const std::string& name) override {
        auto k = keys.find({root, key});
        return k != keys.end() && k->second.values.erase(name) > 0;
    }
    bool DeleteKey(TRegRoot root, const std::string& key) override { return keys.erase({root, key}) > 0; }

    // Programs and windows
    std::set<std::pair<std::string, std::string>> windows; // (class, title)
    std::vector<std::string> posted;
    void ShellOpen(const std::string& file, const std::string& folder) override {
        calls.push_back("open-doc " + file + " in " + folder);
    }
    bool Run(const std::string& program, const std::string& parameters, bool wait) override {
        calls.push_back("run \"" + program + "\" " + parameters + (wait ? " (wait)" : ""));
        return true;
    }
    bool WindowExists(const std::string& windowClass, const std::string& title) override {
        for (const auto& [c, t] : windows)
            if ((windowClass.empty() || c == windowClass) && (title.empty() || t == title)) return true;
        return false;
    }
    void CloseWindow(const std::string& windowClass, const std::string& title, bool quit) override {
        if (WindowExists(windowClass, title)) posted.push_back((quit ? "quit " : "close ") + windowClass);
    }
    std::vector<uint32_t> sleeps;
    void Sleep(uint32_t ms) override { sleeps.push_back(ms); }

    TCommandPlatform Platform() { return {this, this, this, this}; }
};

} // namespace cvn::test
