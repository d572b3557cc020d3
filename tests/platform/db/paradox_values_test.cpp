// Reading a stored column straight into a Paradox value gives what the route through the column's
// value gives: the same value or the same refusal, for every stored form and field type.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/paradox_values.h"
#include "platform/shell/errors.h"

using namespace dbtest;

namespace {

// The value, or the refusal's text.
using Outcome = std::variant<pdx::Value, std::string>;

template <class F>
Outcome outcomeOf(F&& read) {
    try {
        return read();
    } catch (const vts::Error& e) {
        return std::string(e.what());
    }
}

}  // namespace

TEST(StoredValues, SameValueOrRefusalAsTheColumnValueRoute) {
    using T = pdx::FieldType;
    TempDir dir;
    db::SqliteDb db((dir.path() / "t.sqlite").string(), false, true);
    db.exec("CREATE TABLE v(x)");  // no affinity: every value stays as written
    db.exec(
        "INSERT INTO v VALUES (NULL), (''), ('abc'), ('ünï'), ('True'), (' True'), ('False'), ('true'), ('1'), "
        "('2024-01-31'), ('2024-01-31 10:00:00'), ('2024-01-31 00:00:00'), ('2024-02-30'), (' 2024-01-31'), "
        "('10:00'), (7), (-7), (0), (1), (9007199254740993), (2.5), (3.0), (-0.0), ('7'), (' 7'), ('1e3'), "
        "('12.50'), (X''), (X'00FF'), ('00ff')");
    const std::vector<T> types{T::Alpha,    T::Memo,   T::Short,   T::Long, T::AutoInc,   T::Number,
                               T::Currency, T::Bcd,    T::Date,    T::Time, T::Timestamp, T::Logical,
                               T::Bytes,    T::Binary, T::FmtMemo, T::Ole,  T::Graphic};
    db::Statement st(db, "SELECT x FROM v ORDER BY rowid");
    int row = 0;
    while (st.step()) {
        ++row;
        for (T type : types) {
            SCOPED_TRACE("row " + std::to_string(row) + ", type " + std::to_string(int(type)));
            const Outcome expected = outcomeOf([&] { return db::toParadoxValue(st.column(0), type); });
            // Whatever the previous row left in the record: a text, a number, a blank.
            for (const pdx::Value& before :
                 {pdx::Value{std::string("left over")}, pdx::Value{std::int64_t{3}}, pdx::Value{}}) {
                const Outcome actual = outcomeOf([&] {
                    pdx::Value out = before;
                    db::readParadoxValue(st, 0, type, out);
                    return out;
                });
                EXPECT_EQ(actual, expected);
            }
        }
    }
    EXPECT_EQ(row, 30);
}
