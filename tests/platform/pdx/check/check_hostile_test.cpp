// The checker on wrecked families: truncated and scribbled-over copies of every kind of family
// file. It must return (never throw, crash or hang), and name a fault for each change it cannot
// accept.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "platform/pdx/check/table_check.h"
#include "tests/support/fixture_copy.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using pdxtest::readBytes;
using pdxtest::writeBytes;

// Every file of the copied family in turn gets `damage`, then its bytes back.
template <class Damage>
void damageEachFile(const fs::path& db, Damage damage) {
    for (const auto& e : fs::directory_iterator(db.parent_path())) {
        const std::string ext = e.path().extension().string();
        if (e.path().filename() == ".vts-lock" || ext == ".VAL" || ext == ".val") continue;  // not checked
        const Bytes original = readBytes(e.path());
        damage(e.path(), original);
        writeBytes(e.path(), original);
    }
}

pdx::TableCheckResult checked(const fs::path& db) {
    pdx::TableCheckResult r;
    EXPECT_NO_THROW(r = pdx::checkTable(db)) << db;
    return r;
}

const char* const kFamilies[] = {"db/ORDERS.DB",         "db/CUSTOMER.DB", "db/AREACODES.DB", "fields/memo.db",
                                 "fields/graphic240.db", "joins/C.DB",     "joins/indexed.db"};

TEST(CheckHostile, TruncatedFilesAreFaults) {
    for (const char* table : kFamilies) {
        vts::test::TempDir tmp;
        const fs::path db = vts::test::copyFamily(vts::test::fixtures() / table, tmp.path());
        damageEachFile(db, [&](const fs::path& file, const Bytes& original) {
            for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{0x57}, std::size_t{0x100},
                                    std::size_t{0x806}, original.size() / 2, original.size() - 1}) {
                if (cut >= original.size()) continue;
                writeBytes(file, Bytes(original.begin(), original.begin() + static_cast<long>(cut)));
                const auto r = checked(db);
                // A cut inside stale slack after the last record or value may change nothing.
                if (cut < 0x58) {
                    EXPECT_FALSE(r.clean()) << file << " cut at " << cut;
                }
            }
        });
    }
}

TEST(CheckHostile, ScribbledFilesNeverStopTheCheck) {
    std::mt19937 random(20240611);
    for (const char* table : kFamilies) {
        vts::test::TempDir tmp;
        const fs::path db = vts::test::copyFamily(vts::test::fixtures() / table, tmp.path());
        damageEachFile(db, [&](const fs::path& file, const Bytes& original) {
            for (int round = 0; round < 40; ++round) {
                Bytes bytes = original;
                if (bytes.empty()) break;
                std::uniform_int_distribution<std::size_t> at(0, std::min<std::size_t>(bytes.size(), 0x1000) - 1);
                // Mostly header and first-block bytes, where the structure lives.
                for (int n = 0; n < 1 + round % 6; ++n) bytes[at(random)] = static_cast<std::uint8_t>(random());
                writeBytes(file, bytes);
                checked(db);
            }
        });
    }
}

TEST(CheckHostile, AFloodOfFaultsIsCappedAndCounted) {
    pdx::CheckFindings findings(3);
    for (std::uint32_t b = 1; b <= 10; ++b) findings.fault(pdx::atBlock("T.DB", b), "bad");
    findings.note(pdx::atFile("T.DB"), "noted");
    EXPECT_EQ(findings.faultCount(), 10u);
    const auto listed = findings.take("T.DB");
    ASSERT_EQ(listed.size(), 5u);  // 3 faults, the note, the count of the rest
    EXPECT_EQ(pdx::formatFinding(listed.back()), "T.DB: note: 7 further faults are not listed");
}

}  // namespace
