// The Paradox folder as a data source: reads a table, and sets a table aside for its rewrite.
#pragma once
#include <filesystem>

#include "platform/db/provider.h"

namespace db {

// Throws vts::Error when `folder` is not an existing folder.
void requireParadoxFolder(const std::filesystem::path& folder);
// The table `name` of `folder` (letter case ignored), after settling a replacement of it that a
// crash cut short. Throws vts::Error when the table is not there or cannot be read.
std::unique_ptr<Cursor> openParadoxTable(const std::filesystem::path& folder, const std::string& name);

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
