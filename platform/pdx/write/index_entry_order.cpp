// Entry order: compared values sorted stably (table order among equals), or ranked by a kept order.
#include "platform/pdx/write/index_entry_order.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/index_order.h"
#include "platform/pdx/format/sort_order.h"

namespace pdx {

namespace {

std::size_t stored(const Field& f) { return static_cast<std::size_t>(fieldStorageSize(f.type, f.size)); }

std::string describeField(const Field& f, const std::uint8_t* p, CodePage& codePage) {
    const std::size_t size = stored(f);
    if (isAllZero(p, size)) return "(blank)";
    switch (f.type) {
        case FieldType::Alpha: {
            const auto* text = reinterpret_cast<const char*>(p);
            return "\"" + codePage.decode(std::string_view(text, strnlen(text, size))) + "\"";
        }
        case FieldType::Short: return std::to_string(decodeShort(p));
        case FieldType::Long:
        case FieldType::AutoInc: return std::to_string(decodeLong(p));
        case FieldType::Number:
        case FieldType::Currency: return std::to_string(decodeDouble(p));
        default: return "(a " + std::string(typeName(f.type)) + " value)";
    }
}

// The indexed values of an entry as a reader would name them: "Müller" or "Müller", 3.
std::string describeValues(const std::vector<Field>& fields, const std::uint8_t* values, const Schema& s) {
    CodePage codePage(s.codePage, s.sortOrderId);
    std::string text;
    for (const Field& f : fields) {
        text += (text.empty() ? "" : ", ") + describeField(f, values, codePage);
        values += stored(f);
    }
    return text;
}

// The entries' compared values side by side, and the ways to order them.
class Ordering {
public:
    Ordering(const EntryOrder& o, const Bytes& rows, std::uint32_t count)
        : o_(o),
          rows_(rows),
          vb_(o.layout.valueBytes),
          compared_(static_cast<std::size_t>(count) * vb_),
          order_(count) {
        for (std::size_t i = 0; i < count; ++i) {
            const Bytes c = comparedBytes(o.layout.indexed, o.def.caseInsensitive(), row(i));
            std::memcpy(compared_.data() + i * vb_, c.data(), vb_);
        }
        std::iota(order_.begin(), order_.end(), 0u);
    }

    // One value in every entry: any collation orders them alike.
    bool oneValue() const {
        for (std::size_t i = 1; i < order_.size(); ++i)
            if (std::memcmp(values(0), values(i), vb_) != 0) return false;
        return true;
    }

    // Negative, zero or positive as entry a's values come before, with or after entry b's.
    int compare(std::uint32_t a, std::uint32_t b) const {
        const std::uint8_t* pa = values(a);
        const std::uint8_t* pb = values(b);
        for (std::size_t f = 0; f < o_.layout.indexed.size(); ++f) {
            const std::size_t size = stored(o_.layout.indexed[f]);
            if (const int c = std::memcmp(pa, pb, size); c != 0) return o_.layout.descending[f] ? -c : c;
            pa += size;
            pb += size;
        }
        return 0;
    }

    void sortByValues() {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
        same_ = [this](std::uint32_t a, std::uint32_t b) { return compare(a, b) == 0; };
    }

    void sortByCandidates(const TextPlacement& placement) {
        const ValueCollation c(*placement.weights, o_.layout.indexed, o_.layout.descending);
        const auto disputed =
            pdx::sortByCandidates(c, placement.alive, order_, [this](std::uint32_t i) { return values(i); });
        if (disputed)
            throw Error("the index " + o_.extension + " of " + o_.table + " cannot place " + describe(disputed->first) +
                        " and " + describe(disputed->second) + ": under the table's sort order " +
                        o_.schema.sortOrderId +
                        " they may come either way round, and its existing order does not "
                        "tell which");
        same_ = [this](std::uint32_t a, std::uint32_t b) { return std::memcmp(values(a), values(b), vb_) == 0; };
    }

    void sortByKept(const KeptOrder* kept, const std::string& why) {
        ranks_.resize(order_.size());
        for (std::uint32_t i = 0; i < order_.size(); ++i) {
            const auto r = kept ? kept->rank({values(i), vb_}) : std::nullopt;
            if (!r)
                throw Error("the index " + o_.extension + " of " + o_.table + " cannot place " + describe(i) + ": " +
                            why + (kept ? ", and the index did not hold this value before" : ""));
            ranks_[i] = *r;
        }
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return ranks_[a] < ranks_[b]; });
        same_ = [this](std::uint32_t a, std::uint32_t b) { return ranks_[a] == ranks_[b]; };
    }

    void checkUnique() const {
        for (std::size_t i = 1; i < order_.size(); ++i)
            if (same_(order_[i - 1], order_[i]))
                throw Error("the unique index " + o_.extension + " of " + o_.table + ": records " +
                            std::to_string(order_[i - 1] + 1) + " and " + std::to_string(order_[i] + 1) +
                            " have the same value " + describe(order_[i - 1]));
    }

    std::vector<std::uint32_t> take() { return std::move(order_); }

private:
    const std::uint8_t* row(std::size_t i) const { return rows_.data() + i * o_.layout.recordSize; }
    const std::uint8_t* values(std::size_t i) const { return compared_.data() + i * vb_; }
    std::string describe(std::size_t i) const { return describeValues(o_.layout.indexed, row(i), o_.schema); }

    const EntryOrder& o_;
    const Bytes& rows_;
    std::size_t vb_;
    Bytes compared_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> ranks_;
    std::function<bool(std::uint32_t, std::uint32_t)> same_;
};

}  // namespace

std::vector<std::uint32_t> EntryOrder::order(const Bytes& rows, std::uint32_t count, bool plainFold,
                                             const KeptOrder* kept, const TextPlacement& placement) const {
    Ordering o(*this, rows, count);
    const bool bytesOrder = fieldsOrderByBytes(layout.indexed, schema.sortOrderId);
    if ((bytesOrder && plainFold) || o.oneValue()) {
        o.sortByValues();
    } else if (placement.any()) {
        o.sortByCandidates(placement);
    } else {
        o.sortByKept(kept, bytesOrder ? "this program does not know how a case-insensitive index orders such text"
                                      : "the table's sort order " + schema.sortOrderId +
                                            " is not one this program can order by");
    }
    if (def.unique()) o.checkUnique();
    return o.take();
}

}  // namespace pdx
