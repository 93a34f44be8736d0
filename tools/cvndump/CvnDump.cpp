// cvndump: prints the package appended to a setup executable as JSON.
//
//   cvndump [--stub-length N] FILE
//   cvndump --project FOLDER FILE
//
// FILE is a setup executable with its package, or with --stub-length a bare
// package cut from one whose stub was N bytes long (the package's offsets count
// from the start of the executable). Exit status: 0 printed, 1 usage error or
// unreadable file, 2 damaged package (the reason goes to stderr).
//
// With --project the package is written back as a project: FOLDER/project.toml
// and the members of its archives (inside the executable, in volume files beside
// it, or a component's own) in FOLDER/files; packing that project again gives the
// same package bytes and volume files.

#include "PackageJson.h"
#include "Project.h"
#include "TextEncoding.h"

#include "core/Stream.h"
#include "package/PackageReader.h"
#include "package/CVNZipWriter.h"
#include "package/SetupCVNZip.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Presents a bare package as if the stub's bytes (zeros) stood before it.
class PrefixedStream final : public cvn::InputStream {
public:
    PrefixedStream(cvn::InputStream& inner, uint64_t prefix) : inner_(inner), prefix_(prefix) {}

    size_t Read(void* buf, size_t n) override {
        size_t done = 0;
        auto* out = static_cast<uint8_t*>(buf);
        if (pos_ < prefix_) {
            size_t zeros = size_t(std::min<uint64_t>(n, prefix_ - pos_));
            std::memset(out, 0, zeros);
            done = zeros;
            pos_ += zeros;
        }
        if (done < n) {
            if (!inner_.Seek(pos_ - prefix_)) return done;
            size_t got = inner_.Read(out + done, n - done);
            done += got;
            pos_ += got;
        }
        return done;
    }
    bool Seek(uint64_t pos) override {
        if (pos > Size()) return false;
        pos_ = pos;
        return true;
    }
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return prefix_ + inner_.Size(); }

private:
    cvn::InputStream& inner_;
    uint64_t prefix_;
    uint64_t pos_ = 0;
};

int Usage() {
    std::fprintf(stderr, "usage: cvndump [--stub-length N] FILE\n       cvndump --project FOLDER FILE\n");
    return 1;
}

// The name a member is saved as: the file name its file record or support file
// gives, in a folder of its id when two members share a name.
std::string MemberName(const cvn::TPackage& p, int32_t id, std::set<std::string>& used) {
    std::string name;
    for (const cvn::TFileRecord& f : p.files)
        if (f.memberId == id && name.empty()) name = f.entry.sourceName;
    for (const cvn::TSupportFile& f : p.supportFiles)
        if (f.memberId == id && name.empty()) name = f.entry.sourceName;
    size_t slash = name.find_last_of("/\\:");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") name = "member" + std::to_string(id);
    // The project names its files in UTF-8, as it writes every text.
    name = cvn::project::AnsiToUtf8(name);
    std::string path = "files/" + name;
    if (!used.insert(path).second) {
        path = "files/" + std::to_string(id) + "/" + name;
        used.insert(path);
    }
    return path;
}

std::vector<uint64_t> FileSizes(const std::vector<std::string>& paths) {
    std::vector<uint64_t> sizes;
    std::error_code ec;
    for (const std::string& p : paths)
        sizes.push_back(std::filesystem::file_size(p, ec));
    return sizes;
}

bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    return fa && fb &&
           std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>());
}

// The volume size that splits the members into the same volumes again. The package
// does not record it, so the members are packed again: the writer fills each volume
// greedily, so a larger size never gives a shorter run of volume sizes, and the
// smallest size giving the same run is found by halving the range.
std::optional<uint64_t> FindVolumeSize(const std::vector<std::string>& volumes,
                                       const std::vector<cvn::project::TArchiveMember>& members,
                                       const std::string& headerText, const std::string& folder) {
    namespace fs = std::filesystem;
    const std::vector<uint64_t> wanted = FileSizes(volumes);
    const std::string replay = (fs::path(folder) / "volume-check.exe").string();
    std::vector<std::string> made;
    auto pack = [&](uint64_t size) -> std::optional<std::vector<uint64_t>> {
        for (const std::string& p : made)
            std::remove(p.c_str());
        cvn::TCVNZipWriter zip;
        if (!zip.CreateVolumes(replay, size, headerText)) return std::nullopt;
        for (const cvn::project::TArchiveMember& m : members) {
            auto in = cvn::FileInputStream::Open((fs::path(folder) / fs::u8path(m.file)).string());
            if (!in || !zip.AddMember(m.id, int32_t(m.date.value_or(0)), *in)) return std::nullopt;
        }
        if (!zip.Finish()) return std::nullopt;
        made = zip.VolumePaths();
        return FileSizes(made);
    };
    uint64_t low = cvn::TCVNZipWriter::kMinVolumeSize, high = 0;
    for (uint64_t s : wanted)
        high = std::max(high, s);
    // A volume ends early at most by a whole block that did not fit.
    high = std::max(high, low) + 70 * 1024;
    std::optional<uint64_t> found;
    while (low <= high) {
        uint64_t mid = low + (high - low) / 2;
        std::optional<std::vector<uint64_t>> got = pack(mid);
        if (!got) break;
        if (*got == wanted) {
            found = mid;
            high = mid - 1;
        } else if (*got < wanted) {
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    bool same = false;
    if (found && pack(*found) && made.size() == volumes.size()) {
        same = true;
        for (size_t i = 0; i < made.size(); ++i)
            same = same && SameBytes(made[i], volumes[i]);
    }
    for (const std::string& p : made)
        std::remove(p.c_str());
    return same ? found : std::nullopt;
}

// Extracts one archive's members into FOLDER/files, adding them to `members`.
int ExtractMembers(cvn::TSetupCVNZip& zip, const std::function<bool()>& pass, const std::string& folder,
                   const std::string& path, const cvn::TPackage& package, std::set<std::string>& used,
                   std::vector<cvn::project::TArchiveMember>& members) {
    namespace fs = std::filesystem;
    std::error_code ec;
    zip.OnRestoreFile.Bind([&](int32_t id, std::string& target, bool& extract, int32_t date, int32_t&) {
        std::string name = MemberName(package, id, used);
        fs::create_directories((fs::path(folder) / fs::u8path(name)).parent_path(), ec);
        target = (fs::path(folder) / fs::u8path(name)).string();
        extract = true;
        members.push_back({id, name, uint32_t(date)});
    });
    try {
        if (!pass()) {
            std::fprintf(stderr, "cvndump: %s: the archive could not be read\n", path.c_str());
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cvndump: %s: %s\n", path.c_str(), e.what());
        return 2;
    }
    return 0;
}

int WriteProjectFolder(const std::string& folder, const std::string& path, cvn::InputStream& stream,
                       const cvn::TPackage& package, const cvn::TPackageLayout& layout) {
    namespace fs = std::filesystem;
    cvn::project::TProject project;
    project.package = package;
    std::error_code ec;
    fs::create_directories(fs::path(folder) / "files", ec);
    std::set<std::string> used;
    std::optional<std::string> header;
    int rc = 0;
    if (layout.MainArchiveInVolumes()) {
        // Volume files are named after the setup program: .001, .002, ...
        std::string stem = path;
        if (size_t dot = stem.find_last_of("./\\"); dot != std::string::npos && stem[dot] == '.')
            stem.resize(dot);
        std::vector<std::string> volumes;
        for (int i = 1; i <= 999; ++i) {
            char ext[8];
            std::snprintf(ext, sizeof ext, ".%03d", i);
            if (!fs::exists(stem + ext, ec)) break;
            volumes.push_back(stem + ext);
        }
        if (volumes.empty()) {
            std::fprintf(stderr, "cvndump: %s: the volume file %s.001 is missing\n", path.c_str(),
                         stem.c_str());
            return 1;
        }
        if (auto first = cvn::FileInputStream::Open(volumes.front()))
            header = cvn::ReadArchiveHeaderText(*first, 0);
        cvn::TSetupCVNZip zip;
        rc = ExtractMembers(
            zip, [&] { return zip.ExtractFromFile(volumes.front(), folder); }, folder, path, package, used,
            project.members);
        if (rc) return rc;
        std::optional<uint64_t> size = FindVolumeSize(
            volumes, project.members, header.value_or(cvn::TCVNZipWriter::kDefaultHeaderText), folder);
        if (!size) {
            std::fprintf(stderr, "cvndump: %s: no volume size packs these volumes again\n", path.c_str());
            return 1;
        }
        project.volumeSize = *size;
    } else if (package.progress.mainArchiveSize > 0) {
        header = cvn::ReadArchiveHeaderText(stream, layout.archiveOffset);
        cvn::TSetupCVNZip zip;
        rc = ExtractMembers(
            zip,
            [&] { return stream.Seek(layout.archiveOffset) && zip.ExtractFromStream(stream, folder, path); },
            folder, path, package, used, project.members);
        if (rc) return rc;
    }
    project.componentMembers.resize(package.components.size());
    for (size_t i = 0; i < package.components.size(); ++i) {
        const cvn::TComponentRecord& c = package.components[i];
        if (c.archiveSize <= 0) continue;
        if (!header) header = cvn::ReadArchiveHeaderText(stream, uint64_t(c.archiveOffset));
        cvn::TSetupCVNZip zip;
        rc = ExtractMembers(
            zip,
            [&] {
                return stream.Seek(uint64_t(c.archiveOffset)) && zip.ExtractFromStream(stream, folder, path);
            },
            folder, path, package, used, project.componentMembers[i]);
        if (rc) return rc;
    }
    // The project has one header text for all its archives: the main archive's, or
    // with none the first component archive's. The writer's own needs no mention.
    if (header && *header != cvn::TCVNZipWriter::kDefaultHeaderText) project.headerText = header;
    std::string text = cvn::project::WriteProject(project);
    std::ofstream out(fs::path(folder) / "project.toml", std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cvndump: cannot write %s/project.toml\n", folder.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t stubLength = 0;
    bool bare = false;
    std::string path, projectFolder;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--project" && i + 1 < argc) {
            projectFolder = argv[++i];
        } else if (arg == "--stub-length" && i + 1 < argc) {
            char* end = nullptr;
            stubLength = std::strtoull(argv[++i], &end, 10);
            if (!end || *end) return Usage();
            bare = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (path.empty()) {
            path = arg;
        } else {
            return Usage();
        }
    }
    if (path.empty()) return Usage();

    auto file = cvn::FileInputStream::Open(path);
    if (!file) {
        std::fprintf(stderr, "cvndump: cannot open %s\n", path.c_str());
        return 1;
    }
    std::unique_ptr<PrefixedStream> prefixed;
    cvn::InputStream* stream = file.get();
    if (bare) {
        prefixed = std::make_unique<PrefixedStream>(*file, stubLength);
        stream = prefixed.get();
    }

    cvn::TPackageReader reader(*stream);
    cvn::TPackage package;
    cvn::PackageResult res = reader.ReadAll(package);
    if (!res) {
        std::fprintf(stderr, "cvndump: %s: %s\n", path.c_str(), res.reason.c_str());
        return res.status == cvn::PackageStatus::Corrupted ? 2 : 1;
    }
    if (!projectFolder.empty())
        return WriteProjectFolder(projectFolder, path, *stream, package, reader.Layout());
    std::string text = cvn::json::Print(cvn::json::PackageToJson(package, &reader.Layout()));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
