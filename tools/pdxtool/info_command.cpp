// pdxtool info: level, code page, record count, fields, key and family files of a table.
#include <ostream>

#include "platform/pdx/codepage.h"
#include "platform/pdx/family.h"
#include "platform/pdx/reader.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

void runInfo(const std::filesystem::path& table, std::ostream& out) {
    pdx::TableReader reader(table);
    const pdx::TableInfo& info = reader.info();
    const pdx::Schema& s = info.schema;
    out << "file:       " << info.file.string() << "\n"
        << "level:      " << info.levelText << " (version byte " << info.versionByte << ")\n"
        << "code page:  " << s.codePage << " (" << pdx::iconvNameFor(s.codePage, s.sortOrderId) << ")\n"
        << "sort order: " << (s.sortOrderId.empty() ? "-" : s.sortOrderId) << " (" << s.sortOrder << ")\n"
        << "records:    " << info.recordCount << "\n"
        << "block size: " << info.blockSizeKiB << " KiB\n"
        << "key fields: " << s.keyFields << "\n"
        << "fields:\n";
    for (std::size_t i = 0; i < s.fields.size(); ++i) {
        const pdx::Field& f = s.fields[i];
        out << "  " << (i + 1) << ". " << f.name << "  " << pdx::typeName(f.type);
        if (f.type == pdx::FieldType::Bcd) out << " (" << f.size << " decimals)";
        else if (f.type == pdx::FieldType::Alpha || f.type == pdx::FieldType::Bytes || pdx::isBlobType(f.type))
            out << " (" << f.size << ")";
        if (static_cast<int>(i) < s.keyFields) out << "  [key]";
        out << "\n";
    }
    const auto dir = table.parent_path().empty() ? std::filesystem::path(".") : table.parent_path();
    out << "family:\n";
    for (const auto& file : pdx::findFamily(dir, table.stem().string()))
        out << "  " << file.filename().string() << "\n";
}

}  // namespace pdxtool
