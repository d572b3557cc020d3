// Schema rules of a level-5 table and the layout decisions that follow from them.
#include "platform/pdx/write/schema_writer.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/pdx/write/block_writer.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/write/px_writer.h"

namespace pdx {

namespace {

constexpr int kMaxRecordSize = 4096 - 6;
constexpr std::size_t kMaxHeaderSize = 0xF800;

bool isKnownType(FieldType t) {
    switch (t) {
        case FieldType::Alpha:
        case FieldType::Date:
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::Currency:
        case FieldType::Number:
        case FieldType::Logical:
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
        case FieldType::Time:
        case FieldType::Timestamp:
        case FieldType::AutoInc:
        case FieldType::Bcd:
        case FieldType::Bytes: return true;
    }
    return false;
}

// Descriptor sizes a level-5 table accepts; fixed-size types take their own size (or 0).
bool isValidSize(const Field& f) {
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Bytes: return f.size >= 1 && f.size <= 255;
        case FieldType::Memo: return f.size >= 11 && f.size <= 250;
        case FieldType::Binary:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic: return f.size >= 10 && f.size <= 250;
        case FieldType::Bcd: return f.size >= 0 && f.size <= 32;
        default: return f.size == 0 || f.size == fieldStorageSize(f.type, f.size);
    }
}

std::string lowerAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void checkTableName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string("/\0", 2)) != std::string::npos)
        throw Error("\"" + name + "\" cannot be the name of a table file");
}

void checkField(const Field& f, const std::string& table) {
    const std::string where = "table " + table + ", field \"" + f.name + "\": ";
    if (f.name.empty() || f.name.find('\0') != std::string::npos)
        throw Error(where + "a field needs a name without NUL characters");
    if (!isKnownType(f.type)) throw Error(where + "unknown field type " + std::to_string(static_cast<int>(f.type)));
    if (!isValidSize(f))
        throw Error(where + "size " + std::to_string(f.size) + " is not valid for a " + typeName(f.type) + " field");
}

void checkSortOrder(const Schema& s, const std::string& table) {
    const bool printable =
        std::all_of(s.sortOrderId.begin(), s.sortOrderId.end(), [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
    if (s.sortOrderId.empty() || s.sortOrderId.size() > 31 || !printable)
        throw Error("table " + table + ": \"" + s.sortOrderId + "\" is not a sort order name");
    if (s.sortOrder < 0 || s.sortOrder > 255 || s.codePage < 0 || s.codePage > 0xFFFF)
        throw Error("table " + table + ": sort order " + std::to_string(s.sortOrder) + " or code page " +
                    std::to_string(s.codePage) + " out of range");
}

void checkKey(const Schema& s, const std::string& table) {
    const int n = static_cast<int>(s.fields.size());
    if (s.keyFields < 0 || s.keyFields > n)
        throw Error("table " + table + ": " + std::to_string(s.keyFields) + " key fields of " + std::to_string(n));
    for (int i = 0; i < s.keyFields; ++i)
        if (isBlobType(s.fields[static_cast<std::size_t>(i)].type))
            throw Error("table " + table + ", field \"" + s.fields[static_cast<std::size_t>(i)].name + "\": a " +
                        typeName(s.fields[static_cast<std::size_t>(i)].type) + " field cannot be part of the key");
    if (static_cast<std::size_t>(keyBytes(s)) > kMaxKeySize)
        throw Error("table " + table + ": the key fields take " + std::to_string(keyBytes(s)) +
                    " bytes, an index holds at most " + std::to_string(kMaxKeySize));
}

}  // namespace

Schema withSortOrder(Schema s) {
    if (!s.sortOrderId.empty()) return s;
    const bool windows = s.codePage == 1252;
    s.sortOrderId = windows ? "DBWINUS0" : "ascii";
    s.sortOrder = windows ? 0x4C : 0x00;
    return s;
}

void checkSchema(const Schema& s, const std::string& table) {
    checkTableName(table);
    if (s.fields.empty() || s.fields.size() > 255)
        throw Error("table " + table + ": " + std::to_string(s.fields.size()) + " fields (1 to 255 allowed)");
    std::set<std::string> names;
    for (const Field& f : s.fields) {
        checkField(f, table);
        if (!names.insert(lowerAscii(f.name)).second)
            throw Error("table " + table + ": the field name \"" + f.name + "\" is used twice");
    }
    if (recordBytes(s) > kMaxRecordSize)
        throw Error("table " + table + ": records of " + std::to_string(recordBytes(s)) + " bytes (at most " +
                    std::to_string(kMaxRecordSize) + ")");
    checkKey(s, table);
    checkSortOrder(s, table);
}

bool hasBlobField(const Schema& s) {
    return std::any_of(s.fields.begin(), s.fields.end(), [](const Field& f) { return isBlobType(f.type); });
}

int recordBytes(const Schema& s) {
    int total = 0;
    for (const Field& f : s.fields) total += fieldStorageSize(f.type, f.size);
    return total;
}

int keyBytes(const Schema& s) {
    int total = 0;
    for (int i = 0; i < s.keyFields; ++i) {
        const Field& f = s.fields[static_cast<std::size_t>(i)];
        total += fieldStorageSize(f.type, f.size);
    }
    return total;
}

std::string keyDescription(const Schema& s) {
    std::string text = s.keyFields == 1 ? "key field " : "key fields ";
    for (int i = 0; i < s.keyFields; ++i) text += (i ? ", " : "") + s.fields[static_cast<std::size_t>(i)].name;
    return text;
}

int smallestBlockKiB(int recordSize) { return BlockWriter::capacity(2, recordSize) >= 1 ? 2 : 4; }

// Index entries store block numbers like Short values: past 32767 only readers that take them
// as unsigned follow them (pxlib does not), so a keyed table takes 4 KiB blocks first.
int keyedBlockKiB(int recordSize, std::size_t records) {
    const int kib = smallestBlockKiB(recordSize);
    const auto cap = static_cast<std::size_t>(BlockWriter::capacity(kib, recordSize));
    return (records + cap - 1) / cap > 0x7FFF ? 4 : kib;
}

std::string headerTableName(const std::string& fileName, CodePage& codePage) {
    std::string bytes;
    try {
        bytes = codePage.encode(fileName);
    } catch (const Error&) {
        for (unsigned char c : fileName) bytes += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : '_';
    }
    if (bytes.size() >= kTableNameArea) {
        bytes.clear();  // cut at a byte boundary that cannot split a character
        for (unsigned char c : fileName) bytes += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : '_';
        bytes.resize(std::min(bytes.size(), kTableNameArea - 1));
    }
    return bytes;
}

DbHeaderFields headerFields(const Schema& s, const std::string& table, CodePage& codePage) {
    DbHeaderFields h;
    h.schema = &s;
    h.tableName = headerTableName(table + ".db", codePage);
    for (const Field& f : s.fields) {
        try {
            h.fieldNames.push_back(codePage.encode(f.name));
        } catch (const Error& e) {
            throw Error("table " + table + ", field \"" + f.name + "\": the name cannot be written: " + e.what());
        }
        if (h.fieldNames.back().find('\0') != std::string::npos)
            throw Error("table " + table + ", field \"" + f.name + "\": the name contains a NUL character");
    }
    if (dbHeaderSize(h) > kMaxHeaderSize) throw Error("table " + table + ": the field names are too long for a header");
    return h;
}

}  // namespace pdx
