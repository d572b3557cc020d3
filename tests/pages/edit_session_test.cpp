// Edit sessions as users meet them: two folders with a table of one name, two users on one table,
// two windows on one table, edits left on the chooser or by a crash, a wrong key edit, and a
// table closed without edits.
#include <QCloseEvent>
#include <sys/stat.h>

#include "tests/pages/page_rig.h"

namespace vts::test {
namespace {

std::string shipVia(const fs::path& db, size_t row) { return std::get<std::string>(readAll(db).at(row).at(4)); }

std::string said(const PageRig& r) {
    std::string all;
    for (const auto& m : r.dialogs.messages) all += m.text + "\n";
    return all;
}

bool saidSomething(const PageRig& r, const std::string& part) { return said(r).find(part) != std::string::npos; }

// The folder page's Next on `folder`, then the chooser's Next on ORDERS.
void openOrders(PageRig& r, const fs::path& folder) {
    r.chooseFolder(folder);
    r.openTable("ORDERS");
}

// The grid's close as the window's close button gives it: true when the program ended.
bool closeGrid(PageRig& r) {
    const int before = r.ended;
    r.form3().Form_QueryUnload();
    return r.ended == before + 1;
}

bool close(QWidget& page) {
    QCloseEvent event;
    QApplication::sendEvent(&page, &event);
    return event.isAccepted();
}

TEST(EditSessions, TwoFoldersWithATableOfOneNameEachKeepTheirOwn) {
    PageRig a, b(false);
    b.app = a.app;  // one user, two windows
    copyFamily(fixtures() / "db", "ORDERS", b.data, "CUSTOMER");
    const std::string customer = readFile(a.data / "CUSTOMER.DB");
    a.chooseFolder(a.data);
    a.openTable("CUSTOMER");
    b.chooseFolder(b.data);
    b.openTable("CUSTOMER");
    b.editCell(0, "Ship VIA", "Boat");
    ASSERT_TRUE(closeGrid(a)) << said(a);
    EXPECT_EQ(readFile(a.data / "CUSTOMER.DB"), customer);
    ASSERT_TRUE(closeGrid(b)) << said(b);
    EXPECT_EQ(shipVia(b.data / "CUSTOMER.DB", 0), "Boat");
    EXPECT_EQ(readFile(a.data / "CUSTOMER.DB"), customer);
}

// Two users: two working databases, one Paradox folder. Edits of other rows join the table the
// first one saved; an edit of a field they changed is never written over theirs.
TEST(EditSessions, ATableSavedByAnotherUserIsNeverWrittenOver) {
    for (const int row : {1, 0}) {
        PageRig a, b(false);
        openOrders(a, a.data);
        openOrders(b, a.data);
        a.editCell(0, "Ship VIA", "Boat");
        ASSERT_TRUE(closeGrid(a)) << said(a);
        b.editCell(row, "Ship VIA", "Train");
        b.dialogs.answers = {mb::Cancel};
        EXPECT_EQ(closeGrid(b), row == 1) << said(b);
        EXPECT_EQ(shipVia(a.data / "ORDERS.DB", 0), "Boat");
        if (row == 1) {
            EXPECT_TRUE(saidSomething(b, "Your changes were added to theirs"));
            EXPECT_EQ(shipVia(a.data / "ORDERS.DB", 1), "Train");
            continue;
        }
        EXPECT_TRUE(saidSomething(b, "the field \"Ship VIA\" was changed here and by them"));
        ASSERT_TRUE(b.form3().DataGrid1->isBound());  // the edits and their undo stay
        EXPECT_EQ(b.shown(0, "Ship VIA"), "Train");
        EXPECT_TRUE(b.form3().DataGrid1->gridModel()->canUndo());
        b.dialogs.answers = {mb::Yes};  // saved under a new name beside theirs
        EXPECT_TRUE(closeGrid(b)) << said(b);
        EXPECT_EQ(shipVia(a.data / "ORDERS_2.db", 0), "Train");
        EXPECT_EQ(shipVia(a.data / "ORDERS.DB", 0), "Boat");
    }
}

TEST(EditSessions, ASecondWindowLeavesATableBeingEditedToTheFirst) {
    PageRig a, b(false);
    b.app = a.app;
    openOrders(a, a.data);
    a.editCell(0, "Ship VIA", "Boat");
    openOrders(b, a.data);
    EXPECT_TRUE(saidSomething(b, "is being edited in another window"));
    EXPECT_EQ(b.program->pages().form3(), nullptr);
    a.editCell(1, "Ship VIA", "Train");
    EXPECT_EQ(a.shown(0, "Ship VIA"), "Boat");
    ASSERT_TRUE(closeGrid(a)) << said(a);
    EXPECT_EQ(shipVia(a.data / "ORDERS.DB", 0), "Boat");
    EXPECT_EQ(shipVia(a.data / "ORDERS.DB", 1), "Train");
}

TEST(EditSessions, EditsLeftOnTheChooserAreAskedForAndNeverLost) {
    PageRig r;
    openOrders(r, r.data);
    r.editCell(0, "Ship VIA", "Boat");
    r.form3().PushButton1_Click();
    r.dialogs.answers = {mb::No};  // "Discard them?" No: on with them, no new import
    r.openTable("ORDERS");
    EXPECT_EQ(r.shown(0, "Ship VIA"), "Boat");
    r.form3().PushButton1_Click();
    r.dialogs.answers = {mb::Cancel};  // another table: stay with these edits
    r.openTable("CUSTOMER");
    EXPECT_EQ(r.form3().Label2->text().toStdString(), " Now Editing: ORDERS");
    r.dialogs.answers = {mb::Cancel};
    EXPECT_FALSE(close(r.form2()));
    EXPECT_EQ(r.ended, 0);
    r.dialogs.answers = {mb::Yes};  // closing the chooser writes them back
    EXPECT_TRUE(close(r.form2()));
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(shipVia(r.data / "ORDERS.DB", 0), "Boat");
}

TEST(EditSessions, AfterACrashTheNextStartOffersTheKeptEdits) {
    PageRig r;
    openOrders(r, r.data);
    r.editCell(0, "Ship VIA", "Boat");
    r.program.reset();  // gone without a close: nothing written, the claim ends with it
    EXPECT_EQ(shipVia(r.data / "ORDERS.DB", 0), "UPS");
    r.dialogs.answers = {mb::Yes};
    r.start();
    EXPECT_TRUE(saidSomething(r, "has changes from an earlier run"));
    EXPECT_EQ(shipVia(r.data / "ORDERS.DB", 0), "Boat");
}

TEST(EditSessions, AKeyEditIsCheckedWhenItIsMade) {
    PageRig r;
    openOrders(r, r.data);
    DataGridView* grid = r.form3().DataGrid1;
    for (const QString& key : {QString("1002"), QString()}) {
        r.editCell(0, "Order No", key);
        EXPECT_NE(grid->lastRefusal().find("key"), std::string::npos) << grid->lastRefusal();
        QTest::keyClick(r.openEditor(), Qt::Key_Escape);
    }
    EXPECT_EQ(r.shown(0, "Order No"), "1001");
    r.editCell(0, "Order No", "99999");  // a free key is taken
    EXPECT_EQ(r.shown(0, "Order No"), "99999");
    ASSERT_TRUE(closeGrid(r));
}

TEST(EditSessions, ATableClosedWithoutEditsIsLeftUntouched) {
    PageRig r;
    const auto stamp = [&](const char* file) {
        struct stat st {};
        ::stat((r.data / file).c_str(), &st);
        return std::to_string(st.st_ino) + "/" + std::to_string(st.st_mtim.tv_nsec) + "/" + readFile(r.data / file);
    };
    const std::string db = stamp("ORDERS.DB"), px = stamp("ORDERS.PX");
    openOrders(r, r.data);
    ASSERT_TRUE(closeGrid(r));
    EXPECT_EQ(stamp("ORDERS.DB"), db);
    EXPECT_EQ(stamp("ORDERS.PX"), px);
}

}  // namespace
}  // namespace vts::test
