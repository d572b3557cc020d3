#include "platform/db/merge_edits.h"

#include <algorithm>
#include <optional>

#include "platform/db/edit_base.h"
#include "platform/db/source_structure.h"
#include "platform/db/working_table.h"
#include "platform/pdx/format/value_text.h"

namespace db {

namespace {

using Values = std::vector<pdx::Value>;

// One row the session touched: as imported (none for a row it added) and as it is now (none
// for a row it deleted).
struct Change {
    std::optional<Values> base, mine;
};

struct TheirRow {
    std::int64_t rowid;
    Values values;
};

Values readValues(const Statement& st, int first, std::size_t count) {
    Values out;
    for (std::size_t i = 0; i < count; ++i) out.push_back(st.column(first + int(i)));
    return out;
}

class Merge {
public:
    Merge(SqliteDb& db, const std::string& mine, const std::string& theirs)
        : db_(db), mine_(WorkingTable::describe(db, mine)), theirs_(WorkingTable::describe(db, theirs)) {}

    std::vector<std::string> run() {
        if (auto why = unmergeable()) return {*why};
        const auto changes = readChanges();
        Savepoint merge(db_, "vts_merge", Savepoint::Intent::Write);
        keyFields_ > 0 ? byKey(changes) : byPosition(changes);
        collisions_.empty() ? merge.keep() : merge.undo();
        return collisions_;
    }

private:
    // Why the two cannot be merged at all, if they cannot.
    std::optional<std::string> unmergeable() {
        std::vector<std::string> mineNames, theirNames;
        for (const auto& c : mine_.columns) mineNames.push_back(c.name);
        for (const auto& c : theirs_.columns) theirNames.push_back(c.name);
        const auto mineStructure = readStructure(db_, mine_.name), theirStructure = readStructure(db_, theirs_.name);
        if (mineNames != theirNames || !mineStructure || !theirStructure ||
            mineStructure->fields != theirStructure->fields || mineStructure->keyFields != theirStructure->keyFields)
            return "The fields or the key of the table were changed, so your rows cannot be matched with theirs.";
        keyFields_ = std::size_t(mineStructure->keyFields);
        imported_ = importedRows(db_, mine_.name);
        if (!imported_)
            return "Your edits were made by an earlier version of this program, which kept no record to "
                   "match them with the rows of the table.";
        return std::nullopt;
    }

    std::vector<Change> readChanges() {
        std::vector<Change> changes;
        const std::size_t n = mine_.columns.size();
        Statement now(db_, mine_.selectWithRowid() + " WHERE " + mine_.rowid + " = ?");
        if (hasBase()) {
            Statement base(db_, "SELECT " + mine_.rowid + ", " + mine_.quotedColumns() + " FROM " +
                                    quoteIdentifier(baseTableName(mine_.name)) + " ORDER BY " + mine_.rowid);
            while (base.step()) {
                const std::int64_t rowid = base.columnInt(0);
                Change c{readValues(base, 1, n), std::nullopt};
                now.bind(1, rowid);
                if (now.step()) c.mine = readValues(now, 1, n);
                now.reset();
                if (c.mine == c.base) continue;  // changed and changed back
                changes.push_back(std::move(c));
                rowids_.push_back(rowid);
            }
        }
        Statement added(db_, mine_.selectWithRowid() + " WHERE " + mine_.rowid + " > ? ORDER BY " + mine_.rowid);
        added.bind(1, *imported_);
        while (added.step()) {
            changes.push_back({std::nullopt, readValues(added, 1, n)});
            rowids_.push_back(added.columnInt(0));
        }
        return changes;
    }

    bool hasBase() const {
        Statement st(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
        st.bind(1, baseTableName(mine_.name));
        return st.step();
    }

    // Keyed tables: updates and deletions first, so that keys the session moved are free for
    // the rows that take them.
    void byKey(const std::vector<Change>& changes) {
        for (const Change& c : changes) {
            if (!c.base) continue;
            const auto their = find(key(*c.base));
            const std::string where = "The row with the key " + keyText(*c.base);
            if (c.mine && key(*c.mine) == key(*c.base)) {
                if (!their) collide(where + " was changed here and deleted by them.");
                else update(where, *c.base, *c.mine, *their);
            } else if (their && their->values != *c.base) {
                collide(where + " was " + (c.mine ? "given another key" : "deleted") + " here and changed by them.");
            } else if (their) {
                remove(their->rowid);
            }
        }
        for (const Change& c : changes) {
            if (!c.mine || (c.base && key(*c.base) == key(*c.mine))) continue;
            const auto their = find(key(*c.mine));
            if (!their) insert(*c.mine);
            else if (their->values != *c.mine)
                collide("The key " + keyText(*c.mine) + " was given to a row here and to another row by them.");
        }
    }

    // Other tables: a row is its position, which holds only while they neither added nor
    // removed records.
    void byPosition(const std::vector<Change>& changes) {
        const bool touchesTheirs = std::any_of(changes.begin(), changes.end(), [](const Change& c) { return c.base; });
        if (touchesTheirs && count(theirs_) != *imported_) {
            collide(
                "Records were added to or removed from the table by them, so the records you changed cannot be "
                "found by their position.");
            return;
        }
        for (std::size_t i = 0; i < changes.size(); ++i) {
            const Change& c = changes[i];
            if (!c.base) {
                insert(*c.mine);
                continue;
            }
            const std::string where = "Record " + std::to_string(rowids_[i]);
            const auto their = at(rowids_[i]);
            if (!their) collide(where + " is no longer in the table.");
            else if (c.mine) update(where, *c.base, *c.mine, *their);
            else if (their->values != *c.base) collide(where + " was deleted here and changed by them.");
            else remove(their->rowid);
        }
    }

    // Field by field: a field both changed collides unless both gave it the same value.
    void update(const std::string& where, const Values& base, const Values& mine, const TheirRow& their) {
        std::vector<std::size_t> set;
        for (std::size_t f = 0; f < mine.size(); ++f) {
            if (mine[f] == base[f] || their.values[f] == mine[f]) continue;
            if (their.values[f] != base[f]) {
                collide(where + ": the field \"" + mine_.columns[f].name + "\" was changed here and by them.");
                return;
            }
            set.push_back(f);
        }
        if (set.empty()) return;
        std::string assignments;
        for (const std::size_t f : set)
            assignments += (assignments.empty() ? "" : ", ") + quoteIdentifier(theirs_.columns[f].name) + " = ?";
        Statement st(db_, "UPDATE " + quoteIdentifier(theirs_.name) + " SET " + assignments + " WHERE " +
                              theirs_.rowid + " = ?");
        int k = 1;
        for (const std::size_t f : set) st.bind(k++, mine[f]);
        st.bind(k, their.rowid);
        st.step();
    }

    void insert(const Values& row) {
        std::string places;
        for (std::size_t i = 0; i < row.size(); ++i) places += i ? ", ?" : "?";
        Statement st(db_, "INSERT INTO " + quoteIdentifier(theirs_.name) + " (" + theirs_.quotedColumns() +
                              ") VALUES (" + places + ")");
        for (std::size_t i = 0; i < row.size(); ++i) st.bind(int(i) + 1, row[i]);
        st.step();
    }

    void remove(std::int64_t rowid) {
        Statement st(db_, "DELETE FROM " + quoteIdentifier(theirs_.name) + " WHERE " + theirs_.rowid + " = ?");
        st.bind(1, rowid);
        st.step();
    }

    std::optional<TheirRow> find(const Values& key) {
        std::string where;
        for (std::size_t f = 0; f < key.size(); ++f)
            where += (f ? " AND " : "") + quoteIdentifier(theirs_.columns[f].name) + " IS ?";
        Statement st(db_, theirs_.selectWithRowid() + " WHERE " + where + " LIMIT 1");
        for (std::size_t f = 0; f < key.size(); ++f) st.bind(int(f) + 1, key[f]);
        return read(st);
    }

    std::optional<TheirRow> at(std::int64_t rowid) {
        Statement st(db_, theirs_.selectWithRowid() + " WHERE " + theirs_.rowid + " = ?");
        st.bind(1, rowid);
        return read(st);
    }

    std::optional<TheirRow> read(Statement& st) const {
        if (!st.step()) return std::nullopt;
        return TheirRow{st.columnInt(0), readValues(st, 1, theirs_.columns.size())};
    }

    std::int64_t count(const WorkingTable& t) const {
        Statement st(db_, "SELECT count(*) FROM " + quoteIdentifier(t.name));
        st.step();
        return st.columnInt(0);
    }

    Values key(const Values& row) const { return Values(row.begin(), row.begin() + long(keyFields_)); }
    std::string keyText(const Values& row) const {
        std::string text;
        for (std::size_t f = 0; f < keyFields_; ++f) text += (f ? ", " : "") + pdx::toText(row[f]);
        return text;
    }
    void collide(std::string why) { collisions_.push_back(std::move(why)); }

    SqliteDb& db_;
    WorkingTable mine_, theirs_;
    std::size_t keyFields_ = 0;
    std::optional<std::int64_t> imported_;
    std::vector<std::int64_t> rowids_;  // of each change, in mine
    std::vector<std::string> collisions_;
};

}  // namespace

std::vector<std::string> mergeEdits(SqliteDb& db, const std::string& mine, const std::string& theirs) {
    return Merge(db, mine, theirs).run();
}

}  // namespace db
