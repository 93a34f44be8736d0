#pragma once

#include "PackageModel.h"

#include "core/ByteReader.h"
#include "core/ByteWriter.h"

namespace cvn {

// Stored layout of each package section, read from and written to a byte range.
// Readers throw FormatError naming the field that does not fit; bytes after a
// section's last field are ignored.

TProductSection ReadProductSection(ByteReader& r); // 0 (appearance left empty)
void WriteProductSection(ByteWriter& w, const TProductSection& p);

TLanguageSection ReadLanguageSection(ByteReader& r); // 1
void WriteLanguageSection(ByteWriter& w, const TLanguageSection& l);

TAppearance ReadAppearance(ByteReader& r); // 2
void WriteAppearance(ByteWriter& w, const TAppearance& a);

TStartupFlags ReadStartupFlags(ByteReader& r); // 3
void WriteStartupFlags(ByteWriter& w, const TStartupFlags& f);

std::vector<TCustomVariableEntry> ReadCustomVariableSection(ByteReader& r); // 4
void WriteCustomVariableSection(ByteWriter& w, const std::vector<TCustomVariableEntry>& v);

std::vector<TBackgroundItem> ReadBackgroundSection(ByteReader& r); // 5
void WriteBackgroundSection(ByteWriter& w, const std::vector<TBackgroundItem>& items);

struct TComponentSection { // 6
    TProgressScale progress;
    std::vector<TComponentRecord> components;
    std::vector<TConduitRecord> conduits;

    bool operator==(const TComponentSection&) const = default;
};
TComponentSection ReadComponentSection(ByteReader& r);
void WriteComponentSection(ByteWriter& w, const TComponentSection& c);

std::vector<std::string> ReadBillboardSection(ByteReader& r); // 7
void WriteBillboardSection(ByteWriter& w, const std::vector<std::string>& b);

std::array<TScript, kEventScriptCount> ReadEventScriptSection(ByteReader& r); // 8
void WriteEventScriptSection(ByteWriter& w, const std::array<TScript, kEventScriptCount>& s);

// 9: ReadDialogSection / WriteDialogSection (DialogDefinition.h)

struct TFolderSection { // 10
    std::vector<std::string> installFolders;
    std::vector<std::string> programGroupFolders;

    bool operator==(const TFolderSection&) const = default;
};
TFolderSection ReadFolderSection(ByteReader& r);
void WriteFolderSection(ByteWriter& w, const TFolderSection& f);

std::vector<TSupportFile> ReadSupportFileSection(ByteReader& r); // 11
void WriteSupportFileSection(ByteWriter& w, const std::vector<TSupportFile>& s);

struct TFileSection { // 12
    TDeviceApplications applications;
    std::vector<TFileRecord> files;

    bool operator==(const TFileSection&) const = default;
};
TFileSection ReadFileSection(ByteReader& r);
void WriteFileSection(ByteWriter& w, const TFileSection& f);

std::vector<TShortcutRecord> ReadShortcutSection(ByteReader& r); // 13
void WriteShortcutSection(ByteWriter& w, const std::vector<TShortcutRecord>& s);

std::vector<TRegistryRecord> ReadRegistrySection(ByteReader& r); // 14
void WriteRegistrySection(ByteWriter& w, const std::vector<TRegistryRecord>& g);

// 15 is one byte; 16 is the main archive, never parsed here.

// 17, and the same table inside uninstall data (withKind false before "iUNS").
std::vector<TPlatformRecord> ReadPlatformTable(ByteReader& r, bool withKind = true);
void WritePlatformTable(ByteWriter& w, const std::vector<TPlatformRecord>& p, bool withKind = true);

} // namespace cvn
