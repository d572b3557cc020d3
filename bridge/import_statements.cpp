#include "bridge/import_statements.h"

#include "bridge/ado_types.h"
#include "bridge/ascii_case.h"
#include "bridge/sql_quoting.h"

namespace vts {

namespace {

void dropLast(std::string& text, size_t count) { text.resize(text.size() >= count ? text.size() - count : 0); }

}  // namespace

std::string DropBackquotedStatement(const std::string& name) { return "DROP TABLE `" + backquoteEscaped(name) + "`"; }

std::string SelectAllStatement(const std::string& name) { return "SELECT * FROM `" + backquoteEscaped(name) + "`"; }

TableDefinition::TableDefinition(const std::string& name) : text_("CREATE TABLE `" + backquoteEscaped(name) + "`(") {}

void TableDefinition::addColumn(const std::string& column, std::int16_t typeCode) {
    text_ += "`" + backquoteEscaped(column) + ColumnTypeSuffix(asciiLower(AdoTypeName(typeCode)));
}

std::string TableDefinition::text() const {
    std::string out = text_;
    dropLast(out, 1);
    return out + ");";
}

}  // namespace vts
