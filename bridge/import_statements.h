// The statement texts of the import: the working table's definition and the statements around it.
#pragma once
#include <cstdint>
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

}  // namespace vts
