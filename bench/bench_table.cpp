// Deterministic generator of the benchmark table and its writer.
#include "bench/bench_table.h"

#include <cstdint>
#include <cstdio>

#include "platform/pdx/write/writer.h"

namespace vts::bench {

namespace {

std::uint64_t mix(std::uint64_t x) {  // splitmix64: cheap, well-spread values per record
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

void setText(pdx::Value& v, const char* text, std::size_t len) {
    if (auto* s = std::get_if<std::string>(&v)) s->assign(text, len);
    else v = std::string(text, len);
}

void setName(pdx::Value& v, std::uint64_t h, std::size_t i) {
    char buf[48];
    // One name in 50 carries a non-ASCII letter, so text goes through the code page too.
    const char* first = (h % 50 == 0) ? "Jos\xC3\xA9" : "Customer";
    int len = std::snprintf(buf, sizeof buf, "%s %zu %.*s", first, i, static_cast<int>(h % 12), "ABCDEFGHIJKLMNOP");
    setText(v, buf, static_cast<std::size_t>(std::min(len, 30)));
}

void setNotes(pdx::Value& v, std::uint64_t h) {
    static const std::string filler = [] {
        std::string s;
        while (s.size() < 12000) s += "The quick brown fox jumps over the lazy dog. ";
        return s;
    }();
    const std::uint64_t kind = h % 1000;
    std::size_t len = 0;
    if (kind < 250) {
        v = std::monostate{};
        return;
    }
    if (kind < 500) len = 1 + h % 10;         // fits the 10-byte leader
    else if (kind < 999) len = 50 + h % 350;  // sub-allocated blocks
    else len = 3000 + h % 9000;               // own blocks
    setText(v, filler.data(), len);
}

}  // namespace

pdx::Schema benchSchema(bool withMemo) {
    using T = pdx::FieldType;
    pdx::Schema s;
    s.fields = {{"Name", T::Alpha, 30}, {"Count", T::Long, 4},   {"Amount", T::Number, 8},   {"Day", T::Date, 4},
                {"Small", T::Short, 2}, {"Flag", T::Logical, 1}, {"Stamp", T::Timestamp, 8}, {"Code", T::Alpha, 10}};
    if (withMemo) s.fields.push_back({"Notes", T::Memo, 20});
    s.codePage = 1252;
    s.sortOrder = 0x4C;
    s.sortOrderId = "DBWINUS0";
    return s;
}

void benchRecord(std::size_t i, bool withMemo, pdx::Record& out) {
    out.resize(withMemo ? 9 : 8);
    const std::uint64_t h = mix(i);
    const std::uint64_t g = mix(h);
    const std::int32_t day = 726468 + static_cast<std::int32_t>(h % 14600);  // 1990 to 2030
    if (h % 20 == 0) out[0] = std::monostate{};
    else setName(out[0], h, i);
    if (h % 25 == 1) out[1] = std::monostate{};
    else out[1] = static_cast<std::int64_t>(g % 2000000001) - 1000000000;
    if (h % 30 == 2) out[2] = std::monostate{};
    else out[2] = static_cast<double>(static_cast<std::int64_t>(g % 10000000) - 5000000) / 100.0;
    if (h % 40 == 3) out[3] = std::monostate{};
    else out[3] = pdx::Date{day};
    if (h % 50 == 4) out[4] = std::monostate{};
    else out[4] = static_cast<std::int64_t>(g % 65535) - 32767;
    if (h % 10 == 5) out[5] = std::monostate{};
    else out[5] = (g & 1) != 0;
    if (h % 35 == 6) out[6] = std::monostate{};
    else out[6] = pdx::Timestamp{static_cast<double>(day) * 86400000.0 + static_cast<double>(g % 86400000)};
    if (h % 15 == 7) {
        out[7] = std::monostate{};
    } else {
        char code[16];
        const int n = std::snprintf(code, sizeof code, "C%06X", static_cast<unsigned>(g % 0xFFFFFF));
        setText(out[7], code, static_cast<std::size_t>(n));
    }
    if (withMemo) setNotes(out[8], g);
}

std::filesystem::path writeBenchTable(const std::filesystem::path& dir, std::size_t records, bool withMemo,
                                      const std::string& name) {
    pdx::TableWriter writer(dir, name, benchSchema(withMemo));
    pdx::Record r;
    for (std::size_t i = 0; i < records; ++i) {
        benchRecord(i, withMemo, r);
        writer.append(r);
    }
    writer.finish();
    writer.install();
    return dir / (name + ".db");
}

}  // namespace vts::bench
