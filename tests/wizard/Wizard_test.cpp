#include "script/InternetCommands.h"
#include "script/Languages.h"
#include "script/ScriptFixture.h"
#include "wizard/FakeWizardView.h"
#include "wizard/Wizard.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cvn::test {
namespace {

// A script that appends a mark to %Log%, so that tests read the order scripts ran in.
TScript Mark(const std::string& mark) {
    return {St(SC::scAssign, {"%Log%", "%Log%" + mark + " ", "0"})};
}

TDialogDefinition Dialog(const std::string& name, uint8_t outOfSequence = 0) {
    TDialogDefinition d;
    d.name = name;
    d.caption = name + " page";
    d.width = 400;
    d.height = 300;
    d.outOfSequence = outOfSequence;
    return d;
}

TControlDefinition Control(uint8_t kind, std::vector<std::string> texts, std::string variable = {},
                           uint8_t role = 0) {
    TControlDefinition c;
    c.kind = kind;
    c.role = role;
    c.variable = std::move(variable);
    for (size_t i = 0; i < texts.size(); ++i)
        c.text[i] = texts[i];
    return c;
}

class Wizard : public ScriptFixture {
protected:
    Wizard() : languages(vars) {
        TLanguageSection section;
        section.languages = {NumberedEnglish()};
        languages.Load(std::move(section));
        interp.Hooks() = {};
    }

    TWizard& Start(TInternetCommands* internet = nullptr,
                   const std::vector<std::string>* notDeleted = nullptr) {
        TWizardContext ctx;
        ctx.notDeleted = notDeleted;
        ctx.package = &package;
        ctx.variables = &vars;
        ctx.interpreter = &interp;
        ctx.languages = &languages;
        ctx.selection = &selection;
        ctx.conditions = &conditions;
        ctx.internet = internet;
        if (auto range = FindWizardPageRange(package.dialogs)) {
            ctx.firstPageName = package.dialogs[range->first].name;
            ctx.lastPageName = package.dialogs[range->last].name;
        }
        wiz = std::make_unique<TWizard>(ctx, view);
        wiz->StartWizard();
        return *wiz;
    }
    TFakeControl& Ctl(size_t index) {
        return static_cast<TFakeControl&>(*wiz->PagePanel()->controls.at(index));
    }

    TPackage package;
    TLanguages languages;
    TFakeWizardView view;
    std::unique_ptr<TWizard> wiz;
};

TEST_F(Wizard, PagesFollowPackageOrderSkippingStylesAndResumeAfterInstallPage) {
    package.dialogs = {Dialog("Style", 1), Dialog("Welcome"), Dialog("Folder"),
                       Dialog("Popup", 1), Dialog("INSTALL"), Dialog("Finish")};
    TWizard& w = Start();
    EXPECT_EQ(w.CurrentDialogName(), "Welcome");
    EXPECT_EQ(view.caption, "Welcome page");
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(w.PreviousDialogName(), "Welcome"); // the first page has none before it

    Run1(St(SC::scNextDialog));
    EXPECT_EQ(w.CurrentDialogName(), "Folder");
    EXPECT_FALSE(w.ShowDialog("Popup")); // out of the sequence
    EXPECT_FALSE(w.ShowDialog("Nowhere"));
    EXPECT_EQ(w.NextDialogName(), "INSTALL"); // inside the sequence INSTALL is not skipped

    interp.SetBusy(true); // as while installing: the scripts of the page do not leave it
    EXPECT_TRUE(w.ShowDialog("INSTALL"));
    interp.SetBusy(false);
    EXPECT_EQ(w.NextDialogName(), "INSTALL"); // after Folder, the page before INSTALL
    EXPECT_EQ(w.PreviousDialogName(), "Welcome");
    w.ReturnFromInstallPage();
    EXPECT_EQ(w.CurrentDialogName(), "Folder");

    w.ShowDialog("Finish");
    Run1(St(SC::scNextDialog)); // the last page stays
    EXPECT_EQ(w.CurrentDialogName(), "Finish");
}

TEST_F(Wizard, ComponentListItemsCarryTheirPictureSizeAndChoice) {
    auto component = [](std::string name, std::string picture) {
        TComponentRecord c;
        c.name = std::move(name);
        c.iconFile = std::move(picture);
        return c;
    };
    package.components = {component("Main", "main.bmp"), component("Help", ""),
                          component("Extras", "gone.bmp"), component("Tools", "tools.bmp")};
    TFileRecord file;
    file.fileSize = 5000;
    file.entry.components = "Main";
    package.files = {file};
    vars.Program().tempSetupDir = "C:\\Temp\\cvn";
    view.files = {"C:\\Temp\\cvn\\main.bmp", "C:\\Temp\\cvn\\tools.bmp"};
    selection.SetCurrent("Main|Tools", false);
    package.dialogs = {Dialog("Parts")};
    package.dialogs[0].controls = {Control(6, {}, {}, 4)};
    Start();
    // The pictures that exist, in package order, are the list's pictures 1 and 2.
    EXPECT_EQ(view.componentPictures,
              (std::vector<std::string>{"C:\\Temp\\cvn\\main.bmp", "C:\\Temp\\cvn\\tools.bmp"}));
    const std::vector<TItemObject> items = Ctl(0).ItemObjects();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].imageIndex, 1);
    EXPECT_EQ(items[1].imageIndex, -1);
    EXPECT_EQ(items[2].imageIndex, -1);
    EXPECT_EQ(items[3].imageIndex, 2);
    EXPECT_EQ(items[0].size, 5000);
    EXPECT_EQ(items[0].state, 1);
    EXPECT_EQ(items[1].state, 0);
    EXPECT_EQ(items[3].state, 1);
}

TEST_F(Wizard, PageChangeRunsTheFourScriptsInOrderAndStoresTheOldPage) {
    package.dialogs = {Dialog("One"), Dialog("Two")};
    package.dialogs[0].leaveScript = Mark("leave1");
    package.dialogs[0].controls = {Control(2, {"typed", "", "0"}, "%Name%")};
    package.dialogs[1].beforeBuildScript = Mark("before2");
    package.dialogs[1].afterBuildScript = Mark("after2");
    package.dialogs[1].afterShowScript = Mark("show2");
    Set("%Log%", "");
    Start();
    Ctl(0).UserTypes("Ann");
    Run1(St(SC::scNextDialog));
    EXPECT_EQ(Var("%Log%"), "leave1 before2 after2 show2 ");
    EXPECT_EQ(Var("%Name%"), "Ann");
}

TEST_F(Wizard, GotoDialogInBeforeBuildSkipsThePageAndALeaveScriptCloseKeepsThePage) {
    package.dialogs = {Dialog("One"), Dialog("Skipped"), Dialog("Target"), Dialog("Last")};
    package.dialogs[1].beforeBuildScript = {St(SC::scGotoDialog, {"Target"})};
    package.dialogs[1].afterShowScript = Mark("skipped-shown");
    Set("%Log%", "");
    TWizard& w = Start();
    Run1(St(SC::scNextDialog));
    EXPECT_EQ(w.CurrentDialogName(), "Target");
    EXPECT_EQ(Var("%Log%"), "");

    // A leave script whose close is refused by the close script carries on; one
    // whose close goes through keeps the page.
    package.dialogs[2].leaveScript = {St(SC::scCloseWizard)};
    package.eventScripts[3] = {St(SC::scAssign, {"%CanClose%", "0", "0"})};
    view.answerYes = true;
    Run1(St(SC::scNextDialog));
    EXPECT_EQ(w.CurrentDialogName(), "Last");
    EXPECT_FALSE(view.terminated);

    package.dialogs[3].leaveScript = {St(SC::scCloseWizard)};
    package.eventScripts[3] = {};
    Run1(St(SC::scPreviousDialog));
    EXPECT_EQ(w.CurrentDialogName(), "Last");
    EXPECT_TRUE(view.terminated);
}

TEST_F(Wizard, ClosingAsksBeforeTheLastPageOnlyAndRestartsOnlyAfterFinish) {
    package.dialogs = {Dialog("One"), Dialog("Two")};
    package.eventScripts[3] = Mark("close");
    Set("%Log%", "");
    TWizard& w = Start();

    Run1(St(SC::scCloseWizard)); // the user says No
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], "message 7");
    EXPECT_EQ(Var("%Log%"), "");

    // The close script may keep the setup: FinishSetup then no longer counts.
    package.eventScripts[3] = {St(SC::scAssign, {"%CanClose%", "0", "0"})};
    Set("%DoReboot%", "1");
    Run1(St(SC::scFinishSetup));
    EXPECT_FALSE(view.terminated);
    EXPECT_FALSE(w.FinishRequested());
    EXPECT_EQ(Var("%IsFinishingSetup%"), "1");

    package.eventScripts[3] = Mark("close");
    w.ShowDialog("Two");
    EXPECT_TRUE(w.CloseQuery()); // the close box on the last page does not ask
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(Var("%Log%"), "close ");
    EXPECT_TRUE(view.terminated);
    EXPECT_FALSE(view.restarted); // no FinishSetup, no restart
    EXPECT_EQ(Var("%IsFinishingSetup%"), "0");

    // Once closing, commands do nothing.
    Run1(St(SC::scPreviousDialog));
    EXPECT_EQ(w.CurrentDialogName(), "Two");
}

TEST_F(Wizard, OverABackgroundWindowAHiddenWizardClosesWithoutAsking) {
    package.dialogs = {Dialog("One"), Dialog("Two")};
    package.dialogs[0].leaveScript = Mark("leave");
    package.eventScripts[3] = Mark("close");
    Set("%Log%", "");
    view.background = true;
    TWizard& w = Start();
    EXPECT_FALSE(w.CloseQuery()); // a page on the screen: asked, and the user says No
    EXPECT_EQ(view.questions.size(), 1u);

    w.ShowDialog(""); // no page: the wizard is hidden, the background stays
    ASSERT_FALSE(view.visible);
    EXPECT_TRUE(w.CloseQuery());
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(Var("%Log%"), "close "); // the page's leave script does not run
    EXPECT_TRUE(view.terminated);
}

TEST_F(Wizard, FinishSetupWithRebootRestartsAfterTheCloseScript) {
    package.dialogs = {Dialog("One"), Dialog("Two")};
    Start();
    Set("%DoReboot%", "1");
    Run1(St(SC::scFinishSetup));
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(view.restarted);
    EXPECT_TRUE(view.terminated);
}

TEST_F(Wizard, RemovingAPreviousInstallReturnsToItsPageAndACloseFromItsScriptsFinishes) {
    package.dialogs = {Dialog("One"), Dialog("INSTALL"), Dialog("Two")};
    package.eventScripts[3] = Mark("close");
    Set("%Log%", "");
    Set("%Product%", "Tide Charts");
    TWizard& w = Start();
    std::vector<bool> removing;
    // The removal shows its progress on the "INSTALL" page, busy as the run is.
    view.whileRemoving = [&] {
        removing.push_back(w.RemovingPrevious());
        interp.SetBusy(true);
        w.ShowDialog("INSTALL");
        interp.SetBusy(false);
    };
    Run1(St(SC::scRemovePreviousInstall, {"%Result%", "%Product%", "Harbour Soft"}));
    ASSERT_EQ(view.removals, std::vector<std::string>{"%Result% Tide Charts Harbour Soft"});
    EXPECT_EQ(removing, std::vector<bool>{true});
    EXPECT_FALSE(w.RemovingPrevious());
    EXPECT_EQ(w.CurrentDialogName(), "One");

    // Outside a removal CloseWizard asks; the user says No.
    Run1(St(SC::scCloseWizard));
    EXPECT_EQ(view.questions, std::vector<std::string>{"message 7"});

    // A removal script that closes ends the setup as finished, without a question
    // and with the restart it asked for; the page of before does not come back.
    Set("%DoReboot%", "1");
    view.whileRemoving = [&] {
        interp.SetBusy(true);
        w.ShowDialog("INSTALL");
        Run1(St(SC::scCloseWizard));
        interp.SetBusy(false);
    };
    Run1(St(SC::scRemovePreviousInstall, {"%Result%", "%Product%", "Harbour Soft"}));
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_TRUE(w.FinishRequested());
    EXPECT_EQ(Var("%IsFinishingSetup%"), "1");
    EXPECT_EQ(Var("%Log%"), "close ");
    EXPECT_TRUE(view.terminated);
    EXPECT_TRUE(view.restarted);
    EXPECT_EQ(w.CurrentDialogName(), "INSTALL");
    EXPECT_FALSE(w.RemovingPrevious());
}

TEST_F(Wizard, BuiltControlsGetNumberedNamesAndPagesAreBuiltOnce) {
    package.dialogs = {Dialog("Welcome-Page"), Dialog("Welcome Page"), Dialog("Other")};
    package.dialogs[0].controls = {Control(1, {"A", "Arial|10|0|1|0"}), Control(1, {"B", "bad|font"}),
                                   Control(12, {}), Control(6, {"", "", "", "", "", ""}, {}, 10)};
    package.Settings().appearance.setupFont.face = "Tahoma";
    package.Settings().appearance.setupFont.size = 8;
    TWizard& w = Start();
    ASSERT_EQ(w.PagePanel()->controls.size(), 3u); // the page area makes no control
    EXPECT_EQ(Ctl(0).Name(), "CV_Welcome_Page_Label1");
    EXPECT_EQ(Ctl(1).Name(), "CV_Welcome_Page_Label2");
    EXPECT_EQ(Ctl(2).Class(), TControlClass::License);
    EXPECT_EQ(Ctl(0).font_.face, "Arial");
    EXPECT_EQ(Ctl(0).font_.size, 10);
    EXPECT_EQ(Ctl(0).font_.style, 1);
    EXPECT_EQ(Ctl(1).font_.face, "Tahoma");

    // Both names clean to the same panel: the page built first is shown for the second.
    TWizardPanel* first = w.PagePanel();
    w.ShowDialog("Welcome Page");
    EXPECT_EQ(w.PagePanel(), first);
    w.ShowDialog("Other");
    w.ShowDialog("Welcome-Page");
    EXPECT_EQ(view.panelsCreated, 2);
}

TEST_F(Wizard, NotDeletedListAppendsTheLeftoversOnEachEntryAndIconImagesShowTheApplicationIcon) {
    const std::vector<std::string> leftovers = {"C:\\App\\data.db", "C:\\App"};
    package.dialogs = {Dialog("Removed"), Dialog("Other")};
    package.dialogs[0].controls = {Control(6, {"", "", "", "", "", ""}, {}, 12),
                                   Control(8, {"logo.bmp"}, {}, 8), Control(9, {"logo.bmp"}, {}, 8),
                                   Control(8, {"logo.bmp"})};
    vars.Program().tempSetupDir = "C:\\Temp";
    TWizard& w = Start(nullptr, &leftovers);
    EXPECT_EQ(Ctl(0).Items(), leftovers);
    EXPECT_EQ(Ctl(1).picture_, "<application icon>");
    EXPECT_EQ(Ctl(2).picture_, "<application icon>");
    EXPECT_EQ(Ctl(3).picture_, "C:\\Temp\\logo.bmp");

    // The page is built once; entering it again appends the entries once more.
    w.ShowDialog("Other");
    w.ShowDialog("Removed");
    const std::vector<std::string> twice = {leftovers[0], leftovers[1], leftovers[0], leftovers[1]};
    EXPECT_EQ(Ctl(0).Items(), twice);
}

TEST_F(Wizard, StyleFramesItsPagesInItsFirstPageArea) {
    TDialogDefinition style = Dialog("Banner", 1);
    TControlDefinition area = Control(12, {});
    area.left = 10, area.top = 20, area.width = 300, area.height = 200;
    TControlDefinition second = area;
    second.left = 99;
    style.controls = {Control(1, {"Banner text"}), area, second};
    package.dialogs = {style, Dialog("Page")};
    package.dialogs[1].styleName = "Banner";
    TWizard& w = Start();
    auto* panel = static_cast<TFakePanel*>(w.PagePanel());
    EXPECT_EQ(panel->bounds_, (std::vector<int>{10, 20, 300, 200}));
    ASSERT_EQ(view.form_.panels.size(), 1u);
    EXPECT_EQ(view.form_.panels[0]->Name(), "Style_Banner");
    EXPECT_EQ(view.form_.panels[0]->panels[0].get(), panel);
}

TEST_F(Wizard, InstallFolderBoxWritesAtOnceAndFolderControlsFollow) {
    vars.Program().folderVariableList = {"%AppData%\\"};
    Set("%InstallDir%", "C:\\Apps\\Old");
    Set("%AppData%", "D:\\Data");
    view.folders = {"C:\\Apps", "C:\\", "E:\\"};
    package.dialogs = {Dialog("Folder")};
    package.dialogs[0].controls = {Control(2, {"", "", "0"}, "%InstallDir%", 7),
                                   Control(6, {""}, "%InstallDir%", 15), Control(7, {""}, "%InstallDir%", 16),
                                   Control(2, {"default %AppData%", "", "0"}, "%AppData%", 0),
                                   Control(2, {"plain", "", "0"}, "%Other%", 0)};
    TWizard& w = Start();
    EXPECT_EQ(Ctl(0).Text(), "C:\\Apps\\Old");
    EXPECT_EQ(Ctl(1).Folder(), "C:\\Apps"); // nearest existing parent
    EXPECT_EQ(Ctl(2).Folder(), "C:\\");
    EXPECT_EQ(Ctl(3).Text(), "D:\\Data"); // a folder variable shows its value
    EXPECT_EQ(Ctl(4).Text(), "plain");

    Ctl(0).UserTypes("E:\\New");
    EXPECT_EQ(Var("%InstallDir%"), "E:\\New");
    EXPECT_EQ(Ctl(1).Folder(), "E:\\");
    EXPECT_EQ(Ctl(2).Folder(), "E:\\");

    // A drive without a disk sends the combo back to the drive that was ready.
    Ctl(2).UserPicksFolder("A:\\");
    EXPECT_EQ(Ctl(2).Folder(), "E:\\");
    EXPECT_EQ(Ctl(0).Text(), "E:\\New");

    // Choosing a folder in the list puts it into the box, and so into the variable.
    Ctl(1).UserPicksFolder("C:\\Apps");
    EXPECT_EQ(Ctl(0).Text(), "C:\\Apps\\");
    EXPECT_EQ(Var("%InstallDir%"), "C:\\Apps\\");
    EXPECT_EQ(w.CurrentDialogName(), "Folder");
}

TEST_F(Wizard, CheckBoxesRadioButtonsAndListsStoreTheirValues) {
    package.dialogs = {Dialog("Options"), Dialog("Next")};
    package.dialogs[0].controls = {Control(4, {"Tools", "", "%Unset%", "yes", "no"}, "%Tools%"),
                                   Control(4, {"Docs", "", "yes", "yes", "no"}, "%Docs%"),
                                   Control(5, {"Small", "", "0", "S"}, "%Size%"),
                                   Control(5, {"Large", "", "0", "L"}, "%Size%"),
                                   Control(6, {"", "Red|Green|Blue", "Green", "", "colours", ""}, "%Colour%"),
                                   Control(3, {"Next", "", "2", "", "NextButton"})};
    Set("%Size%", "L");
    TWizard& w = Start();
    EXPECT_FALSE(Ctl(0).Checked());
    EXPECT_TRUE(Ctl(1).Checked());
    EXPECT_FALSE(Ctl(2).Checked());
    EXPECT_TRUE(Ctl(3).Checked());

    Run(TScript{St(SC::scListAddItem, {"COLOURS", "Black"}), St(SC::scListSort, {"colours"}),
                St(SC::scDisableButton, {"nextbutton"})});
    EXPECT_EQ(Ctl(4).Items(), (std::vector<std::string>{"Black", "Blue", "Green", "Red"}));
    EXPECT_FALSE(Ctl(5).enabled_);
    Run1(St(SC::scListSelectItems, {"colours", "Red, Blue"}));
    EXPECT_TRUE(Ctl(4).Selected(1));
    EXPECT_TRUE(Ctl(4).Selected(3));
    EXPECT_FALSE(Ctl(4).Selected(0));

    Ctl(1).SetChecked(false);
    w.StoreControlValues(*w.PagePanel());
    EXPECT_EQ(Var("%Tools%"), "%Unset%"); // an unexpanded reference is kept
    EXPECT_EQ(Var("%Docs%"), "no");
    EXPECT_EQ(Var("%Size%"), "L");
    EXPECT_EQ(Var("%Colour%"), "Blue"); // the first selected item
}

TEST_F(Wizard, SecondaryDialogTakesTheListCommandsAndCloseWizardClosesIt) {
    package.dialogs = {Dialog("Page"), Dialog("Ask", 1)};
    package.dialogs[1].controls = {Control(6, {"", "a|b", "", "", "items", ""}, "%Picked%")};
    package.dialogs[1].leaveScript = Mark("left");
    Set("%Log%", "");
    TWizard& w = Start();
    view.whileSecondaryShown = [&] {
        Run(TScript{St(SC::scListClear, {"items"}), St(SC::scListAddItem, {"items", "z"}),
                    St(SC::scListSelectAll, {"items"}), St(SC::scCloseWizard)});
    };
    Run1(St(SC::scShowDialogModal, {"Ask"}));
    EXPECT_TRUE(view.secondaryCancelled);
    EXPECT_FALSE(view.terminated);
    EXPECT_EQ(Var("%Picked%"), "z");
    EXPECT_EQ(Var("%Log%"), "left ");
    EXPECT_FALSE(w.SecondaryShowing());
}

TEST_F(Wizard, ProgressReachesTheInstallPageAndScriptsReadSelectedItemsByListName) {
    package.dialogs = {Dialog("INSTALL"), Dialog("Pick")};
    package.dialogs[0].controls = {Control(1, {"status"}, {}, 13), Control(1, {"detail"}, {}, 14),
                                   Control(14, {}), Control(1, {"Now %Step%"})};
    package.dialogs[1].controls = {Control(6, {"", "a|b|c", "", "", "letters", "1"})};
    Set("%Step%", "one");
    TWizard& w = Start(); // "INSTALL" is no first page: Pick is shown
    EXPECT_EQ(w.CurrentDialogName(), "Pick");
    Run1(St(SC::scListSelectItems, {"letters", "a, c"}));
    Set("%Picked%", "");
    Run(TScript{St(SC::scForEachSelected, {"%Item%", "LETTERS"}),
                St(SC::scAssign, {"%Picked%", "%Picked%%Item%", "0"}), St(SC::scEndForEachSelected)});
    EXPECT_EQ(Var("%Picked%"), "ac");

    interp.SetBusy(true);
    ASSERT_TRUE(w.ShowDialog("INSTALL"));
    w.ReportProgress(0, "Copying files...", 0);
    w.ReportProgress(1, "notes.txt", 0);
    EXPECT_EQ(Ctl(0).Text(), "Copying files...");
    EXPECT_EQ(Ctl(1).Text(), "notes.txt");
    EXPECT_EQ(Ctl(3).Text(), "Now one");
    Set("%Step%", "two");
    EXPECT_EQ(Ctl(3).Text(), "Now one"); // labels follow variables only on a refresh
    Run1(St(SC::scRefreshDialog, {"0", "0"}));
    EXPECT_EQ(Ctl(3).Text(), "Now two");
    EXPECT_EQ(Ctl(0).Text(), "status"); // an unfiltered refresh shows text 1 again
}

// Hands out each reply 5 bytes at a time.
class TReplyNetwork final : public THttpNetwork {
public:
    struct TConnection final : THttpConnection {
        TReplyNetwork* net;
        std::string reply;
        size_t at = 0;
        const THttpIdle* idle;
        bool Send(const char*, size_t) override { return true; }
        long Receive(char* buffer, size_t size) override {
            if (net->onReceive) net->onReceive();
            if (!(*idle)()) return -1;
            const size_t n = std::min<size_t>({size, reply.size() - at, 5});
            std::copy_n(reply.data() + at, n, buffer);
            at += n;
            return long(n);
        }
    };
    std::unique_ptr<THttpConnection> Connect(const std::string&, uint16_t, const THttpIdle& idle,
                                             std::string&) override {
        auto c = std::make_unique<TConnection>();
        c->net = this;
        c->reply = reply;
        c->idle = &idle;
        return c;
    }
    std::string reply;
    std::function<void()> onReceive;
};

TEST_F(Wizard, DownloadShowsOnTheInstallPageOrTheCopyingWindowAndAnAcceptedCloseEndsIt) {
    package.dialogs = {Dialog("INSTALL"), Dialog("Last")};
    package.dialogs[0].controls = {Control(14, {})};
    TReplyNetwork net;
    TInternetCommands internet(interp.Commands(), net, nullptr);
    internet.Install(interp);
    TWizard& w = Start(&internet);
    interp.SetBusy(true); // the "INSTALL" page shows only while installing
    ASSERT_TRUE(w.ShowDialog("INSTALL"));
    TFakeControl& bar = Ctl(0);
    bar.progress.clear();

    // 38 header bytes, then 8 body bytes in pieces of 2, 5 and 1.
    net.reply = "HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\n01234567";
    Run1(St(SC::scDownload, {"http://h.example/a.bin", "C:\\a.bin"}));
    EXPECT_EQ(pc.files["C:\\a.bin"], "01234567");
    const std::vector<std::string> expected{"3:100", "2:25", "2:87", "2:100", "2:0"};
    EXPECT_EQ(bar.progress, expected);

    // While the copying-files window exists, it takes the reports instead.
    view.progressWindow = true;
    bar.progress.clear();
    Run1(St(SC::scDownload, {"http://h.example/a.bin", "C:\\b.bin"}));
    EXPECT_EQ(view.windowProgress, expected);
    EXPECT_TRUE(bar.progress.empty());
    view.progressWindow = false;

    // The close box on the last page, pressed while a download waits: the download ends
    // at once and its partial file goes.
    ASSERT_TRUE(w.ShowDialog("Last"));
    net.reply = "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(5000, 'x');
    int receives = 0;
    net.onReceive = [&] {
        if (++receives == 12) {
            EXPECT_TRUE(w.CloseQuery());
        }
    };
    Run1(St(SC::scDownload, {"http://h.example/big", "C:\\big"}));
    EXPECT_TRUE(view.terminated);
    EXPECT_EQ(receives, 12);
    EXPECT_EQ(pc.files.count("C:\\big"), 0u);
    EXPECT_FALSE(internet.Downloading());
}

} // namespace
} // namespace cvn::test
