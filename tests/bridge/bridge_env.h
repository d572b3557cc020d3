// Test surroundings of the bridge routines: a Paradox folder and a working database in a fresh
// temporary folder, the context the routines run with, and independent readers of the results.
#pragma once
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "platform/pdx/format/types.h"
#include "platform/shell/app_context.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/launcher.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"

namespace vts::test {

namespace fs = std::filesystem;

using vts::test::fixtures;

using TempFolder = TempDir;

class BridgeEnv {
public:
    BridgeEnv();
    TempFolder root;
    fs::path appFolder;      // holds dbTemp.mdb
    fs::path paradoxFolder;  // the folder text, unless a test changes it
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    std::string folderText;
    int yields = 0;
    int ends = 0;
    AppContext ctx;

    fs::path workingDb() const { return appFolder / "dbTemp.mdb"; }
    // The working table of the Paradox table `table` of the folder text, quoted for SQL.
    std::string working(const std::string& table) const;
    // Runs SQL that changes that working table, and marks it edited as the grid does.
    void edit(const std::string& table, const std::string& sql) const;
};

// Copies the table's .db and every file of the same base name (letter case ignored).
// Every regular file of a folder (not its sub-folders).
void copyFiles(const fs::path& fromDir, const fs::path& toDir);
// The table file as named on disk: a write-back keeps the letter case of the name it replaced.
fs::path tableFile(const fs::path& dbFile);
// File names in a folder, sorted (not the lock file, which stays once made).
std::vector<std::string> fileNames(const fs::path& dir);

struct TableContents {
    pdx::Schema schema;
    std::vector<pdx::Record> records;
};
// Throws pdx::Error when the table cannot be read to its end (or without its password).
TableContents readTable(const fs::path& dbFile, const std::string& password = {});
bool hasBlobFields(const pdx::Schema& schema);
// Writes a level 5 table name.db into dir with our engine.
void writeTable(const fs::path& dir, const std::string& name, const pdx::Schema& schema,
                const std::vector<pdx::Record>& records);

// The table as pxlib reads it, one line per record, read in a child process because pxlib
// can crash on input it does not like. Empty when the child failed.
std::vector<std::string> pxlibDump(const fs::path& dbFile);

// Straight SQLite access to the working database, bypassing our connection layer.
void sqliteExec(const fs::path& db, const std::string& sql);
// The first column of every row, as text ("<null>" for NULL).
std::vector<std::string> sqliteColumn(const fs::path& db, const std::string& sql);

}  // namespace vts::test

// Readable failure messages for the engine's types.
namespace pdx {
void PrintTo(const Schema& schema, std::ostream* os);
void PrintTo(const Date& v, std::ostream* os);
void PrintTo(const Time& v, std::ostream* os);
void PrintTo(const Timestamp& v, std::ostream* os);
void PrintTo(const Decimal& v, std::ostream* os);
}  // namespace pdx
