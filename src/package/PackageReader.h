#pragma once

#include "PackageModel.h"
#include "PackageSections.h"

#include "core/Stream.h"

#include <array>
#include <cstdint>
#include <string>

namespace cvn {

// The two fatal start-up messages, shown as written.
inline constexpr const char* kInternalErrorMessage =
    "ERROR: internal setup error, please contact the technical support.";
inline constexpr const char* kCorruptedMessage = "ERROR: corrupted setup data, please try to download this "
                                                 "software again or contact the development company.";

enum class PackageStatus {
    Ok,
    CannotRead, // the file could not be opened or read
    Corrupted,  // wrong magic, or a trailer, table or section that does not fit the file
};

struct PackageResult {
    PackageStatus status = PackageStatus::Ok;
    std::string reason; // which section and what was wrong; empty when Ok

    static PackageResult Success() { return {}; }
    static PackageResult CannotRead(std::string why) { return {PackageStatus::CannotRead, std::move(why)}; }
    static PackageResult Corrupted(std::string why) { return {PackageStatus::Corrupted, std::move(why)}; }

    bool Ok() const { return status == PackageStatus::Ok; }
    explicit operator bool() const { return Ok(); }
    // The start-up message for a failure; null when Ok.
    const char* UserMessage() const;
};

// Where the package lies in the executable: the trailer and the section table.
struct TPackageLayout {
    // Where the package ends: the end of the file, or of a signed file the start of
    // the certificate table less the zero bytes that align it.
    uint64_t fileSize = 0;
    uint32_t tableOffset = 0;
    uint32_t archiveOffset = 0; // 0: the main archive is in volume files
    uint32_t magic = 0;
    std::array<uint32_t, kSectionCount> sections{};

    // Section k spans [start k, start k+1); section 17 ends at the trailer.
    uint64_t SectionStart(int k) const { return sections[k]; }
    uint64_t SectionEnd(int k) const {
        return k + 1 < kSectionCount ? sections[k + 1] : fileSize - kTrailerSize;
    }
    uint64_t SectionSize(int k) const { return SectionEnd(k) - SectionStart(k); }
    bool MainArchiveInVolumes() const { return archiveOffset == 0; }
};

// Reads the package appended to an executable. Open first; then any section
// loader, in any order and as often as needed (start-up reads section 0 twice).
// Every loader seeks to its section, reads only that section's bytes and reports
// a damaged section by result, leaving its output unchanged; section 16 (the
// main archive) is only located.
class TPackageReader {
public:
    explicit TPackageReader(InputStream& stream) : stream_(stream) {}

    // Reads the trailer, the section table and the start-up flags, then compares
    // the magic, then checks that the table fits the file.
    PackageResult Open();
    bool IsOpen() const { return open_; }
    const TPackageLayout& Layout() const { return layout_; }
    const TStartupFlags& Flags() const { return flags_; }

    // Section 0; the appearance part of out.settings (section 2) is kept as it is.
    PackageResult ReadProduct(TProductSection& out);                             // 0
    PackageResult ReadLanguages(TLanguageSection& out);                          // 1
    PackageResult ReadAppearance(TAppearance& out);                              // 2
    PackageResult ReadCustomVariables(std::vector<TCustomVariableEntry>& out);   // 4
    PackageResult ReadBackgroundItems(std::vector<TBackgroundItem>& out);        // 5
    PackageResult ReadComponents(TComponentSection& out);                        // 6
    PackageResult ReadBillboards(std::vector<std::string>& out);                 // 7
    PackageResult ReadEventScripts(std::array<TScript, kEventScriptCount>& out); // 8
    PackageResult ReadDialogs(std::vector<TDialogDefinition>& out);              // 9
    PackageResult ReadFolders(TFolderSection& out);                              // 10
    PackageResult ReadSupportFiles(std::vector<TSupportFile>& out);              // 11
    PackageResult ReadFiles(TFileSection& out);                                  // 12
    PackageResult ReadShortcuts(std::vector<TShortcutRecord>& out);              // 13
    PackageResult ReadRegistry(std::vector<TRegistryRecord>& out);               // 14
    PackageResult ReadSupportFilesFlag(uint8_t& out);                            // 15
    PackageResult ReadPlatforms(std::vector<TPlatformRecord>& out);              // 17

    // The list sections start-up reads after the first extraction pass (17, 6, 7, 8,
    // 9, 10, 12, 13, 14, in that order: the device link gets the platform table
    // first), assembled into the model together with the start-up flags. The model's
    // other sections are kept as they are.
    PackageResult ReadListSections(TPackage& out);

    // Every section into one model (opens first when needed). Section 16 is not read.
    PackageResult ReadAll(TPackage& out);

private:
    template <typename Parse> PackageResult LoadSection(int section, Parse parse);
    uint64_t PackageEnd();

    InputStream& stream_;
    TPackageLayout layout_;
    TStartupFlags flags_;
    bool open_ = false;
};

// Opens the file (read access, writing denied to others) and reads the whole package.
PackageResult ReadPackageFile(const std::string& path, TPackage& out, TPackageLayout* layout = nullptr);

} // namespace cvn
