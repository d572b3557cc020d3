// Table and column names holding the quote characters of the SQL texts (backquote, bracket)
// and a semicolon: they stay names, and no other statement runs.
#include <gtest/gtest.h>

#include "bridge/paradox.h"
#include "bridge_env.h"
#include "tests/support/error_of.h"
#include "tests/support/file_contents.h"
#include "tests/support/headless.h"

namespace vts::test {
namespace {

using pdx::FieldType;

TEST(OddNames, BackquoteBracketAndSemicolonRoundTrip) {
    BridgeEnv env;
    const std::string name = "A`B]C;D";
    pdx::Schema schema;
    schema.fields = {{"x`y]z;", FieldType::Alpha, 10}, {"N", FieldType::Long, 4}};
    const std::vector<pdx::Record> rows{{std::string("it's"), std::int64_t{1}}, {std::monostate{}, std::int64_t{2}}};
    writeTable(env.paradoxFolder, name, schema, rows);
    writeTable(env.paradoxFolder, "OTHER", schema, rows);
    ImportParadoxTable(env.ctx, "OTHER");  // a working table that must stay as it is
    const std::string otherBytes = readFile(env.paradoxFolder / "OTHER.db");

    VectorTableList list;
    AddTablesToParadoxListbox(env.ctx, list);
    ASSERT_EQ(std::count(list.items.begin(), list.items.end(), name), 1);

    ImportParadoxTable(env.ctx, name);
    env.edit(name, "SELECT 1");  // marked edited: written again under its odd name
    SaveTableToParadox(env.ctx, name, {});
    const auto written = readTable(env.paradoxFolder / (name + ".db"));
    EXPECT_EQ(written.schema, schema);
    EXPECT_EQ(written.records, rows);
    EXPECT_EQ(readFile(env.paradoxFolder / "OTHER.db"), otherBytes);
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT N FROM " + env.working("OTHER") + " ORDER BY rowid"),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, name)));
}

TEST(OddNames, QuoteAndSemicolonNamesCannotAddStatements) {
    BridgeEnv env;
    const std::string name = "X'];DROP TABLE [OTHER";
    pdx::Schema schema;
    schema.fields = {{"V", FieldType::Short, 2}};
    writeTable(env.paradoxFolder, name, schema, {{std::int64_t{3}}});
    writeTable(env.paradoxFolder, "OTHER", schema, {{std::int64_t{4}}});
    ImportParadoxTable(env.ctx, "OTHER");
    ImportParadoxTable(env.ctx, name);
    env.edit(name, "SELECT 1");  // marked edited: written again under its odd name
    SaveTableToParadox(env.ctx, name, {});
    EXPECT_EQ(readTable(env.paradoxFolder / (name + ".db")).records, (std::vector<pdx::Record>{{std::int64_t{3}}}));
    EXPECT_TRUE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, "OTHER")));
    EXPECT_EQ(sqliteColumn(env.workingDb(), "SELECT V FROM " + env.working("OTHER")), std::vector<std::string>{"4"});
}

// A name too long for the files a write-back makes: refused before any edit is begun.
TEST(OddNames, ANameTooLongToWriteBackIsRefusedAtImport) {
    BridgeEnv env;
    pdx::Schema schema;
    schema.fields = {{"V", FieldType::Short, 2}};
    writeTable(env.paradoxFolder, "SHORT", schema, {{std::int64_t{3}}});
    const std::string name(240, 'L');
    fs::rename(env.paradoxFolder / "SHORT.db", env.paradoxFolder / (name + ".db"));
    const std::string why = errorOf([&] { ImportParadoxTable(env.ctx, name); });
    EXPECT_NE(why.find("240 bytes long"), std::string::npos) << why;
    EXPECT_FALSE(WorkingTableExists(env.ctx, WorkingTableName(env.folderText, name)));
}

}  // namespace
}  // namespace vts::test
