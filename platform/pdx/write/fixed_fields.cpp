#include "platform/pdx/write/fixed_fields.h"

#include "platform/pdx/write/existing_orders.h"
#include "platform/pdx/write/schema_writer.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/write/secondary_index_writer.h"
#include "platform/pdx/format/sort_order.h"

namespace pdx {

namespace {

std::string indexName(const SecondaryIndexDef& d) {
    return d.name.empty() ? "index " + d.extension : "index \"" + d.name + "\" (" + d.extension + ")";
}

// True when some candidate collation agrees with the order of the table's keys and indexes.
bool placeable(const std::filesystem::path& dbFile, const Schema& schema) {
    try {
        const auto kept = planSecondaryIndexes(readSecondaryIndexes(dbFile), schema).kept;
        return readExistingOrders(dbFile, schema, kept, TextWeights(schema.codePage, schema.sortOrderId)).alive != 0;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace

std::map<std::string, std::string> fieldsKeptInPlace(const std::filesystem::path& dbFile, const Schema& named) {
    const Schema schema = withSortOrder(named);  // a level-3 table names none: its byte order
    std::map<std::string, std::string> fixed;
    if (placeable(dbFile, schema)) return fixed;
    // Plain words first; the sort order's name is for whoever knows what it means.
    const std::string order = "(its sort order is " + schema.sortOrderId + ")";
    if (!keyOrdersByBytes(schema))
        for (int i = 0; i < schema.keyFields; ++i)
            fixed.emplace(schema.fields[static_cast<std::size_t>(i)].name,
                          "This field is part of the table's key, and the table keeps its rows in key order. This "
                          "program cannot be sure to sort a changed key the way the table does " +
                              order + ", so key values cannot be changed here.");
    // A case-blind index under a byte order places plain text itself; only the rare text it
    // cannot fold for sure is refused, when the table is written back.
    if (ordersByBytes(schema.sortOrderId)) return fixed;
    try {
        for (const SecondaryIndexDef& d : readSecondaryIndexes(dbFile)) {
            if (!indexMayNeedKeptOrder(d, schema)) continue;
            for (const Field& f : d.fields)
                fixed.emplace(f.name, "This field is in the " + indexName(d) +
                                          " of the table. This program cannot be sure to sort a changed value the "
                                          "way that index does " +
                                          order + ", so its values cannot be changed here.");
        }
    } catch (const Error&) {}
    return fixed;
}

}  // namespace pdx
