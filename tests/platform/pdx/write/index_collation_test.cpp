// The candidate collations against the engine's own tables: which survive the order of each
// table's keys and text indexes, and how many edited values the survivors agree to place.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/write/index_layout.h"
#include "platform/pdx/write/kept_key_order.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/write/schema_writer.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/write/secondary_index_writer.h"
#include "platform/pdx/format/text_collation.h"
#include "tests/platform/pdx/writer_test_support.h"

namespace {

using namespace pdxtest;
using pdx::CollationSet;

// One existing order of a table: its keys, or one text index's values.
struct Evidence {
    pdx::ValueCollation collation;
    pdx::KeptOrder kept;
    bool caseInsensitive = false;  // holds folded text
};

std::vector<Evidence> evidenceOf(const fs::path& db, const pdx::Schema& schema, const pdx::TextWeights& weights) {
    std::vector<Evidence> out;
    if (!pdx::keyOrdersByBytes(schema))
        if (auto kept = pdx::keptKeyOrder(db, schema))
            out.push_back(
                {pdx::ValueCollation(weights, {schema.fields.begin(), schema.fields.begin() + schema.keyFields}),
                 std::move(*kept)});
    for (const auto& def : pdx::readSecondaryIndexes(db)) {
        if (!pdx::indexMayNeedKeptOrder(def, schema)) continue;
        const auto layout = std::get<pdx::IndexLayout>(pdx::layoutFor(def, pdx::withSortOrder(schema)));
        out.push_back({pdx::ValueCollation(weights, layout.indexed, layout.descending),
                       pdx::keptOrderOf(def, pdx::readIndexEntries(def)), def.caseInsensitive()});
    }
    return out;
}

// The value with its first text field changed as a user's edit would: a letter added, or its
// first letter put in lower case.
pdx::Bytes edited(const pdx::ValueCollation& c, const std::uint8_t* v, bool lower) {
    pdx::Bytes out(v, v + c.valueBytes());
    std::size_t at = 0;
    for (const auto& f : c.fields()) {
        const auto size = static_cast<std::size_t>(pdx::fieldStorageSize(f.type, f.size));
        if (f.type == pdx::FieldType::Alpha) {
            const std::size_t n = strnlen(reinterpret_cast<const char*>(out.data() + at), size);
            if (lower) out[at] = static_cast<std::uint8_t>(std::tolower(out[at]));
            else if (n < size) out[at + n] = 'A';
            break;
        }
        at += size;
    }
    return out;
}

// True when every surviving candidate puts `value` in the same place among `sorted`.
bool placeable(const pdx::ValueCollation& c, CollationSet alive, const std::vector<const std::uint8_t*>& sorted,
               const std::uint8_t* value) {
    std::optional<std::ptrdiff_t> at;
    for (std::size_t k = 0; k < pdx::textCollations().size(); ++k) {
        if (!(alive >> k & 1)) continue;
        const auto it =
            std::lower_bound(sorted.begin(), sorted.end(), value,
                             [&](const std::uint8_t* a, const std::uint8_t* b) { return c.compare(k, a, b) < 0; });
        if (at && *at != it - sorted.begin()) return false;
        at = it - sorted.begin();
    }
    return at.has_value();
}

struct Tally {
    std::set<std::string> tables;
    std::map<std::string, int> survived;  // candidate name: tables it survives in
    std::size_t values = 0, placed = 0;
};

// Each candidate's verdict on pairs of texts in code page 850: -1 first before second, 1 after.
TEST(IndexCollation, EachCandidateOrdersTextItsOwnWay) {
    const pdx::TextWeights w(850, "ANSII850");
    pdx::CodePage cp(850, "ANSII850");
    const auto cmp = [&](std::size_t k, const char* a, const char* b) {
        std::string x = cp.encode(a), y = cp.encode(b);
        x.resize(12, '\0');
        y.resize(12, '\0');
        const int c = w.compare(k, reinterpret_cast<const std::uint8_t*>(x.data()),
                                reinterpret_cast<const std::uint8_t*>(y.data()), 12);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    };
    struct Pair {
        const char *a, *b;
        std::array<int, 7> verdicts;  // in the order of textCollations()
    };
    const Pair pairs[] = {
        {"apple", "Banana", {1, -1, -1, -1, -1, -1, -1}},
        {"Cherry", "cherry", {-1, -1, 1, -1, 1, -1, 1}},
        {"\u00C4pfel", "Bar", {1, 1, 1, -1, -1, -1, -1}},
        {"\u00C4pfel", "Apfelz", {1, 1, 1, 1, 1, -1, -1}},
        {"Ab", "Ab", {0, 0, 0, 0, 0, 0, 0}},
        {"", "A", {-1, -1, -1, -1, -1, -1, -1}},
    };
    ASSERT_EQ(pdx::textCollations().size(), 7u);
    for (const Pair& p : pairs)
        for (std::size_t k = 0; k < 7; ++k)
            EXPECT_EQ(cmp(k, p.a, p.b), p.verdicts[k])
                << p.a << " / " << p.b << " under " << pdx::textCollations()[k].name();
}

// Every table's own order is one some candidate gives; the table below is printed for the record.
TEST(IndexCollation, CandidatesAgainstTheEnginesTables) {
    std::map<std::string, Tally> byOrder;
    for (const fs::path& db : fixtureTables()) {
        const pdx::Schema schema = pdx::TableReader(db).info().schema;
        const pdx::TextWeights weights(schema.codePage, schema.sortOrderId);
        std::vector<Evidence> evidence;
        try {
            evidence = evidenceOf(db, schema, weights);
        } catch (const pdx::Error&) {
            continue;  // indexes this program does not keep
        }
        if (evidence.empty()) continue;
        CollationSet alive = pdx::allCollations();
        for (const Evidence& e : evidence) alive = e.collation.survivors(alive, e.kept.sequence());
        EXPECT_NE(alive, 0u) << db;
        Tally& t = byOrder[schema.sortOrderId];
        t.tables.insert(db.filename().string());
        for (std::size_t k = 0; k < pdx::textCollations().size(); ++k)
            if (alive >> k & 1) ++t.survived[pdx::textCollations()[k].name()];
        for (const Evidence& e : evidence) {
            const auto sorted = e.kept.sequence();
            // Two edits of each value: a letter added, and (where case counts) the first letter lowered.
            for (const std::uint8_t* v : sorted) {
                t.values += 1 + !e.caseInsensitive;
                t.placed += placeable(e.collation, alive, sorted, edited(e.collation, v, false).data());
                if (!e.caseInsensitive)
                    t.placed += placeable(e.collation, alive, sorted, edited(e.collation, v, true).data());
            }
        }
    }
    for (const auto& [order, t] : byOrder) {
        std::cout << order << ": " << t.tables.size() << " tables\n";
        for (const auto& [name, n] : t.survived) std::cout << "  " << name << ": " << n << "\n";
        std::cout << "  edits placed: " << t.placed << " of " << t.values << "\n";
    }
}

}  // namespace
