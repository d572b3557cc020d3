#include "platform/pdx/write/existing_orders.h"

#include "platform/pdx/write/index_layout.h"
#include "platform/pdx/write/kept_key_order.h"
#include "platform/pdx/write/secondary_index_writer.h"

namespace pdx {

std::vector<Field> keyFieldsOf(const Schema& schema) {
    return {schema.fields.begin(), schema.fields.begin() + schema.keyFields};
}

ExistingOrders readExistingOrders(const std::optional<std::filesystem::path>& keyFrom, const Schema& schema,
                                  const std::vector<SecondaryIndexDef>& indexes, const TextWeights& weights) {
    ExistingOrders o;
    o.alive = allCollations();
    if (schema.keyFields > 0 && !keyOrdersByBytes(schema) && keyFrom) o.key = keptKeyOrder(*keyFrom, schema);
    if (o.key) o.alive = ValueCollation(weights, keyFieldsOf(schema)).survivors(o.alive, o.key->sequence());
    o.indexes.reserve(indexes.size());
    for (const SecondaryIndexDef& def : indexes) {
        if (!indexMayNeedKeptOrder(def, schema)) {
            o.indexes.emplace_back();
            continue;
        }
        o.indexes.push_back(keptOrderOf(def, readIndexEntries(def)));
        const auto layout = std::get<IndexLayout>(layoutFor(def, schema));
        o.alive =
            ValueCollation(weights, layout.indexed, layout.descending).survivors(o.alive, o.indexes.back().sequence());
    }
    return o;
}

}  // namespace pdx
