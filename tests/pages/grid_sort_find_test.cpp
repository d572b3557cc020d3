// The view's order and the find bar: a column heading sorts what the grid and its exports show,
// never what is written back; Ctrl+F finds text in the shown cells, wrapping at the end.
#include <QHeaderView>
#include <QLineEdit>

#include "export/text_export_menu.h"
#include "pages/find_bar.h"
#include "pages/grid_model.h"
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

void clickHeading(DataGridView* view, int column) {
    QHeaderView* header = view->horizontalHeader();
    view->scrollTo(view->model()->index(0, column));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

std::vector<std::string> csvFirstFields(const fs::path& file) {
    std::istringstream csv(readFile(file));
    std::vector<std::string> firsts;
    for (std::string line; std::getline(csv, line);) firsts.push_back(line.substr(0, line.find(',')));
    return firsts;
}

TEST(GridSort, AHeadingSortsTheViewAndTheExportButNotTheTableWrittenBack) {
    PageRig rig;
    rig.exporters.mnuCSV = [](ExportContext& ec) { mnuCSV_Click(ec); };
    rig.chooseFolder(rig.data);
    rig.openTable("ORDERS");
    DataGridView* view = rig.form3().DataGrid1;
    const int total = view->gridModel()->dataRows();
    const int amount = rig.column("Amount Paid");

    clickHeading(view, amount);
    EXPECT_EQ(view->gridModel()->sortColumn(), amount);
    EXPECT_TRUE(view->horizontalHeader()->isSortIndicatorShown());
    clickHeading(view, amount);  // descending
    ASSERT_TRUE(view->gridModel()->sortDescending());
    for (int r = 1; r < total; ++r)
        ASSERT_GE(std::stod(rig.shown(r - 1, "Amount Paid")), std::stod(rig.shown(r, "Amount Paid"))) << r;

    // An edit keeps its row in place until the next sort.
    const std::string orderNo = rig.shown(5, "Order No");
    rig.editCell(5, "Amount Paid", "0.01");
    EXPECT_EQ(rig.shown(5, "Order No"), orderNo);

    rig.dialogs.saveNames = {(rig.dir / "orders.csv").string()};
    rig.form3().runMenuItem("CSV");
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;
    const auto firsts = csvFirstFields(rig.dir / "orders.csv");
    ASSERT_EQ(firsts.size(), static_cast<size_t>(total) + 2);
    for (int r = 0; r < total; ++r)
        EXPECT_EQ(firsts[static_cast<size_t>(r) + 1], "\"" + rig.shown(r, "Order No") + "\"");

    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    const auto rows = readAll(rig.data / "ORDERS.DB");
    ASSERT_EQ(rows.size(), static_cast<size_t>(total));
    for (size_t r = 1; r < rows.size(); ++r) EXPECT_LT(std::get<double>(rows[r - 1][0]), std::get<double>(rows[r][0]));
}

TEST(GridSort, AThirdClickGoesBackToTheTablesOwnOrder) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    const int last = rig.column("LastName");
    clickHeading(view, last);
    EXPECT_EQ(rig.shown(0, "LastName"), "Burns");
    std::vector<std::string> ascending;
    for (int r = 0; r < 20; ++r) ascending.push_back(rig.shown(r, "LastName"));
    EXPECT_TRUE(std::is_sorted(ascending.begin(), ascending.end()));
    EXPECT_EQ(ascending[3], "DeVilbiss");  // letter case ignored
    clickHeading(view, last);
    EXPECT_EQ(rig.shown(19, "LastName"), "Burns");
    clickHeading(view, last);
    EXPECT_EQ(view->gridModel()->sortColumn(), -1);
    EXPECT_FALSE(view->horizontalHeader()->isSortIndicatorShown());
    for (int r = 0; r < 20; ++r) EXPECT_EQ(rig.shown(r, "CustNo"), std::to_string(r + 1));
}

TEST(GridFind, CtrlFFindsTextInTheShownCellsAndWrapsAroundTheEnd) {
    PageRig rig;
    rig.chooseFolder(rig.data);
    rig.openTable("CUSTOMER");
    DataGridView* view = rig.form3().DataGrid1;
    FindBar* bar = rig.form3().FindBar1;
    view->setCurrentIndex(rig.cell(5, "CustNo"));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());

    bar->text->setText("FMALLORY@");  // case ignored; the only match is above the current row
    QTest::mouseClick(bar->next, Qt::LeftButton);
    EXPECT_EQ(view->currentIndex(), rig.cell(1, "EMail"));
    EXPECT_EQ(bar->note->text(), "Passed the end; continued from the top.");
    QTest::mouseClick(bar->previous, Qt::LeftButton);
    EXPECT_EQ(view->currentIndex(), rig.cell(1, "EMail"));
    EXPECT_EQ(bar->note->text(), "Passed the top; continued from the end.");

    // Every "santa cruz" city in display order, Enter for Next.
    view->setCurrentIndex(rig.cell(0, "CustNo"));
    bar->text->setText("santa cruz");
    std::vector<int> found;
    for (int i = 0; i < 25 && bar->note->text().isEmpty(); ++i) {
        QTest::keyClick(bar->text, Qt::Key_Return);
        if (bar->note->text().isEmpty()) found.push_back(view->currentIndex().row());
    }
    std::vector<int> expected;
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < view->gridModel()->columnCount(); ++c)
            if (QString::fromStdString(view->gridModel()->displayText(r, c))
                    .contains("santa cruz", Qt::CaseInsensitive))
                expected.push_back(r);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(view->currentIndex().row(), expected.front());  // wrapped to the first again

    bar->text->setText("no such text");
    QTest::mouseClick(bar->next, Qt::LeftButton);
    EXPECT_EQ(bar->note->text(), "\"no such text\" was not found.");
    EXPECT_EQ(view->currentIndex().row(), expected.front());
    QTest::keyClick(bar->text, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
}

}  // namespace
}  // namespace vts
