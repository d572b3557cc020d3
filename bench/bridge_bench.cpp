// Bridge benchmark: the import of the benchmark table into the working database against the
// sqlite3 shell's own CSV import of the same rows, and the write-back against our engine's
// plain copy of the table (read + write). Prints wall-clock and CPU times and their ratios.
//   bridge_bench [records] [folder]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "bridge/paradox.h"
#include "platform/db/connection.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"

namespace {

namespace fs = std::filesystem;

double seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double childCpu() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    auto s = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6; };
    return s(ru.ru_utime) + s(ru.ru_stime);
}

// Wall-clock and CPU seconds (this process and its waited-for children) of one run.
struct Span {
    double wall = 0, cpu = 0;
};
template <class F>
Span measure(F&& f) {
    const double wall = seconds(CLOCK_MONOTONIC), cpu = seconds(CLOCK_PROCESS_CPUTIME_ID), child = childCpu();
    f();
    return {seconds(CLOCK_MONOTONIC) - wall, seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu + childCpu() - child};
}

// Runs a program with its standard output sent to outFile (or inherited) and waits for it.
void run(const std::vector<std::string>& args, const std::string& outFile = {}) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!outFile.empty() && !std::freopen(outFile.c_str(), "w", stdout)) _exit(126);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + args.at(0) + " " + args.back());
}

// Our engine's plain copy: every record read and written under another name.
void plainCopy(const fs::path& dbFile, const fs::path& dir) {
    pdx::TableReader reader(dbFile);
    pdx::TableWriter writer(dir, "COPY", reader.info().schema);
    pdx::Record r;
    while (reader.next(r)) writer.append(r);
    writer.finish();
    writer.install();
}

// One cell changed through the grid's data source, which marks the table edited.
void editOneCell(const std::string& workingDb, const std::string& table) {
    db::Connection c;
    c.Open(vts::WorkingConnectionString(fs::path(workingDb).parent_path()));
    const auto source = c.OpenGridSource(table);
    const auto row = source->Fetch(0, 1).at(0);
    source->Update(row.rowid, 0, row.values.at(0), pdx::Value(std::string("edited")));
}

void print(const char* what, const Span& s, long rows) {
    std::printf("%-44s %8.2f s wall %8.2f s CPU  %9.0f rows/s\n", what, s.wall, s.cpu, rows / s.wall);
}

void ratio(const char* what, const Span& ours, const Span& base, double goal) {
    std::printf("%-44s %6.2fx wall %6.2fx CPU  (goal <= %.1fx)\n", what, ours.wall / base.wall, ours.cpu / base.cpu,
                goal);
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

    // The same rows as CSV, imported by the sqlite3 shell into a table of the same definition.
    const fs::path csv = scratch / "bench.csv", sqliteDb = scratch / "csv.sqlite", schema = scratch / "schema.sql";
    run({"sqlite3", working, "-csv", "SELECT * FROM `" + table + "`"}, csv.string());
    run({"sqlite3", working, ".schema `" + table + "`"}, schema.string());
    run({"sqlite3", sqliteDb.string(), ".read " + schema.string()});
    const Span csvImport = measure([&] {
        run({"sqlite3", sqliteDb.string(), ".import --csv " + csv.string() + " \"" + table + "\""});
    });

    const Span copy = measure([&] { plainCopy(file, scratch); });
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
