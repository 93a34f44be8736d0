#include "UninstallData.h"

namespace cvn {

namespace {

// Smallest stored item: the kind byte alone (kinds 7 and above).
constexpr size_t kMinItemSize = 1;
constexpr size_t kMinVariableSize = 1;

bool HasFilePayload(uint8_t kind) {
    return kind == ukFile || kind == ukDeviceFile;
}
bool HasPathOnly(uint8_t kind) {
    return kind == ukPlainFile || kind == ukUninstaller || kind == ukDirectory || kind == ukConduit;
}

} // namespace

std::string UninstallFileNamePart(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void WriteUninstallItem(ByteWriter& w, const TUninstallItem& item) {
    w.U8(item.kind);
    if (HasFilePayload(item.kind)) {
        w.Str(item.path);
        TFileEntry e = item.file;
        e.sourceName = UninstallFileNamePart(e.sourceName);
        e.text2 = UninstallFileNamePart(e.text2);
        if (e.overwriteMode == 7) {
            e.overwriteMode = 8;
            e.shared = 1;
        }
        WriteFileEntry(w, e);
    } else if (HasPathOnly(item.kind)) {
        w.Str(item.path);
    } else if (item.kind == ukRegistryValue) {
        WriteRegistryRecord(w, item.registry);
    }
}

TUninstallItem ReadUninstallItem(ByteReader& r, WordWidth width) {
    TUninstallItem item;
    item.kind = r.U8("uninstall item kind");
    if (HasFilePayload(item.kind)) {
        item.path = r.Str("uninstall item path");
        item.file = ReadFileEntry(r, width);
    } else if (HasPathOnly(item.kind)) {
        item.path = r.Str("uninstall item path");
    } else if (item.kind == ukRegistryValue) {
        item.registry = ReadRegistryRecord(r, width);
    }
    return item;
}

void WriteUninstallHeader(ByteWriter& w, const TUninstallData& d) {
    w.U32(kUninstallMagicI);
    w.Str(d.softwareName);
    w.Str(d.description);
    w.Str(d.companyName);
    w.U8(d.keepSystemFont);
    w.U8(d.uninstallerOption);
    WriteFont(w, d.font);
    for (const std::string& t : d.uninstallerTexts)
        w.Str(t);
    for (const std::string& t : d.promptButtons)
        w.Str(t);
    for (const std::string& t : d.fileLabels)
        w.Str(t);
    w.Str(d.deviceConnectionText);
    WriteScript(w, d.beforeUninstall);
    WriteScript(w, d.afterUninstall);
    w.Str(d.setupPath);
    w.Str(d.iconPath);
    w.Str(d.installedComponents);
    w.I32(int32_t(d.platforms.size()));
    for (const TPlatformRecord& p : d.platforms)
        WritePlatformRecord(w, p, true);
    w.I32(int32_t(d.variables.size()));
    for (const std::string& v : d.variables)
        w.Str(v);
}

void WriteUninstallItems(ByteWriter& w, const std::vector<TUninstallItem>& first,
                         const std::vector<TUninstallItem>& second) {
    w.I32(int32_t(first.size() + second.size()));
    for (const TUninstallItem& i : first)
        WriteUninstallItem(w, i);
    for (const TUninstallItem& i : second)
        WriteUninstallItem(w, i);
}

std::vector<uint8_t> BuildUninstallData(const TUninstallData& data) {
    ByteWriter w;
    WriteUninstallHeader(w, data);
    WriteUninstallItems(w, data.items);
    return w.Take();
}

TUninstallData ReadUninstallData(ByteReader& r) {
    TUninstallData d;
    uint32_t magic = r.U32("uninstall data magic");
    if (magic < kUninstallMagicE || magic > kUninstallMagicI) throw FormatError(kInvalidUninstallData);
    d.version = char(magic & 0xFF);
    const WordWidth width = d.version >= 'h' ? WordWidth::Two : WordWidth::One;

    d.softwareName = r.Str("software name");
    d.description = r.Str("description");
    d.companyName = r.Str("company name");
    d.keepSystemFont = r.U8("keep-system-font flag");
    d.uninstallerOption = r.U8("uninstaller option");
    d.font = ReadFont(r);
    for (std::string& t : d.uninstallerTexts)
        t = r.Str("uninstaller text");
    if (d.version >= 'f')
        for (std::string& t : d.promptButtons)
            t = r.Str("prompt button text");
    if (d.version >= 'g')
        for (std::string& t : d.fileLabels)
            t = r.Str("prompt file label");
    d.deviceConnectionText = r.Str("device connection text");
    d.beforeUninstall = ReadScript(r);
    d.afterUninstall = ReadScript(r);
    d.setupPath = r.Str("setup program path");
    d.iconPath = r.Str("icon path");
    d.installedComponents = r.Str("installed components");

    const bool platformKind = d.version >= 'i';
    size_t platforms = r.Count(kMinPlatformRecordSize - (platformKind ? 0 : 1), "device platform count");
    d.platforms.reserve(platforms);
    for (size_t i = 0; i < platforms; ++i)
        d.platforms.push_back(ReadPlatformRecord(r, platformKind));

    size_t variables = r.Count(kMinVariableSize, "variable count");
    d.variables.reserve(variables);
    for (size_t i = 0; i < variables; ++i)
        d.variables.push_back(r.Str("variable"));

    size_t items = r.Count(kMinItemSize, "uninstall item count");
    d.items.reserve(items);
    for (size_t i = 0; i < items; ++i)
        d.items.push_back(ReadUninstallItem(r, width));
    return d;
}

} // namespace cvn
