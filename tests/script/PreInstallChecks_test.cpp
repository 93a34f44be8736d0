#include "package/PackageModel.h"
#include "script/Languages.h"
#include "script/PreInstallChecks.h"
#include "script/ScriptFixture.h"

namespace cvn::test {
namespace {

TEST(PreInstallRules, WindowsVersionLimits) {
    auto v = [](uint32_t major, uint32_t minor, uint32_t build) { return major << 24 | minor << 16 | build; };
    TWindowsVersionLimits lim;
    EXPECT_TRUE(WindowsVersionAllowed(lim, v(4, 0, 950), 0, false)) << "no limits";
    lim.minVersion = int32_t(v(5, 0, 2195));
    lim.minServicePack = 0x0300;
    EXPECT_FALSE(WindowsVersionAllowed(lim, v(5, 0, 2195), 0x0200, true))
        << "same version, older service pack";
    EXPECT_TRUE(WindowsVersionAllowed(lim, v(5, 0, 2195), 0x0300, true));
    EXPECT_TRUE(WindowsVersionAllowed(lim, v(5, 1, 2600), 0, true))
        << "a later version needs no service pack";
    EXPECT_FALSE(WindowsVersionAllowed(lim, v(4, 0, 1381), 0x0600, true));
    EXPECT_TRUE(WindowsVersionAllowed(lim, v(5, 0, 2195), 0, false)) << "service packs only count on NT";
    lim.maxVersion = int32_t(v(5, 1, 0xFFFF));
    EXPECT_TRUE(WindowsVersionAllowed(lim, v(5, 1, 2600), 0, true));
    EXPECT_FALSE(WindowsVersionAllowed(lim, v(6, 0, 6000), 0, true));
    TWindowsVersionLimits high;
    high.minVersion = int32_t(v(0x90, 0, 0)); // negative as int32: compared unsigned
    EXPECT_FALSE(WindowsVersionAllowed(high, v(6, 0, 0), 0, true));
    EXPECT_TRUE(WindowsVersionAllowed(high, v(0x91, 0, 0), 0, false));
}

TEST(PreInstallRules, ScreenClassesAndVolumeName) {
    EXPECT_TRUE(ScreenAllowed(4, 800, 600));
    EXPECT_FALSE(ScreenAllowed(4, 800, 599));
    EXPECT_FALSE(ScreenAllowed(5, 1280, 720));
    EXPECT_TRUE(ScreenAllowed(0, 1, 1));
    EXPECT_TRUE(ScreenAllowed(9, 1, 1));
    EXPECT_FALSE(ScreenAllowed(1, 639, 480));
    EXPECT_EQ(FirstVolumePath("C:\\dl\\setup.exe"), "C:\\dl\\setup.001");
    EXPECT_EQ(FirstVolumePath("C:\\dl.v2\\setup"), "C:\\dl.v2\\setup.001");
}

class PreInstall : public ScriptFixture {
protected:
    PreInstall() : languages(vars) {
        TMessageTable table;
        table[18] = "Wrong Windows";
        table[19] = "Missing <FILE> in %SoftwareName%";
        table[54] = "Screen too small";
        table[55] = "Too few colours";
        table[56] = "Too little memory";
        TLanguageSection section;
        section.unnamedTable = table;
        languages.Load(section);
        vars.Program().softwareName = "Widget";
        facts.archiveOffset = 1000;
        facts.executablePath = "D:\\dl\\setup.exe";
        facts.applicationTitle = "Widget Setup";
        // The error script records the error code and keeps setup going when %Keep% is 1.
        package.eventScripts[4] = {
            St(SC::scAssign, {"%Seen%", "%Seen%%ErrorCode%/%IsFinishingSetup%,"}),
            St(SC::scAssign, {"%CanClose%", "0"}, "%Keep% = 1|"),
        };
        Set("%Seen%", "");
        Set("%Keep%", "1");
    }
    bool RunChecks() { return TPreInstallChecks(vars, languages, interp, pc, pc).Run(package, facts); }

    TLanguages languages;
    TPackage package;
    TPreInstallFacts facts;
};

TEST_F(PreInstall, PassingChecksShowNothing) {
    package.product.requirements = {4, 16, 128};
    EXPECT_TRUE(RunChecks());
    EXPECT_TRUE(pc.boxes.empty());
    EXPECT_EQ(Var("%Seen%"), "");
}

TEST_F(PreInstall, EveryFailureInOrderWhenTheErrorScriptKeepsSetupGoing) {
    facts.archiveOffset = 0;
    package.product.windows.minVersion = int32_t(6u << 24);
    package.product.requirements = {5, 64, 1000};
    sys.screenWidth = 800;
    sys.screenHeight = 600;
    EXPECT_TRUE(RunChecks());
    ASSERT_EQ(pc.boxes.size(), 5u);
    EXPECT_EQ(pc.boxes[0].text, "Missing setup.001 in Widget") << "expanded, placeholder without folder";
    EXPECT_EQ(pc.boxes[0].title, "Widget Setup");
    EXPECT_EQ(pc.boxes[0].icon, TMessageIcon::Error);
    EXPECT_EQ(pc.boxes[1].text, "Wrong Windows");
    EXPECT_EQ(pc.boxes[4].text, "Too little memory");
    EXPECT_EQ(Var("%Seen%"), "3/0,4/0,5/0,6/0,7/0,");
}

TEST_F(PreInstall, AnExistingFirstVolumePasses) {
    facts.archiveOffset = 0;
    pc.files["D:\\dl\\setup.001"] = "x";
    EXPECT_TRUE(RunChecks());
    EXPECT_TRUE(pc.boxes.empty());
}

TEST_F(PreInstall, AFailureTheErrorScriptAcceptsEndsTheChecks) {
    Set("%Keep%", "0");
    package.product.requirements = {0, 64, 1000};
    EXPECT_FALSE(RunChecks());
    ASSERT_EQ(pc.boxes.size(), 1u);
    EXPECT_EQ(pc.boxes[0].text, "Too few colours");
    EXPECT_EQ(Var("%Seen%"), "6/0,");
    EXPECT_EQ(Var("%CanClose%"), "1");
}

} // namespace
} // namespace cvn::test
