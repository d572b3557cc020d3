// Helpers of the writer tests: fixture tables, family copies, whole-table reads, raw record
// access, and pxlib as an independent reader run in a child process (it may crash).
#pragma once
extern "C" {
#include <paradox.h>
}
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/letter_case.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/writer.h"

namespace pdxtest {

namespace fs = std::filesystem;

using vts::test::lower;

using vts::test::fixtureTables;

inline void writeAll(const fs::path& dir, const std::string& name, const pdx::Schema& s,
                     const std::vector<pdx::Record>& records, pdx::WriterOptions opt = {}) {
    pdx::TableWriter w(dir, name, s, std::move(opt));
    for (const auto& r : records) w.append(r);
    w.finish();
    w.install();
}

// Options for writing a table again in its own place: its keys keep their order.
inline pdx::WriterOptions keepingOrderOf(const fs::path& db) {
    pdx::WriterOptions opt;
    opt.keyOrderFrom = db;
    return opt;
}

// Raw view of a written .db: header bytes and records in chain order.
struct RawTable {
    std::vector<std::uint8_t> bytes;
    int recordSize = 0, headerSize = 0, blockSize = 0;
    std::vector<const std::uint8_t*> records;
    std::vector<int> chain;  // block numbers in chain order
};

inline RawTable rawTable(const fs::path& db) {
    RawTable t;
    t.bytes = readBytes(db);
    const std::uint8_t* b = t.bytes.data();
    t.recordSize = pdx::loadLE16(b);
    t.headerSize = pdx::loadLE16(b + 2);
    t.blockSize = b[5] * 1024;
    for (int blk = pdx::loadLE16(b + 0x0E); blk != 0 && t.chain.size() < 70000;) {
        t.chain.push_back(blk);
        const std::uint8_t* p = b + t.headerSize + static_cast<std::size_t>(blk - 1) * t.blockSize;
        const int last = static_cast<std::int16_t>(pdx::loadLE16(p + 4));
        for (int off = 0; off <= last; off += t.recordSize) t.records.push_back(p + 6 + off);
        blk = pdx::loadLE16(p);
    }
    return t;
}

// ---- pxlib ------------------------------------------------------------------------------------

using vts::test::inChild;

inline void collectPxMessages(pxdoc_t*, int level, const char* msg, void* data) {
    *static_cast<std::string*>(data) += "pxlib " + std::to_string(level) + ": " + msg + "\n";
}

// Canonical text of one field as pxlib decodes it: "" for what pxlib calls blank.
inline std::string pxField(pxdoc_t* d, const pxfield_t& f, char* p) {
    char buf[64];
    switch (f.px_ftype) {
        case pxfAlpha: {
            char* v = nullptr;
            if (PX_get_data_alpha(d, p, f.px_flen, &v) <= 0 || !v) return "";
            std::string s(v);
            d->free(d, v);
            return s;
        }
        case pxfLong:
        case pxfDate:
        case pxfTime:
        case pxfAutoInc: {
            long v = 0;
            return PX_get_data_long(d, p, f.px_flen, &v) > 0 ? std::to_string(v) : "";
        }
        case pxfShort: {
            short v = 0;
            return PX_get_data_short(d, p, f.px_flen, &v) > 0 ? std::to_string(v) : "";
        }
        case pxfNumber:
        case pxfCurrency:
        case pxfTimestamp: {
            double v = 0;
            if (PX_get_data_double(d, p, f.px_flen, &v) <= 0) return "";
            std::snprintf(buf, sizeof buf, "%.17g", v);
            return buf;
        }
        case pxfLogical: {
            char v = 0;
            return PX_get_data_byte(d, p, f.px_flen, &v) > 0 ? std::to_string(static_cast<int>(v)) : "";
        }
        case pxfBCD: {
            char* v = nullptr;
            if (PX_get_data_bcd(d, reinterpret_cast<unsigned char*>(p), f.px_fdc, &v) <= 0 || !v) return "";
            std::string s(v);
            d->free(d, v);
            return s;
        }
        case pxfBytes: {
            char* v = nullptr;
            if (PX_get_data_bytes(d, p, f.px_flen, &v) <= 0 || !v) return "";
            std::string hex;
            for (int i = 0; i < f.px_flen; ++i) {
                std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(v[i]));
                hex += buf;
            }
            d->free(d, v);
            return hex;
        }
        default: return "?";
    }
}

// pxlib's reading of a table without blob fields: one line per record, fields separated by
// '\t'; "ERR ..." lines carry pxlib's complaints. With `index`, the .PX is attached first.
// Text comes as UTF-8, or as the table's own bytes when `utf8` is false.
inline std::optional<std::string> pxlibRead(const fs::path& db, const std::optional<fs::path>& index = {},
                                            bool utf8 = true) {
    return inChild([&] {
        std::string out, messages;
        pxdoc_t* d = PX_new2(collectPxMessages, nullptr, nullptr, nullptr);
        d->errorhandler_user_data = &messages;
        if (PX_open_file(d, db.c_str()) < 0) return "ERR open\n" + messages;
        if (utf8) PX_set_targetencoding(d, "UTF-8");
        pxdoc_t* px = nullptr;
        if (index) {
            px = PX_new2(collectPxMessages, nullptr, nullptr, nullptr);
            px->errorhandler_user_data = &messages;
            if (PX_open_file(px, index->c_str()) < 0 || PX_read_primary_index(px) < 0 ||
                PX_add_primary_index(d, px) < 0)
                out += "ERR index\n";
        }
        const int n = PX_get_num_records(d), nf = PX_get_num_fields(d);
        pxfield_t* f = PX_get_fields(d);
        std::vector<char> rec(static_cast<std::size_t>(d->px_head->px_recordsize));
        for (int i = 0; i < n; ++i) {
            if (!PX_get_record(d, i, rec.data())) {
                out += "ERR record " + std::to_string(i) + "\n";
                continue;
            }
            int off = 0;
            for (int j = 0; j < nf; ++j) {
                out += (j ? "\t" : "") + pxField(d, f[j], rec.data() + off);
                off += f[j].px_flen;
            }
            out += "\n";
        }
        if (!messages.empty()) out += "ERR " + messages;
        return out;
    });
}

// BCD text without trailing fraction zeros, as both readers' texts are compared.
inline std::string plainDecimal(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

// Our value in pxlib's canonical text; nullopt where pxlib's blank handling is known to differ.
inline std::optional<std::string> pxText(const pdx::Field& f, const pdx::Value& v) {
    if (pdx::isNull(v)) {
        if (f.type == pdx::FieldType::Alpha || f.type == pdx::FieldType::Logical || f.type == pdx::FieldType::Short)
            return std::string();
        return std::nullopt;  // pxlib reports blank numbers as 0 or the minimum integer
    }
    char buf[64];
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* b = std::get_if<bool>(&v)) return std::string(*b ? "1" : "0");
    if (const auto* d = std::get_if<pdx::Date>(&v)) return std::to_string(d->day);
    if (const auto* t = std::get_if<pdx::Time>(&v)) return std::to_string(t->ms);
    if (const auto* dec = std::get_if<pdx::Decimal>(&v)) return plainDecimal(dec->text);
    double x = 0;
    if (const auto* p = std::get_if<double>(&v)) x = *p;
    if (const auto* ts = std::get_if<pdx::Timestamp>(&v)) x = ts->ms;
    if (const auto* bytes = std::get_if<pdx::Bytes>(&v)) {
        if (!bytes->empty() && bytes->front() == 0) return std::nullopt;  // pxlib: first byte 0 = blank
        std::string hex;
        for (int i = 0; i < f.size; ++i) {
            std::snprintf(buf, sizeof buf, "%02x",
                          i < static_cast<int>(bytes->size()) ? (*bytes)[static_cast<std::size_t>(i)] : 0);
            hex += buf;
        }
        return hex;
    }
    std::snprintf(buf, sizeof buf, "%.17g", x);
    return std::string(buf);
}

// Pieces between separators; a trailing newline ends the last line rather than adding one.
inline std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == sep) out.emplace_back();
        else out.back() += c;
    }
    return out;
}

inline std::vector<std::string> splitLines(const std::string& s) {
    if (s.empty()) return {};
    auto lines = split(s, '\n');
    if (s.back() == '\n') lines.pop_back();
    return lines;
}

}  // namespace pdxtest
