// Key order of a keyed table's records along the block chain: strictly ascending by bytes where
// the sort order places keys so, otherwise only free of duplicates (the engine's collations are
// not reproduced, so their order is left unchecked and said so).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/pdx/check/check_findings.h"
#include "platform/pdx/format/header.h"

namespace pdx {

class KeyOrderCheck {
public:
    KeyOrderCheck(const TableHeader& h, std::filesystem::path db, CheckFindings& out);

    bool byteOrder() const { return byteOrder_; }
    // The keys in chain order, with the record each belongs to.
    void add(const std::string& key, std::uint16_t block, std::uint32_t record, std::uint64_t row);
    // Reports duplicates among keys that were not compared in order, and the note on the order.
    void finish();

private:
    struct Seen {
        std::string key;
        std::uint16_t block = 0;
        std::uint32_t record = 0;
        std::uint64_t row = 0;
    };
    std::string text(const std::string& key) const;
    CheckLocation at(const Seen& s) const { return atRecord(db_, s.block, s.record, s.row); }

    std::vector<HeaderField> keyFields_;
    std::string sortOrderId_;
    std::filesystem::path db_;
    CheckFindings& out_;
    bool byteOrder_;
    bool havePrevious_ = false;
    Seen previous_;
    std::vector<Seen> all_;  // collation orders: every key, for the duplicate search
};

}  // namespace pdx
