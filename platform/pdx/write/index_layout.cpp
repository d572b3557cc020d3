// Index layouts: the definition's fields looked up by name in the new schema, checked against
// what an index can hold.
#include "platform/pdx/write/index_layout.h"

#include "platform/pdx/format/header.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/write/px_writer.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxIndexRecord = 4096 - 6;

// Exact name first, then the same name in another letter case.
int findField(const Schema& s, const std::string& name) {
    for (std::size_t i = 0; i < s.fields.size(); ++i)
        if (s.fields[i].name == name) return static_cast<int>(i);
    for (std::size_t i = 0; i < s.fields.size(); ++i)
        if (equalsNoCase(s.fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::size_t stored(const Field& f) { return static_cast<std::size_t>(fieldStorageSize(f.type, f.size)); }

// Why the indexed fields cannot be found or indexed in `s`; "" when they can.
std::string findIndexed(const SecondaryIndexDef& def, const Schema& s, IndexLayout& l) {
    std::size_t offset = 0;
    std::vector<std::size_t> offsets;
    for (const Field& f : s.fields) {
        offsets.push_back(offset);
        offset += stored(f);
    }
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const int at = findField(s, def.fields[i].name);
        if (at < 0) return "its field \"" + def.fields[i].name + "\" is no longer in the table";
        const Field& f = s.fields[static_cast<std::size_t>(at)];
        if (isBlobType(f.type))
            return "its field \"" + f.name + "\" is now a " + typeName(f.type) + " field, which no index can hold";
        l.fieldNumbers.push_back(at + 1);
        l.indexed.push_back(f);
        l.descending.push_back(i < def.descending.size() && def.descending[i]);
        l.offsets.push_back(offsets[static_cast<std::size_t>(at)]);
        l.valueBytes += stored(f);
    }
    return {};
}

void addTail(const Schema& s, IndexLayout& l) {
    l.fields = l.indexed;
    if (l.keyed) {
        for (int i = 0; i < s.keyFields; ++i) {
            const Field& f = s.fields[static_cast<std::size_t>(i)];
            l.fields.push_back(f);
            l.tableKeyBytes += stored(f);
        }
        l.fields.push_back(Field{"Blk Num", FieldType::Short, 2});
        l.comparedFields = static_cast<int>(l.indexed.size()) + s.keyFields;
        l.comparedBytes = l.valueBytes + l.tableKeyBytes;
        l.recordSize = l.comparedBytes + 2;
    } else {
        l.fields.push_back(Field{"Tup No", FieldType::Long, 4});
        l.fields.push_back(Field{"Blk Num", FieldType::Short, 2});
        l.fields.push_back(Field{"Tup Offset", FieldType::Short, 2});
        l.comparedFields = static_cast<int>(l.indexed.size()) + 2;
        l.comparedBytes = l.valueBytes + 6;
        l.recordSize = l.valueBytes + 8;
    }
}

}  // namespace

std::variant<IndexLayout, std::string> layoutFor(const SecondaryIndexDef& def, const Schema& s) {
    if (def.fields.empty()) return std::string("it indexes no field");
    IndexLayout l;
    l.keyed = s.keyFields > 0;
    if (!l.keyed && def.maintained()) return std::string("the table has no key, which a maintained index needs");
    if (std::string why = findIndexed(def, s, l); !why.empty()) return why;
    addTail(s, l);
    if (l.recordSize > kMaxIndexRecord || l.comparedBytes > kMaxKeySize)
        return "its entries would take " + std::to_string(l.recordSize) + " bytes, more than an index holds";
    return l;
}

}  // namespace pdx
