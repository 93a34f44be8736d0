#pragma once

#include "EnglishMessages.h"

#include "package/PackageModel.h"

namespace cvn::project {

// What a record holds when the project leaves it out. Reading starts every record
// from its default and writing leaves out what equals it, so the two agree.
template <typename T> T DefaultOf() {
    return T{};
}

template <> inline TFontRecord DefaultOf<TFontRecord>() {
    TFontRecord f;
    f.face = "Tahoma";
    f.size = 8;
    return f;
}

template <> inline TMessageTable DefaultOf<TMessageTable>() {
    return EnglishMessages();
}

template <> inline TAppearance DefaultOf<TAppearance>() {
    TAppearance a;
    a.windowTitle = "%SoftwareName% Setup";
    a.setupFont = DefaultOf<TFontRecord>();
    return a;
}

template <> inline TSettingsRecord DefaultOf<TSettingsRecord>() {
    TSettingsRecord s;
    s.defaultInstallDir = "%ProgramFilesDir%\\%CompanyName%\\%SoftwareName%";
    s.defaultProgramGroup = "%SoftwareName%";
    s.uninstallDisplayName = "%SoftwareName%";
    s.appearance = DefaultOf<TAppearance>();
    return s;
}

template <> inline TProductSection DefaultOf<TProductSection>() {
    TProductSection p;
    p.settings = DefaultOf<TSettingsRecord>();
    return p;
}

template <> inline TStartupFlags DefaultOf<TStartupFlags>() {
    TStartupFlags f;
    f.writeUninstallData = 1; // registered for Add/Remove Programs unless the project says not
    return f;
}

template <> inline TLanguage DefaultOf<TLanguage>() {
    TLanguage l;
    l.messages = EnglishMessages();
    return l;
}

template <> inline TLanguageSection DefaultOf<TLanguageSection>() {
    TLanguage english = DefaultOf<TLanguage>();
    english.name = "English";
    english.value = 9;
    english.isDefault = 1;
    TLanguageSection s;
    s.languages.push_back(english);
    return s;
}

template <> inline TDialogDefinition DefaultOf<TDialogDefinition>() {
    TDialogDefinition d;
    d.font = DefaultOf<TFontRecord>();
    return d;
}

template <> inline TPackage DefaultOf<TPackage>() {
    TPackage p;
    p.product = DefaultOf<TProductSection>();
    p.languages = DefaultOf<TLanguageSection>();
    p.flags = DefaultOf<TStartupFlags>();
    return p;
}

} // namespace cvn::project
