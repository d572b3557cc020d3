// The statement texts of the import: the working table's definition and one INSERT per row.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace vts {

// "DROP TABLE `NAME`"
std::string DropBackquotedStatement(const std::string& name);
// "SELECT * FROM `NAME`"
std::string SelectAllStatement(const std::string& name);

// CREATE TABLE `NAME`(`ID` INT,`NAME` TEXT);
class TableDefinition {
public:
    explicit TableDefinition(const std::string& name);
    void addColumn(const std::string& column, std::int16_t typeCode);
    std::string text() const;  // without the last comma, closed by ");"

private:
    std::string text_;
};

// INSERT INTO `NAME` VALUES('7', NULL, 'O''Brien'). Every piece ends in "', '"; start() reuses
// the buffer from row to row.
class InsertStatement {
public:
    explicit InsertStatement(const std::string& name);
    void start();
    // A value's text form: quoted with every "'" doubled, or NULL when empty.
    void addText(const std::string& text);
    // Binary data as a blob literal X'..' in the quoted text's place (quoted text would corrupt
    // it); NULL when empty, like an empty text.
    void addBlob(std::span<const std::uint8_t> bytes);
    const std::string& finish();  // drops the last "', '" and closes with ")"

private:
    std::string prefix_;
    std::string text_;
};

}  // namespace vts
