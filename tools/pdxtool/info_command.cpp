// pdxtool info: level, code page, record count, fields, key, indexes and family files of a table.
#include <algorithm>
#include <optional>
#include <ostream>
#include <vector>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/check/index_tree.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/secondary_index.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

namespace {

std::string fieldList(const std::vector<pdx::Field>& fields, const std::vector<bool>& descending = {}) {
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        s += (i ? ", " : "") + fields[i].name;
        if (i < descending.size() && descending[i]) s += " (descending)";
    }
    return s;
}

// Levels and entries of the .PX, from its header; nothing when it cannot be read.
std::string treeShape(const std::filesystem::path& px) {
    try {
        pdx::InputFile f(px);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(f.size(), 0x10000)));
        const auto h = pdx::parseIndexTreeHeader(bytes.data(), f.readAt(0, bytes.data(), bytes.size()));
        return "; " + std::to_string(h.levels) + (h.levels == 1 ? " level, " : " levels, ") +
               std::to_string(h.numEntries) + " entries";
    } catch (const pdx::Error& e) {
        return "; unreadable header: " + std::string(e.what());
    }
}

void listPrimaryIndex(const std::filesystem::path& table, const pdx::Schema& s, std::ostream& out) {
    const auto px = pdx::findCompanion(table, "PX");
    if (!px) {
        if (s.keyFields > 0) out << "  (primary index .PX missing)\n";
        return;
    }
    const std::vector<pdx::Field> key(s.fields.begin(), s.fields.begin() + s.keyFields);
    out << "  " << px->filename().string() << "  primary index on " << (key.empty() ? "(no key)" : fieldList(key))
        << treeShape(*px) << "\n";
}

void listSecondaryIndex(const pdx::SecondaryIndexDef& d, std::ostream& out) {
    out << "  " << d.xFile.filename().string() << " + " << d.yFile.filename().string() << "  ";
    if (!d.name.empty()) out << "\"" << d.name << "\" ";
    out << "on " << fieldList(d.fields, d.descending) << "; "
        << (d.caseInsensitive() ? "case-insensitive" : "case-sensitive") << "; "
        << (d.maintained() ? "maintained" : "not maintained") << (d.unique() ? "; unique" : "") << "; sort order "
        << (d.sortOrderId.empty() ? "-" : d.sortOrderId) << " (" << d.sortOrder << "); " << d.entries << " entries\n";
}

void listIndexes(const std::filesystem::path& table, const pdx::Schema& s, std::ostream& out) {
    out << "indexes:\n";
    listPrimaryIndex(table, s, out);
    try {
        for (const auto& d : pdx::readSecondaryIndexes(table)) listSecondaryIndex(d, out);
    } catch (const pdx::Error& e) {
        out << "  (secondary indexes unreadable: " << e.what() << ")\n";
    }
}

}  // namespace

void runInfo(const std::filesystem::path& table, const pdx::Unlock& unlock, std::ostream& out) {
    pdx::TableReader reader(table, unlock);
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
    listIndexes(table, s, out);
    const auto dir = table.parent_path().empty() ? std::filesystem::path(".") : table.parent_path();
    out << "family:\n";
    for (const auto& file : pdx::findFamily(dir, table.stem().string()))
        out << "  " << file.filename().string() << "\n";
}

}  // namespace pdxtool
