// The table's own validity checks, met in the grid: pictures, required fields, bounds and
// defaults from its .VAL, each refusal naming the rule; what the grid cannot check is said.
#include "tests/pages/page_rig.h"

namespace vts {
namespace {

using namespace test;

std::string refusalOf(PageRig& rig, int row, const std::string& caption, const QString& text) {
    rig.editCell(row, caption, text);
    const std::string why = rig.form3().DataGrid1->lastRefusal();
    if (QWidget* editor = rig.openEditor()) QTest::keyClick(editor, Qt::Key_Escape);
    return why;
}

TEST(ValidityChecks, PicturesRequiredFieldsAndBoundsAreEnforcedWithTheirRule) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "AREACODE", rig.data);
    copyFamily(wildFixtures() / "delphibook", "kisiex", rig.data);
    rig.openInData("AREACODE");
    EXPECT_NE(refusalOf(rig, 0, "State", "n1").find("does not fit the picture && this table sets"), std::string::npos);
    EXPECT_NE(refusalOf(rig, 0, "Area Code", "2O2").find("# a digit"), std::string::npos);
    rig.editCell(0, "State", "ny");  // the picture puts the letters in capitals
    EXPECT_EQ(rig.shown(0, "State"), "NY");
    EXPECT_EQ(rig.form3().Label1->toolTip(), "");
    rig.form3().PushButton1_Click();

    rig.dialogs.answers.push_back(mb::Yes);  // write AREACODE back
    rig.openTable("KISIEX");
    EXPECT_NE(refusalOf(rig, 0, "Maas", "-5").find("Enter at least 0: the table's minimum"), std::string::npos);
    EXPECT_NE(refusalOf(rig, 0, "Ad", "").find("\"Ad\" needs a value"), std::string::npos);
    const int added = rig.form3().DataGrid1->gridModel()->dataRows();
    rig.editCell(added, "Ad", "Ayşe");
    EXPECT_FALSE(rig.form3().DataGrid1->commitOpenEditor());
    EXPECT_NE(rig.dialogs.messages.back().text.find("\"Soyad\" needs a value"), std::string::npos);
    QApplication::processEvents();
    EXPECT_EQ(rig.form3().DataGrid1->currentIndex().column(), rig.column("Soyad"));
}

// AREACODE's .VAL made anew around the engine's header and footer: a default for Country and
// Full State required.
std::string areaChecks(const std::string& engineMade) {
    std::string head = engineMade.substr(0, 0x35), footer = engineMade.substr(0x74);
    std::string country(0x1C, '\0'), fullState(0x1C, '\0');
    country[0] = 1;
    country[0x14] = 1;  // a default follows
    country += std::string("Nowhere") + std::string(30 - 7, '\0');
    fullState[0] = 2;
    fullState[2] = 1;  // required
    head[2] = 2;
    const auto footerAt = static_cast<std::uint32_t>(0x35 + country.size() + fullState.size());
    for (int i = 0; i < 4; ++i) head[9 + i] = static_cast<char>(footerAt >> (8 * i));
    return head + country + fullState + footer;
}

TEST(ValidityChecks, ANewRowTakesTheDefaultsAndUncheckedRulesAreNamed) {
    PageRig rig(false);
    copyFamily(fixtures() / "db", "AREACODE", rig.data);
    copyFamily(fixtures() / "joins", "joinb", rig.data);
    const std::string val = areaChecks(readFile(rig.data / "AREACODE.VAL"));
    std::ofstream(rig.data / "AREACODE.VAL", std::ios::binary) << val;
    rig.openInData("AREACODE");
    const int added = rig.form3().DataGrid1->gridModel()->dataRows();
    rig.editCell(added, "Area Code", "000");
    EXPECT_FALSE(rig.form3().DataGrid1->commitOpenEditor());
    EXPECT_NE(rig.dialogs.messages.back().text.find("\"Full State\" needs a value"), std::string::npos);
    EXPECT_EQ(rig.shown(added, "Country"), "") << "a refused row keeps only what was typed";
    rig.editCell(added, "Full State", "Nowhere State");
    EXPECT_TRUE(rig.form3().DataGrid1->commitOpenEditor());
    EXPECT_EQ(rig.shown(added, "Country"), "Nowhere");
    rig.form3().PushButton1_Click();

    rig.dialogs.answers.push_back(mb::Yes);
    rig.openTable("JOINB");
    QLabel* hint = rig.form3().Label1;
    EXPECT_NE(hint->text().toStdString().find("not made here"), std::string::npos);
    EXPECT_LE(hint->fontMetrics().horizontalAdvance(hint->text()), hint->width()) << "the hint is cut";
    EXPECT_NE(rig.form3().Label1->toolTip().toStdString().find("the lookup of \"Id\" in the table joina.db"),
              std::string::npos);
    rig.form3().close();
    ASSERT_EQ(rig.ended, 1);
    EXPECT_EQ(readAll(rig.data / "AREACODE.DB").at(0).at(1), pdx::Value(std::string("Nowhere")));  // key 000 first
    EXPECT_EQ(readFile(rig.data / "AREACODE.VAL"), val);                                           // kept byte for byte
}

}  // namespace
}  // namespace vts
