#include "SetupCVNZipFiles.h"

namespace cvn {

std::unique_ptr<InputStream> ArchiveFiles::OpenVolume(const std::string& path) {
    return FileInputStream::Open(path);
}

bool ArchiveFiles::PrepareFolder(const std::string& folder) {
    CreateFolderPath(folder);
    return FolderExists(folder);
}

bool ArchiveFiles::RemoveExisting(const std::string& path) {
    return DeleteFileForced(path);
}

std::unique_ptr<OutputFile> ArchiveFiles::CreateTarget(const std::string& path) {
    return CreateOutputFile(path);
}

std::unique_ptr<OutputFile> ArchiveFiles::ReopenTarget(const std::string& path) {
    return OpenOutputFileAtEnd(path);
}

ArchiveFiles& ArchiveFiles::Default() {
    static ArchiveFiles files;
    return files;
}

} // namespace cvn
