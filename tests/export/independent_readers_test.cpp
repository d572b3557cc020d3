// Each text export read back by an independent reader (Python's csv module and xml.etree)
// gives the grid's cells exactly.
#include <gtest/gtest.h>

#include "export/text_export.h"
#include "export/text_fields.h"
#include "tests/export/export_test_support.h"

namespace vts::test {
namespace {

const std::vector<std::string> kCaptions = {"Id", "Full Name", "Notiz/Größe", "2nd"};
const Rows kRows = {
    {"1", "Ann \"The\" Smith", "comma, semicolon; tab\there", "x & y < z > w"},
    {"2", "", "line one\r\nline two\nthree\rfour", "  spaced  "},
    {"3", "Zoë Ærø 東京", "\"\"", "007"},
    {"4", "=1+1", "'quoted'", ""},
};

const char* kCsvCheck = R"(
import csv, json, sys
expected = json.load(open(sys.argv[2], encoding='utf-8'))
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
if rows[-1] != []:
    sys.exit('no empty last line: %r' % rows[-1])
if rows[:-1] != expected:
    sys.exit('csv differs:\n%r\n%r' % (rows[:-1], expected))
print('ok')
)";

const char* kXmlCheck = R"(
import json, sys
import xml.etree.ElementTree as ET
expected = json.load(open(sys.argv[2], encoding='utf-8'))
names, rows = expected[0], expected[1:]
root = ET.parse(sys.argv[1]).getroot()
if root.tag != 'xml' or [r.tag for r in root] != ['row'] * len(rows):
    sys.exit('bad structure')
got = [[(e.tag, e.text or '') for e in r] for r in root]
want = [list(zip(names, r)) for r in rows]
if got != want:
    sys.exit('xml differs:\n%r\n%r' % (got, want))
print('ok')
)";

TEST(IndependentReaders, PythonCsvReadsTheSameCells) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid(kCaptions, kRows, 3);
    ASSERT_TRUE(SaveDataGridToCSVFile(form.app, grid, dir.file("out.csv")));
    writeFile(dir.file("expected.json"), jsonTable(kCaptions, kRows));
    const auto r = runPython(dir, kCsvCheck, {dir.file("out.csv"), dir.file("expected.json")});
    EXPECT_EQ(r.status, 0) << r.output;
}

TEST(IndependentReaders, PythonXmlParserReadsTheSameCells) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid(kCaptions, kRows, 3);
    ASSERT_TRUE(SaveDataGridToXMLFile(form.app, grid, dir.file("out.xml")));
    std::vector<std::string> names;
    for (const auto& c : kCaptions) names.push_back(XmlElementName(c));
    writeFile(dir.file("expected.json"), jsonTable(names, kRows));
    const auto r = runPython(dir, kXmlCheck, {dir.file("out.xml"), dir.file("expected.json")});
    EXPECT_EQ(r.status, 0) << r.output;
}

}  // namespace
}  // namespace vts::test
