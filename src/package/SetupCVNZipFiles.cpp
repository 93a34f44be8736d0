#include "SetupCVNZipFiles.h"

namespace cvn {

std::unique_ptr<InputStream> ArchiveFiles::OpenVolume(const std::string& path) {
    return FileInputStream::Open(path);
}

bool ArchiveFiles::PrepareFolder(const std::string& folder) {
    // One look at the disk when the folder is there already; a drive's root (never
    // created) or a failed creation is looked at again.
    const FolderResult r = CreateFolderPath(folder);
    return r == FolderResult::Existed || r == FolderResult::Created || FolderExists(folder);
}

bool ArchiveFiles::RemoveExisting(const std::string& path) {
    return DeleteFileForced(path);
}

std::unique_ptr<OutputFile> ArchiveFiles::CreateTarget(const std::string& path) {
    return CreateNewOutputFile(path);
}

std::unique_ptr<OutputFile> ArchiveFiles::ReopenTarget(const std::string& path) {
    return OpenOutputFileAtEnd(path);
}

namespace {

class DiscardedFile final : public OutputFile {
public:
    bool Write(const void*, size_t) override { return true; }
    bool SetDosDateTime(uint32_t) override { return true; }
};

} // namespace

std::unique_ptr<OutputFile> DiscardingArchiveFiles::CreateTarget(const std::string&) {
    return std::make_unique<DiscardedFile>();
}

std::unique_ptr<OutputFile> DiscardingArchiveFiles::ReopenTarget(const std::string&) {
    return std::make_unique<DiscardedFile>();
}

ArchiveFiles& ArchiveFiles::Default() {
    static ArchiveFiles files;
    return files;
}

} // namespace cvn
