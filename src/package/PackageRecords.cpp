#include "PackageRecords.h"

namespace cvn {

namespace {

uint16_t ReadWord(ByteReader& r, WordWidth width, const char* what) {
    return width == WordWidth::Two ? r.U16(what) : r.U8(what);
}

// The one-byte form keeps the low byte, as the older uninstall data did.
void WriteWord(ByteWriter& w, uint16_t v, WordWidth width) {
    if (width == WordWidth::Two)
        w.U16(v);
    else
        w.U8(uint8_t(v));
}

} // namespace

std::string ReadFixedText(ByteReader& r, const char* what) {
    std::string s = r.Str(what);
    if (s.size() > kMaxFixedText) s.resize(kMaxFixedText);
    return s;
}

TFontRecord ReadFont(ByteReader& r) {
    TFontRecord f;
    f.face = ReadFixedText(r, "font face name");
    f.size = r.I32("font size");
    f.color = r.I32("font colour");
    f.style = r.U8("font style");
    f.charset = r.U8("font character set");
    return f;
}

void WriteFont(ByteWriter& w, const TFontRecord& f) {
    w.Str(std::string_view(f.face).substr(0, kMaxFixedText));
    w.I32(f.size);
    w.I32(f.color);
    w.U8(f.style);
    w.U8(f.charset);
}

TFileEntry ReadFileEntry(ByteReader& r, WordWidth width) {
    TFileEntry e;
    e.sourceName = r.Str("file entry source name");
    e.targetDir = r.Str("file entry target folder");
    e.overwriteMode = r.U8("file entry overwrite rule");
    e.word1 = ReadWord(r, width, "file entry word field");
    e.text1 = r.Str("file entry text 1");
    e.shared = r.U8("file entry shared flag");
    e.registerServer = r.U8("file entry server flag");
    e.registerTypeLib = r.U8("file entry type library flag");
    e.hotSyncInstall = r.U8("file entry HotSync flag");
    e.activeX = r.U8("file entry ActiveX flag");
    e.byte1 = r.U8("file entry byte 1");
    e.text2 = r.Str("file entry text 2");
    e.font = r.U8("file entry font flag");
    e.fontName = r.Str("file entry font name");
    e.text3 = r.Str("file entry text 3");
    e.components = r.Str("file entry component list");
    e.condition = r.Str("file entry condition");
    return e;
}

void WriteFileEntry(ByteWriter& w, const TFileEntry& e, WordWidth width) {
    w.Str(e.sourceName);
    w.Str(e.targetDir);
    w.U8(e.overwriteMode);
    WriteWord(w, e.word1, width);
    w.Str(e.text1);
    w.U8(e.shared);
    w.U8(e.registerServer);
    w.U8(e.registerTypeLib);
    w.U8(e.hotSyncInstall);
    w.U8(e.activeX);
    w.U8(e.byte1);
    w.Str(e.text2);
    w.U8(e.font);
    w.Str(e.fontName);
    w.Str(e.text3);
    w.Str(e.components);
    w.Str(e.condition);
}

TFileRecord ReadFileRecord(ByteReader& r) {
    TFileRecord f;
    f.memberId = r.I32("file member id");
    f.versionMS = r.U32("file version (high part)");
    f.versionLS = r.U32("file version (low part)");
    f.fileDate = r.U32("file date");
    f.fileSize = r.U32("file size");
    f.entry = ReadFileEntry(r);
    return f;
}

void WriteFileRecord(ByteWriter& w, const TFileRecord& f) {
    w.I32(f.memberId);
    w.U32(f.versionMS);
    w.U32(f.versionLS);
    w.U32(f.fileDate);
    w.U32(f.fileSize);
    WriteFileEntry(w, f.entry);
}

TSupportFile ReadSupportFile(ByteReader& r) {
    TSupportFile f;
    f.memberId = r.I32("support file member id");
    f.entry = ReadFileEntry(r);
    return f;
}

void WriteSupportFile(ByteWriter& w, const TSupportFile& f) {
    w.I32(f.memberId);
    WriteFileEntry(w, f.entry);
}

TShortcutRecord ReadShortcut(ByteReader& r, WordWidth width) {
    TShortcutRecord s;
    s.name = r.Str("shortcut name");
    s.target = r.Str("shortcut target");
    s.arguments = r.Str("shortcut arguments");
    s.description = r.Str("shortcut description");
    s.showCommand = r.I32("shortcut show command");
    s.folder = r.Str("shortcut folder");
    s.iconFile = r.Str("shortcut icon file");
    s.iconIndex = r.I32("shortcut icon index");
    s.word1 = ReadWord(r, width, "shortcut word field");
    s.text1 = r.Str("shortcut text 1");
    s.text2 = r.Str("shortcut text 2");
    s.components = r.Str("shortcut component list");
    s.condition = r.Str("shortcut condition");
    return s;
}

void WriteShortcut(ByteWriter& w, const TShortcutRecord& s, WordWidth width) {
    w.Str(s.name);
    w.Str(s.target);
    w.Str(s.arguments);
    w.Str(s.description);
    w.I32(s.showCommand);
    w.Str(s.folder);
    w.Str(s.iconFile);
    w.I32(s.iconIndex);
    WriteWord(w, s.word1, width);
    w.Str(s.text1);
    w.Str(s.text2);
    w.Str(s.components);
    w.Str(s.condition);
}

TRegistryRecord ReadRegistryRecord(ByteReader& r, WordWidth width) {
    TRegistryRecord g;
    g.root = r.U8("registry root");
    g.key = r.Str("registry key");
    g.valueType = r.I32("registry value type");
    g.valueName = r.Str("registry value name");
    g.data = r.Str("registry data");
    g.word1 = ReadWord(r, width, "registry word field");
    g.text1 = r.Str("registry text 1");
    g.text2 = r.Str("registry text 2");
    g.components = r.Str("registry component list");
    g.condition = r.Str("registry condition");
    return g;
}

void WriteRegistryRecord(ByteWriter& w, const TRegistryRecord& g, WordWidth width) {
    w.U8(g.root);
    w.Str(g.key);
    w.I32(g.valueType);
    w.Str(g.valueName);
    w.Str(g.data);
    WriteWord(w, g.word1, width);
    w.Str(g.text1);
    w.Str(g.text2);
    w.Str(g.components);
    w.Str(g.condition);
}

TCustomVariableEntry ReadCustomVariable(ByteReader& r) {
    TCustomVariableEntry v;
    v.name = r.Str("custom variable name");
    v.registry = ReadRegistryRecord(r);
    v.stripBackslash = r.U8("custom variable strip flag");
    return v;
}

void WriteCustomVariable(ByteWriter& w, const TCustomVariableEntry& v) {
    w.Str(v.name);
    WriteRegistryRecord(w, v.registry);
    w.U8(v.stripBackslash);
}

TBackgroundItem ReadBackgroundItem(ByteReader& r) {
    TBackgroundItem b;
    b.kind = r.U8("background item kind");
    b.corner = r.U8("background item corner");
    b.entrance = r.U8("background item entrance");
    if (b.IsText()) {
        b.text = r.Str("background item text");
        b.font = ReadFont(r);
        b.shadowColor = r.I32("background item shadow colour");
        b.shadow = r.U8("background item shadow flag");
    } else {
        b.pictureFile = r.Str("background item picture file");
        b.transparentColor = r.I32("background item transparent colour");
        b.transparent = r.U8("background item transparent flag");
    }
    return b;
}

void WriteBackgroundItem(ByteWriter& w, const TBackgroundItem& b) {
    w.U8(b.kind);
    w.U8(b.corner);
    w.U8(b.entrance);
    if (b.IsText()) {
        w.Str(b.text);
        WriteFont(w, b.font);
        w.I32(b.shadowColor);
        w.U8(b.shadow);
    } else {
        w.Str(b.pictureFile);
        w.I32(b.transparentColor);
        w.U8(b.transparent);
    }
}

TComponentRecord ReadComponent(ByteReader& r) {
    TComponentRecord c;
    c.name = r.Str("component name");
    c.description = r.Str("component description");
    c.iconFile = r.Str("component icon file");
    c.archiveOffset = r.I32("component archive offset");
    c.archiveSize = r.I32("component archive size");
    c.progressStart = r.I32("component progress start");
    return c;
}

void WriteComponent(ByteWriter& w, const TComponentRecord& c) {
    w.Str(c.name);
    w.Str(c.description);
    w.Str(c.iconFile);
    w.I32(c.archiveOffset);
    w.I32(c.archiveSize);
    w.I32(c.progressStart);
}

TConduitRecord ReadConduit(ByteReader& r) {
    TConduitRecord c;
    c.creatorId = r.Str("conduit creator id");
    c.kind = r.U8("conduit kind");
    c.conduitFile = r.Str("conduit file");
    c.directory = r.Str("conduit directory");
    c.remote0 = r.Str("conduit remote name");
    c.file0 = r.Str("conduit file name");
    c.conduitName = r.Str("conduit name");
    c.information = r.Str("conduit information");
    c.priority = r.U8("conduit priority");
    c.module = r.Str("conduit module");
    c.isCom = r.U8("conduit COM flag");
    c.comClient = r.Str("conduit COM client");
    return c;
}

void WriteConduit(ByteWriter& w, const TConduitRecord& c) {
    w.Str(c.creatorId);
    w.U8(c.kind);
    w.Str(c.conduitFile);
    w.Str(c.directory);
    w.Str(c.remote0);
    w.Str(c.file0);
    w.Str(c.conduitName);
    w.Str(c.information);
    w.U8(c.priority);
    w.Str(c.module);
    w.U8(c.isCom);
    w.Str(c.comClient);
}

TDeviceApplication ReadExtraDeviceApplication(ByteReader& r) {
    TDeviceApplication a;
    a.name = r.Str("device application name");
    a.folder = r.Str("device application folder");
    a.description = r.Str("device application description");
    a.text1 = r.Str("device application text");
    a.cabFiles = r.Str("device application cabinet list");
    return a;
}

void WriteExtraDeviceApplication(ByteWriter& w, const TDeviceApplication& a) {
    w.Str(a.name);
    w.Str(a.folder);
    w.Str(a.description);
    w.Str(a.text1);
    w.Str(a.cabFiles);
}

TPlatformRecord ReadPlatformRecord(ByteReader& r, bool withKind) {
    TPlatformRecord p;
    if (withKind) p.kind = r.U8("platform kind");
    p.name = r.Str("platform entry name");
    p.platform = r.Str("platform name");
    p.models = r.Str("platform model list");
    p.processors = r.I32("platform processor set");
    p.processors2 = r.I32("platform second processor set");
    p.minVersion = r.Str("platform lowest version");
    p.maxVersion = r.Str("platform highest version");
    return p;
}

void WritePlatformRecord(ByteWriter& w, const TPlatformRecord& p, bool withKind) {
    if (withKind) w.U8(p.kind);
    w.Str(p.name);
    w.Str(p.platform);
    w.Str(p.models);
    w.I32(p.processors);
    w.I32(p.processors2);
    w.Str(p.minVersion);
    w.Str(p.maxVersion);
}

} // namespace cvn
