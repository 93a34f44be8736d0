// Font registration with a TrueType font from the build machine, on the NT family
// (this process) and on the Windows 95 family (the probe under Wine's "win98").

#include "install/Fonts.h"
#include "install/SystemFolders.h"
#include "install/SystemServices.h"
#include "script/VariableList.h"

#include "install/WinTestSupport.h"

#include <gtest/gtest.h>

namespace cvn {
namespace {

constexpr const char* kHostFont = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
constexpr const char* kFontName = "Cvn Test Sans (TrueType)";
constexpr const char* kFonts9x = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";

bool MakeTestFont(const std::string& target) {
    const std::string data = test::TestFontData();
    if (data.empty()) return false;
    HANDLE f = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, data.data(), DWORD(data.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == data.size();
}

std::string ProfileFont(const char* name) {
    char buf[MAX_PATH] = {};
    GetProfileStringA("Fonts", name, "", buf, sizeof buf);
    return buf;
}

// Takes away whatever a failed test left behind.
struct FontCleanup {
    explicit FontCleanup(std::string file) : file(std::move(file)) {}
    ~FontCleanup() {
        WriteProfileStringA("Fonts", kFontName, nullptr);
        for (int i = 0; i < 4 && RemoveFontResourceA(file.c_str()); ++i) {
        }
    }
    std::string file;
};

class FontsWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(services_.Ok()) << services_.Error();
        if (GetFileAttributesA(kHostFont) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no DejaVu fonts on this machine";
    }
    TSystemServicesScope services_;
};

TEST_F(FontsWin, FontOutsideTheFontsFolderIsRegisteredByPath) {
    test::TempFolder folder("cvn-font");
    std::string file = folder / "CvnTestSans.ttf";
    ASSERT_TRUE(MakeTestFont(file));
    FontCleanup cleanup(file);

    ASSERT_TRUE(RegisterFont(file, kFontName, true));
    EXPECT_TRUE(EqualsNoCase(ProfileFont(kFontName), file)) << ProfileFont(kFontName);
    // The resource was added to the running system: removing it once succeeds.
    ASSERT_TRUE(RemoveFontResourceA(file.c_str()));
    ASSERT_TRUE(AddFontResourceA(file.c_str()));

    ASSERT_TRUE(UnregisterFont(file, kFontName));
    EXPECT_EQ(ProfileFont(kFontName), "");
    EXPECT_FALSE(RemoveFontResourceA(file.c_str()));

    // Registering without adding leaves the running system alone.
    ASSERT_TRUE(RegisterFont(file, kFontName, false));
    EXPECT_FALSE(ProfileFont(kFontName).empty());
    EXPECT_FALSE(RemoveFontResourceA(file.c_str()));
    ASSERT_TRUE(UnregisterFont(file, kFontName));
}

TEST_F(FontsWin, FontInTheFontsFolderIsRegisteredByName) {
    std::string file = GetFontsDir() + "\\CvnTestSans.ttf";
    ASSERT_TRUE(MakeTestFont(file)) << file;
    struct RemoveFile {
        std::string path;
        ~RemoveFile() { DeleteFileA(path.c_str()); }
    } removeFile{file};
    FontCleanup cleanup("CvnTestSans.ttf");

    ASSERT_TRUE(RegisterFont(file, kFontName, true));
    EXPECT_EQ(ProfileFont(kFontName), "CvnTestSans.ttf");
    // Windows finds a font of its Fonts folder by its file name.
    ASSERT_TRUE(RemoveFontResourceA("CvnTestSans.ttf"));
    ASSERT_TRUE(AddFontResourceA("CvnTestSans.ttf"));
    ASSERT_TRUE(UnregisterFont(file, kFontName));
    EXPECT_EQ(ProfileFont(kFontName), "");
    EXPECT_FALSE(RemoveFontResourceA("CvnTestSans.ttf"));
}

TEST_F(FontsWin, FontThatNeverLoadsGivesUp) {
    test::TempFolder folder("cvn-badfont");
    std::string file = folder / "NotAFont.ttf";
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, "not a font", 10, &written, nullptr);
    CloseHandle(f);
    FontCleanup cleanup(file);
    DWORD start = GetTickCount();
    EXPECT_FALSE(RegisterFont(file, kFontName, true));
    EXPECT_LT(GetTickCount() - start, 5000u);
    UnregisterFont(file, kFontName);
}

TEST_F(FontsWin, Windows98FamilyUsesTheFontsKey) {
    test::KeyGuard fontsKey(HKEY_LOCAL_MACHINE, kFonts9x);
    test::ValueGuard value(HKEY_LOCAL_MACHINE, kFonts9x, kFontName);
    if (!fontsKey.Existed()) {
        HKEY k;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kFonts9x, &k), ERROR_SUCCESS);
        RegCloseKey(k);
    }
    test::TempFolder folder("cvn-font98");
    std::string file = folder / "CvnTestSans.ttf";
    ASSERT_TRUE(MakeTestFont(file));

    std::string args = "\"" + file + "\" \"" + kFontName + "\"";
    EXPECT_EQ(test::RunProbe("register-font " + args, "win98")["result"], "1");
    EXPECT_TRUE(EqualsNoCase(test::GetText(HKEY_LOCAL_MACHINE, kFonts9x, kFontName), file));
    EXPECT_EQ(ProfileFont(kFontName), "");
    EXPECT_EQ(test::RunProbe("unregister-font " + args, "win98")["result"], "1");
    EXPECT_FALSE(test::GetRaw(HKEY_LOCAL_MACHINE, kFonts9x, kFontName));
}

} // namespace
} // namespace cvn
