#include "PackageWriter.h"

#include "PackageSections.h"
#include "PeCertificate.h"

#include "core/ByteWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace cvn {

namespace {

constexpr uint64_t kMaxOffset = 0x7FFFFFFF;

TComponentSection ComponentSectionOf(const TPackage& p) {
    return {p.progress, p.components, p.conduits};
}

// Fills the derived section 6 values once section 16's position is known.
void PlaceArchives(TComponentSection& c, const TArchiveParts& a, uint64_t section16) {
    const uint64_t mainSize = a.mainArchiveInVolumes ? a.volumeArchiveSize : a.mainArchive.size();
    uint64_t total = mainSize;
    for (const auto& arc : a.componentArchives)
        total += arc.size();

    c.progress.mainArchiveSize = int32_t(a.mainArchive.size());
    c.progress.factor = total ? 100.0 / double(total) : 0.0;
    uint64_t offset = section16 + a.mainArchive.size();
    uint64_t done = mainSize;
    for (size_t i = 0; i < c.components.size(); ++i) {
        TComponentRecord& comp = c.components[i];
        size_t size = i < a.componentArchives.size() ? a.componentArchives[i].size() : 0;
        comp.archiveOffset = size ? int32_t(offset) : 0;
        comp.archiveSize = int32_t(size);
        comp.progressStart = total ? int32_t(done * 100 / total) : 0;
        offset += size;
        done += size;
    }
}

} // namespace

bool WritePackage(std::span<const uint8_t> stub, const TPackage& p, const TArchiveParts& a,
                  std::vector<uint8_t>& out, std::string& error) {
    // A package appended after the signature would break it and could not be found
    // in front of the certificate table: signing comes last.
    if (TCertificateTable table;
        FindCertificateTable(stub.first(std::min(stub.size(), kPeHeaderBytes)), table)) {
        error = "the stub is signed already; pack an unsigned setup.exe and sign it after packing";
        return false;
    }
    if (a.componentArchives.size() > p.components.size()) {
        error = "there are more component archives than components";
        return false;
    }
    if (a.mainArchiveInVolumes && !a.mainArchive.empty()) {
        error = "the main archive cannot be both inside the executable and in volume files";
        return false;
    }

    std::array<std::vector<uint8_t>, kSectionCount> sections;
    auto build = [&](int k, auto write) {
        ByteWriter w;
        write(w);
        sections[k] = w.Take();
    };
    TComponentSection components = ComponentSectionOf(p);
    PlaceArchives(components, a, 0); // sizes only; offsets follow once the layout is known

    build(kSecSettings, [&](ByteWriter& w) { WriteProductSection(w, p.product); });
    build(kSecLanguages, [&](ByteWriter& w) { WriteLanguageSection(w, p.languages); });
    build(kSecAppearance, [&](ByteWriter& w) { WriteAppearance(w, p.product.settings.appearance); });
    build(kSecStartupFlags, [&](ByteWriter& w) { WriteStartupFlags(w, p.flags); });
    build(kSecCustomVariables, [&](ByteWriter& w) { WriteCustomVariableSection(w, p.customVariables); });
    build(kSecBackground, [&](ByteWriter& w) { WriteBackgroundSection(w, p.backgroundItems); });
    build(kSecComponents, [&](ByteWriter& w) { WriteComponentSection(w, components); });
    build(kSecBillboards, [&](ByteWriter& w) { WriteBillboardSection(w, p.billboards); });
    build(kSecEventScripts, [&](ByteWriter& w) { WriteEventScriptSection(w, p.eventScripts); });
    build(kSecDialogs, [&](ByteWriter& w) { WriteDialogSection(w, p.dialogs); });
    build(kSecFolders, [&](ByteWriter& w) {
        WriteFolderSection(w, {p.installFolders, p.programGroupFolders});
    });
    build(kSecSupportFiles, [&](ByteWriter& w) { WriteSupportFileSection(w, p.supportFiles); });
    build(kSecFiles, [&](ByteWriter& w) { WriteFileSection(w, {p.deviceApplications, p.files}); });
    build(kSecShortcuts, [&](ByteWriter& w) { WriteShortcutSection(w, p.shortcuts); });
    build(kSecRegistry, [&](ByteWriter& w) { WriteRegistrySection(w, p.registry); });
    build(kSecSupportFlag, [&](ByteWriter& w) { w.U8(p.supportFilesFlag); });
    build(kSecPlatforms, [&](ByteWriter& w) { WritePlatformTable(w, p.platforms); });

    uint64_t archiveBytes = a.mainArchive.size();
    for (const auto& arc : a.componentArchives)
        archiveBytes += arc.size();

    std::array<uint64_t, kSectionCount> offsets{};
    uint64_t pos = stub.size() + kSectionTableSize;
    for (int k = 0; k < kSectionCount; ++k) {
        offsets[k] = pos;
        pos += k == kSecMainArchive ? archiveBytes : sections[k].size();
    }
    if (pos + kTrailerSize > kMaxOffset) {
        error = "the package would reach beyond the 2 GB that its offsets can address";
        return false;
    }

    // Section 6 keeps its size: only fixed-width values change.
    PlaceArchives(components, a, offsets[kSecMainArchive]);
    build(kSecComponents, [&](ByteWriter& w) { WriteComponentSection(w, components); });

    ByteWriter w;
    w.Bytes(stub);
    for (uint64_t off : offsets)
        w.I32(int32_t(off));
    for (int k = 0; k < kSectionCount; ++k) {
        if (k != kSecMainArchive) {
            w.Bytes(sections[k]);
            continue;
        }
        w.Bytes(a.mainArchive);
        for (const auto& arc : a.componentArchives)
            w.Bytes(arc);
    }
    w.I32(int32_t(stub.size()));
    w.I32(a.mainArchiveInVolumes ? 0 : int32_t(offsets[kSecMainArchive]));
    w.U32(kPackageMagic);
    out = w.Take();
    return true;
}

} // namespace cvn
