// cvnpack: builds a setup executable from a stub and a project file (.toml) or a
// JSON package description.
//
//   cvnpack --stub STUB.exe --out SETUP.exe [--uninstaller FILE] PROJECT.toml|DESCRIPTION.json
//   cvnpack --statements        prints the script and control reference (Markdown)
//
// A project's mistakes are all reported as "file:line: message", and then nothing
// is written. docs/authoring.md describes the project file.
//
// The description is the package in the JSON form that cvndump prints (absent
// fields keep their defaults), plus an optional "archives" object that says what
// goes into the archives (docs/cvndump.md describes it). Relative file names are
// taken from the description's folder. Exit status: 0 written, 1 failure.
//
// Unless the description names an uninstaller of its own (a file record for
// "CVNUNINST.DAT" with the condition "uninstaller"), the main archive carries the
// uninstaller program: --uninstaller FILE, else the cvnuninst.exe built beside the stub.

#include "PackageJson.h"
#include "Project.h"

#include "package/CVNZipWriter.h"
#include "package/ControlNames.h"
#include "package/PackageWriter.h"
#include "package/StatementCodes.h"

#include <sys/stat.h>

#include <algorithm>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
    throw Failure{message};
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot open " + path);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) Fail("cannot read " + path);
    return data;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    out.close();
    if (!out) Fail("cannot write " + path);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAbsolute(const std::string& p) {
    return (!p.empty() && (p[0] == '/' || p[0] == '\\')) || (p.size() > 1 && p[1] == ':');
}

// The file's modification time as an MS-DOS date and time (local time).
uint32_t DosDateOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return 0;
    time_t t = st.st_mtime;
    const std::tm* tm = std::localtime(&t);
    if (!tm || tm->tm_year < 80) return 0x00210000; // 1980-01-01, the earliest date the format holds
    return uint32_t(tm->tm_year - 80) << 25 | uint32_t(tm->tm_mon + 1) << 21 | uint32_t(tm->tm_mday) << 16 |
           uint32_t(tm->tm_hour) << 11 | uint32_t(tm->tm_min) << 5 | uint32_t(tm->tm_sec / 2);
}

struct Member {
    int32_t id = 0;
    std::string file;
    uint32_t date = 0;
    uint32_t size = 0;
};

using cvn::json::Value;

int32_t IntField(const Value& obj, const char* key, const std::string& where, bool required) {
    const Value* v = obj.Find(key);
    if (!v) {
        if (required) Fail(where + ": \"" + key + "\" is missing");
        return 0;
    }
    if (!v->IsNumber() || v->AsNumber() < -2147483648.0 || v->AsNumber() > 4294967295.0)
        Fail(where + "." + key + ": expected a 32-bit number");
    return int32_t(uint32_t(int64_t(v->AsNumber())));
}

std::vector<Member> MembersOf(const Value& list, const std::string& where, const std::string& base) {
    if (!list.IsArray()) Fail(where + ": expected an array of members");
    std::vector<Member> members;
    for (size_t i = 0; i < list.Items().size(); ++i) {
        const Value& m = list.Items()[i];
        std::string at = where + "[" + std::to_string(i) + "]";
        if (!m.IsObject()) Fail(at + ": expected an object");
        for (const auto& [k, v] : m.Members())
            if (k != "id" && k != "file" && k != "date") Fail(at + ": unknown field \"" + k + "\"");
        Member member;
        member.id = IntField(m, "id", at, true);
        if (member.id < 0) Fail(at + ".id: member ids are 0 or more");
        const Value* file = m.Find("file");
        if (!file || !file->IsString()) Fail(at + ": \"file\" must name the member's file");
        member.file = IsAbsolute(file->AsString()) ? file->AsString() : base + file->AsString();
        member.date = m.Find("date") ? uint32_t(IntField(m, "date", at, false)) : DosDateOf(member.file);
        members.push_back(std::move(member));
    }
    return members;
}

void AddMembers(cvn::TCVNZipWriter& zip, std::vector<Member>& members) {
    for (Member& m : members) {
        std::vector<uint8_t> data = ReadFile(m.file);
        m.size = uint32_t(data.size());
        if (!zip.AddMember(m.id, int32_t(m.date), data)) Fail("archive: " + zip.Error());
    }
}

std::vector<uint8_t> MemoryArchive(std::vector<Member>& members, const std::string& header) {
    cvn::TCVNZipWriter zip;
    if (!zip.CreateInMemory(header)) Fail("archive: " + zip.Error());
    AddMembers(zip, members);
    if (!zip.Finish()) Fail("archive: " + zip.Error());
    return zip.TakeData();
}

// The main archive: inside the executable, or with a volume size in volume files
// named after the setup program.
void MainArchive(std::vector<Member>& members, const std::string& header, uint64_t volumeSize,
                 const std::string& outPath, cvn::TArchiveParts& parts) {
    if (volumeSize == 0) {
        parts.mainArchive = MemoryArchive(members, header);
        return;
    }
    cvn::TCVNZipWriter zip;
    if (!zip.CreateVolumes(outPath, volumeSize, header)) Fail("archive: " + zip.Error());
    AddMembers(zip, members);
    if (!zip.Finish()) Fail("archive: " + zip.Error());
    parts.mainArchiveInVolumes = true;
    for (const std::string& vol : zip.VolumePaths()) {
        struct stat st {};
        if (stat(vol.c_str(), &st) == 0) parts.volumeArchiveSize += uint64_t(st.st_size);
    }
}

bool IsUninstallerRecord(const cvn::TFileRecord& f) {
    const std::string& name = f.entry.sourceName;
    const size_t cut = name.find_last_of("\\/:");
    std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    for (char& c : file)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return file == "CVNUNINST.DAT" && f.entry.condition == "uninstaller";
}

// The uninstaller goes into the Windows folder, where the list of installed
// programs starts it; a newer build replaces an older one there.
void AddUninstaller(cvn::TPackage& package, std::vector<Member>& mainMembers, const std::string& program,
                    bool named) {
    for (const cvn::TFileRecord& f : package.files)
        if (IsUninstallerRecord(f)) return;
    struct stat st {};
    if (stat(program.c_str(), &st) != 0) {
        if (named) Fail("cannot open the uninstaller " + program);
        std::printf("cvnpack: no %s: the package carries no uninstaller\n", program.c_str());
        return;
    }
    int32_t id = 0;
    for (const cvn::TFileRecord& f : package.files)
        id = std::max(id, f.memberId + 1);
    for (const Member& m : mainMembers)
        id = std::max(id, m.id + 1);
    mainMembers.push_back({id, program, DosDateOf(program), 0});
    cvn::TFileRecord record;
    record.memberId = id;
    record.entry.sourceName = "CVNUNINST.DAT";
    record.entry.targetDir = "%WinDir%\\";
    record.entry.overwriteMode = 5; // the newer date wins
    record.entry.condition = "uninstaller";
    package.files.push_back(record);
}

// File records of archived members take the member's size and
// date when the description leaves them at 0.
void FillFileFacts(cvn::TPackage& p, const std::vector<Member>& members) {
    for (cvn::TFileRecord& f : p.files)
        for (const Member& m : members)
            if (m.id == f.memberId) {
                if (f.fileSize == 0) f.fileSize = m.size;
                if (f.fileDate == 0) f.fileDate = m.date;
            }
}

int Usage() {
    std::fprintf(stderr, "usage: cvnpack --stub STUB.exe --out SETUP.exe [--uninstaller FILE] "
                         "PROJECT.toml|DESCRIPTION.json\n"
                         "       cvnpack --statements\n");
    return 1;
}

// The statement table as the guide's reference: name, parameters as the script
// text takes them, what they mean.
void PrintStatements() {
    std::printf("| Code | Statement | Parameters |\n|---|---|---|\n");
    for (const cvn::StatementInfo& s : cvn::kStatementTable) {
        std::string params = s.params.empty() ? "none" : std::string(s.params);
        std::printf("| %d | `%s` | %s |\n", int(s.code), std::string(s.name).c_str(), params.c_str());
    }
    std::printf("\n#### Control kinds\n\n| Number | `kind` | Texts stored |\n|---|---|---|\n");
    for (const cvn::TControlKindInfo& k : cvn::ControlKinds())
        std::printf("| %d | `%s` | %d |\n", int(k.kind), std::string(k.name).c_str(), k.textCount);
    std::printf("\n#### Content roles\n\n| Number | `role` | Shows |\n|---|---|---|\n");
    for (const cvn::TControlRoleInfo& r : cvn::ControlRoles())
        std::printf("| %d | `%s` | %s |\n", int(r.role), std::string(r.name).c_str(),
                    std::string(r.content).c_str());
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A project file: the model and what goes into its archives.
void PackProject(const std::string& path, const std::string& outPath, cvn::TPackage& package,
                 cvn::TArchiveParts& parts, std::vector<Member>& allMembers, const std::string& uninstaller,
                 bool uninstallerNamed) {
    cvn::project::TProject project;
    std::vector<std::string> errors;
    if (!cvn::project::ReadProject(path, project, errors)) {
        std::string all;
        for (const std::string& e : errors)
            all += (all.empty() ? "" : "\ncvnpack: ") + e;
        Fail(all);
    }
    package = std::move(project.package);
    const std::string header = project.headerText.value_or(cvn::TCVNZipWriter::kDefaultHeaderText);
    auto membersOf = [](const std::vector<cvn::project::TArchiveMember>& list) {
        std::vector<Member> members;
        for (const cvn::project::TArchiveMember& m : list)
            members.push_back({m.id, m.file, m.date ? *m.date : DosDateOf(m.file), 0});
        return members;
    };
    std::vector<Member> mainMembers = membersOf(project.members);
    AddUninstaller(package, mainMembers, uninstaller, uninstallerNamed);
    if (!mainMembers.empty()) MainArchive(mainMembers, header, project.volumeSize, outPath, parts);
    allMembers = mainMembers;
    for (const auto& list : project.componentMembers) {
        std::vector<Member> members = membersOf(list);
        parts.componentArchives.push_back(members.empty() ? std::vector<uint8_t>()
                                                          : MemoryArchive(members, header));
        allMembers.insert(allMembers.end(), members.begin(), members.end());
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string stubPath, outPath, descPath, uninstallerPath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--stub" && i + 1 < argc)
            stubPath = argv[++i];
        else if (arg == "--statements") {
            PrintStatements();
            return 0;
        } else if (arg == "--out" && i + 1 < argc)
            outPath = argv[++i];
        else if (arg == "--uninstaller" && i + 1 < argc)
            uninstallerPath = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && descPath.empty())
            descPath = arg;
        else
            return Usage();
    }
    if (stubPath.empty() || outPath.empty() || descPath.empty()) return Usage();

    try {
        if (EndsWith(descPath, ".toml")) {
            cvn::TPackage package;
            cvn::TArchiveParts parts;
            std::vector<Member> members;
            PackProject(descPath, outPath, package, parts, members,
                        uninstallerPath.empty() ? FolderOf(stubPath) + "cvnuninst.exe" : uninstallerPath,
                        !uninstallerPath.empty());
            FillFileFacts(package, members);
            std::vector<uint8_t> stub = ReadFile(stubPath);
            std::vector<uint8_t> out;
            std::string error;
            if (!cvn::WritePackage(stub, package, parts, out, error)) Fail(error);
            WriteFile(outPath, out);
            std::printf("cvnpack: wrote %s (%zu bytes, %zu files, %zu dialogs)\n", outPath.c_str(),
                        out.size(), package.files.size(), package.dialogs.size());
            return 0;
        }
        std::vector<uint8_t> descBytes = ReadFile(descPath);
        std::string error;
        std::optional<Value> desc = cvn::json::Parse(
            std::string_view(reinterpret_cast<const char*>(descBytes.data()), descBytes.size()), error);
        if (!desc) Fail(descPath + ": " + error);
        cvn::TPackage package;
        if (!cvn::json::PackageFromJson(*desc, package, error)) Fail(descPath + ": " + error);

        const std::string base = FolderOf(descPath);
        cvn::TArchiveParts parts;
        std::vector<Member> allMembers;
        if (const Value* archives = desc->Find("archives")) {
            if (!archives->IsObject()) Fail("archives: expected an object");
            std::string header = cvn::TCVNZipWriter::kDefaultHeaderText;
            int32_t volumeSize = 0;
            for (const auto& [k, v] : archives->Members()) {
                if (k == "headerText") {
                    if (!v.IsString()) Fail("archives.headerText: expected a string");
                    header = v.AsString();
                } else if (k == "volumeSize") {
                    volumeSize = IntField(*archives, "volumeSize", "archives", false);
                } else if (k != "main" && k != "components") {
                    Fail("archives: unknown field \"" + k + "\"");
                }
            }
            if (const Value* main = archives->Find("main")) {
                std::vector<Member> members = MembersOf(*main, "archives.main", base);
                AddUninstaller(package, members,
                               uninstallerPath.empty() ? FolderOf(stubPath) + "cvnuninst.exe"
                                                       : uninstallerPath,
                               !uninstallerPath.empty());
                MainArchive(members, header, volumeSize > 0 ? uint64_t(volumeSize) : 0, outPath, parts);
                allMembers.insert(allMembers.end(), members.begin(), members.end());
            }
            if (const Value* comps = archives->Find("components")) {
                if (!comps->IsArray()) Fail("archives.components: expected an array");
                for (size_t i = 0; i < comps->Items().size(); ++i) {
                    const Value& c = comps->Items()[i];
                    if (c.GetKind() == Value::Kind::Null) {
                        parts.componentArchives.emplace_back();
                        continue;
                    }
                    std::vector<Member> members =
                        MembersOf(c, "archives.components[" + std::to_string(i) + "]", base);
                    parts.componentArchives.push_back(MemoryArchive(members, header));
                    allMembers.insert(allMembers.end(), members.begin(), members.end());
                }
            }
        }
        FillFileFacts(package, allMembers);

        std::vector<uint8_t> stub = ReadFile(stubPath);
        std::vector<uint8_t> out;
        if (!cvn::WritePackage(stub, package, parts, out, error)) Fail(error);
        WriteFile(outPath, out);
        std::printf("cvnpack: wrote %s (%zu bytes, %zu files, %zu dialogs)\n", outPath.c_str(), out.size(),
                    package.files.size(), package.dialogs.size());
        return 0;
    } catch (const Failure& f) {
        std::fprintf(stderr, "cvnpack: %s\n", f.message.c_str());
        return 1;
    }
}
