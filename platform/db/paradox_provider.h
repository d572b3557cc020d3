// The Paradox folder as a data source: reads a table, and sets a table aside for its rewrite.
#pragma once
#include <filesystem>

#include "platform/db/provider.h"

namespace db {

class ParadoxProvider : public Provider {
public:
    explicit ParadoxProvider(std::filesystem::path folder);  // throws when it is no folder
    void execute(const std::string& sql) override;
    std::unique_ptr<Cursor> open(const std::string& source, const OpenOptions& options) override;
    std::unique_ptr<Cursor> tables() override;

private:
    void dropTable(const std::string& name);
    std::filesystem::path folder_;
};

}  // namespace db
