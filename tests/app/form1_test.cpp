// The folder page driven through scripted dialogs on the offscreen platform.
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/display_helpers.h"
#include "app/form1.h"
#include "platform/shell/error_trap.h"
#include "platform/ui/settings_store.h"
#include "tests/support/temp_dir.h"

namespace vts {
namespace {

struct Form1Rig {
    test::TempDir dir;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext ctx{dialogs, launcher, dir.path() / "app"};
    SettingsStore settings{QString::fromStdString((dir.path() / "settings.ini").string())};
    int copyDbCalls = 0, form2Shown = 0, pdfChecks = 0;
    std::vector<bool> copyDbFlags;
    bool folderTestResult = false;
    int draw = 50;
    std::unique_ptr<Form1> form;

    Form1Rig() { std::filesystem::create_directories(ctx.appFolder); }

    Form1& make(Form1Services s = {}) {
        if (!s.copyDb)
            s.copyDb = [this](bool& sample) {
                ++copyDbCalls;
                copyDbFlags.push_back(sample);
            };
        if (!s.folderHasParadoxTables) s.folderHasParadoxTables = [this] { return folderTestResult; };
        s.showForm2 = [this] { ++form2Shown; };
        s.checkPdfPrinter = [this] { ++pdfChecks; };
        if (!s.browseForFolder)
            s.browseForFolder = [this](const std::string& p) { return dialogs.browseForFolder(p, ""); };
        s.drawOneToHundred = [this] { return draw; };
        form = std::make_unique<Form1>(ctx, settings, s);
        ctx.folderText = [this] { return form->Text1->text().toStdString(); };
        ctx.setFolderText = [this](const std::string& t) { form->Text1->setText(QString::fromStdString(t)); };
        return *form;
    }
};

TEST(Form1, FirstStartWithoutSettingStaysOnTheFolderPage) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    EXPECT_TRUE(f.Text1->text().isEmpty());
    EXPECT_FALSE(f.hiddenAtLoad());
    EXPECT_EQ(rig.form2Shown, 0);
    EXPECT_EQ(rig.pdfChecks, 1);
    EXPECT_EQ(f.windowTitle(), "Verdalith Table Studio");
    EXPECT_EQ(rig.ctx.appTitle, "Verdalith Table");

    f.PushButton3_Click();  // Next with an empty box does nothing
    EXPECT_EQ(rig.form2Shown, 0);
    EXPECT_TRUE(rig.dialogs.messages.empty());

    f.PushButton2_Click();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Could not connect.");
    EXPECT_EQ(rig.dialogs.messages[0].caption, "Verdalith Table");
    EXPECT_EQ(rig.dialogs.messages[0].style, 0);
}

TEST(Form1, EveryChangeOfTheBoxIsStoredAndSurvivesARestart) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    f.show();
    f.Text1->setFocus();
    QTest::keyClicks(f.Text1, "/no");
    EXPECT_EQ(rig.settings.database(), "/no");
    QTest::keyClick(f.Text1, Qt::Key_Backspace);
    EXPECT_EQ(rig.settings.database(), "/n");

    Form1& again = rig.make();
    again.Form_Load();
    EXPECT_EQ(again.Text1->text(), "/n");
    EXPECT_FALSE(again.hiddenAtLoad());
}

TEST(Form1, RememberedExistingFolderSkipsToTheTableChooser) {
    Form1Rig rig;
    rig.settings.setDatabase(rig.dir.str());  // exists, holds no tables
    Form1& f = rig.make();
    f.Form_Load();
    EXPECT_EQ(rig.form2Shown, 1);
    EXPECT_TRUE(f.hiddenAtLoad());
    EXPECT_EQ(rig.pdfChecks, 1);  // the printer check runs whichever page shows
    EXPECT_EQ(f.Text1->text().toStdString(), rig.dir.str());
}

TEST(Form1, TestConnectionReportsBothOutcomes) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    rig.folderTestResult = true;
    f.PushButton2_Click();
    rig.folderTestResult = false;
    f.PushButton2_Click();
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Connection successful.");
    EXPECT_EQ(rig.dialogs.messages[1].text, "Could not connect.");
    EXPECT_EQ(rig.copyDbFlags, (std::vector<bool>{false, false}));
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Default);
}

TEST(Form1, FailingStepShowsTheExactReportAndTheNextStepRuns) {
    Form1Rig rig;
    Form1Services s;
    s.copyDb = [](bool&) { throw std::runtime_error("Disk not ready"); };
    Form1& f = rig.make(s);
    f.Form_Load();
    rig.folderTestResult = true;
    f.PushButton2_Click();
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    const auto& report = rig.dialogs.messages[0];
    EXPECT_EQ(report.text,
              "Disk not ready\r\nin Tabrevel2021/08/31.Form1.PushButton2_Click at line 100\r\r"
              "Please email screenshot of this message to support@verdalith.example");
    EXPECT_EQ(report.caption, "Application Error");
    EXPECT_EQ(report.style, 48);
    EXPECT_EQ(rig.dialogs.messages[1].text, "Connection successful.");
}

TEST(Form1, AFolderTestThatFailsIsNotASuccess) {
    Form1Rig rig;
    Form1Services s;
    s.folderHasParadoxTables = []() -> bool { throw std::runtime_error("broken"); };
    Form1& f = rig.make(s);
    f.Form_Load();
    f.PushButton2_Click();
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("at line 104"), std::string::npos);
    EXPECT_EQ(rig.dialogs.messages[1].text, "Could not connect.");
}

TEST(Form1, HoverRulesAndTheHourglassWins) {
    Form1Rig rig;
    Form1Services s;
    std::vector<int> seenDuringTest;
    Form1* form = nullptr;
    s.folderHasParadoxTables = [&] {
        form->pointer().hoverButton();
        seenDuringTest.push_back(form->pointer().mousePointer());
        form->pointer().hoverBackground();
        seenDuringTest.push_back(form->pointer().mousePointer());
        return true;
    };
    Form1& f = rig.make(s);
    form = &f;
    f.Form_Load();
    f.pointer().hoverButton();
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Hand);
    f.pointer().hoverBackground();
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Default);
    f.PushButton2_Click();
    EXPECT_EQ(seenDuringTest, (std::vector<int>{pointer::Hourglass, pointer::Hourglass}));
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Default);
}

TEST(Form1, MouseMovesOverControlsFollowTheRules) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    f.show();
    QTest::mouseMove(f.PushButton2, QPoint(5, 5));
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Hand);
    QTest::mouseMove(&f, QPoint(2, 2));
    EXPECT_EQ(f.pointer().mousePointer(), pointer::Default);
}

TEST(Form1, StartUpVisitsTheMakerSiteOnlyOnTheLuckyDraw) {
    Form1Rig rig;
    rig.draw = 7;
    rig.make().Form_Load();
    ASSERT_EQ(rig.launcher.urls.size(), 1u);
    EXPECT_EQ(rig.launcher.urls[0], kMakerSite);
    rig.draw = 8;
    rig.make().Form_Load();
    EXPECT_EQ(rig.launcher.urls.size(), 1u);
}

TEST(Form1, BrowseAndLoadSample) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    f.Text1->setText("/kept");
    f.PushButton5_Click();  // cancelled
    EXPECT_EQ(f.Text1->text(), "/kept");
    EXPECT_EQ(rig.copyDbCalls, 0);
    ASSERT_EQ(rig.dialogs.browsePrompts.size(), 1u);
    EXPECT_EQ(rig.dialogs.browsePrompts[0], "Please select folder:");

    rig.dialogs.folders.push_back("/picked");
    f.PushButton5_Click();
    EXPECT_EQ(f.Text1->text(), "/picked");
    EXPECT_EQ(rig.copyDbFlags, (std::vector<bool>{false}));

    f.PushButton1_Click();
    const std::string samples = (rig.ctx.appFolder / "Samples").string();
    EXPECT_EQ(f.Text1->text().toStdString(), samples);
    EXPECT_EQ(rig.settings.database(), samples);
    EXPECT_EQ(rig.copyDbFlags, (std::vector<bool>{false, true}));
}

TEST(Form1, NextShowsTheTableChooserOnlyForAnExistingFolder) {
    Form1Rig rig;
    Form1& f = rig.make();
    f.Form_Load();
    f.show();
    f.Text1->setText("/no/such/folder");
    f.PushButton3_Click();
    EXPECT_EQ(rig.form2Shown, 0);
    EXPECT_TRUE(f.isVisible());
    f.Text1->setText(QString::fromStdString(rig.dir.str()));
    f.PushButton3_Click();
    EXPECT_EQ(rig.form2Shown, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.hiddenAtLoad());
}

TEST(Form1, ClosingEndsTheProgram) {
    Form1Rig rig;
    int ended = 0;
    rig.ctx.endProgram = [&] { ++ended; };
    Form1& f = rig.make();
    f.Form_Load();
    f.show();
    f.close();
    EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace vts
