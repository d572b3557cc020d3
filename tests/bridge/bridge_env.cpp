#include "bridge_env.h"
#include "bridge/edit_session.h"
#include "platform/pdx/io/family.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/replace_debris.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"

extern "C" {
#include <paradox.h>
}

namespace vts::test {

BridgeEnv::BridgeEnv()
    : appFolder(root.path() / "app"), paradoxFolder(root.path() / "pdx"), ctx{dialogs, launcher, appFolder} {
    fs::create_directories(appFolder);
    fs::create_directories(paradoxFolder);
    folderText = paradoxFolder.string();
    ctx.folderText = [this] { return folderText; };
    ctx.yieldToUi = [this] { ++yields; };
    ctx.endProgram = [this] { ++ends; };
}

std::string BridgeEnv::working(const std::string& table) const {
    std::string quoted = "\"";
    for (char c : WorkingTableName(folderText, table)) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void BridgeEnv::edit(const std::string& table, const std::string& sql) const {
    sqliteExec(workingDb(), sql);
    sqliteExec(workingDb(),
               "CREATE TABLE IF NOT EXISTS \"vts/unsaved-edits\"(table_name TEXT PRIMARY KEY COLLATE NOCASE)");
    std::string literal = "'";
    for (char c : WorkingTableName(folderText, table)) literal += c == '\'' ? std::string("''") : std::string(1, c);
    sqliteExec(workingDb(), "INSERT OR IGNORE INTO \"vts/unsaved-edits\" VALUES(" + literal + "')");
}

void copyFiles(const fs::path& fromDir, const fs::path& toDir) {
    for (const auto& entry : fs::directory_iterator(fromDir))
        if (entry.is_regular_file()) copyWritable(entry.path(), toDir / entry.path().filename());
}

fs::path tableFile(const fs::path& dbFile) {
    if (fs::exists(dbFile)) return dbFile;
    return pdx::findTable(dbFile.parent_path(), dbFile.stem().string()).value_or(dbFile);
}

std::vector<std::string> fileNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename() != kLockFileName) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TableContents readTable(const fs::path& dbFile, const std::string& password) {
    pdx::TableReader reader(tableFile(dbFile), {password});
    TableContents out{reader.info().schema, {}};
    pdx::Record record;
    while (reader.next(record)) out.records.push_back(record);
    return out;
}

bool hasBlobFields(const pdx::Schema& schema) {
    return std::any_of(schema.fields.begin(), schema.fields.end(),
                       [](const pdx::Field& f) { return pdx::isBlobType(f.type); });
}

void writeTable(const fs::path& dir, const std::string& name, const pdx::Schema& schema,
                const std::vector<pdx::Record>& records) {
    pdx::TableWriter writer(dir, name, schema);
    for (const auto& r : records) writer.append(r);
    writer.finish();
    writer.install();
}

namespace {

// pxlib prints the non-decimal nibbles that the original engine left after the significant
// digits as punctuation; a writer emits zeros there. Both mean the same number.
std::string significantBcd(const char* text) {
    std::string out;
    for (const char* p = text; *p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '.' || *p == '-'); ++p)
        out += *p;
    if (out.find('.') != std::string::npos)
        while (out.back() == '0') out.pop_back();
    return out;
}

// One field of a pxlib record as text.
std::string pxlibValue(pxdoc_t* doc, const pxfield_t& field, char* data) {
    char* text = nullptr;
    long l = 0;
    short s = 0;
    double d = 0;
    char b = 0;
    std::ostringstream out;
    switch (field.px_ftype) {
        case pxfAlpha:
            if (PX_get_data_alpha(doc, data, field.px_flen, &text) > 0 && text) out << text;
            break;
        case pxfDate:
        case pxfLong:
        case pxfAutoInc:
        case pxfTime:
            if (PX_get_data_long(doc, data, field.px_flen, &l) > 0) out << l;
            break;
        case pxfShort:
            if (PX_get_data_short(doc, data, field.px_flen, &s) > 0) out << s;
            break;
        case pxfCurrency:
        case pxfNumber:
        case pxfTimestamp:
            if (PX_get_data_double(doc, data, field.px_flen, &d) > 0) out << std::hexfloat << d;
            break;
        case pxfLogical:
            if (PX_get_data_byte(doc, data, field.px_flen, &b) > 0) out << int(b);
            break;
        case pxfBCD:
            if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), field.px_fdc, &text) > 0 && text)
                out << significantBcd(text);
            break;
        case pxfBytes:
            for (int i = 0; i < field.px_flen; ++i) out << int(static_cast<unsigned char>(data[i])) << ' ';
            break;
        default: out << "?";
    }
    if (text) doc->free(doc, text);
    return out.str();
}

// Runs in the child: writes the dump to `out`, returns the exit status.
int dumpWithPxlib(const fs::path& dbFile, std::ostream& out) {
    PX_boot();
    pxdoc_t* doc = PX_new();
    if (!doc || PX_open_file(doc, dbFile.c_str()) < 0) return 2;
    const int fields = PX_get_num_fields(doc);
    const int records = PX_get_num_records(doc);
    pxfield_t* list = PX_get_fields(doc);
    std::vector<char> buffer(static_cast<size_t>(doc->px_head->px_recordsize));
    for (int r = 0; r < records; ++r) {
        if (!PX_get_record(doc, r, buffer.data())) return 3;
        char* data = buffer.data();
        for (int f = 0; f < fields; ++f) {
            out << pxlibValue(doc, list[f], data) << '|';
            data += list[f].px_flen;
        }
        out << '\n';
    }
    PX_close(doc);
    PX_delete(doc);
    return 0;
}

}  // namespace

std::vector<std::string> pxlibDump(const fs::path& dbFile) {
    TempFolder tmp;
    const fs::path outFile = tmp.path() / "dump.txt";
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream out(outFile);
        const int status = dumpWithPxlib(dbFile, out);
        out.close();
        _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    std::vector<std::string> lines{"ok"};
    std::ifstream in(outFile);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

namespace {

struct Db {
    explicit Db(const fs::path& file) {
        if (sqlite3_open(file.c_str(), &handle) != SQLITE_OK) throw std::runtime_error("cannot open " + file.string());
        sqlite3_busy_timeout(handle, 5000);
    }
    ~Db() { sqlite3_close(handle); }
    sqlite3* handle = nullptr;
};

}  // namespace

void sqliteExec(const fs::path& db, const std::string& sql) {
    Db conn(db);
    char* error = nullptr;
    if (sqlite3_exec(conn.handle, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(message + " in " + sql);
    }
}

std::vector<std::string> sqliteColumn(const fs::path& db, const std::string& sql) {
    Db conn(db);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(conn.handle, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(conn.handle)) + " in " + sql);
    std::vector<std::string> out;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(stmt, 0);
        out.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
    }
    sqlite3_finalize(stmt);
    return out;
}

}  // namespace vts::test

namespace pdx {

void PrintTo(const Schema& schema, std::ostream* os) {
    *os << "{";
    for (const auto& f : schema.fields) *os << f.name << ":" << typeName(f.type) << "(" << f.size << ") ";
    *os << "keys " << schema.keyFields << ", code page " << schema.codePage << ", sort " << schema.sortOrder << " '"
        << schema.sortOrderId << "'}";
}
void PrintTo(const Date& v, std::ostream* os) { *os << "day " << v.day; }
void PrintTo(const Time& v, std::ostream* os) { *os << v.ms << " ms"; }
void PrintTo(const Timestamp& v, std::ostream* os) { *os << std::hexfloat << v.ms << " ms"; }
void PrintTo(const Decimal& v, std::ostream* os) { *os << v.text; }

}  // namespace pdx
