// Replacing a table family: names, modes and link targets kept, planted files ignored, a read-only
// table refused, one writer at a time, readers that never see a mix, journals that cannot be
// trusted left alone.
#include <gtest/gtest.h>
#include <signal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/pdx/replace/replace_journal.h"
#include "platform/pdx/check/table_check.h"
#include "platform/pdx/replace/table_replace.h"
#include "tests/platform/pdx/writer_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/file_contents.h"
#include "tests/support/replace_debris.h"
#include "tests/support/temp_dir.h"
#include "tests/support/scoped_env.h"

namespace {

using namespace pdxtest;

const fs::path kMemo = vts::test::fixtures() / "fields/memo.db";

// The memo fixture's records with every text prefixed by `text`, so two versions differ in the
// .db and in the .MB alike.
std::vector<pdx::Record> version(const Table& t, const std::string& text) {
    auto rows = t.records;
    for (auto& r : rows)
        for (auto& v : r)
            if (std::holds_alternative<std::string>(v)) v = text + std::get<std::string>(v).substr(0, 3);
    return rows;
}

void replaceWith(const fs::path& dir, const std::string& name, const pdx::Schema& schema,
                 const std::vector<pdx::Record>& rows, pdx::ReplaceOptions opt = {}) {
    pdx::TableReplacement replace(dir, name, opt);
    pdx::WriterOptions wopt;
    wopt.place = [&replace](const std::string& ext) { return replace.place(ext); };
    pdx::TableWriter w(dir, name, schema, wopt);
    for (const auto& r : rows) w.append(r);
    w.finish();
    replace.commit(w);
}

using vts::test::errorOf;

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != vts::test::kLockFileName) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class Replace : public ::testing::Test {
protected:
    vts::test::TempDir dir;
    Table memo = readAll(kMemo);
    void SetUp() override { copyFamily(kMemo, dir.path()); }
};

TEST_F(Replace, NamesAndModesOfTheReplacedFilesAreKept) {
    fs::rename(dir / "memo.db", dir / "tblsttes.DB");
    fs::rename(dir / "memo.mb", dir / "tblsttes.MB");
    fs::rename(dir / "memo.px", dir / "tblsttes.PX");
    ::chmod((dir / "tblsttes.DB").c_str(), 0664);
    ::chmod((dir / "tblsttes.PX").c_str(), 0640);
    replaceWith(dir.path(), "TBLSTTES", memo.info.schema, version(memo, "new"));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"tblsttes.DB", "tblsttes.MB", "tblsttes.PX"}));
    EXPECT_EQ(modeOf(dir / "tblsttes.DB"), 0664u);
    EXPECT_EQ(modeOf(dir / "tblsttes.PX"), 0640u);
    EXPECT_EQ(readAll(dir / "tblsttes.DB").records, version(memo, "new"));

    // A companion the old table lacked is named and permitted like its table file.
    fs::remove(dir / "tblsttes.MB");
    fs::remove(dir / "tblsttes.PX");
    replaceWith(dir.path(), "TBLSTTES", memo.info.schema, version(memo, "two"));
    EXPECT_EQ(modeOf(dir / "tblsttes.MB"), 0664u);
    EXPECT_TRUE(vts::test::replaceDebris(dir.path()).empty());
}

// Every folder of links to one table meets the lock of the table's own folder.
TEST_F(Replace, ATableOfLinksIsReplacedWhereTheLinksPoint) {
    vts::test::TempDir links;
    for (const char* f : {"memo.db", "memo.mb", "memo.px"}) fs::create_symlink(dir / f, links / f);
    replaceWith(links.path(), "MEMO", memo.info.schema, version(memo, "linked"));
    for (const char* f : {"memo.db", "memo.mb", "memo.px"}) {
        EXPECT_TRUE(fs::is_symlink(links / f)) << f;
        EXPECT_FALSE(fs::is_symlink(dir / f)) << f;
    }
    EXPECT_EQ(readAll(dir / "memo.db").records, version(memo, "linked"));
    EXPECT_TRUE(vts::test::replaceDebris(dir.path()).empty());
    EXPECT_TRUE(vts::test::replaceDebris(links.path()).empty());
    // Another folder of links to the same table: its writer meets the same lock.
    vts::test::TempDir more;
    for (const char* f : {"memo.db", "memo.mb", "memo.px"}) fs::create_symlink(dir / f, more / f);
    const pdx::TableReplacement first(links.path(), "memo");
    const std::string why = errorOf([&] {
        replaceWith(more.path(), "memo", memo.info.schema, memo.records, {{}, std::chrono::milliseconds(0)});
    });
    EXPECT_NE(why.find("is being written by another program"), std::string::npos) << why;
    // A link left dangling for a moment (its .db set aside by a replacement) leads to the same lock.
    fs::rename(dir / "memo.db", dir / "memo.db.away");
    using Lock = pdx::FamilyLock;
    EXPECT_FALSE(Lock::tryTake(more.path(), "memo", Lock::Kind::Writer, Lock::Mode::Exclusive).held());
    fs::rename(dir / "memo.db.away", dir / "memo.db");
}

// Names earlier versions wrote to with O_TRUNC: nothing planted there is written or followed.
TEST_F(Replace, FilesPlantedAtTemporaryNamesAreNeverWrittenThrough) {
    vts::test::TempDir outside;
    writeBytes(outside / "victim", {'k', 'e', 'e', 'p'});
    fs::create_hard_link(outside / "victim", dir / "memo.db.vts-new");
    fs::create_symlink(outside / "victim", dir / "memo.mb.vts-new");
    replaceWith(dir.path(), "memo", memo.info.schema, version(memo, "safe"));
    EXPECT_EQ(readBytes(outside / "victim"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(readAll(dir / "memo.db").records, version(memo, "safe"));
}

TEST_F(Replace, ASecondWriterWaitsBrieflyThenFailsClearly) {
    std::optional<pdx::TableReplacement> first(std::in_place, dir.path(), "memo");
    const auto started = std::chrono::steady_clock::now();
    const std::string why = errorOf([&] {
        replaceWith(dir.path(), "MEMO", memo.info.schema, version(memo, "x"), {{}, std::chrono::milliseconds(200)});
    });
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));
    EXPECT_NE(why.find("is being written by another program"), std::string::npos) << why;
    EXPECT_EQ(readAll(dir / "memo.db").records, memo.records);
    first.reset();
    replaceWith(dir.path(), "MEMO", memo.info.schema, version(memo, "x"));
    EXPECT_EQ(readAll(dir / "memo.db").records, version(memo, "x"));
}

// Writers in two processes at once: each either succeeds or says the table is busy; the table
// is always one writer's whole table, and nothing is left over.
TEST_F(Replace, TwoWritingProcessesNeverMixTheirTables) {
    const auto a = version(memo, "A"), b = version(memo, "B");
    for (int trial = 0; trial < 10; ++trial) {
        std::vector<pid_t> children;
        for (const auto* rows : {&a, &b}) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                try {  // a pause at every call stretches the write so the two overlap
                    replaceWith(dir.path(), "memo", memo.info.schema, *rows,
                                {[] { std::this_thread::sleep_for(std::chrono::microseconds(300)); },
                                 std::chrono::milliseconds(20)});
                } catch (const pdx::Error& e) {
                    ::_exit(std::string(e.what()).find("is being written") != std::string::npos ? 3 : 4);
                }
                ::_exit(0);
            }
            children.push_back(pid);
        }
        for (const pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3)) << status;
        }
        const auto now = readAll(dir / "memo.db").records;
        EXPECT_TRUE(now == a || now == b) << "trial " << trial;
        EXPECT_TRUE(vts::test::replaceDebris(dir.path()).empty());
    }
}

// A reader in this process while another process replaces the table over and over: every read
// is one version whole, .db and .MB alike.
TEST_F(Replace, AReaderDuringAWriterReadsOneVersionWhole) {
    const auto a = version(memo, "A"), b = version(memo, "B");
    replaceWith(dir.path(), "memo", memo.info.schema, a);
    const pid_t writer = ::fork();
    if (writer == 0) {
        for (int i = 0; i < 60; ++i) replaceWith(dir.path(), "memo", memo.info.schema, i % 2 ? a : b);
        ::_exit(0);
    }
    int reads = 0, mixed = 0;
    for (int status = 0; ::waitpid(writer, &status, WNOHANG) == 0; ++reads) {
        const auto now = readAll(dir / "memo.db").records;
        mixed += !(now == a || now == b);
    }
    EXPECT_GT(reads, 5);
    EXPECT_EQ(mixed, 0);
}

// Readers make no lock file; one that starts before the folder's first writer made it still
// reads one version whole.
TEST_F(Replace, AReaderLeavesNoTraceAndMeetsTheFirstWriterWhole) {
    readAll(dir / "memo.db");
    pdx::checkTable(dir / "memo.db");
    EXPECT_FALSE(fs::exists(dir / vts::test::kLockFileName));
    const auto b = version(memo, "B");
    int reads = 0, mixed = 0;
    for (int round = 0; round < 10; ++round) {
        fs::remove(dir / vts::test::kLockFileName);
        const pid_t writer = ::fork();
        if (writer == 0) {
            replaceWith(dir.path(), "memo", memo.info.schema, round % 2 ? memo.records : b);
            ::_exit(0);
        }
        for (int status = 0; ::waitpid(writer, &status, WNOHANG) == 0 || reads % 4; ++reads) {
            const auto now = readAll(dir / "memo.db").records;
            mixed += !(now == memo.records || now == b);
        }
    }
    EXPECT_GT(reads, 10);
    EXPECT_EQ(mixed, 0);
}

// A shared folder: what someone else put there never makes the program touch a file elsewhere,
// nor a file of the table on the word of another user's journal or link.
std::uint64_t inodeOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_ino;
}

// Another user's files are made by root giving them away; as anyone else the test cannot.
std::optional<uid_t> anotherUser() {
    if (::geteuid() != 0) return std::nullopt;
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? std::optional<uid_t>(nobody->pw_uid) : std::nullopt;
}

TEST_F(Replace, PlantedJournalsAndLinksAreLeftAlone) {
    const fs::path share = dir / "share", victim = dir / "victim.txt";
    copyFamily(kMemo, share);
    std::ofstream(victim) << "mine";
    const auto plant = [&](const pdx::ReplaceJournal& j) {
        pdx::writeJournal(pdx::journalPath(share, "memo"), j, {});
        return errorOf([&] { pdx::recoverTable(share, "memo"); });
    };
    // A new file not in place: recovery undoes the replacement, removing every new file it finds.
    const pdx::JournalMove missing{1, share / "memo.px.vts-new-1", share / "memo.XG9"};
    // The user's own journal, naming a file outside the folder: recovery would remove it.
    const std::string outside = plant({"memo", {}, {{inodeOf(victim), share / "memo.MB.vts-new-1", victim}, missing}});
    EXPECT_NE(outside.find("left alone"), std::string::npos) << outside;
    EXPECT_TRUE(fs::exists(victim));
    fs::remove(pdx::journalPath(share, "memo"));

    const auto other = anotherUser();
    if (!other) GTEST_SKIP() << "another user's journal and link need root (to give files away) and the user nobody";
    // Another user's journal, naming only the table's own file, which recovery would remove.
    const pdx::JournalMove mb{inodeOf(share / "memo.mb"), share / "memo.mb.vts-new-1", share / "memo.mb"};
    pdx::writeJournal(pdx::journalPath(share, "memo"), {"memo", {}, {mb, missing}}, {});
    ASSERT_EQ(::lchown(pdx::journalPath(share, "memo").c_str(), *other, *other), 0);
    EXPECT_NE(errorOf([&] { pdx::recoverTable(share, "memo"); }).find("not a file of this user's"), std::string::npos);
    EXPECT_TRUE(fs::exists(share / "memo.mb"));
    fs::remove(pdx::journalPath(share, "memo"));

    // Another user's link named like a companion: the write-back does not write through it.
    fs::remove(share / "memo.px");
    fs::create_symlink(victim, share / "memo.px");
    ASSERT_EQ(::lchown((share / "memo.px").c_str(), *other, *other), 0);
    const std::string refused = errorOf([&] { replaceWith(share, "memo", memo.info.schema, memo.records); });
    EXPECT_NE(refused.find("is a link made by another user"), std::string::npos) << refused;
    EXPECT_EQ(vts::test::readFile(victim), "mine");
}

// Write permission is this user's, not anyone's; a second name of the .db would keep the old table;
// a lock that is not a file is named.
TEST_F(Replace, ATableThisUserMayNotReplaceIsRefusedAndLeftAlone) {
    const auto before = readBytes(dir / "memo.db");
    const auto refusal = [&] {
        return errorOf([&] { replaceWith(dir.path(), "memo", memo.info.schema, version(memo, "x")); });
    };
    ::chmod((dir / "memo.db").c_str(), 0444);
    EXPECT_NE(refusal().find("read-only"), std::string::npos);
    ::chmod((dir / "memo.db").c_str(), 0644);
    fs::create_hard_link(dir / "memo.db", dir / "other name");
    EXPECT_NE(refusal().find("hard link"), std::string::npos);
    fs::remove(dir / "other name");
    fs::remove(dir / vts::test::kLockFileName);
    fs::create_directory(dir / vts::test::kLockFileName);  // planted, and in every writer's way
    EXPECT_NE(refusal().find("is not a plain file"), std::string::npos);
    fs::remove(dir / vts::test::kLockFileName);
    EXPECT_EQ(readBytes(dir / "memo.db"), before);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"memo.db", "memo.mb", "memo.px"}));

    const auto other = anotherUser();
    if (!other) GTEST_SKIP() << "another user's table needs root (to run as the user nobody)";
    // Root's table in a folder anyone may change: its mode lets someone write it, not nobody.
    fs::remove(dir / vts::test::kLockFileName);
    ::chmod(dir.path().c_str(), 0777);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (::setgid(*other) != 0 || ::setuid(*other) != 0) std::_Exit(2);
            std::_Exit(refusal().find("read-only for you") != std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(dir / "memo.db"), before);
}

// Without open-file-description locks, classic locks would be dropped by closing any descriptor
// of the lock file: tables are read, but never written.
TEST_F(Replace, WithoutTheLocksThatKeepWritersApartNothingIsWritten) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a preloaded library cannot come before the address sanitizer's runtime; the plain build runs this";
#endif
    const auto before = readBytes(dir / "memo.db");
    const vts::test::ScopedEnv preload("LD_PRELOAD", NO_OFD_LOCKS);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool read = readAll(dir / "memo.db").records == memo.records;
            const std::string why =
                errorOf([&] { replaceWith(dir.path(), "memo", memo.info.schema, version(memo, "x")); });
            std::_Exit(read && why.find("does not offer the locks") != std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(dir / "memo.db"), before);
}

TEST_F(Replace, ADamagedJournalIsReportedAndNothingIsTouched) {
    const std::string name = "memo.db.vts-aside-000000000001";
    fs::rename(dir / "memo.db", dir / name);
    writeBytes(pdx::journalPath(dir.path(), "memo"), {'x', '\n'});
    const auto before = namesIn(dir.path());
    EXPECT_NE(errorOf([&] { pdx::recoverTable(dir.path(), "memo"); }).find("damaged"), std::string::npos);
    EXPECT_TRUE(pdx::recoverFolder(dir.path()).empty());
    EXPECT_EQ(namesIn(dir.path()), before);
}

TEST(ReplaceJournal, PathsWithBlanksAndLineEndsSurviveAndTamperingIsSeen) {
    vts::test::TempDir dir;
    const pdx::ReplaceJournal j{
        "T", {{7, dir / "a b.db", "/elsewhere/x%\n.db"}}, {{9, dir / "n.db.vts-new-1", dir / "a b.db"}}};
    const fs::path file = pdx::journalPath(dir.path(), "T");
    pdx::writeJournal(file, j, {});
    const auto back = pdx::readJournal(file);
    EXPECT_EQ(back.table, "T");
    ASSERT_EQ(back.old.size(), 1u);
    EXPECT_EQ(back.old[0].from, dir / "a b.db");
    EXPECT_EQ(back.old[0].to, fs::path("/elsewhere/x%\n.db"));
    EXPECT_EQ(back.added.at(0).inode, 9u);
    auto bytes = readBytes(file);
    bytes[bytes.size() / 2] ^= 1;
    writeBytes(file, bytes);
    EXPECT_THROW(pdx::readJournal(file), pdx::Error);
}

}  // namespace
