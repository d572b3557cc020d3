// A large table's grid opens on its first rows while the rest are copied: the user edits at once,
// work that needs every row waits for the last one, a failure in the rest never replaces the
// table, and a program ended while copying goes on at the next start with the edits kept.
#include <chrono>
#include <thread>

#include "platform/pdx/write/writer.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

constexpr int kRows = 60000;

// The rig with table BIG of `rows` records (N, Name "row N", a memo when asked, keyed on N when
// asked), whose grid opens once 100 rows are in.
struct CopyRig : PageRig {
    explicit CopyRig(int rows = kRows, bool memo = false, bool keyed = false) : PageRig(false) {
        pdx::Schema schema;
        schema.fields = {{"N", pdx::FieldType::Long, 4}, {"Name", pdx::FieldType::Alpha, 20}};
        schema.keyFields = keyed ? 1 : 0;
        if (memo) schema.fields.push_back({"Note", pdx::FieldType::Memo, 11});
        pdx::TableWriter writer(data, "BIG", schema);
        for (int i = 0; i < rows; ++i) {
            pdx::Record r{std::int64_t{i}, "row " + std::to_string(i)};
            if (memo) r.push_back(std::string(300, 'n'));
            writer.append(r);
        }
        writer.finish();
        writer.install();
        exporters.mnuCSV = [this](ExportContext&) { ++exports; };
        yieldToUi = [] { QApplication::processEvents(); };  // the copy's timer runs during waits, as in the program
        startWithSmallFirstPart();
    }
    void startWithSmallFirstPart() {
        start();
        program->context().importRowsBeforeGrid = 100;
    }
    bool copying() const { return program->state().importTail != nullptr; }
    int rowsShown() { return form3().DataGrid1->gridModel()->dataRows(); }
    // The window goes on while the rest of the rows arrive.
    void untilCopied() {
        for (int i = 0; i < 2000 && copying(); ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    int exports = 0;
};

TEST(CopyWhileEditing, TheGridOpensOnTheFirstRowsAndFollowsTheRestWithTheEditsKept) {
    CopyRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("BIG");
    ASSERT_TRUE(rig.form3().isVisible());
    ASSERT_TRUE(rig.copying());
    EXPECT_GE(rig.rowsShown(), 100);
    EXPECT_TRUE(rig.form3().Label2->text().startsWith(" Now Editing: BIG (copying, "))
        << rig.form3().Label2->text().toStdString();
    rig.editCell(0, "Name", "edited");
    EXPECT_EQ(rig.shown(0, "Name"), "edited");
    rig.untilCopied();
    ASSERT_FALSE(rig.copying());
    EXPECT_EQ(rig.rowsShown(), kRows);
    EXPECT_EQ(rig.form3().Label2->text(), " Now Editing: BIG");
    EXPECT_EQ(rig.shown(kRows - 1, "Name"), "row 59999");
    rig.form3().close();
    EXPECT_EQ(rig.ended, 1);
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto rows = readAll(rig.data / "BIG.db");
    ASSERT_EQ(rows.size(), std::size_t(kRows));
    EXPECT_EQ(rows[0][1], pdx::Value(std::string("edited")));
    EXPECT_EQ(rows[kRows - 1][1], pdx::Value(std::string("row 59999")));
}

TEST(CopyWhileEditing, WorkThatNeedsEveryRowWaitsForTheLastOne) {
    const std::vector<std::pair<std::string, std::function<void(CopyRig&)>>> actions = {
        {"sort", [](CopyRig& r) { r.form3().DataGrid1->sortByHeading(0); }},
        {"find",
         [](CopyRig& r) {
             bool wrapped = false;
             EXPECT_TRUE(r.form3().DataGrid1->findText("row 59998", true, wrapped));
         }},
        {"new row",
         [](CopyRig& r) {
             r.editCell(r.rowsShown(), "N", "70000");
             r.form3().DataGrid1->setCurrentIndex(r.cell(0, "N"));
         }},
        {"export", [](CopyRig& r) { r.form3().runMenuItem("CSV"); }},
        {"back", [](CopyRig& r) { r.form3().PushButton1_Click(); }},
        {"close", [](CopyRig& r) { r.form3().close(); }},
    };
    for (const auto& [name, act] : actions) {
        CopyRig rig;
        rig.chooseFolder(rig.data);
        rig.openTable("BIG");
        ASSERT_TRUE(rig.copying()) << name;
        act(rig);
        EXPECT_FALSE(rig.copying()) << name;
        if (name == "close") EXPECT_EQ(readAll(rig.data / "BIG.db").size(), std::size_t(kRows));
        else EXPECT_EQ(rig.rowsShown(), name == "new row" ? kRows + 1 : kRows) << name;
        EXPECT_TRUE(rig.dialogs.messages.empty()) << name << ": " << rig.dialogs.messages[0].text;
        EXPECT_EQ(rig.exports, name == "export" ? 1 : 0);
        EXPECT_EQ(rig.form2().isVisible(), name == "back") << name;
        EXPECT_EQ(rig.ended, name == "close" ? 1 : 0) << name;
    }
}

// A key value typed while the rows arrive is checked against every row: here it repeats the
// last row's key, which is not in yet when it is typed.
TEST(CopyWhileEditing, AKeyValueIsCheckedAgainstEveryRow) {
    CopyRig rig(kRows, false, true);
    rig.chooseFolder(rig.data);
    rig.openTable("BIG");
    ASSERT_TRUE(rig.copying());
    rig.editCell(0, "N", "59999");
    EXPECT_FALSE(rig.copying());
    EXPECT_EQ(rig.shown(0, "N"), "0");
    EXPECT_NE(rig.form3().DataGrid1->lastRefusal().find("key"), std::string::npos)
        << rig.form3().DataGrid1->lastRefusal();
}

// The .MB ends half-way: the first rows open the grid, a later one fails. The user is told and
// the page stays; the rows copied never replace the table. At the close, a copy without edits is
// let go, and edits can be saved as a new table beside it.
TEST(CopyWhileEditing, AFailureInTheRestNeverReplacesTheTableAndTheEditsCanGoUnderANewName) {
    for (const bool edited : {false, true}) {
        CopyRig rig(400, true);
        fs::resize_file(rig.data / "BIG.MB", fs::file_size(rig.data / "BIG.MB") / 2);
        const std::string before = readFile(rig.data / "BIG.db");
        rig.chooseFolder(rig.data);
        rig.openTable("BIG");
        ASSERT_TRUE(rig.form3().isVisible()) << rig.dialogs.messages.at(0).text;
        if (edited) rig.editCell(0, "Name", "edited");
        rig.untilCopied();
        ASSERT_EQ(rig.dialogs.messages.size(), 1u);
        EXPECT_NE(rig.dialogs.messages[0].text.find("could not be copied completely"), std::string::npos)
            << rig.dialogs.messages[0].text;
        EXPECT_TRUE(rig.form3().isVisible());
        rig.dialogs.answers = {mb::Yes};  // save the edits as a new table
        rig.form3().close();
        EXPECT_GE(rig.ended, 1);
        EXPECT_EQ(readFile(rig.data / "BIG.db"), before);
        ASSERT_EQ(fs::exists(rig.data / "BIG_2.db"), edited);
        if (!edited) continue;
        const auto saved = readAll(rig.data / "BIG_2.db");
        ASSERT_GE(saved.size(), 100u);
        EXPECT_LT(saved.size(), 400u);
        EXPECT_EQ(saved[0][1], pdx::Value(std::string("edited")));
    }
}

// The program ends (or dies) while the rows are copied: at the next start the edits are offered,
// kept, and going on with them copies the rest; the close writes back every row with the edit.
TEST(CopyWhileEditing, AProgramEndedWhileCopyingGoesOnAtTheNextStartWithTheEdits) {
    CopyRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("BIG");
    ASSERT_TRUE(rig.copying());
    rig.editCell(0, "Name", "edited");
    rig.program.reset();
    rig.dialogs.answers = {mb::Cancel, mb::No};  // keep the earlier run's edits; go on with them
    rig.startWithSmallFirstPart();
    rig.chooseFolder(rig.data);
    rig.openTable("BIG");
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("from an earlier run"), std::string::npos);
    ASSERT_TRUE(rig.form3().isVisible());
    rig.untilCopied();
    EXPECT_EQ(rig.rowsShown(), kRows);
    EXPECT_EQ(rig.shown(0, "Name"), "edited");
    rig.form3().close();
    EXPECT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "BIG.db");
    ASSERT_EQ(rows.size(), std::size_t(kRows));
    EXPECT_EQ(rows[0][1], pdx::Value(std::string("edited")));
    EXPECT_EQ(rows[kRows - 1][1], pdx::Value(std::string("row 59999")));
}

}  // namespace
}  // namespace vts
