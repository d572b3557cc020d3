// Temporary folders, fixture copies and a comma-decimal locale for the database layer tests.
#pragma once
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"
#include "platform/db/connection.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/format/value_text.h"

namespace dbtest {

namespace fs = std::filesystem;

using vts::test::fixtures;

// A fresh folder under the system temp folder, removed with everything in it.
using TempDir = vts::test::TempDir;

// Copies the table's whole family (the .db and every companion) into `to`, writable.
inline void copyTable(const std::string& fixtureFolder, const std::string& name, const fs::path& to) {
    for (const auto& f : pdx::findFamily(fixtures() / fixtureFolder, name)) {
        vts::test::copyWritable(f, to / f.filename());
        fs::permissions(to / f.filename(), fs::perms::owner_read | fs::perms::owner_write);
    }
}

// File names in a folder, sorted.
inline std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != ".vts-lock") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

inline std::string workingString(const TempDir& dir) {
    return db::workingConnectionString((dir.path() / "dbTemp.mdb").string());
}

inline std::string text(const pdx::Value& v) { return pdx::toText(v); }

// Plain SQL on the working database file, from a connection of its own: sets up and changes
// tables the way another program (or another connection of ours) would.
inline void sqlite(const TempDir& dir, const std::string& sql) {
    db::SqliteDb(dir.file("dbTemp.mdb"), false, false).exec(sql);
}

// Makes ',' the decimal point for C and C++ formatting while alive: de_DE for C (built into a
// temporary folder with localedef when it is not installed), a comma facet for C++.
class CommaLocale {
public:
    CommaLocale() : oldCpp_(std::locale()) {
        if (const char* old = std::setlocale(LC_ALL, nullptr)) oldC_ = old;
        cLocale_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        if (!cLocale_ && builtLocale()) {
            setenv("LOCPATH", builtLocale()->str().c_str(), 1);
            cLocale_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        }
        std::locale::global(std::locale(std::locale::classic(), new Comma));
    }
    ~CommaLocale() {
        std::locale::global(oldCpp_);
        std::setlocale(LC_ALL, oldC_.c_str());
        unsetenv("LOCPATH");
    }
    bool cLocaleSet() const { return cLocale_; }

private:
    // Built once per test run (a few seconds), removed at exit.
    static const TempDir* builtLocale() {
        static TempDir dir;
        static const bool ok =
            std::system(("localedef -i de_DE -f UTF-8 '" + (dir.path() / "de_DE.UTF-8").string() + "' >/dev/null 2>&1")
                            .c_str()) == 0;
        return ok ? &dir : nullptr;
    }
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::locale oldCpp_;
    std::string oldC_ = "C";
    bool cLocale_ = false;
};

}  // namespace dbtest
