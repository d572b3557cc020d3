// Order and uniqueness of primary keys.
#include "platform/pdx/check/check_key_order.h"

#include <algorithm>

#include "platform/pdx/check/check_key_text.h"
#include "platform/pdx/format/sort_order.h"

namespace pdx {

KeyOrderCheck::KeyOrderCheck(const TableHeader& h, std::filesystem::path db, CheckFindings& out)
    : keyFields_(h.fields.begin(), h.fields.begin() + std::min<std::size_t>(h.keyFields, h.fields.size())),
      sortOrderId_(h.sortOrderId),
      db_(std::move(db)),
      out_(out),
      // The sort order decides the order of text only.
      byteOrder_(fieldsOrderByBytes(keyFields_, h.sortOrderId)) {}

std::string KeyOrderCheck::text(const std::string& key) const { return keyText(keyFields_, key); }

void KeyOrderCheck::add(const std::string& key, std::uint16_t block, std::uint32_t record, std::uint64_t row) {
    Seen s{key, block, record, row};
    if (!byteOrder_) {
        all_.push_back(std::move(s));
        return;
    }
    if (havePrevious_) {
        const std::string before = " (row " + std::to_string(previous_.row) + ")";
        if (key == previous_.key)
            out_.fault(at(s), "the key " + text(key) + " repeats the key of the record before it" + before);
        else if (key < previous_.key)
            out_.fault(at(s), "the key " + text(key) + " sorts before the key " + text(previous_.key) +
                                  " of the record before it" + before + ": the records are out of key order");
    }
    havePrevious_ = true;
    previous_ = std::move(s);
}

void KeyOrderCheck::finish() {
    if (byteOrder_ || keyFields_.empty() || all_.size() < 2) return;
    out_.note(atFile(db_), "the order of the keys under the sort order \"" +
                               (sortOrderId_.empty() ? std::string("(none given)") : sortOrderId_) +
                               "\" is not checked (only byte orders such as \"ascii\" are); duplicates are");
    std::stable_sort(all_.begin(), all_.end(), [](const Seen& a, const Seen& b) { return a.key < b.key; });
    for (std::size_t i = 1; i < all_.size(); ++i)
        if (all_[i].key == all_[i - 1].key)
            out_.fault(at(all_[i]),
                       "the key " + text(all_[i].key) + " repeats the key of row " + std::to_string(all_[i - 1].row));
    all_.clear();
}

}  // namespace pdx
