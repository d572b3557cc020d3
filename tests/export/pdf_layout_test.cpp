// The pieces the PDF export prints with: rows laid out for the CUPS text filter, and the
// user's default printer line in the lpoptions file.
#include <sys/stat.h>

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/print/lpoptions_file.h"
#include "platform/print/text_layout.h"
#include "tests/export/pdf_test_support.h"

namespace vts {
namespace {

using namespace test;

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A TXT export's text: every value followed by a tab, CR LF line ends, a closing empty line.
std::string Txt(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& row : rows) {
        for (const auto& cell : row) text += cell + "\t";
        text += "\r\n";
    }
    return text + "\r\n";
}

TEST(PdfLayoutTest, LineCapacityFollowsThePitchOnTheNarrowerPaper) {
    EXPECT_EQ(LineCapacity(false, 10), 77);  // A4 portrait less two 18 pt margins: 559 pt
    EXPECT_EQ(LineCapacity(true, 10), 105);  // US Letter landscape: 756 pt
    EXPECT_EQ(LineCapacity(true, 20), 210);
}

TEST(PdfLayoutTest, ColumnsLineUpAtStopsAsWideAsTheirLongestValue) {
    const LaidOutText out = LayOutTable(Txt({{"Id", "Name", "City"}, {"1", "Müller", "Köln"}, {"10", "", "Bonn"}}));
    EXPECT_EQ(out.text, "Id  Name    City\n1   Müller  Köln\n10          Bonn\n\n");
    EXPECT_EQ(out.page, (TextPageSettings{false, 10, 6}));
    EXPECT_EQ(out.text.find('\t'), std::string::npos);
}

TEST(PdfLayoutTest, TheLargestPitchThatFitsTheWidestRowIsChosen) {
    for (int width : {77, 78, 105, 106, 150, 210}) {
        SCOPED_TRACE(width);
        const LaidOutText out = LayOutTable(Txt({{"a", std::string(static_cast<size_t>(width - 3), 'x')}}));
        const TextPageSettings& page = out.page;
        ASSERT_LE(width, LineCapacity(page.landscape, page.cpi));
        EXPECT_EQ(page.landscape, width > 77);
        if (page.landscape && page.cpi > 10) {
            EXPECT_GT(width, LineCapacity(true, page.cpi - 1));
        }
        EXPECT_EQ(page.lpi, (page.cpi * 6 + 5) / 10);
        EXPECT_EQ(LinesOf(out.text).size(), 2u) << "the row stays on one line";
    }
}

TEST(PdfLayoutTest, RowsTooWideForTheSmallestPitchWrapBetweenValues) {
    std::vector<std::string> header, row;
    for (int k = 0; k < 8; ++k) {
        header.push_back("Column" + std::to_string(k));
        row.push_back(std::string(35, static_cast<char>('a' + k)));
    }
    const LaidOutText out = LayOutTable(Txt({header, row}));
    EXPECT_EQ(out.page, (TextPageSettings{true, 20, 12}));
    const auto lines = LinesOf(out.text);
    // 8 columns of 35 and gaps of 2: 5 fit the first line (183), 3 the indented second (113).
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) EXPECT_LE(TextWidth(line), LineCapacity(true, 20)) << line;
    EXPECT_EQ(lines[2].substr(0, 35), row[0]);
    EXPECT_EQ(lines[3], "    " + row[5] + "  " + row[6] + "  " + row[7]);
    for (const auto& value : row) {
        const bool whole = std::any_of(lines.begin(), lines.end(),
                                       [&](const std::string& l) { return l.find(value) != std::string::npos; });
        EXPECT_TRUE(whole) << value << " was cut";
    }
}

TEST(PdfLayoutTest, OnlyAValueWiderThanThePageIsCut) {
    const std::string huge(300, 'h');
    const LaidOutText out = LayOutTable(Txt({{"Id", "Memo"}, {"1", huge}}));
    const auto lines = LinesOf(out.text);
    for (const auto& line : lines) EXPECT_LE(TextWidth(line), 210) << line;
    std::string joined;
    for (const auto& line : lines) joined += line;
    EXPECT_EQ(std::count(joined.begin(), joined.end(), 'h'), 300) << "nothing of the value is lost";
}

// Every page opens with the headings; a page holds what the filter puts on it, a wrapped row
// stays whole, and every row is there once.
TEST(PdfLayoutTest, PagesTurnByFormFeedsAndRepeatTheHeadings) {
    for (const std::size_t valueWidth : {5u, 35u}) {  // one line a row, portrait; three, landscape
        SCOPED_TRACE(valueWidth);
        std::vector<std::vector<std::string>> rows{{"Id", "Name", "A", "B", "C", "D", "E", "F"}};
        for (int r = 0; r < 300; ++r) {
            rows.push_back({"row" + std::to_string(r)});
            for (int k = 1; k < 8; ++k) rows.back().push_back(std::string(valueWidth, static_cast<char>('a' + k)));
        }
        const LaidOutText out = LayOutTable(Txt(rows));
        // Pages as the filter turns them: at a form feed, or after its lines per page.
        std::vector<std::string> pages{""};
        for (const char c : out.text) {
            if (c == '\f' || (LinesOf(pages.back()).size() == static_cast<size_t>(LinesPerPage(out.page)) &&
                              pages.back().back() == '\n'))
                pages.emplace_back();
            if (c != '\f') pages.back().push_back(c);
        }
        EXPECT_GT(pages.size(), 3u);
        int seen = 0;
        for (const auto& page : pages) {
            const auto lines = LinesOf(page);
            EXPECT_LE(static_cast<int>(lines.size()), LinesPerPage(out.page));
            EXPECT_EQ(lines.at(0).substr(0, 8), "Id      ");
            for (const auto& line : lines) seen += line.rfind("row", 0) == 0;
            if (out.page.landscape) {
                EXPECT_NE(lines.back().rfind("row", 0), 0u) << "a wrapped row ends on its page";
            }
        }
        EXPECT_EQ(seen, 300);
    }
    EXPECT_EQ(LinesPerPage({false, 10, 6}), 63);  // US Letter upright, as the filter counts them
    EXPECT_EQ(LinesPerPage({true, 20, 12}), 93);  // A4 turned
}

TEST(PdfLayoutTest, PrintOptionsNameOrientationPitchAndMargins) {
    EXPECT_EQ(
        TextPrintOptions({true, 13, 8}),
        (std::vector<std::string>{"-o", "media=Custom.842x595", "-o", "cpi=13", "-o", "lpi=8", "-o", "page-left=18",
                                  "-o", "page-right=18", "-o", "page-top=18", "-o", "page-bottom=18"}));
    EXPECT_EQ(TextPrintOptions({false, 10, 6})[1], "cpi=10");
}

TEST(PdfLpoptionsTest, TheDefaultLineNamesTheQueueAndInstance) {
    EXPECT_EQ(DefaultInLpoptions(""), std::nullopt);
    EXPECT_EQ(DefaultInLpoptions("Dest office sides=two-sided-long-edge\n"), std::nullopt);
    EXPECT_EQ(DefaultInLpoptions("Dest a\nDefault office/duplex sides=two-sided-long-edge\n"), Own("office/duplex"));
    EXPECT_EQ(DefaultInLpoptions("default laser\n"), Own("laser"));
}

TEST(PdfLpoptionsTest, SettingAndClearingTheDefaultKeepsEveryOtherLine) {
    const std::string before = "# mine\nDest laser media=A4\nDefault office/duplex sides=two-sided-long-edge\n";
    const std::string pdf = WithDefault(before, PrinterChoice{"Quillmere_PDF_Writer", ""});
    EXPECT_EQ(pdf,
              "# mine\nDest laser media=A4\nDest office/duplex sides=two-sided-long-edge\n"
              "Default Quillmere_PDF_Writer\n");
    EXPECT_EQ(WithDefault(pdf, PrinterChoice{"office", "duplex"}),
              "# mine\nDest laser media=A4\nDefault office/duplex sides=two-sided-long-edge\n");
    EXPECT_EQ(WithDefault(pdf, std::nullopt),
              "# mine\nDest laser media=A4\nDest office/duplex sides=two-sided-long-edge\n");
    EXPECT_EQ(WithDefault("Default Quillmere_PDF_Writer\n", std::nullopt), "");
    EXPECT_EQ(WithDefault("Dest laser media=A4\n", PrinterChoice{"LASER", ""}), "Default laser media=A4\n");
}

TEST(PdfLpoptionsTest, TheFileIsReplacedKeepingItsModeAndRemovedWhenEmpty) {
    const ScratchDir dir;
    const std::string path = dir.file("home/.cups/lpoptions");
    std::filesystem::create_directory(dir.file("home"));
    {
        ScopedEnv home("HOME", dir.file("home"));
        EXPECT_EQ(UserLpoptionsPath(), path);
    }
    EXPECT_EQ(ReadLpoptions(path), "");
    WriteLpoptions(path, "Default office\n");
    EXPECT_EQ(ReadLpoptions(path), "Default office\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("home/.cups").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::chmod(path.c_str(), 0600);
    WriteLpoptions(path, "Default laser\n");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("home/.cups")), {}), 1)
        << "no temporary file stays behind";
    WriteLpoptions(path, "");
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vts
