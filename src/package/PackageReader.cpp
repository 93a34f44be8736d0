#include "PackageReader.h"

#include "core/NumberText.h"
#include "PackageNames.h"
#include "PeCertificate.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace cvn {

namespace {

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string SectionLabel(int k) {
    return "section " + std::to_string(k) + " (" + SectionName(k) + ")";
}

// Offsets are stored as signed int32; a negative one can never be inside the file.
bool InFile(uint32_t offset, uint64_t limit) {
    return offset <= 0x7FFFFFFFu && offset <= limit;
}

// Names are checked as the sections are read, so a package that would write
// outside its folders, onto a device or to a name Windows cannot delete again is
// damaged before anything is extracted.
void CheckFileEntry(const TFileEntry& e) {
    // A source name may be the author's full path: only its last part is used.
    CheckName(e.sourceName, TNameKind::Path, "source file name");
    if (e.sourceName.empty() || e.sourceName.find_last_of("\\/:") == e.sourceName.size() - 1)
        throw FormatError("source file name \"" + e.sourceName + "\" has no file name");
    CheckName(e.targetDir, TNameKind::Path, "target folder");
}

void CheckBareNames(std::initializer_list<const std::string*> names, const char* what) {
    for (const std::string* name : names)
        CheckName(*name, TNameKind::BareName, what);
}

} // namespace

const char* PackageResult::UserMessage() const {
    switch (status) {
    case PackageStatus::Ok:
        return nullptr;
    case PackageStatus::CannotRead:
        return kInternalErrorMessage;
    case PackageStatus::Corrupted:
        break;
    }
    return kCorruptedMessage;
}

// A setup signed after packing ends in its certificate table; the package lies in
// front of it, followed by at most seven zero bytes that align the table to 8 bytes.
uint64_t TPackageReader::PackageEnd() {
    const uint64_t size = stream_.Size();
    std::vector<uint8_t> headers(size_t(std::min<uint64_t>(size, kPeHeaderBytes)));
    TCertificateTable table;
    if (!stream_.Seek(0) || !stream_.ReadExact(headers.data(), headers.size()) ||
        !FindCertificateTable(headers, table) || uint64_t(table.offset) + table.size != size ||
        table.offset < kTrailerSize + 7)
        return size;
    uint8_t tail[kTrailerSize + 7];
    if (!stream_.Seek(table.offset - sizeof tail) || !stream_.ReadExact(tail, sizeof tail)) return size;
    for (size_t pad = 0; pad < 8; ++pad) {
        const uint8_t* magic = tail + sizeof tail - pad - 4;
        if (LittleEndian32(magic) == kPackageMagic) return table.offset - pad;
        if (tail[sizeof tail - pad - 1] != 0) break; // alignment bytes are zero
    }
    return size;
}

PackageResult TPackageReader::Open() {
    open_ = false;
    layout_ = {};
    flags_ = {};
    const uint64_t size = PackageEnd();
    layout_.fileSize = size;
    if (size < kTrailerSize)
        return PackageResult::Corrupted("the file of " + std::to_string(size) +
                                        " bytes is too short to hold the 12-byte package trailer");

    uint8_t trailer[kTrailerSize];
    if (!stream_.Seek(size - kTrailerSize) || !stream_.ReadExact(trailer, sizeof trailer))
        return PackageResult::CannotRead("the package trailer could not be read");
    layout_.tableOffset = LittleEndian32(trailer);
    layout_.archiveOffset = LittleEndian32(trailer + 4);
    layout_.magic = LittleEndian32(trailer + 8);

    // The table and the flags are read before the magic is compared; a layout
    // problem found on the way is reported only once the magic has been accepted.
    const uint64_t trailerStart = size - kTrailerSize;
    std::string problem;
    bool haveTable = false;
    if (!InFile(layout_.tableOffset, trailerStart) ||
        layout_.tableOffset + kSectionTableSize > trailerStart) {
        problem = "the section table offset " + std::to_string(int32_t(layout_.tableOffset)) +
                  " leaves no room for the 72-byte table before the trailer at " +
                  std::to_string(trailerStart);
    } else {
        uint8_t table[kSectionTableSize];
        if (!stream_.Seek(layout_.tableOffset) || !stream_.ReadExact(table, sizeof table))
            return PackageResult::CannotRead("the section table could not be read");
        for (int k = 0; k < kSectionCount; ++k)
            layout_.sections[k] = LittleEndian32(table + 4 * k);
        haveTable = true;
    }

    if (haveTable) {
        const uint64_t tableEnd = uint64_t(layout_.tableOffset) + kSectionTableSize;
        for (int k = 0; k < kSectionCount && problem.empty(); ++k) {
            uint32_t start = layout_.sections[k];
            uint64_t low = k == 0 ? tableEnd : layout_.sections[k - 1];
            if (!InFile(start, trailerStart))
                problem = SectionLabel(k) + " starts at offset " + std::to_string(int32_t(start)) +
                          ", outside the package (which ends at " + std::to_string(trailerStart) + ")";
            else if (start < low)
                problem = SectionLabel(k) + " starts at offset " + std::to_string(start) +
                          (k == 0 ? ", inside the section table" : ", before the section that precedes it");
        }
        if (problem.empty() && layout_.archiveOffset != 0 &&
            (layout_.archiveOffset < layout_.sections[kSecMainArchive] ||
             layout_.archiveOffset > layout_.sections[kSecPlatforms]))
            problem = "the archive offset " + std::to_string(int32_t(layout_.archiveOffset)) +
                      " lies outside section 16 (main archive)";
        if (problem.empty() && layout_.SectionSize(kSecStartupFlags) < kStartupFlagCount)
            problem = SectionLabel(kSecStartupFlags) + " holds " +
                      std::to_string(layout_.SectionSize(kSecStartupFlags)) + " bytes instead of 7";
        if (problem.empty()) {
            uint8_t f[kStartupFlagCount];
            if (!stream_.Seek(layout_.sections[kSecStartupFlags]) || !stream_.ReadExact(f, sizeof f))
                return PackageResult::CannotRead("the start-up flags could not be read");
            ByteReader r(f);
            flags_ = ReadStartupFlags(r);
        }
    }

    if (layout_.magic != kPackageMagic)
        return PackageResult::Corrupted("the package magic is " + Hex8(layout_.magic) + " instead of " +
                                        Hex8(kPackageMagic));
    if (!problem.empty()) return PackageResult::Corrupted(problem);
    open_ = true;
    return PackageResult::Success();
}

template <typename Parse> PackageResult TPackageReader::LoadSection(int section, Parse parse) {
    if (!open_) return PackageResult::CannotRead("the package has not been opened");
    // The section's size is bounded by the file, which Open checked.
    std::vector<uint8_t> bytes(size_t(layout_.SectionSize(section)));
    if (!stream_.Seek(layout_.SectionStart(section)) || !stream_.ReadExact(bytes.data(), bytes.size()))
        return PackageResult::CannotRead(SectionLabel(section) + " could not be read");
    ByteReader r(bytes, layout_.SectionStart(section));
    try {
        parse(r);
    } catch (const FormatError& e) {
        return PackageResult::Corrupted(SectionLabel(section) + ": " + e.what());
    }
    return PackageResult::Success();
}

PackageResult TPackageReader::ReadProduct(TProductSection& out) {
    return LoadSection(kSecSettings, [&](ByteReader& r) {
        TProductSection read = ReadProductSection(r);
        read.settings.appearance = std::move(out.settings.appearance);
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadLanguages(TLanguageSection& out) {
    return LoadSection(kSecLanguages, [&](ByteReader& r) { out = ReadLanguageSection(r); });
}

PackageResult TPackageReader::ReadAppearance(TAppearance& out) {
    return LoadSection(kSecAppearance, [&](ByteReader& r) {
        TAppearance read = cvn::ReadAppearance(r);
        CheckBareNames(
            {&read.defaultDialogPicture, &read.backgroundPicture, &read.splashPicture, &read.licenceFile},
            "picture or text file");
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadCustomVariables(std::vector<TCustomVariableEntry>& out) {
    return LoadSection(kSecCustomVariables, [&](ByteReader& r) { out = ReadCustomVariableSection(r); });
}

PackageResult TPackageReader::ReadBackgroundItems(std::vector<TBackgroundItem>& out) {
    return LoadSection(kSecBackground, [&](ByteReader& r) {
        std::vector<TBackgroundItem> read = ReadBackgroundSection(r);
        for (const TBackgroundItem& item : read)
            CheckBareNames({&item.pictureFile}, "background picture file");
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadComponents(TComponentSection& out) {
    return LoadSection(kSecComponents, [&](ByteReader& r) {
        TComponentSection read = ReadComponentSection(r);
        for (const TComponentRecord& c : read.components)
            CheckBareNames({&c.iconFile}, "component icon file");
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadBillboards(std::vector<std::string>& out) {
    return LoadSection(kSecBillboards, [&](ByteReader& r) {
        std::vector<std::string> read = ReadBillboardSection(r);
        for (const std::string& name : read)
            CheckBareNames({&name}, "billboard picture file");
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadEventScripts(std::array<TScript, kEventScriptCount>& out) {
    return LoadSection(kSecEventScripts, [&](ByteReader& r) { out = ReadEventScriptSection(r); });
}

PackageResult TPackageReader::ReadDialogs(std::vector<TDialogDefinition>& out) {
    return LoadSection(kSecDialogs, [&](ByteReader& r) { out = ReadDialogSection(r); });
}

PackageResult TPackageReader::ReadFolders(TFolderSection& out) {
    return LoadSection(kSecFolders, [&](ByteReader& r) {
        TFolderSection read = ReadFolderSection(r);
        for (const auto* list : {&read.installFolders, &read.programGroupFolders})
            for (const std::string& folder : *list)
                CheckName(folder, TNameKind::Path, "folder");
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadSupportFiles(std::vector<TSupportFile>& out) {
    return LoadSection(kSecSupportFiles, [&](ByteReader& r) {
        std::vector<TSupportFile> read = ReadSupportFileSection(r);
        for (const TSupportFile& f : read)
            CheckFileEntry(f.entry);
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadFiles(TFileSection& out) {
    return LoadSection(kSecFiles, [&](ByteReader& r) {
        TFileSection read = ReadFileSection(r);
        for (const TFileRecord& f : read.files)
            CheckFileEntry(f.entry);
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadShortcuts(std::vector<TShortcutRecord>& out) {
    return LoadSection(kSecShortcuts, [&](ByteReader& r) {
        std::vector<TShortcutRecord> read = ReadShortcutSection(r);
        for (const TShortcutRecord& s : read) {
            CheckName(s.name, TNameKind::RelativePath, "shortcut name");
            CheckName(s.folder, TNameKind::Path, "shortcut folder");
        }
        out = std::move(read);
    });
}

PackageResult TPackageReader::ReadRegistry(std::vector<TRegistryRecord>& out) {
    return LoadSection(kSecRegistry, [&](ByteReader& r) { out = ReadRegistrySection(r); });
}

PackageResult TPackageReader::ReadSupportFilesFlag(uint8_t& out) {
    return LoadSection(kSecSupportFlag, [&](ByteReader& r) { out = r.U8("support-files flag"); });
}

PackageResult TPackageReader::ReadPlatforms(std::vector<TPlatformRecord>& out) {
    return LoadSection(kSecPlatforms, [&](ByteReader& r) { out = ReadPlatformTable(r); });
}

PackageResult TPackageReader::ReadListSections(TPackage& out) {
    TComponentSection components;
    TFolderSection folders;
    TFileSection files;
    // Read into a copy so that a damaged section leaves the model as it was.
    TPackage p = out;
    PackageResult res;
    (res = ReadPlatforms(p.platforms)) && (res = ReadComponents(components)) &&
        (res = ReadBillboards(p.billboards)) && (res = ReadEventScripts(p.eventScripts)) &&
        (res = ReadDialogs(p.dialogs)) && (res = ReadFolders(folders)) && (res = ReadFiles(files)) &&
        (res = ReadShortcuts(p.shortcuts)) && (res = ReadRegistry(p.registry));
    if (!res) return res;
    p.flags = flags_;
    p.progress = components.progress;
    p.components = std::move(components.components);
    p.conduits = std::move(components.conduits);
    p.installFolders = std::move(folders.installFolders);
    p.programGroupFolders = std::move(folders.programGroupFolders);
    p.deviceApplications = std::move(files.applications);
    p.files = std::move(files.files);
    out = std::move(p);
    return res;
}

PackageResult TPackageReader::ReadAll(TPackage& out) {
    if (!open_)
        if (auto res = Open(); !res) return res;
    TPackage p;
    PackageResult res;
    (res = ReadProduct(p.product)) && (res = ReadLanguages(p.languages)) &&
        (res = ReadAppearance(p.product.settings.appearance)) &&
        (res = ReadCustomVariables(p.customVariables)) && (res = ReadBackgroundItems(p.backgroundItems)) &&
        (res = ReadSupportFiles(p.supportFiles)) && (res = ReadSupportFilesFlag(p.supportFilesFlag)) &&
        (res = ReadListSections(p));
    if (!res) return res;
    out = std::move(p);
    return res;
}

PackageResult ReadPackageFile(const std::string& path, TPackage& out, TPackageLayout* layout) {
    auto file = FileInputStream::Open(path);
    if (!file) return PackageResult::CannotRead("cannot open " + path);
    TPackageReader reader(*file);
    PackageResult res = reader.ReadAll(out);
    if (layout) *layout = reader.Layout();
    return res;
}

} // namespace cvn
