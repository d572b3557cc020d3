// Paradox engine benchmark: our reader and writer against pxlib and the raw read floor on the
// benchmark table (1,000,000 records by default; memo variant too). Prints rates and ratios,
// on CPU time (the machine may be shared) with wall-clock time beside it.
//   pdx_bench [records] [folder]
extern "C" {
#include <paradox.h>
}
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"

namespace {

namespace fs = std::filesystem;

// Wall-clock and CPU seconds since construction.
struct Timer {
    static double now(clockid_t clock) {
        timespec ts{};
        clock_gettime(clock, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }
    double wallStart = now(CLOCK_MONOTONIC), cpuStart = now(CLOCK_PROCESS_CPUTIME_ID);
    struct Span {
        double wall = 0, cpu = 0;
        Span scaled(double f) const { return {wall * f, cpu * f}; }
        Span operator-(const Span& o) const { return {wall - o.wall, cpu - o.cpu}; }
    };
    Span elapsed() const { return {now(CLOCK_MONOTONIC) - wallStart, now(CLOCK_PROCESS_CPUTIME_ID) - cpuStart}; }
};
using Span = Timer::Span;
double mib(std::uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

std::uintmax_t tableBytes(const fs::path& db) {
    std::uintmax_t total = fs::file_size(db);
    const fs::path mb = fs::path(db).replace_extension(".MB");
    if (fs::exists(mb)) total += fs::file_size(mb);
    return total;
}

// Reads every record with every value decoded; returns the record count.
std::size_t ourRead(const fs::path& db) {
    pdx::TableReader reader(db);
    pdx::Record r;
    std::size_t n = 0;
    while (reader.next(r)) ++n;
    return n;
}

// The file read in 64 KiB chunks (from the page cache after a first pass).
Span rawRead(const fs::path& file) {
    std::vector<char> buf(64 * 1024);
    auto pass = [&] {
        const int fd = ::open(file.c_str(), O_RDONLY);
        while (::read(fd, buf.data(), buf.size()) > 0) {}
        ::close(fd);
    };
    pass();
    const Timer t;
    pass();
    return t.elapsed();
}

// pxlib reading the first `limit` records with every value decoded.
Span pxlibRead(const fs::path& db, int limit) {
    const Timer t;
    pxdoc_t* d = PX_new();
    if (PX_open_file(d, db.c_str()) < 0) return {-1, -1};
    const int n = std::min(limit, PX_get_num_records(d)), nf = PX_get_num_fields(d);
    pxfield_t* f = PX_get_fields(d);
    std::vector<char> rec(static_cast<std::size_t>(d->px_head->px_recordsize));
    for (int i = 0; i < n; ++i) {
        PX_get_record(d, i, rec.data());
        char* p = rec.data();
        for (int j = 0; j < nf; p += f[j].px_flen, ++j) {
            long l;
            short s;
            double x;
            char c;
            char* text = nullptr;
            switch (f[j].px_ftype) {
                case pxfAlpha:
                    if (PX_get_data_alpha(d, p, f[j].px_flen, &text) > 0 && text) d->free(d, text);
                    break;
                case pxfLong:
                case pxfDate: PX_get_data_long(d, p, f[j].px_flen, &l); break;
                case pxfShort: PX_get_data_short(d, p, f[j].px_flen, &s); break;
                case pxfNumber:
                case pxfTimestamp: PX_get_data_double(d, p, f[j].px_flen, &x); break;
                case pxfLogical: PX_get_data_byte(d, p, f[j].px_flen, &c); break;
                default: break;
            }
        }
    }
    PX_close(d);
    PX_delete(d);
    return t.elapsed();
}

// pxlib writing the first `rows` records of the benchmark table (no memo).
Span pxlibWrite(const fs::path& file, int rows) {
    const pdx::Schema schema = vts::bench::benchSchema(false);
    const Timer t;
    pxdoc_t* d = PX_new();
    // pxlib owns the field list and names: they come from its allocator.
    const std::size_t nf = schema.fields.size();
    auto* fields = static_cast<pxfield_t*>(d->malloc(d, nf * sizeof(pxfield_t), "fields"));
    for (std::size_t i = 0; i < nf; ++i) {
        const auto& f = schema.fields[i];
        auto* name = static_cast<char*>(d->malloc(d, f.name.size() + 1, "name"));
        std::memcpy(name, f.name.c_str(), f.name.size() + 1);
        fields[i] = {name, static_cast<char>(f.type), pdx::fieldStorageSize(f.type, f.size), 0};
    }
    if (PX_create_file(d, fields, static_cast<int>(nf), file.c_str(), pxfFileTypNonIndexDB) < 0) return {-1, -1};
    std::vector<char> rec(static_cast<std::size_t>(d->px_head->px_recordsize));
    pdx::Record r;
    for (int i = 0; i < rows; ++i) {
        vts::bench::benchRecord(static_cast<std::size_t>(i), false, r);
        std::memset(rec.data(), 0, rec.size());
        char* p = rec.data();
        for (std::size_t j = 0; j < nf; p += fields[j].px_flen, ++j) {
            const pdx::Value& v = r[j];
            if (pdx::isNull(v)) continue;
            const int len = fields[j].px_flen;
            if (const auto* s = std::get_if<std::string>(&v))
                PX_put_data_alpha(d, p, len, const_cast<char*>(s->c_str()));
            else if (const auto* n = std::get_if<std::int64_t>(&v)) {
                if (len == 2) PX_put_data_short(d, p, len, static_cast<short>(*n));
                else PX_put_data_long(d, p, len, static_cast<int>(*n));
            } else if (const auto* x = std::get_if<double>(&v)) PX_put_data_double(d, p, len, *x);
            else if (const auto* day = std::get_if<pdx::Date>(&v)) PX_put_data_long(d, p, len, day->day);
            else if (const auto* ts = std::get_if<pdx::Timestamp>(&v)) PX_put_data_double(d, p, len, ts->ms);
            else if (const auto* b = std::get_if<bool>(&v)) PX_put_data_byte(d, p, len, *b ? 1 : 0);
        }
        PX_put_record(d, rec.data());
    }
    PX_close(d);
    PX_delete(d);
    return t.elapsed();
}

// Peak resident memory of a fresh process that reads the table: this program run again.
long readerPeakKiB(const fs::path& db) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        execl("/proc/self/exe", "pdx_bench", "--peak", db.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[64] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return n > 0 ? std::atol(buf) : -1;
}

int peakMode(const char* db) {
    ourRead(db);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) std::printf("%ld\n", std::atol(line.c_str() + 6));
    return 0;
}

struct Figures {
    Span generate, write, read;
    std::uintmax_t bytes = 0;
};

Figures measureOurs(const fs::path& dir, std::size_t records, bool memo) {
    const std::string name = memo ? "BENCHM" : "BENCH";
    for (const char* ext : {".db", ".MB"}) fs::remove(dir / (name + ext));
    Figures f;
    pdx::Record r;
    Timer t;
    for (std::size_t i = 0; i < records; ++i) vts::bench::benchRecord(i, memo, r);
    f.generate = t.elapsed();
    t = Timer();
    const fs::path db = vts::bench::writeBenchTable(dir, records, memo, name);
    f.write = t.elapsed() - f.generate;  // the writer's share: rows are generated as they go
    f.bytes = tableBytes(db);
    ourRead(db);  // warm the page cache
    t = Timer();
    const std::size_t n = ourRead(db);
    f.read = t.elapsed();
    if (n != records) std::printf("!! read %zu records of %zu\n", n, records);
    return f;
}

void line(const char* what, const Span& s, std::size_t records, std::uintmax_t bytes) {
    std::printf("  %-36s %8.3f s cpu (%7.3f s wall) %11.0f records/s %8.1f MB/s\n", what, s.cpu, s.wall,
                static_cast<double>(records) / s.cpu, mib(bytes) / s.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) return peakMode(argv[2]);
    const std::size_t records = argc > 1 ? std::stoul(argv[1]) : 1'000'000;
    const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "vts-pdx-bench";
    const bool madeDir = fs::create_directories(dir);
    PX_boot();

    std::printf("Paradox engine benchmark: %zu records in %s\n", records, dir.c_str());
    const Figures plain = measureOurs(dir, records, false);
    const Figures memo = measureOurs(dir, records, true);
    const fs::path db = dir / "BENCH.db";
    const Span raw = rawRead(db);

    const int pxReadRows = static_cast<int>(std::min<std::size_t>(records, 200'000));
    const Span pxRead = pxlibRead(db, pxReadRows).scaled(static_cast<double>(records) / pxReadRows);
    const int pxWriteRows = static_cast<int>(std::min<std::size_t>(records, 20'000));
    const Span pxWrite =
        (pxlibWrite(dir / "pxlib.db", pxWriteRows) - plain.generate.scaled(double(pxWriteRows) / records))
            .scaled(static_cast<double>(records) / pxWriteRows);
    fs::remove(dir / "pxlib.db");
    const long peak = readerPeakKiB(db);

    std::printf("\nread, every value decoded (%.1f MB; with memo %.1f MB):\n", mib(plain.bytes), mib(memo.bytes));
    line("ours", plain.read, records, plain.bytes);
    line("ours, with memo", memo.read, records, memo.bytes);
    line("pxlib (scaled from part of the table)", pxRead, records, plain.bytes);
    line("raw floor (64 KiB reads, cached)", raw, records, plain.bytes);
    std::printf("write until installed and flushed to disk (row generation not counted):\n");
    line("ours", plain.write, records, plain.bytes);
    line("ours, with memo", memo.write, records, memo.bytes);
    line("pxlib (scaled from part of the rows)", pxWrite, records, plain.bytes);

    std::printf("\nratios on cpu time (goal):\n");
    std::printf("  read:  pxlib / ours    = %7.1f  (>= 50)\n", pxRead.cpu / plain.read.cpu);
    std::printf("  read:  ours / raw      = %7.1f  (<= 4)\n", plain.read.cpu / raw.cpu);
    std::printf("  write: pxlib / ours    = %7.1f  (>= 100)\n", pxWrite.cpu / plain.write.cpu);
    std::printf("  reader peak memory     = %7.1f MB (< 64)\n", static_cast<double>(peak) / 1024.0);
    for (const char* file : {"BENCH.db", "BENCHM.db", "BENCHM.MB"}) fs::remove(dir / file);
    if (madeDir) fs::remove_all(dir);  // with the readers' lock file the folder still holds
    return 0;
}
