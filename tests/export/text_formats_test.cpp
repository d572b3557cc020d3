// The three text formats byte for byte, as the writers produce them from a grid.
#include <algorithm>
#include <gtest/gtest.h>

#include "export/text_export.h"
#include "export/text_fields.h"
#include "tests/export/export_test_support.h"

namespace vts::test {
namespace {

struct Written {
    std::string csv, txt, xml;
};

Written writeAll(FakeGrid& grid, FormStandIn& form, const ScratchDir& dir) {
    EXPECT_TRUE(SaveDataGridToCSVFile(form.app, grid, dir.file("out.csv")));
    EXPECT_TRUE(SaveDataGridToFile(form.app, grid, dir.file("out.txt")));
    EXPECT_TRUE(SaveDataGridToXMLFile(form.app, grid, dir.file("out.xml")));
    EXPECT_TRUE(form.dialogs.messages.empty());  // nothing is shown after a successful export
    return {readFile(dir.file("out.csv")), readFile(dir.file("out.txt")), readFile(dir.file("out.xml"))};
}

TEST(TextFormats, TheExampleTable) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id", "Name"}, {{"1", "Ann"}, {"2", "Bob"}});
    const auto out = writeAll(grid, form, dir);
    EXPECT_EQ(out.csv, "\"Id\",\"Name\"\r\n\"1\",\"Ann\"\r\n\"2\",\"Bob\"\r\n\r\n");
    EXPECT_EQ(out.txt, "Id\tName\t\r\n1\tAnn\t\r\n2\tBob\t\r\n\r\n");
    EXPECT_EQ(out.xml,
              "<xml>\r\n<row>\r\n<Id>1</Id>\r\n<Name>Ann</Name>\r\n</row>\r\n"
              "<row>\r\n<Id>2</Id>\r\n<Name>Bob</Name>\r\n</row>\r\n</xml>\r\n");
}

// Larger than the chunks the text is written in: every row once, in order, across the seams.
TEST(TextFormats, ALargeTableIsWrittenWhole) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"A", "B"}, numberedRows(70000, 2), 25);
    Written want{"\"A\",\"B\"\r\n", "A\tB\t\r\n", "<xml>\r\n"};
    for (const auto& row : grid.rows) {
        want.csv += "\"" + row[0] + "\",\"" + row[1] + "\"\r\n";
        want.txt += row[0] + "\t" + row[1] + "\t\r\n";
        want.xml += "<row>\r\n<A>" + row[0] + "</A>\r\n<B>" + row[1] + "</B>\r\n</row>\r\n";
    }
    want.csv += "\r\n";
    want.txt += "\r\n";
    want.xml += "</xml>\r\n";
    const auto out = writeAll(grid, form, dir);
    ASSERT_GT(out.xml.size(), 3u << 20);
    EXPECT_TRUE(out.csv == want.csv);  // not EXPECT_EQ: a difference would print megabytes
    EXPECT_TRUE(out.txt == want.txt);
    EXPECT_TRUE(out.xml == want.xml);
    auto names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out.csv", "out.txt", "out.xml"}));
}

TEST(TextFormats, TableWithoutRows) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id", "Name"}, {});
    const auto out = writeAll(grid, form, dir);
    EXPECT_EQ(out.csv, "\"Id\",\"Name\"\r\n\r\n");
    EXPECT_EQ(out.txt, "Id\tName\t\r\n\r\n");
    EXPECT_EQ(out.xml, "<xml>\r\n</xml>\r\n");
}

TEST(TextFormats, EmptyCellsAndNullsShowAsEmptyText) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"A", "B", "C"}, {{"", "x", ""}});
    const auto out = writeAll(grid, form, dir);
    EXPECT_EQ(out.csv, "\"A\",\"B\",\"C\"\r\n\"\",\"x\",\"\"\r\n\r\n");
    EXPECT_EQ(out.txt, "A\tB\tC\t\r\n\tx\t\t\r\n\r\n");
    EXPECT_EQ(out.xml, "<xml>\r\n<row>\r\n<A></A>\r\n<B>x</B>\r\n<C></C>\r\n</row>\r\n</xml>\r\n");
}

TEST(TextFormats, NonAsciiTextIsWrittenAsUtf8WithoutByteOrderMark) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Name"}, {{"Ærø – Zürich 東京"}});
    const auto out = writeAll(grid, form, dir);
    EXPECT_EQ(out.csv, "\"Name\"\r\n\"Ærø – Zürich 東京\"\r\n\r\n");
    EXPECT_EQ(out.xml, "<xml>\r\n<row>\r\n<Name>Ærø – Zürich 東京</Name>\r\n</row>\r\n</xml>\r\n");
}

// Mended: quotes are doubled in CSV, markup is escaped in XML, captions become element names.
TEST(TextFormats, QuotesAndMarkupAreEscaped) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Say \"hi\"", "2nd col"}, {{"a \"b\" c", "x & y <z> \r\n end"}});
    const auto out = writeAll(grid, form, dir);
    EXPECT_EQ(out.csv, "\"Say \"\"hi\"\"\",\"2nd col\"\r\n\"a \"\"b\"\" c\",\"x & y <z> \r\n end\"\r\n\r\n");
    EXPECT_EQ(out.xml,
              "<xml>\r\n<row>\r\n<Say__hi_>a \"b\" c</Say__hi_>\r\n"
              "<_2nd_col>x &amp; y &lt;z&gt; &#13;\n end</_2nd_col>\r\n</row>\r\n</xml>\r\n");
}

TEST(TextFormats, ElementNamesFromCaptions) {
    EXPECT_EQ(XmlElementName("Name"), "Name");
    EXPECT_EQ(XmlElementName("First Name"), "First_Name");
    EXPECT_EQ(XmlElementName("1st"), "_1st");
    EXPECT_EQ(XmlElementName("-x.y"), "_-x.y");
    EXPECT_EQ(XmlElementName(""), "_");
    EXPECT_EQ(XmlElementName("a:b/c?"), "a_b_c_");
    EXPECT_EQ(XmlElementName("Straße_Nr.2"), "Straße_Nr.2");
    EXPECT_EQ(XmlElementName("\xff\x01x"), "__x");  // bytes that are not UTF-8, control chars
    EXPECT_EQ(XmlElementName("\xe2\x82"), "__");    // a cut-off sequence
    // Only letters that every XML 1.0 parser takes: Greek, Cyrillic and CJK stay, while the
    // Greek tonos, Arabic punctuation and letters newer than XML's 4th edition do not.
    EXPECT_EQ(XmlElementName("Όνομα Имя 名前"), "Όνομα_Имя_名前");
    EXPECT_EQ(XmlElementName("΄x،y\u07B1\U0001D4B3"), "_x_y__");
    EXPECT_EQ(XmlElementName("\u0663abc"), "_\u0663abc");  // an Arabic-Indic digit cannot start
}

// Captions that make the same element name keep one element each, also against a caption that
// happens to be a numbered name already.
TEST(TextFormats, ElementNamesStayUnique) {
    EXPECT_EQ(XmlElementNames({"A #", "A $", "A__2", "B", "A %"}),
              (std::vector<std::string>{"A__", "A___2", "A__2", "B", "A___3"}));
    EXPECT_EQ(XmlElementNames({"x", "x", "x_2"}), (std::vector<std::string>{"x", "x_3", "x_2"}));
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"A #", "A $"}, {{"1", "2"}});
    ASSERT_TRUE(SaveDataGridToXMLFile(form.app, grid, dir.file("out.xml")));
    EXPECT_EQ(readFile(dir.file("out.xml")),
              "<xml>\r\n<row>\r\n<A__>1</A__>\r\n<A___2>2</A___2>\r\n</row>\r\n</xml>\r\n");
}

TEST(TextFormats, ControlCharacterInXmlCellFailsWithoutFile) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Name"}, {{"ok"}, {"bell\x07"}});
    EXPECT_FALSE(SaveDataGridToXMLFile(form.app, grid, dir.file("out.xml")));
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_NE(form.dialogs.messages[0].text.find("Row 2, column \"Name\" holds a control character"),
              std::string::npos);
    EXPECT_TRUE(dir.names().empty());
}

}  // namespace
}  // namespace vts::test
