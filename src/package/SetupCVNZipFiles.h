#pragma once

#include "core/FileSystem.h"
#include "core/Stream.h"

#include <memory>
#include <string>

namespace cvn {

// The file operations of an extraction pass. The default works on the real file
// system; a pass that only checks an archive (the fuzzer, or a tool that verifies
// a package) or a test that simulates a failing disk supplies its own.
class ArchiveFiles {
public:
    virtual ~ArchiveFiles() = default;

    // Opens an archive or volume file for reading with writing denied to others;
    // null when it does not exist or cannot be opened.
    virtual std::unique_ptr<InputStream> OpenVolume(const std::string& path);
    // Creates the folder with all missing parents; true when it exists afterwards.
    // A pass asks once for each folder, and again when a target in it cannot be created.
    virtual bool PrepareFolder(const std::string& folder);
    // Removes an existing target (read-only attribute cleared first); true when
    // the path is free afterwards. Asked only when CreateTarget failed.
    virtual bool RemoveExisting(const std::string& path);
    // Creates a target file where nothing is; null on failure, and when a file is there.
    virtual std::unique_ptr<OutputFile> CreateTarget(const std::string& path);
    // Reopens a target exclusively for writing at its end; null on failure.
    virtual std::unique_ptr<OutputFile> ReopenTarget(const std::string& path);

    // The real file system.
    static ArchiveFiles& Default();
};

// Decompresses and checks everything but writes nothing and opens no volume:
// for verifying an archive in memory.
class DiscardingArchiveFiles : public ArchiveFiles {
public:
    std::unique_ptr<InputStream> OpenVolume(const std::string&) override { return nullptr; }
    bool PrepareFolder(const std::string&) override { return true; }
    bool RemoveExisting(const std::string&) override { return true; }
    std::unique_ptr<OutputFile> CreateTarget(const std::string&) override;
    std::unique_ptr<OutputFile> ReopenTarget(const std::string&) override;
};

} // namespace cvn
