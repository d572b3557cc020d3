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

InsertStatement::InsertStatement(const std::string& name)
    : prefix_("INSERT INTO `" + backquoteEscaped(name) + "` VALUES('") {
    start();
}

void InsertStatement::start() { text_.assign(prefix_); }

void InsertStatement::addText(const std::string& text) {
    if (text.empty()) {
        dropLast(text_, 1);
        text_ += "NULL, '";
        return;
    }
    for (size_t from = 0;;) {
        const size_t quote = text.find('\'', from);
        if (quote == std::string::npos) {
            text_.append(text, from);
            break;
        }
        text_.append(text, from, quote + 1 - from).push_back('\'');
        from = quote + 1;
    }
    text_ += "', '";
}

void InsertStatement::addBlob(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    dropLast(text_, 1);
    if (bytes.empty()) {
        text_ += "NULL, '";
        return;
    }
    text_ += "X'";
    for (std::uint8_t b : bytes) {
        text_ += kHex[b >> 4];
        text_ += kHex[b & 15];
    }
    text_ += "', '";
}

const std::string& InsertStatement::finish() {
    dropLast(text_, 3);
    text_ += ")";
    return text_;
}

}  // namespace vts
