#pragma once

// One field list per package record, shared by every form that reads or writes the
// model as named fields (the JSON form and the project file), so that the forms
// and their two directions cannot drift apart. The visitor is called as
// v(key, field), and v.Prefix(key, array, n) for text arrays of which only the
// first n are stored.

#include "package/PackageModel.h"

#include <array>
#include <optional>
#include <type_traits>
#include <vector>

namespace cvn::fields {

template <typename T> struct IsVector : std::false_type {};
template <typename T> struct IsVector<std::vector<T>> : std::true_type {};
template <typename T> struct IsArray : std::false_type {};
template <typename T, size_t N> struct IsArray<std::array<T, N>> : std::true_type {};
template <typename T> struct IsOptional : std::false_type {};
template <typename T> struct IsOptional<std::optional<T>> : std::true_type {};

template <typename V> void Describe(V& v, TFontRecord& f) {
    v("face", f.face);
    v("size", f.size);
    v("color", f.color);
    v("style", f.style);
    v("charset", f.charset);
}

template <typename V> void Describe(V& v, TFileEntry& e) {
    v("sourceName", e.sourceName);
    v("targetDir", e.targetDir);
    v("overwriteMode", e.overwriteMode);
    v("word1", e.word1);
    v("text1", e.text1);
    v("shared", e.shared);
    v("registerServer", e.registerServer);
    v("registerTypeLib", e.registerTypeLib);
    v("hotSyncInstall", e.hotSyncInstall);
    v("activeX", e.activeX);
    v("byte1", e.byte1);
    v("text2", e.text2);
    v("font", e.font);
    v("fontName", e.fontName);
    v("text3", e.text3);
    v("components", e.components);
    v("condition", e.condition);
}

template <typename V> void Describe(V& v, TFileRecord& f) {
    v("memberId", f.memberId);
    v("versionMS", f.versionMS);
    v("versionLS", f.versionLS);
    v("fileDate", f.fileDate);
    v("fileSize", f.fileSize);
    v("entry", f.entry);
}

template <typename V> void Describe(V& v, TSupportFile& f) {
    v("memberId", f.memberId);
    v("entry", f.entry);
}

template <typename V> void Describe(V& v, TShortcutRecord& s) {
    v("name", s.name);
    v("target", s.target);
    v("arguments", s.arguments);
    v("description", s.description);
    v("showCommand", s.showCommand);
    v("folder", s.folder);
    v("iconFile", s.iconFile);
    v("iconIndex", s.iconIndex);
    v("word1", s.word1);
    v("text1", s.text1);
    v("text2", s.text2);
    v("components", s.components);
    v("condition", s.condition);
}

template <typename V> void Describe(V& v, TRegistryRecord& g) {
    v("root", g.root);
    v("key", g.key);
    v("valueType", g.valueType);
    v("valueName", g.valueName);
    v("data", g.data);
    v("word1", g.word1);
    v("text1", g.text1);
    v("text2", g.text2);
    v("components", g.components);
    v("condition", g.condition);
}

template <typename V> void Describe(V& v, TCustomVariableEntry& c) {
    v("name", c.name);
    v("registry", c.registry);
    v("stripBackslash", c.stripBackslash);
}

template <typename V> void Describe(V& v, TBackgroundItem& b) {
    v("kind", b.kind);
    v("corner", b.corner);
    v("entrance", b.entrance);
    v("text", b.text);
    v("font", b.font);
    v("shadowColor", b.shadowColor);
    v("shadow", b.shadow);
    v("pictureFile", b.pictureFile);
    v("transparentColor", b.transparentColor);
    v("transparent", b.transparent);
}

template <typename V> void Describe(V& v, TComponentRecord& c) {
    v("name", c.name);
    v("description", c.description);
    v("iconFile", c.iconFile);
    v("archiveOffset", c.archiveOffset);
    v("archiveSize", c.archiveSize);
    v("progressStart", c.progressStart);
}

template <typename V> void Describe(V& v, TConduitRecord& c) {
    v("creatorId", c.creatorId);
    v("kind", c.kind);
    v("conduitFile", c.conduitFile);
    v("directory", c.directory);
    v("remote0", c.remote0);
    v("file0", c.file0);
    v("conduitName", c.conduitName);
    v("information", c.information);
    v("priority", c.priority);
    v("module", c.module);
    v("isCom", c.isCom);
    v("comClient", c.comClient);
}

template <typename V> void Describe(V& v, TDeviceApplication& a) {
    v("name", a.name);
    v("folder", a.folder);
    v("description", a.description);
    v("text1", a.text1);
    v("cabFiles", a.cabFiles);
}

template <typename V> void Describe(V& v, TPlatformRecord& p) {
    v("kind", p.kind);
    v("name", p.name);
    v("platform", p.platform);
    v("models", p.models);
    v("processors", p.processors);
    v("processors2", p.processors2);
    v("minVersion", p.minVersion);
    v("maxVersion", p.maxVersion);
}

template <typename V> void Describe(V& v, TControlDefinition& c) {
    v("kind", c.kind);
    v("variable", c.variable);
    v("role", c.role);
    v("left", c.left);
    v("top", c.top);
    v("height", c.height);
    v("width", c.width);
    v.Prefix("text", c.text, ControlTextCount(c.kind));
    v("eventScript", c.eventScript);
}

template <typename V> void Describe(V& v, TDialogDefinition& d) {
    v("name", d.name);
    v("caption", d.caption);
    v("height", d.height);
    v("width", d.width);
    v("font", d.font);
    v("outOfSequence", d.outOfSequence);
    v("styleName", d.styleName);
    v("controls", d.controls);
    v("beforeBuildScript", d.beforeBuildScript);
    v("afterBuildScript", d.afterBuildScript);
    v("afterShowScript", d.afterShowScript);
    v("leaveScript", d.leaveScript);
}

template <typename V> void Describe(V& v, TAppearance& a) {
    v("defaultDialogPicture", a.defaultDialogPicture);
    v("windowTitle", a.windowTitle);
    v("backgroundPicture", a.backgroundPicture);
    v("backgroundMode", a.backgroundMode);
    v("gradientStart", a.gradientStart);
    v("gradientEnd", a.gradientEnd);
    v("gradientDirection", a.gradientDirection);
    v("backgroundWindowSize", a.backgroundWindowSize);
    v("splashPicture", a.splashPicture);
    v("setupFont", a.setupFont);
    v("licenceFile", a.licenceFile);
}

template <typename V> void Describe(V& v, TSettingsRecord& s) {
    v("softwareName", s.softwareName);
    v("companyName", s.companyName);
    v("defaultInstallDir", s.defaultInstallDir);
    v("defaultProgramGroup", s.defaultProgramGroup);
    v("description", s.description);
    v("setupTypeComponents", s.setupTypeComponents);
    v("uninstallDisplayName", s.uninstallDisplayName);
    v("displayVersion", s.displayVersion);
    v("contact", s.contact);
    v("urlInfoAbout", s.urlInfoAbout);
    v("helpLink", s.helpLink);
    v("urlUpdateInfo", s.urlUpdateInfo);
    v("appearance", s.appearance);
}

template <typename V> void Describe(V& v, TRequirements& r) {
    v("minScreenClass", r.minScreenClass);
    v("minColorDepth", r.minColorDepth);
    v("minMemory", r.minMemory);
}

template <typename V> void Describe(V& v, TWindowsVersionLimits& w) {
    v("minVersion", w.minVersion);
    v("minServicePack", w.minServicePack);
    v("maxVersion", w.maxVersion);
    v("maxServicePack", w.maxServicePack);
}

template <typename V> void Describe(V& v, TProductSection& p) {
    v("unused1", p.unused1);
    v("settings", p.settings);
    v("requirements", p.requirements);
    v("unused13", p.unused13);
    v("unused14", p.unused14);
    v("windows", p.windows);
}

template <typename V> void Describe(V& v, TStartupFlags& f) {
    v("removeDeviceFiles", f.removeDeviceFiles);
    v("backgroundWindow", f.backgroundWindow);
    v("requiresActiveSync", f.requiresActiveSync);
    v("requiresHotSync", f.requiresHotSync);
    v("uninstallerOption", f.uninstallerOption);
    v("writeUninstallData", f.writeUninstallData);
    v("keepSystemFont", f.keepSystemFont);
}

template <typename V> void Describe(V& v, TLanguage& l) {
    v("name", l.name);
    v("value", l.value);
    v("isDefault", l.isDefault);
    v("messages", l.messages);
}

template <typename V> void Describe(V& v, TLanguageSection& l) {
    v("languages", l.languages);
    v("unnamedMessages", l.unnamedTable);
}

template <typename V> void Describe(V& v, TProgressScale& p) {
    v("mainArchiveSize", p.mainArchiveSize);
    v("factor", p.factor);
}

template <typename V> void Describe(V& v, TDeviceApplications& a) {
    v("mainFolder", a.main.folder);
    v("mainCabFiles", a.main.cabFiles);
    v("extras", a.extras);
}

template <typename V> void Describe(V& v, TPackage& p) {
    v("product", p.product);
    v("languages", p.languages);
    v("flags", p.flags);
    v("customVariables", p.customVariables);
    v("backgroundItems", p.backgroundItems);
    v("progress", p.progress);
    v("components", p.components);
    v("conduits", p.conduits);
    v("billboards", p.billboards);
    v("eventScripts", p.eventScripts);
    v("dialogs", p.dialogs);
    v("installFolders", p.installFolders);
    v("programGroupFolders", p.programGroupFolders);
    v("supportFiles", p.supportFiles);
    v("deviceApplications", p.deviceApplications);
    v("files", p.files);
    v("shortcuts", p.shortcuts);
    v("registry", p.registry);
    v("supportFilesFlag", p.supportFilesFlag);
    v("platforms", p.platforms);
}

} // namespace cvn::fields
