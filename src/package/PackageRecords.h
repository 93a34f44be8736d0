#pragma once

#include "core/ByteReader.h"
#include "core/ByteWriter.h"

#include <cstdint>
#include <string>

namespace cvn {

// Fixed text fields (font faces, dialog names and captions, control texts) keep
// at most this many characters; longer stored texts are cut.
inline constexpr size_t kMaxFixedText = 1000;

// The "kept" word field of file entries, shortcuts and registry records is two
// bytes in the package and in newer uninstall data, one byte in uninstall data
// of the formats "eUNS", "fUNS" and "gUNS".
enum class WordWidth { Two, One };

struct TFontRecord {
    std::string face;  // at most kMaxFixedText characters
    int32_t size = 0;  // points
    int32_t color = 0; // 0x00BBGGRR or a system colour 0x80000000 + index
    uint8_t style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    uint8_t charset = 0;

    bool operator==(const TFontRecord&) const = default;
};

struct TFileEntry {
    std::string sourceName; // only its file-name part is used
    std::string targetDir;
    uint8_t overwriteMode = 0;
    uint16_t word1 = 0;
    std::string text1;
    uint8_t shared = 0;
    uint8_t registerServer = 0;
    uint8_t registerTypeLib = 0;
    uint8_t hotSyncInstall = 0;
    uint8_t activeX = 0;
    uint8_t byte1 = 0;
    std::string text2;
    uint8_t font = 0;
    std::string fontName;
    std::string text3;
    std::string components;
    std::string condition;

    bool operator==(const TFileEntry&) const = default;
};

// One entry of the package file list (section 12).
struct TFileRecord {
    int32_t memberId = 0;
    uint32_t versionMS = 0;
    uint32_t versionLS = 0;
    uint32_t fileDate = 0; // MS-DOS date and time, date in the high word
    uint32_t fileSize = 0;
    TFileEntry entry;

    bool operator==(const TFileRecord&) const = default;
};

// One support file (section 11): extracted into the temporary setup folder.
struct TSupportFile {
    int32_t memberId = 0;
    TFileEntry entry;

    bool operator==(const TSupportFile&) const = default;
};

struct TShortcutRecord {
    std::string name;
    std::string target;
    std::string arguments;
    std::string description;
    int32_t showCommand = 0;
    std::string folder;
    std::string iconFile;
    int32_t iconIndex = 0;
    uint16_t word1 = 0;
    std::string text1;
    std::string text2;
    std::string components;
    std::string condition;

    bool operator==(const TShortcutRecord&) const = default;
};

struct TRegistryRecord {
    uint8_t root = 0; // 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE
    std::string key;
    int32_t valueType = 0; // 0 text, 1 integer, 2 binary, other: multi-text
    std::string valueName;
    std::string data;
    uint16_t word1 = 0;
    std::string text1;
    std::string text2;
    std::string components;
    std::string condition;

    bool operator==(const TRegistryRecord&) const = default;
};

struct TCustomVariableEntry {
    std::string name;         // as stored; the variable store adds missing percent signs
    TRegistryRecord registry; // where the value may be read; its data is the default
    uint8_t stripBackslash = 0;

    bool operator==(const TCustomVariableEntry&) const = default;
};

struct TBackgroundItem {
    uint8_t kind = 0; // 0 text, other: picture
    uint8_t corner = 0;
    uint8_t entrance = 0;
    // text items
    std::string text;
    TFontRecord font;
    int32_t shadowColor = 0;
    uint8_t shadow = 0;
    // picture items
    std::string pictureFile;
    int32_t transparentColor = 0;
    uint8_t transparent = 0;

    bool IsText() const { return kind == 0; }

    bool operator==(const TBackgroundItem&) const = default;
};

struct TComponentRecord {
    std::string name;
    std::string description;
    std::string iconFile;
    int32_t archiveOffset = 0; // absolute offset of the component's own archive
    int32_t archiveSize = 0;   // 0: no archive
    int32_t progressStart = 0; // percentage at which its extraction begins

    bool operator==(const TComponentRecord&) const = default;
};

// HotSync conduit registration.
struct TConduitRecord {
    std::string creatorId;
    uint8_t kind = 0; // 0 application conduit, 1 component conduit
    std::string conduitFile;
    std::string directory;
    std::string remote0;
    std::string file0;
    std::string conduitName;
    std::string information;
    uint8_t priority = 0;
    std::string module;
    uint8_t isCom = 0;
    std::string comClient;

    bool operator==(const TConduitRecord&) const = default;
};

struct TDeviceApplication {
    std::string name;
    std::string folder; // where its application-manager .ini file is written
    std::string description;
    std::string text1;    // carried for the application-manager hand-over
    std::string cabFiles; // "|"-separated

    bool operator==(const TDeviceApplication&) const = default;
};

// One row of the device platform table in its stored form; the device link
// interprets the processor sets and version texts.
struct TPlatformRecord {
    uint8_t kind = 0; // absent in uninstall data before "iUNS"
    std::string name;
    std::string platform;
    std::string models;
    int32_t processors = 0;
    int32_t processors2 = 0;
    std::string minVersion;
    std::string maxVersion;

    bool operator==(const TPlatformRecord&) const = default;
};

// Smallest stored size of each record, for checking counts against the bytes left.
inline constexpr size_t kMinFontSize = 11;
inline constexpr size_t kMinFileEntrySize = 18;
inline constexpr size_t kMinRegistryRecordSize = 14;
inline constexpr size_t kMinShortcutSize = 20;
inline constexpr size_t kMinPlatformRecordSize = 14;

// Zero-terminated text cut to kMaxFixedText characters.
std::string ReadFixedText(ByteReader& r, const char* what);

TFontRecord ReadFont(ByteReader& r);
void WriteFont(ByteWriter& w, const TFontRecord& f);

TFileEntry ReadFileEntry(ByteReader& r, WordWidth width = WordWidth::Two);
void WriteFileEntry(ByteWriter& w, const TFileEntry& e, WordWidth width = WordWidth::Two);

TFileRecord ReadFileRecord(ByteReader& r);
void WriteFileRecord(ByteWriter& w, const TFileRecord& f);

TSupportFile ReadSupportFile(ByteReader& r);
void WriteSupportFile(ByteWriter& w, const TSupportFile& f);

TShortcutRecord ReadShortcut(ByteReader& r, WordWidth width = WordWidth::Two);
void WriteShortcut(ByteWriter& w, const TShortcutRecord& s, WordWidth width = WordWidth::Two);

TRegistryRecord ReadRegistryRecord(ByteReader& r, WordWidth width = WordWidth::Two);
void WriteRegistryRecord(ByteWriter& w, const TRegistryRecord& g, WordWidth width = WordWidth::Two);

TCustomVariableEntry ReadCustomVariable(ByteReader& r);
void WriteCustomVariable(ByteWriter& w, const TCustomVariableEntry& v);

TBackgroundItem ReadBackgroundItem(ByteReader& r);
void WriteBackgroundItem(ByteWriter& w, const TBackgroundItem& b);

TComponentRecord ReadComponent(ByteReader& r);
void WriteComponent(ByteWriter& w, const TComponentRecord& c);

TConduitRecord ReadConduit(ByteReader& r);
void WriteConduit(ByteWriter& w, const TConduitRecord& c);

TDeviceApplication ReadExtraDeviceApplication(ByteReader& r);
void WriteExtraDeviceApplication(ByteWriter& w, const TDeviceApplication& a);

// withKind: false for uninstall data older than "iUNS", whose rows lack the leading byte.
TPlatformRecord ReadPlatformRecord(ByteReader& r, bool withKind = true);
void WritePlatformRecord(ByteWriter& w, const TPlatformRecord& p, bool withKind = true);

} // namespace cvn
