// pdxtool check and info, run as a process: one line per fault with its place, a summary line,
// exit status 0 for a clean table, 1 for faults, 2 for a wrong command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/file_contents.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using vts::test::fixture;

struct ToolRun {
    int status = -1;
    std::vector<std::string> lines;  // stdout and stderr
};

ToolRun pdxtool(const std::string& args) {
    ToolRun run;
    const std::string command = std::string("'") + PDXTOOL_BINARY + "' " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        run.lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) run.lines.push_back(line);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string joined(const ToolRun& r) {
    std::string s;
    for (const auto& l : r.lines) s += l + "\n";
    return s;
}

TEST(PdxtoolCheck, CleanTableExitsZeroWithASummary) {
    const ToolRun r = pdxtool("check " + quoted(fixture("db/ORDERS.DB")));
    EXPECT_EQ(r.status, 0) << joined(r);
    ASSERT_EQ(r.lines.size(), 1u) << joined(r);
    EXPECT_NE(r.lines[0].find("ORDERS.DB: OK: 0 faults, 0 notes; 224 records in 8 blocks, 2 files checked"),
              std::string::npos)
        << r.lines[0];
}

// Every table the Paradox engine wrote checks clean.
class EveryTable : public ::testing::TestWithParam<fs::path> {};

TEST_P(EveryTable, ChecksClean) {
    if (const auto why = vts::test::knownFailure(vts::test::kCheckerKnownFailures, GetParam())) GTEST_SKIP() << *why;
    const ToolRun r = pdxtool("check " + quoted(GetParam()));
    EXPECT_EQ(r.status, 0) << joined(r);
    EXPECT_NE(joined(r).find(": OK: 0 faults"), std::string::npos) << joined(r);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryTable, ::testing::ValuesIn(vts::test::fixtureTables()),
                         [](const auto& info) { return vts::test::fixtureName(info.param); });

TEST(PdxtoolCheck, EachFaultOnALineWithItsPlace) {
    vts::test::TempDir tmp;
    const fs::path db = vts::test::copyFamily(fixture("db/ORDERS.DB"), tmp.path());
    {
        std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0x06);
        f.put(static_cast<char>(225 & 0xFF));  // one record more than the blocks hold
        f.seekp(0x800 + 2048 * 5 + 4);         // block 6: an impossible record count
        f.put(5);
        f.put(0);
    }
    const ToolRun r = pdxtool("check " + quoted(db));
    EXPECT_EQ(r.status, 1) << joined(r);
    const std::string text = joined(r);
    EXPECT_NE(text.find(db.string() + " block 6: fault: the record count in the block header is invalid"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(db.string() + ": fault: the header (0x06) counts 225 records"), std::string::npos) << text;
    ASSERT_FALSE(r.lines.empty());
    EXPECT_NE(r.lines.back().find(": DAMAGED: "), std::string::npos) << text;
}

TEST(PdxtoolCheck, UnopenableAndPasswordProtectedTables) {
    const ToolRun missing = pdxtool("check /nonexistent/NOPE.DB");
    EXPECT_EQ(missing.status, 1);
    ASSERT_EQ(missing.lines.size(), 2u) << joined(missing);
    EXPECT_NE(missing.lines[0].find("/nonexistent/NOPE.DB: fault: "), std::string::npos) << joined(missing);

    const ToolRun locked = pdxtool("check " + quoted(fixture("encrypt/encrypted.db")));
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE(joined(locked).find("password-protected"), std::string::npos) << joined(locked);
    EXPECT_NE(joined(locked).find("NOT CHECKED"), std::string::npos) << joined(locked);
}

TEST(PdxtoolCheck, WrongCommandLinesShowUsage) {
    for (const char* args : {"check", "check a.db b.db", "chek a.db"}) {
        const ToolRun r = pdxtool(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(joined(r).find("pdxtool check TABLE.db"), std::string::npos) << joined(r);
    }
}

TEST(PdxtoolInfo, ListsTheIndexes) {
    const ToolRun r = pdxtool("info " + quoted(fixture("db/CUSTOMER.DB")));
    EXPECT_EQ(r.status, 0) << joined(r);
    const std::string text = joined(r);
    EXPECT_NE(text.find("indexes:\n  CUSTOMER.PX  primary index on CustNo; 1 level, 4 entries\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  CUSTOMER.X06 + CUSTOMER.Y06  on City; case-sensitive; maintained; sort order ANSII850"),
              std::string::npos)
        << text;
    const std::string group = joined(pdxtool("info " + quoted(fixture("db/AREACODES.DB"))));
    EXPECT_NE(group.find("AREACODES.XG0 + AREACODES.YG0  \"ste\" on State; case-insensitive; maintained"),
              std::string::npos)
        << group;
}

}  // namespace

namespace {

// --password opens a protected table, from the command line or from standard input, also for a
// check; a copy of it is protected with the same password.
TEST(PdxtoolPassword, OpensCopiesAndRefuses) {
    const std::string table = quoted(fixture("encrypt/encrypted35.db"));
    EXPECT_EQ(pdxtool("dump " + table).status, 1);
    const ToolRun wrong = pdxtool("dump " + table + " --password 12");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(joined(wrong).find("the password is not the table's password"), std::string::npos) << joined(wrong);

    const ToolRun given = pdxtool("dump " + table + " --password 123");
    EXPECT_EQ(given.status, 0) << joined(given);
    EXPECT_EQ(joined(given), "A,B\r\n1,Test 1\r\n2,Test2\r\n");  // CSV lines end in CR LF
    vts::test::TempDir tmp;
    std::ofstream(tmp / "pw") << "123\n";
    EXPECT_EQ(joined(pdxtool("dump " + table + " --password - < " + quoted(tmp / "pw"))), joined(given));
    EXPECT_EQ(pdxtool("check " + table + " --password - < " + quoted(tmp / "pw")).status, 0);

    const ToolRun copied = pdxtool("copy " + table + " " + quoted(tmp / "COPY.db") + " --password 123");
    EXPECT_EQ(copied.status, 0) << joined(copied);
    EXPECT_EQ(pdxtool("dump " + quoted(tmp / "COPY.db")).status, 1) << "the copy is protected too";
    EXPECT_EQ(joined(pdxtool("dump " + quoted(tmp / "COPY.db") + " --password 123")), joined(given));
}

}  // namespace

// A save cut short, with its journal damaged: recovery cannot use it and says so; the dry run of
// the undo changes nothing; the undo puts the old table back and deletes nothing.
TEST(PdxtoolRecover, ADamagedJournalIsSettledByHandWithTheUndo) {
    vts::test::TempDir dir;
    vts::test::copyFamily(fixture("db"), "ORDERS", dir.path());
    fs::rename(dir / "ORDERS.DB", dir / "ORDERS.DB.vts-aside-000000000001");
    std::ofstream(dir / "ORDERS.vts-journal") << "Verdalith table replacement 1\ngarbage\n";
    const std::vector<std::pair<std::string, std::string>> steps{
        {"", "the replacement journal is damaged"},
        {"--dry-run --undo", "[dry run] ORDERS.DB put back from ORDERS.DB.vts-aside-000000000001"},
        {"--undo", "ORDERS.DB put back from ORDERS.DB.vts-aside-000000000001"},
        {"", "no save was cut short here"}};
    for (const auto& [flags, said] : steps) {
        const ToolRun r = pdxtool("recover " + quoted(dir.path()) + " " + flags);
        EXPECT_NE(joined(r).find(said), std::string::npos) << flags << ":\n" << joined(r);
        EXPECT_EQ(r.status, flags == "" && said.find("damaged") != std::string::npos ? 1 : 0) << joined(r);
    }
    EXPECT_TRUE(fs::exists(dir / "ORDERS.DB"));
    EXPECT_EQ(pdxtool("check " + quoted(dir / "ORDERS.DB")).status, 0);
    std::size_t kept = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        kept += e.path().filename().string().find(".vts-kept-") != std::string::npos;
    EXPECT_EQ(kept, 1u);  // the journal
}

// A copy is the table: every file of the family byte for byte (indexes, .VAL, the counter in the
// header), under the name as given.
TEST(PdxtoolCopy, CopiesTheWholeFamilyUnderTheNameGiven) {
    vts::test::TempDir tmp;
    const fs::path source = vts::test::wildFixtures() / "delphibook/TAKSIT.DB";
    const ToolRun r = pdxtool("copy " + quoted(source) + " " + quoted(tmp / "Copy.DB"));
    ASSERT_EQ(r.status, 0) << joined(r);
    std::size_t files = 0;
    for (const auto& from : fs::directory_iterator(source.parent_path())) {
        if (from.path().stem() != source.stem()) continue;
        ++files;
        const fs::path to = tmp / ("Copy" + from.path().extension().string());
        ASSERT_TRUE(fs::exists(to)) << to;
        EXPECT_EQ(vts::test::readFile(from.path()), vts::test::readFile(to)) << to;
    }
    EXPECT_GT(files, 2u);
    EXPECT_NE(pdxtool("copy " + quoted(source) + " " + quoted(tmp / "COPY.db")).status, 0) << "never over a table";
}
