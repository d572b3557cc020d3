// Matching index entries to records, and their order.
#include "platform/pdx/check/check_secondary_entries.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/pdx/check/check_key_text.h"
#include "platform/pdx/format/index_fold.h"
#include "platform/pdx/format/index_order.h"
#include "platform/pdx/format/name_case.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/format/sort_order.h"

namespace pdx {

namespace {

std::string asString(const Bytes& b) { return std::string(b.begin(), b.end()); }

// What a record's entry must hold.
struct Expected {
    std::string values;
    std::string primaryKey;
    std::uint16_t block = 0;
    std::uint32_t record = 0;  // 1-based in its block
    std::uint64_t row = 0;
    bool matched = false;
};

class EntryCheck {
public:
    EntryCheck(const SecondaryCheckInput& in, const SecondaryIndexDef& def, const std::vector<CheckedBlock>& xChain,
               CheckFindings& out)
        : in_(in), def_(def), xChain_(xChain), out_(out) {
        for (int n : def.fieldNumbers) valueFields_.push_back(in.header.fields[static_cast<std::size_t>(n) - 1]);
        keyFields_.assign(in.header.fields.begin(), in.header.fields.begin() + in.header.keyFields);
        // The engine folds the text of a case-insensitive index: entries are checked against records so folded.
        if (def.caseInsensitive()) fold_.emplace(in.header.codePage, in.header.sortOrderId);
    }

    void run(const std::vector<IndexEntry>& entries) {
        collectExpected();
        if (def_.keyedLayout) matchByKey(entries);
        else matchByValue(entries);
        checkOrder(entries);
    }

private:
    std::string name() const { return def_.xFile.filename().string(); }
    std::string values(const std::string& v) const { return keyText(valueFields_, v); }
    std::string key(const std::string& k) const { return keyText(keyFields_, k); }

    // The place of the i-th entry (0-based) along the index table's chain.
    CheckLocation entryAt(std::size_t i) const {
        for (const CheckedBlock& b : xChain_) {
            if (i < b.records) return atEntry(def_.xFile, b.number, static_cast<std::uint32_t>(i + 1));
            i -= b.records;
        }
        return atFile(def_.xFile);
    }
    CheckLocation recordAt(const Expected& e) const { return atRecord(in_.db.path(), e.block, e.record, e.row); }

    void collectExpected() {
        const std::size_t keyBytes =
            keyFields_.empty() ? 0 : static_cast<std::size_t>(keyFields_.back().offset + keyFields_.back().storedSize);
        forEachRecord(in_.db, in_.layout, in_.chain,
                      [&](const CheckedBlock& b, std::uint32_t i, std::uint64_t row, const std::uint8_t* rec) {
                          Expected e;
                          for (const HeaderField& f : valueFields_) {
                              const std::size_t at = e.values.size();
                              e.values.append(reinterpret_cast<const char*>(rec + f.offset),
                                              static_cast<std::size_t>(f.storedSize));
                              if (fold_ && f.type == FieldType::Alpha)
                                  fold_->foldText(reinterpret_cast<std::uint8_t*>(e.values.data() + at),
                                                  static_cast<std::size_t>(f.storedSize));
                          }
                          e.primaryKey.assign(reinterpret_cast<const char*>(rec), keyBytes);
                          e.block = b.number;
                          e.record = i + 1;
                          e.row = row;
                          expected_.push_back(std::move(e));
                      });
    }

    std::uint64_t blocksInFile() const {
        const ChainLayout& l = in_.layout;
        return in_.db.size() > l.headerSize ? (in_.db.size() - l.headerSize) / l.blockSize : 0;
    }

    void matchByKey(const std::vector<IndexEntry>& entries) {
        std::unordered_map<std::string, std::size_t> byKey;
        std::size_t stale = 0;
        for (std::size_t i = 0; i < expected_.size(); ++i) byKey.emplace(expected_[i].primaryKey, i);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IndexEntry& en = entries[i];
            const std::string pk = asString(en.primaryKey);
            const auto hit = byKey.find(pk);
            if (hit == byKey.end()) {
                out_.fault(entryAt(i), "the entry for the key " + key(pk) + " matches no record of the table");
                continue;
            }
            Expected& e = expected_[hit->second];
            if (e.matched) {
                out_.fault(entryAt(i),
                           "a second entry for the key " + key(pk) + " (row " + std::to_string(e.row) + ")");
                continue;
            }
            e.matched = true;
            if (asString(en.values) != e.values)
                out_.fault(entryAt(i), "the entry holds " + values(asString(en.values)) + " for the key " + key(pk) +
                                           ", the record (row " + std::to_string(e.row) + ") holds " +
                                           values(e.values));
            if (en.block == 0 || en.block > blocksInFile())
                out_.fault(entryAt(i), "the entry gives block " + std::to_string(en.block) + " for the key " + key(pk) +
                                           ", which the table does not have");
            else stale += en.block != e.block;
        }
        // The engine's own intact tables carry such numbers: a keyed table's record is found by
        // its key, the block number being only where to look first.
        if (stale > 0)
            out_.note(atFile(def_.xFile), std::to_string(stale) +
                                              " of the entries give a block their record is no "
                                              "longer in (the engine finds it by its key)");
        reportUnmatched();
    }

    // Unkeyed tables: entries and records are matched by values and block number.
    void matchByValue(const std::vector<IndexEntry>& entries) {
        std::unordered_multimap<std::string, std::size_t> open;
        for (std::size_t i = 0; i < expected_.size(); ++i)
            open.emplace(expected_[i].values + std::to_string(expected_[i].block), i);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string v = asString(entries[i].values);
            const auto hit = open.find(v + std::to_string(entries[i].block));
            if (hit == open.end()) {
                out_.fault(entryAt(i), "the entry " + values(v) + " in block " + std::to_string(entries[i].block) +
                                           " matches no record of the table");
                continue;
            }
            expected_[hit->second].matched = true;
            open.erase(hit);
        }
        reportUnmatched();
    }

    void reportUnmatched() {
        for (const Expected& e : expected_)
            if (!e.matched) out_.fault(recordAt(e), "the index " + name() + " has no entry for this record");
    }

    void checkOrder(const std::vector<IndexEntry>& entries) {
        if (entries.size() < 2) return;
        if (std::find(def_.descending.begin(), def_.descending.end(), true) != def_.descending.end()) {
            out_.note(atFile(def_.xFile), "the order of a descending index is not checked");
            return;
        }
        if (!fieldsOrderByBytes(def_.fields, def_.sortOrderId)) {
            out_.note(atFile(def_.xFile), "the order of the entries under the sort order \"" + def_.sortOrderId +
                                              "\" is not checked (only byte orders are)");
            return;
        }
        const bool keysByBytes = keyOrderByBytes();
        for (std::size_t i = 1; i < entries.size(); ++i) comparePair(entries[i - 1], entries[i], keysByBytes, i);
    }

    bool keyOrderByBytes() const { return fieldsOrderByBytes(keyFields_, in_.header.sortOrderId); }

    void comparePair(const IndexEntry& a, const IndexEntry& b, bool keysByBytes, std::size_t i) {
        const bool fold = def_.caseInsensitive();
        if (fold && (!foldIsPlain(def_.fields, a.values.data()) || !foldIsPlain(def_.fields, b.values.data()))) return;
        const Bytes va = comparedBytes(def_.fields, fold, a.values.data());
        const Bytes vb = comparedBytes(def_.fields, fold, b.values.data());
        if (vb < va) {
            out_.fault(entryAt(i), "the entry " + values(asString(b.values)) + " sorts before the previous entry " +
                                       values(asString(a.values)) + ": the entries are out of order");
        } else if (vb == va && def_.unique()) {
            out_.fault(entryAt(i),
                       "the value " + values(asString(b.values)) + " repeats the previous entry's in a unique index");
        } else if (vb == va && def_.keyedLayout && keysByBytes && b.primaryKey < a.primaryKey) {
            out_.fault(entryAt(i), "among entries of equal value, the key " + key(asString(b.primaryKey)) +
                                       " sorts before the previous entry's " + key(asString(a.primaryKey)));
        }
    }

    std::optional<IndexFold> fold_;
    const SecondaryCheckInput& in_;
    const SecondaryIndexDef& def_;
    const std::vector<CheckedBlock>& xChain_;
    CheckFindings& out_;
    std::vector<HeaderField> valueFields_;
    std::vector<HeaderField> keyFields_;
    std::vector<Expected> expected_;
};

const SoundEntryFile* soundFileOf(const SecondaryIndexDef& def, const std::vector<SoundEntryFile>& sound) {
    for (const SoundEntryFile& s : sound)
        if (equalsNoCase(s.file.filename().string(), def.xFile.filename().string())) return &s;
    return nullptr;
}

// A non-maintained index is brought up to date by Paradox when it uses it: being behind the
// records is its normal state, so its differences are one note rather than faults.
void forward(const SecondaryIndexDef& def, CheckFindings& local, CheckFindings& out) {
    const std::size_t faults = local.faultCount();
    std::optional<CheckFinding> first;
    for (CheckFinding& f : local.take(def.xFile)) {
        if (def.maintained() || f.kind == CheckFinding::Kind::Note) out.add(std::move(f));
        else if (!first) first = std::move(f);
    }
    if (def.maintained() || faults == 0) return;
    const std::string count = faults == 1 ? "1 place: " : std::to_string(faults) + " places, the first: ";
    const std::string firstText = first ? describeLocation(first->where) + ": " + first->what : "";
    out.note(atFile(def.xFile),
             "this index is not maintained (Paradox updates it when it uses it) and differs from "
             "the records in " +
                 count + firstText);
}

}  // namespace

void checkSecondaryEntries(const SecondaryCheckInput& in, const std::vector<SoundEntryFile>& sound,
                           CheckFindings& out) {
    if (sound.empty()) return;
    std::vector<SecondaryIndexDef> defs;
    try {
        defs = readSecondaryIndexes(in.db.path());
    } catch (const Error& e) {
        const std::string what = e.what();
        for (const CheckedFile& f : in.files)
            if (what.find(f.path.filename().string()) != std::string::npos) {
                out.fault(atFile(f.path), "the index does not fit its table: " + what);
                return;
            }
        out.note(atFile(in.db.path()), "the secondary indexes' entries are not compared with the records: " + what);
        return;
    }
    for (const SecondaryIndexDef& def : defs) {
        const SoundEntryFile* x = soundFileOf(def, sound);
        if (!x) continue;  // its damage is reported already
        CheckFindings local;
        try {
            EntryCheck(in, def, x->chain, local).run(readIndexEntries(def));
        } catch (const Error& e) {
            local.fault(atFile(def.xFile), std::string("the entries cannot be read: ") + e.what());
        }
        forward(def, local, out);
    }
}

}  // namespace pdx
