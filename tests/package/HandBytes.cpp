#include "HandBytes.h"

namespace cvn::test {

void PutI32(std::vector<uint8_t>& file, size_t at, int64_t v) {
    for (int i = 0; i < 4; ++i)
        file.at(at + i) = uint8_t(uint64_t(v) >> (8 * i));
}

HandPackage SamplePackage() {
    HandPackage p;
    // 0: settings
    p.sec[0]
        .u8(0xAA)
        .str("Pocket Tool")
        .str("Acme & Sons")
        .str("%ActiveSyncDir%\\%SoftwareName%")
        .str("Acme\\Pocket Tool")
        .str("A handy tool")
        .str("Main|Docs")
        .str("Main")
        .str("")
        .u8(2)
        .i32(16)
        .i32(64)
        .i32(-1)
        .i32(7)
        .i32(0x05000000)
        .u16(0x0300)
        .i32(0x06010000)
        .u16(0)
        .str("Pocket Tool 1.0")
        .str("1.0")
        .str("support@example.com")
        .str("http://example.com/")
        .str("http://example.com/help")
        .str("http://example.com/update");
    // 1: two languages, the second the default
    p.sec[1].i32(2);
    for (int l = 0; l < 2; ++l) {
        p.sec[1].str(l ? "Deutsch" : "English").i32(l ? 7 : 9).u8(l ? 1 : 0);
        for (int m = 0; m < 69; ++m)
            p.sec[1].str((l ? "de" : "en") + std::to_string(m));
    }
    // 2: appearance
    p.sec[2]
        .str("dialog.bmp")
        .str("%SoftwareName% Setup")
        .str("back.bmp")
        .u8(1)
        .i32(0xFF0000)
        .i32(0x000080)
        .u8(1)
        .u8(0)
        .str("splash.bmp")
        .font("Tahoma", 8, 0x80000008, 1, 0)
        .str("licence.txt");
    // 3: flags
    p.sec[3].u8(0).u8(1).u8(0).u8(1).u8(0).u8(1).u8(1);
    // 4: one custom variable
    p.sec[4]
        .i32(1)
        .str("%DataDir%")
        .u8(1)
        .str("Software\\Acme")
        .i32(0)
        .str("DataDir")
        .str("C:\\Data\\")
        .u16(0x1234)
        .str("r1")
        .str("r2")
        .str("")
        .str("")
        .u8(1);
    // 5: a text item and a picture item
    p.sec[5].i32(2);
    p.sec[5].u8(0).u8(3).u8(5).str("Welcome").font("Arial", 24, 0xFFFFFF, 3, 0).i32(0x404040).u8(1);
    p.sec[5].u8(1).u8(0).u8(1).str("logo.bmp").i32(0xFF00FF).u8(1);
    // 6: progress scale, one component, one conduit
    p.sec[6].i32(1000).f64(0.05);
    p.sec[6].i32(1).str("Docs").str("Documentation").str("docs.bmp").i32(5000).i32(1000).i32(50);
    p.sec[6]
        .i32(1)
        .str("ABCD")
        .u8(1)
        .str("cond.dll")
        .str("dir")
        .str("remote")
        .str("file0")
        .str("My Conduit")
        .str("info")
        .u8(2)
        .str("module")
        .u8(0)
        .str("");
    // 7: billboards
    p.sec[7].i32(2).str("bb1.bmp").str("bb2.bmp");
    // 8: seven event script lists; list 0 holds two statements
    p.sec[8].i32(2);
    p.sec[8].i32(56).scrambled("%X%").scrambled("1").scrambled("0").scrambled("");
    p.sec[8].i32(16).scrambled("%X% = 1|");
    for (int i = 1; i < 7; ++i)
        p.sec[8].i32(0);
    // 9: three dialogs: a page with a label, INSTALL, and a style dialog
    p.sec[9].i32(3);
    p.sec[9]
        .str("Welcome")
        .str("Welcome to %SoftwareName%")
        .i32(300)
        .i32(400)
        .font("MS Sans Serif", 8, 0, 0, 0);
    p.sec[9].u8(0).str("Frame").i32(1);
    p.sec[9]
        .u8(1)
        .str("%Title%")
        .u8(0)
        .i32(10)
        .i32(20)
        .i32(13)
        .i32(200)
        .str("Hello")
        .str("Arial|8|0|1|0")
        .str("1");
    p.sec[9].i32(1).i32(16).scrambled("");
    p.sec[9].i32(0).i32(0).i32(0).i32(1).i32(50).scrambled("");
    p.sec[9].str("install").str("Installing").i32(300).i32(400).font("", 0, 0, 0, 0).u8(0).str("").i32(0);
    p.sec[9].i32(0).i32(0).i32(0).i32(0);
    p.sec[9].str("Frame").str("").i32(350).i32(500).font("", 0, 0, 0, 0).u8(1).str("").i32(0);
    p.sec[9].i32(0).i32(0).i32(0).i32(0);
    // 10: folders
    p.sec[10].i32(1).str("%InstallDir%\\Data\\").i32(1).str("%ProgramGroupDir%\\Extras\\");
    // 11: one support file
    p.sec[11].i32(1).i32(7);
    p.sec[11].fileEntry("splash.bmp", "%TempSetupDir%\\", 0x0102);
    // 12: device applications and files
    p.sec[12].i32(1).str("%InstallDir%\\").str("a.cab|b.cab");
    p.sec[12].str("Extra").str("%InstallDir%\\Extra\\").str("Extra app").str("x").str("extra.cab");
    p.sec[12].i32(1).i32(3).i32(0x00010002).i32(0x00030004).i32(0x2C211234).i32(4096);
    p.sec[12].fileEntry("C:\\src\\tool.exe", "%InstallDir%\\", 0xBEEF);
    // 13: one shortcut
    p.sec[13]
        .i32(1)
        .str("Tool")
        .str("tool.exe")
        .str("/x")
        .str("Runs the tool")
        .i32(1)
        .str("%ProgramGroupDir%\\");
    p.sec[13].str("tool.ico").i32(2).u16(0x0A0B).str("s1").str("s2").str("Main").str("");
    // 14: one registry record
    p.sec[14].i32(1).u8(2).str("Software\\Acme\\Tool").i32(1).str("Count").str("42").u16(0xCAFE);
    p.sec[14].str("g1").str("g2").str("Main").str("%IsNT% = 1|");
    // 15: support-files flag
    p.sec[15].u8(1);
    // 16: archive bytes (not parsed by the reader)
    p.sec[16].raw("ARCHIVE-BYTES");
    // 17: one platform row
    p.sec[17].i32(1).u8(1).str("PPC2003").str("PocketPC").str("").i32(0x3E).i32(0x02).str("4.20").str("4.99");
    return p;
}

} // namespace cvn::test
