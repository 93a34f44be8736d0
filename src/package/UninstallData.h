#pragma once

#include "core/ByteReader.h"
#include "core/ByteWriter.h"
#include "package/PackageRecords.h"
#include "package/Script.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cvn {

// The uninstall data file ("uninst.dat") that the install engine writes into the
// installation folder and that the separate uninstaller and later setups read.

// Magic numbers: the bytes "eUNS" to "iUNS"; the letter is the format version.
inline constexpr uint32_t kUninstallMagicE = 0x534E5565;
inline constexpr uint32_t kUninstallMagicF = 0x534E5566;
inline constexpr uint32_t kUninstallMagicG = 0x534E5567;
inline constexpr uint32_t kUninstallMagicH = 0x534E5568;
inline constexpr uint32_t kUninstallMagicI = 0x534E5569; // the version this program writes

inline constexpr const char* kUninstallDataFileName = "uninst.dat";
inline constexpr const char* kInvalidUninstallData = "Invalid Uninstaller Script.";

// Kinds of uninstall log items.
enum TUninstallKind : uint8_t {
    ukFile = 0,          // a file written from the archive, or a shortcut file
    ukDeviceFile = 1,    // a device cabinet file written on the PC
    ukPlainFile = 2,     // deleted without questions: icon file, .ini files, uninst.dat
    ukUninstaller = 3,   // the uninstaller program
    ukDirectory = 4,     // a folder or the program group
    ukRegistryValue = 5, // a registry value
    ukConduit = 6,       // a HotSync conduit; the path holds its creator ID
};

struct TUninstallItem {
    uint8_t kind = ukFile;
    std::string path;         // kinds 0-4 and 6
    TFileEntry file;          // kinds 0 and 1
    TRegistryRecord registry; // kind 5
};

// Message numbers of the texts stored in the header, in stored order.
inline constexpr std::array<int, 24> kUninstallerTextMessages = {
    36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 63, 58, 59, 52, 60, 46, 47, 48, 49, 19, 0, 1, 57, 6};
inline constexpr std::array<int, 4> kPromptButtonMessages = {2, 4, 3, 5}; // Yes, Yes To All, No, No To All
inline constexpr std::array<int, 2> kPromptFileLabelMessages = {67, 68};  // existing file, new file

// Everything the file holds, in stored order.
struct TUninstallData {
    char version = 'i'; // the letter of the magic; the writer always writes "iUNS"
    std::string softwareName;
    std::string description;
    std::string companyName;
    uint8_t keepSystemFont = 0;
    uint8_t uninstallerOption = 0;
    TFontRecord font;
    std::array<std::string, 24> uninstallerTexts;
    // Formats "e" lack the buttons, "e" and "f" the file labels; readers supply these.
    std::array<std::string, 4> promptButtons = {"Yes", "Yes To All", "No", "No To All"};
    std::array<std::string, 2> fileLabels = {"Existent File", "Destination File"};
    std::string deviceConnectionText;
    TScript beforeUninstall;
    TScript afterUninstall;
    std::string setupPath;
    std::string iconPath;
    std::string installedComponents;
    std::vector<TPlatformRecord> platforms;
    std::vector<std::string> variables; // "name=value", split at the first "="
    std::vector<TUninstallItem> items;
};

// File-name part of a path (after the last backslash, slash or colon).
std::string UninstallFileNamePart(const std::string& path);

// One item. File entries keep only the file-name part of SourceName and Text2, and
// an entry in overwrite mode 7 is stored as mode 8 with Shared set, which is how the
// uninstaller learns to ask before removing such a file.
void WriteUninstallItem(ByteWriter& w, const TUninstallItem& item);
TUninstallItem ReadUninstallItem(ByteReader& r, WordWidth width = WordWidth::Two);

// Fields 1-18 (everything before the items), in "iUNS" form.
void WriteUninstallHeader(ByteWriter& w, const TUninstallData& data);
// Field 19: the count, then the items of both lists in order (previous ones first).
void WriteUninstallItems(ByteWriter& w, const std::vector<TUninstallItem>& first,
                         const std::vector<TUninstallItem>& second = {});
// The whole file: header and data.items.
std::vector<uint8_t> BuildUninstallData(const TUninstallData& data);

// Reads any of the five versions. Throws FormatError with kInvalidUninstallData for
// an unknown magic, and a FormatError naming the field for data cut short or damaged.
TUninstallData ReadUninstallData(ByteReader& r);

} // namespace cvn
