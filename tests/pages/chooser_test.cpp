// The table chooser tells the truth: every listed table opens from where it lives, the list
// follows the folder page, and edits not yet written back are discarded only when the user
// says so.
#include <QTest>

#include "bridge/paradox.h"
#include "bridge/edit_session.h"
#include "export/printer_check.h"
#include "platform/pdx/write/writer.h"
#include "platform/print/memory_printers.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

const std::string kDiscard =
    "The table CUSTOMER has changes that are not yet saved to the Paradox folder. Discard them?\r\n\r\nYes: "
    "discard them and open the table as it is in the folder. No: go on with them. Cancel: stay here.";

TEST(Chooser, ATableOfASubFolderOpensAndIsWrittenBackThere) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "ORDERS", rig.data / "archive" / "1998");
    rig.chooseFolder(rig.data);
    ASSERT_EQ(rig.listed(), std::vector<std::string>{"ORDERS"});
    rig.openTable("ORDERS");
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    ASSERT_EQ(rig.form3().DataGrid1->gridModel()->dataRows(), 224);
    rig.editCell(0, "Amount Paid", "77.5");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    EXPECT_DOUBLE_EQ(std::get<double>(readAll(rig.data / "archive" / "1998" / "ORDERS.DB")[0][6]), 77.5);
    EXPECT_FALSE(pdx::findTable(rig.data, "ORDERS"));
}

// Sorted by name; a name found in two folders shows each one's folder.
TEST(Chooser, TwoTablesOfOneNameAreTwoItemsThatOpenTheirOwnTable) {
    PageRig rig;  // CUSTOMER in the folder itself
    copyFamily(fixtures() / "db", "CUSTOMER", rig.data / "old", "customer");
    copyFamily(fixtures() / "db", "AREACODE", rig.data / "old");
    const std::string top = readFile(rig.data / "CUSTOMER.DB");
    rig.chooseFolder(rig.data);
    const std::string here = rig.data.filename().string();
    ASSERT_EQ(rig.listed(),
              (std::vector<std::string>{"AREACODE", "CUSTOMER \u2014 " + here, "CUSTOMER \u2014 old", "ORDERS"}));
    rig.openTable("CUSTOMER", 1);
    EXPECT_EQ(rig.form3().Label2->text(), " Now Editing: CUSTOMER");
    rig.editCell(0, "Street", "Old town");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_EQ(std::get<std::string>(readAll(rig.data / "old" / "customer.db")[0][4]), "Old town");
    EXPECT_TRUE(fs::exists(rig.data / "old" / "customer.DB"));  // the file keeps its name
    EXPECT_EQ(readFile(rig.data / "CUSTOMER.DB"), top);
}

// Keys as in any dialog: Enter in the folder box is Next; Enter on a table opens it.
TEST(Chooser, EnterInTheFolderBoxAndOnATableGoesOn) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "ORDERS", rig.data);
    rig.start();
    rig.form1().Text1->setText(QString::fromStdString(rig.data.string()));
    QTest::keyClick(rig.form1().Text1, Qt::Key_Return);
    ASSERT_EQ(rig.listed(), std::vector<std::string>{"ORDERS"});
    QTreeWidget* list = rig.form2().ListView1;
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_NE(rig.program->pages().form3(), nullptr);
    EXPECT_EQ(rig.form3().Label2->text(), " Now Editing: ORDERS");
}

TEST(Chooser, TheListIsRefilledWhenTheFolderPageNamesAnotherFolder) {
    PageRig rig(false);
    const fs::path first = rig.dir / "first", second = rig.dir / "second";
    copyFamily(fixtures() / "db", "CUSTOMER", first);
    copyFamily(fixtures() / "db", "ORDERS", second);
    rig.chooseFolder(first);
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"CUSTOMER"});
    rig.form2().PushButton2_Click();  // < Back
    rig.chooseFolder(second);
    ASSERT_EQ(rig.listed(), std::vector<std::string>{"ORDERS"});
    EXPECT_EQ(rig.form2().selectedIndex(), 1);
    rig.openTable("ORDERS");
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    EXPECT_EQ(rig.form3().DataGrid1->gridModel()->dataRows(), 224);

    // Back to the first folder, after a selection in the list: the same folder keeps the list.
    rig.form3().PushButton1_Click();
    rig.form2().PushButton2_Click();
    rig.chooseFolder(second);
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"ORDERS"});
}

TEST(Chooser, EditsNotWrittenBackAreDiscardedOnlyWhenTheUserSaysYes) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    rig.form3().PushButton1_Click();
    rig.openTable("CUSTOMER");  // no edits: no question
    EXPECT_TRUE(rig.dialogs.messages.empty());
    rig.editCell(0, "Street", "Edited");
    rig.form3().PushButton1_Click();

    rig.openTable("CUSTOMER");  // unanswered (closed): stays on the chooser
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, kDiscard);
    EXPECT_EQ(rig.dialogs.messages[0].style & 7, mb::YesNoCancel);
    EXPECT_EQ(rig.dialogs.messages[0].caption, rig.program->context().appTitle);
    EXPECT_TRUE(rig.form2().isVisible());
    EXPECT_FALSE(rig.form3().isVisible());
    rig.dialogs.answers = {mb::No};  // on with them
    rig.openTable("CUSTOMER");
    EXPECT_TRUE(rig.form3().isVisible());
    EXPECT_EQ(rig.shown(0, "Street"), "Edited");

    rig.form3().PushButton1_Click();
    rig.dialogs.answers = {mb::Yes};
    rig.openTable("CUSTOMER");
    ASSERT_EQ(rig.dialogs.messages.size(), 3u);
    EXPECT_TRUE(rig.form3().isVisible());
    EXPECT_NE(rig.shown(0, "Street"), "Edited");
}

TEST(Chooser, EditsLeftByAnEarlierRunAreAskedAboutToo) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    rig.editCell(0, "Street", "Edited");
    rig.form3().PushButton1_Click();
    rig.program.reset();  // the run ends without a write-back (a crash, a kill)

    rig.start();  // asked at once; unanswered (closed), the edits are kept for later
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("has changes from an earlier run"), std::string::npos);
    rig.openTable("CUSTOMER");  // the folder is remembered: the chooser shows at once
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_EQ(rig.dialogs.messages[1].text, kDiscard);
}

TEST(Chooser, WrittenBackOrImportedAfreshATableHasNoUnsavedEdits) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    rig.editCell(0, "Street", "Edited");
    AppContext& ctx = rig.program->context();
    const auto working = [&](const char* name) { return WorkingTableName(rig.data.string(), name); };
    EXPECT_TRUE(WorkingTableHasUnsavedEdits(ctx, working("CUSTOMER")));
    EXPECT_FALSE(WorkingTableHasUnsavedEdits(ctx, working("ORDERS")));
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_FALSE(WorkingTableHasUnsavedEdits(ctx, working("CUSTOMER")));
}

TEST(Chooser, TableNamesAreUpperCasedBeyondAscii) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "CUSTOMER", rig.data, "bäume");
    rig.chooseFolder(rig.data);
    ASSERT_EQ(rig.listed(), std::vector<std::string>{"BÄUME"});
    rig.openTable("BÄUME");
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    rig.editCell(0, "Street", "Wald");
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    EXPECT_EQ(std::get<std::string>(readAll(rig.data / "bäume.DB")[0][4]), "Wald");
}

TEST(Chooser, TheFixedSizePagesOfferNoMaximize) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    for (QWidget* page : {static_cast<QWidget*>(&rig.form1()), static_cast<QWidget*>(&rig.form2())}) {
        EXPECT_FALSE(page->windowFlags() & Qt::WindowMaximizeButtonHint) << page->objectName().toStdString();
        EXPECT_TRUE(page->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(page->windowFlags() & Qt::CustomizeWindowHint);  // or the window manager adds one
        EXPECT_EQ(page->minimumSize(), page->maximumSize());
    }
    EXPECT_TRUE(rig.form2().windowFlags() & Qt::WindowCloseButtonHint);
}

}  // namespace
}  // namespace vts

namespace vts {
namespace {

using namespace test;

// The desktop's "Open with": a table file opens its folder with the table chosen, a folder opens
// itself; a path that is not there says so, and only what opened is remembered.
TEST(Chooser, APathOnTheCommandLineOpensItsFolderAndTable) {
    struct Case {
        std::string opened;  // below the rig's data folder; "?" for a missing path
        std::string chosen;  // the chosen table; "" when the folder page stays
    };
    for (const Case& c : {Case{"ORDERS.DB", "ORDERS"}, Case{".", "CUSTOMER"}, Case{"?", ""}}) {
        PageRig rig;
        const std::string opened =
            c.opened == "?" ? (rig.data / "gone" / "X.DB").string() : (rig.data / c.opened).string();
        rig.start(opened);
        if (c.chosen.empty()) {
            EXPECT_TRUE(rig.form1().isVisible());
            ASSERT_EQ(rig.dialogs.messages.size(), 1u);
            EXPECT_NE(rig.dialogs.messages[0].text.find("does not exist"), std::string::npos);
            EXPECT_EQ(rig.settings.database(), "") << "a path that did not open is not remembered";
            continue;
        }
        ASSERT_TRUE(rig.form2().isVisible()) << c.opened;
        EXPECT_EQ(rig.form2().selectedIndex(), c.chosen == "ORDERS" ? 2 : 1);
        EXPECT_EQ(rig.settings.database(), rig.data.string());
    }
}

// The missing PDF printer is mentioned at start until its user leaves "Do not show again" ticked.
TEST(Chooser, TheMissingPdfPrinterIsMentionedOnceUnlessTheUserAsksAgain) {
    PageRig rig(false);
    MemoryPrinterSystem printers;  // no PDF queue
    rig.checkPdfPrinter = [&](AppContext& ctx) { return CheckPdfPrinter(ctx, printers); };
    const auto told = [&] {
        rig.dialogs.messages.clear();
        rig.start();
        return std::count_if(rig.dialogs.messages.begin(), rig.dialogs.messages.end(),
                             [](const auto& m) { return m.text == PdfPrinterInstructions(); });
    };
    rig.dialogs.optOuts = {false};  // the user unticks the box: told at the next start too
    EXPECT_EQ(told(), 1);
    EXPECT_EQ(told(), 1);  // left ticked this time
    EXPECT_EQ(told(), 0);
}

// Closing the chooser while a table is copied in ends the program, as closing it otherwise does:
// the copy stops and leaves no part of the table to be edited or written back.
TEST(Chooser, ClosingItDuringAnImportGivesTheImportUpAndEnds) {
    PageRig rig(false);
    {
        pdx::Schema schema;
        schema.fields = {{"Id", pdx::FieldType::Long, 4}, {"Name", pdx::FieldType::Alpha, 40}};
        pdx::TableWriter writer(rig.data, "BIG", schema);
        for (int i = 0; i < 60000; ++i)
            writer.append({std::int64_t{i}, std::string("row number ") + std::to_string(i)});
        writer.finish();
        writer.install();
    }
    rig.chooseFolder(rig.data);
    int yields = 0;
    rig.yieldToUi = [&] {
        if (++yields == 2) rig.form2().close();  // once the copy is under way
    };
    rig.openTable("BIG");
    EXPECT_GE(yields, 2) << "the import ended before the close came";
    EXPECT_EQ(rig.ended, 1);
    EXPECT_FALSE(rig.form2().isVisible());
    EXPECT_FALSE(WorkingTableExists(rig.program->context(), WorkingTableName((rig.data).string(), "BIG")));
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages.front().text;
}

}  // namespace
}  // namespace vts
