// What the import and write-back benchmarks share: wall-clock and CPU timing, and the two
// references each figure is set against (the sqlite3 shell's CSV import of the same rows, and
// our engine's plain copy of the table).
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"

namespace vts::bench {

inline double seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline double childCpu() {
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

inline void print(const char* what, const Span& s, long rows) {
    std::printf("%-44s %8.2f s wall %8.2f s CPU  %9.0f rows/s\n", what, s.wall, s.cpu, rows / s.wall);
}

inline void ratio(const char* what, const Span& ours, const Span& base, double goal) {
    std::printf("%-44s %6.2fx wall %6.2fx CPU  (goal <= %.1fx)\n", what, ours.wall / base.wall, ours.cpu / base.cpu,
                goal);
}

// Runs a program with its standard output sent to outFile (or inherited) and waits for it.
inline void run(const std::vector<std::string>& args, const std::string& outFile = {}) {
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

// The working table's rows as CSV, imported by the sqlite3 shell into a fresh database holding a
// table of the same definition: the import's reference. Only the import itself is timed.
inline Span sqliteCsvImport(const std::string& workingDb, const std::string& table,
                            const std::filesystem::path& scratch) {
    const auto csv = scratch / "bench.csv", sqliteDb = scratch / "csv.sqlite", schema = scratch / "schema.sql";
    run({"sqlite3", workingDb, "-csv", "SELECT * FROM \"" + table + "\""}, csv.string());
    run({"sqlite3", workingDb, ".schema \"" + table + "\""}, schema.string());
    run({"sqlite3", sqliteDb.string(), ".read " + schema.string()});
    const Span span = measure([&] {
        run({"sqlite3", sqliteDb.string(), ".import --csv " + csv.string() + " \"" + table + "\""});
    });
    for (const auto& f : {csv, sqliteDb, schema}) std::filesystem::remove(f);
    return span;
}

// Our engine's plain copy, every record read and written under another name: the write-back's
// reference.
inline Span plainCopy(const std::filesystem::path& dbFile, const std::filesystem::path& dir) {
    return measure([&] {
        pdx::TableReader reader(dbFile);
        pdx::TableWriter writer(dir, "COPY", reader.info().schema);
        pdx::Record r;
        while (reader.next(r)) writer.append(r);
        writer.finish();
        writer.install();
    });
}

}  // namespace vts::bench
