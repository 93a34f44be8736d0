#include "PackageSections.h"

namespace cvn {

namespace {

template <typename T, typename ReadOne>
std::vector<T> ReadList(ByteReader& r, size_t minRecordSize, const char* what, ReadOne readOne) {
    size_t count = r.Count(minRecordSize, what);
    std::vector<T> list;
    list.reserve(count);
    for (size_t i = 0; i < count; ++i)
        list.push_back(readOne(r));
    return list;
}

template <typename T, typename WriteOne>
void WriteList(ByteWriter& w, const std::vector<T>& list, WriteOne writeOne) {
    w.I32(int32_t(list.size()));
    for (const auto& item : list)
        writeOne(w, item);
}

std::vector<std::string> ReadTextList(ByteReader& r, const char* countWhat, const char* itemWhat) {
    return ReadList<std::string>(r, 1, countWhat, [itemWhat](ByteReader& br) { return br.Str(itemWhat); });
}

void WriteTextList(ByteWriter& w, const std::vector<std::string>& list) {
    WriteList(w, list, [](ByteWriter& bw, const std::string& s) { bw.Str(s); });
}

TMessageTable ReadMessageTable(ByteReader& r) {
    TMessageTable t;
    for (auto& m : t)
        m = r.Str("message text");
    return t;
}

void WriteMessageTable(ByteWriter& w, const TMessageTable& t) {
    for (const auto& m : t)
        w.Str(m);
}

} // namespace

TProductSection ReadProductSection(ByteReader& r) {
    TProductSection p;
    TSettingsRecord& s = p.settings;
    p.unused1 = r.U8("first settings byte");
    s.softwareName = r.Str("software name");
    s.companyName = r.Str("company name");
    s.defaultInstallDir = r.Str("default install folder");
    s.defaultProgramGroup = r.Str("default program group");
    s.description = r.Str("description");
    for (auto& c : s.setupTypeComponents)
        c = r.Str("setup type component list");
    p.requirements.minScreenClass = r.U8("minimum screen class");
    p.requirements.minColorDepth = r.I32("minimum colour depth");
    p.requirements.minMemory = r.I32("minimum memory");
    p.unused13 = r.I32("settings field 13");
    p.unused14 = r.I32("settings field 14");
    p.windows.minVersion = r.I32("lowest Windows version");
    p.windows.minServicePack = r.U16("lowest service pack");
    p.windows.maxVersion = r.I32("highest Windows version");
    p.windows.maxServicePack = r.U16("highest service pack");
    s.uninstallDisplayName = r.Str("uninstall display name");
    s.displayVersion = r.Str("display version");
    s.contact = r.Str("contact");
    s.urlInfoAbout = r.Str("product information address");
    s.helpLink = r.Str("help address");
    s.urlUpdateInfo = r.Str("update information address");
    return p;
}

void WriteProductSection(ByteWriter& w, const TProductSection& p) {
    const TSettingsRecord& s = p.settings;
    w.U8(p.unused1);
    w.Str(s.softwareName);
    w.Str(s.companyName);
    w.Str(s.defaultInstallDir);
    w.Str(s.defaultProgramGroup);
    w.Str(s.description);
    for (const auto& c : s.setupTypeComponents)
        w.Str(c);
    w.U8(p.requirements.minScreenClass);
    w.I32(p.requirements.minColorDepth);
    w.I32(p.requirements.minMemory);
    w.I32(p.unused13);
    w.I32(p.unused14);
    w.I32(p.windows.minVersion);
    w.U16(p.windows.minServicePack);
    w.I32(p.windows.maxVersion);
    w.U16(p.windows.maxServicePack);
    w.Str(s.uninstallDisplayName);
    w.Str(s.displayVersion);
    w.Str(s.contact);
    w.Str(s.urlInfoAbout);
    w.Str(s.helpLink);
    w.Str(s.urlUpdateInfo);
}

TLanguageSection ReadLanguageSection(ByteReader& r) {
    constexpr size_t kMinLanguageSize = 1 + 4 + 1 + kMessageCount;
    TLanguageSection l;
    size_t count = r.Count(kMinLanguageSize, "language count");
    if (count == 0) {
        l.unnamedTable = ReadMessageTable(r);
        return l;
    }
    l.languages.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        TLanguage lang;
        lang.name = r.Str("language name");
        lang.value = r.I32("language value");
        lang.isDefault = r.U8("language default flag");
        lang.messages = ReadMessageTable(r);
        l.languages.push_back(std::move(lang));
    }
    return l;
}

void WriteLanguageSection(ByteWriter& w, const TLanguageSection& l) {
    w.I32(int32_t(l.languages.size()));
    if (l.languages.empty()) {
        WriteMessageTable(w, l.unnamedTable.value_or(TMessageTable{}));
        return;
    }
    for (const auto& lang : l.languages) {
        w.Str(lang.name);
        w.I32(lang.value);
        w.U8(lang.isDefault);
        WriteMessageTable(w, lang.messages);
    }
}

TAppearance ReadAppearance(ByteReader& r) {
    TAppearance a;
    a.defaultDialogPicture = r.Str("default dialog picture");
    a.windowTitle = r.Str("window title");
    a.backgroundPicture = r.Str("background picture");
    a.backgroundMode = r.U8("background picture mode");
    a.gradientStart = r.I32("gradient start colour");
    a.gradientEnd = r.I32("gradient end colour");
    a.gradientDirection = r.U8("gradient direction");
    a.backgroundWindowSize = r.U8("background window size");
    a.splashPicture = r.Str("splash picture");
    a.setupFont = ReadFont(r);
    a.licenceFile = r.Str("licence text file");
    return a;
}

void WriteAppearance(ByteWriter& w, const TAppearance& a) {
    w.Str(a.defaultDialogPicture);
    w.Str(a.windowTitle);
    w.Str(a.backgroundPicture);
    w.U8(a.backgroundMode);
    w.I32(a.gradientStart);
    w.I32(a.gradientEnd);
    w.U8(a.gradientDirection);
    w.U8(a.backgroundWindowSize);
    w.Str(a.splashPicture);
    WriteFont(w, a.setupFont);
    w.Str(a.licenceFile);
}

TStartupFlags ReadStartupFlags(ByteReader& r) {
    TStartupFlags f;
    f.removeDeviceFiles = r.U8("start-up flag 0");
    f.backgroundWindow = r.U8("start-up flag 1");
    f.requiresActiveSync = r.U8("start-up flag 2");
    f.requiresHotSync = r.U8("start-up flag 3");
    f.uninstallerOption = r.U8("start-up flag 4");
    f.writeUninstallData = r.U8("start-up flag 5");
    f.keepSystemFont = r.U8("start-up flag 6");
    return f;
}

void WriteStartupFlags(ByteWriter& w, const TStartupFlags& f) {
    w.U8(f.removeDeviceFiles);
    w.U8(f.backgroundWindow);
    w.U8(f.requiresActiveSync);
    w.U8(f.requiresHotSync);
    w.U8(f.uninstallerOption);
    w.U8(f.writeUninstallData);
    w.U8(f.keepSystemFont);
}

std::vector<TCustomVariableEntry> ReadCustomVariableSection(ByteReader& r) {
    return ReadList<TCustomVariableEntry>(r, 1 + kMinRegistryRecordSize + 1, "custom variable count",
                                          ReadCustomVariable);
}

void WriteCustomVariableSection(ByteWriter& w, const std::vector<TCustomVariableEntry>& v) {
    WriteList(w, v, WriteCustomVariable);
}

std::vector<TBackgroundItem> ReadBackgroundSection(ByteReader& r) {
    // Kind, corner, entrance and the shorter (picture) body.
    return ReadList<TBackgroundItem>(r, 3 + 1 + 4 + 1, "background item count", ReadBackgroundItem);
}

void WriteBackgroundSection(ByteWriter& w, const std::vector<TBackgroundItem>& items) {
    WriteList(w, items, WriteBackgroundItem);
}

TComponentSection ReadComponentSection(ByteReader& r) {
    TComponentSection c;
    c.progress.mainArchiveSize = r.I32("main archive size");
    c.progress.factor = r.F64("progress factor");
    c.components = ReadList<TComponentRecord>(r, 3 + 12, "component count", ReadComponent);
    c.conduits = ReadList<TConduitRecord>(r, 9 + 3, "conduit count", ReadConduit);
    return c;
}

void WriteComponentSection(ByteWriter& w, const TComponentSection& c) {
    w.I32(c.progress.mainArchiveSize);
    w.F64(c.progress.factor);
    WriteList(w, c.components, WriteComponent);
    WriteList(w, c.conduits, WriteConduit);
}

std::vector<std::string> ReadBillboardSection(ByteReader& r) {
    return ReadTextList(r, "billboard count", "billboard picture");
}

void WriteBillboardSection(ByteWriter& w, const std::vector<std::string>& b) {
    WriteTextList(w, b);
}

std::array<TScript, kEventScriptCount> ReadEventScriptSection(ByteReader& r) {
    std::array<TScript, kEventScriptCount> s;
    for (auto& script : s)
        script = ReadScript(r);
    return s;
}

void WriteEventScriptSection(ByteWriter& w, const std::array<TScript, kEventScriptCount>& s) {
    for (const auto& script : s)
        WriteScript(w, script);
}

TFolderSection ReadFolderSection(ByteReader& r) {
    TFolderSection f;
    f.installFolders = ReadTextList(r, "install folder count", "install folder");
    f.programGroupFolders = ReadTextList(r, "program-group folder count", "program-group folder");
    return f;
}

void WriteFolderSection(ByteWriter& w, const TFolderSection& f) {
    WriteTextList(w, f.installFolders);
    WriteTextList(w, f.programGroupFolders);
}

std::vector<TSupportFile> ReadSupportFileSection(ByteReader& r) {
    return ReadList<TSupportFile>(r, 4 + kMinFileEntrySize, "support file count", ReadSupportFile);
}

void WriteSupportFileSection(ByteWriter& w, const std::vector<TSupportFile>& s) {
    WriteList(w, s, WriteSupportFile);
}

TFileSection ReadFileSection(ByteReader& r) {
    TFileSection f;
    // The count comes before the main application, which takes at least two bytes.
    size_t extras = r.Count(5, "device application count");
    f.applications.main.folder = r.Str("device application folder");
    f.applications.main.cabFiles = r.Str("device application cabinet list");
    if (extras > r.Remaining() / 5)
        r.Fail("device application count", 0, "is larger than its section can hold");
    f.applications.extras.reserve(extras);
    for (size_t i = 0; i < extras; ++i)
        f.applications.extras.push_back(ReadExtraDeviceApplication(r));
    f.files = ReadList<TFileRecord>(r, 20 + kMinFileEntrySize, "file count", ReadFileRecord);
    return f;
}

void WriteFileSection(ByteWriter& w, const TFileSection& f) {
    w.I32(int32_t(f.applications.extras.size()));
    w.Str(f.applications.main.folder);
    w.Str(f.applications.main.cabFiles);
    for (const auto& a : f.applications.extras)
        WriteExtraDeviceApplication(w, a);
    WriteList(w, f.files, WriteFileRecord);
}

std::vector<TShortcutRecord> ReadShortcutSection(ByteReader& r) {
    return ReadList<TShortcutRecord>(r, kMinShortcutSize, "shortcut count",
                                     [](ByteReader& br) { return ReadShortcut(br); });
}

void WriteShortcutSection(ByteWriter& w, const std::vector<TShortcutRecord>& s) {
    WriteList(w, s, [](ByteWriter& bw, const TShortcutRecord& x) { WriteShortcut(bw, x); });
}

std::vector<TRegistryRecord> ReadRegistrySection(ByteReader& r) {
    return ReadList<TRegistryRecord>(r, kMinRegistryRecordSize, "registry record count",
                                     [](ByteReader& br) { return ReadRegistryRecord(br); });
}

void WriteRegistrySection(ByteWriter& w, const std::vector<TRegistryRecord>& g) {
    WriteList(w, g, [](ByteWriter& bw, const TRegistryRecord& x) { WriteRegistryRecord(bw, x); });
}

std::vector<TPlatformRecord> ReadPlatformTable(ByteReader& r, bool withKind) {
    return ReadList<TPlatformRecord>(r, kMinPlatformRecordSize - (withKind ? 0 : 1), "platform count",
                                     [withKind](ByteReader& br) { return ReadPlatformRecord(br, withKind); });
}

void WritePlatformTable(ByteWriter& w, const std::vector<TPlatformRecord>& p, bool withKind) {
    WriteList(w, p,
              [withKind](ByteWriter& bw, const TPlatformRecord& x) { WritePlatformRecord(bw, x, withKind); });
}

} // namespace cvn
