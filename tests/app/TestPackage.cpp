#include "TestPackage.h"

#include "core/ByteWriter.h"
#include "package/CVNZipWriter.h"
#include "package/PackageWriter.h"

#include <stdexcept>

namespace cvn::test {

TestPackage::TestPackage() {
    TSettingsRecord& s = package.Settings();
    s.softwareName = "Tide Charts";
    s.companyName = "Harbour Soft";
    s.defaultInstallDir = "C:\\Program Files\\%CompanyName%\\%SoftwareName%";
    s.defaultProgramGroup = "%SoftwareName%";
    s.setupTypeComponents = {"Main|Help", "Main", "Main|Help|Extras"};
    s.appearance.windowTitle = "%SoftwareName% Setup";
    s.appearance.setupFont = {"Tahoma", 10, 0x000080, 0, 0};
    TLanguage english;
    english.name = "English";
    english.isDefault = 1;
    for (int i = 0; i < kMessageCount; ++i)
        english.messages[size_t(i)] = "Message " + std::to_string(i);
    english.messages[8] = "%SoftwareName% needs ActiveSync.";
    english.messages[53] = "Preparing %SoftwareName%...";
    english.messages[64] = "%SoftwareName% needs HotSync.";
    package.languages.languages.push_back(english);
}

void TestPackage::SetMessage(int n, const std::string& text) {
    for (auto& l : package.languages.languages)
        l.messages[size_t(n)] = text;
}

void TestPackage::AddPage(const std::string& name, uint8_t outOfSequence) {
    TDialogDefinition d;
    d.name = name;
    d.caption = name;
    d.height = 300;
    d.width = 400;
    d.outOfSequence = outOfSequence;
    package.dialogs.push_back(d);
}

std::vector<uint8_t> TestPackage::Build(const std::vector<uint8_t>& stub) const {
    TPackage p = package;
    p.supportFiles.clear();
    TCVNZipWriter zip;
    zip.CreateInMemory();
    for (const auto& f : supportFiles) {
        TSupportFile record;
        record.memberId = f.memberId;
        record.entry.sourceName = "C:\\Build\\" + f.name;
        record.entry.targetDir = f.folder;
        p.supportFiles.push_back(record);
        if (f.inArchive)
            zip.AddMember(f.memberId, 0x30A75000,
                          {reinterpret_cast<const uint8_t*>(f.content.data()), f.content.size()});
    }
    for (const auto& [id, content] : strayMembers)
        zip.AddMember(id, 0x30A75000, {reinterpret_cast<const uint8_t*>(content.data()), content.size()});
    if (!zip.Finish()) throw std::runtime_error("archive: " + zip.Error());
    p.supportFilesFlag = supportFlag;

    TArchiveParts parts;
    parts.mainArchive = zip.TakeData();
    std::vector<uint8_t> out;
    std::string error;
    if (!WritePackage(stub, p, parts, out, error)) throw std::runtime_error("package: " + error);
    return out;
}

std::string BitmapFile(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const int rowSize = (width * 3 + 3) / 4 * 4;
    ByteWriter w;
    w.Bytes(std::string_view("BM"));
    w.U32(uint32_t(54 + rowSize * height));
    w.U32(0);
    w.U32(54);
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(24);
    w.U32(0);
    w.U32(uint32_t(rowSize * height));
    w.I32(2835);
    w.I32(2835);
    w.U32(0);
    w.U32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            w.U8(b);
            w.U8(g);
            w.U8(r);
        }
        for (int pad = width * 3; pad < rowSize; ++pad)
            w.U8(0);
    }
    return std::string(w.Data().begin(), w.Data().end());
}

} // namespace cvn::test
