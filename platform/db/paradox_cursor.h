// Streams a Paradox table's records as rows of values, in the forms the import stores.
#pragma once
#include <filesystem>

#include "platform/db/cursor.h"
#include "platform/pdx/read/reader.h"

namespace db {

// Values come as the import stores them: dates "YYYY-MM-DD", logicals "True"/"False", Bytes
// fields as hexadecimal text, blobs as bytes (see storedForm).
class ParadoxCursor : public Cursor {
public:
    // unlock: the password of a protected table. Throws vts::Error.
    explicit ParadoxCursor(const std::filesystem::path& dbFile, const pdx::Unlock& unlock = {});
    bool eof() override { return eof_; }
    void moveNext() override;
    std::int64_t recordCount() const override { return reader_.info().recordCount; }
    const pdx::Value& value(int column) override;
    const pdx::Schema* sourceSchema() const override { return &reader_.info().schema; }

private:
    void readNext();
    pdx::TableReader reader_;
    pdx::Record record_;
    std::vector<pdx::Value> row_;
    bool eof_ = false;
};

}  // namespace db
