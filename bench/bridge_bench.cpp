// Bridge benchmark: the import of the benchmark table into the working database against the
// sqlite3 shell's own CSV import of the same rows, and the write-back against our engine's
// plain copy of the table (read + write). Prints wall-clock and CPU times and their ratios.
//   bridge_bench [records] [folder]
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_table.h"
#include "bench/references.h"
#include "bridge/paradox.h"
#include "platform/db/connection.h"

namespace {

namespace fs = std::filesystem;
using namespace vts::bench;

// One cell changed through the grid's data source, which marks the table edited.
void editOneCell(const std::string& workingDb, const std::string& table) {
    db::Connection c;
    c.Open(vts::WorkingConnectionString(fs::path(workingDb).parent_path()));
    const auto source = c.OpenGridSource(table);
    const auto row = source->Fetch(0, 1).at(0);
    source->Update(row.rowid, 0, row.values.at(0), pdx::Value(std::string("edited")));
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::stol(argv[1]) : 1000000;
    const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "vts-bridge-bench";
    fs::remove_all(root);
    const fs::path paradox = root / "pdx", app = root / "app", scratch = root / "scratch";
    for (const auto& d : {paradox, app, scratch}) fs::create_directories(d);
    const fs::path file = vts::bench::writeBenchTable(paradox, static_cast<std::size_t>(records), false);
    std::printf("benchmark table: %ld records, %.1f MiB\n", records,
                static_cast<double>(fs::file_size(file)) / (1 << 20));

    vts::ScriptedDialogs dialogs;
    vts::RecordingLauncher launcher;
    vts::AppContext ctx{dialogs, launcher, app};
    ctx.folderText = [&] { return paradox.string(); };
    const std::string name = vts::bench::kBenchTableName;
    const std::string table = vts::WorkingTableName(paradox.string(), name);
    const std::string working = (app / "dbTemp.mdb").string();

    const Span import = measure([&] { vts::ImportParadoxTable(ctx, name); });

    const Span csvImport = sqliteCsvImport(working, table, scratch);
    const Span copy = plainCopy(file, scratch);
    editOneCell(working, table);  // as the user does: a table closed without edits is not written at all
    const Span writeBack = measure([&] { vts::SaveTableToParadox(ctx, name, {}); });

    print("import (ImportParadoxTable)", import, records);
    print("sqlite3 .import of the same rows as CSV", csvImport, records);
    print("write-back (SaveTableToParadox)", writeBack, records);
    print("plain copy (pdx read + write)", copy, records);
    ratio("import / sqlite3 CSV import", import, csvImport, 1.5);
    ratio("write-back / plain copy", writeBack, copy, 1.5);
    fs::remove_all(root);
    return 0;
}
