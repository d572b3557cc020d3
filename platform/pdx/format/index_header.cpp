// Index table headers: parsed with the table parser (same layout) and built with the .db header
// writer, then given the items only index tables have, as the engine's .Xnn/.XGn files show them.
#include "platform/pdx/format/index_header.h"

#include <algorithm>
#include <cstring>

#include "platform/pdx/format/codec.h"

namespace pdx {

namespace {

constexpr std::size_t kHeaderUnit = 0x800;

bool isIndexTableType(int type) { return type == 3 || type == 5 || type == 6 || type == 8; }
bool isGroupType(int type) { return type == 6 || type == 8; }

// A NUL-terminated item at `at`, which must end before `end`.
std::string itemAt(const std::uint8_t* b, std::size_t at, std::size_t end, const char* what) {
    const void* nul = at < end ? std::memchr(b + at, 0, end - at) : nullptr;
    if (!nul) throw Error(std::string("the header is damaged: the ") + what + " runs past its end");
    return std::string(reinterpret_cast<const char*>(b + at), static_cast<const std::uint8_t*>(nul) - (b + at));
}

// Items 6 to 8 of a level-4+ index table: field numbers, sort order name, index name.
void readIndexItems(const std::uint8_t* b, IndexTableHeader& h) {
    const TableHeader& t = h.table;
    const std::size_t n = t.fields.size();
    std::size_t at = kLevel4VariableStart + 6 * n + 4 + (t.versionByte >= 0x0C ? 261 : 79);
    for (const HeaderField& f : t.fields) at += f.rawName.size() + 1;
    const auto end = static_cast<std::size_t>(t.headerSize);
    for (std::size_t i = 0; i < n; ++i, at += 2) h.fieldNumbers.push_back(loadLE16(b + at));
    at += itemAt(b, at, end, "sort order name").size() + 1;
    if (isGroupType(t.fileType)) h.name = itemAt(b, at, end, "index name");
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::size_t v) {
    storeLE16(static_cast<std::uint16_t>(v), b.data() + at);
}

// Appends the index name after the sort order name, growing the header by whole units if needed.
void appendName(std::vector<std::uint8_t>& b, const std::string& name) {
    if (name.find('\0') != std::string::npos) throw Error("an index name cannot contain a NUL character");
    const std::size_t at = loadLE16(b.data() + 0x51);
    const std::size_t end = at + name.size() + 1;
    if (end > 0xF800) throw Error("the index name is too long for a header");
    if (end > b.size()) {
        b.resize((end + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit, 0);
        put16(b, 0x02, b.size());
    }
    std::memcpy(b.data() + at, name.data(), name.size());
    put16(b, 0x51, end);
    put16(b, 0x68, at - kLevel4Area);
}

}  // namespace

IndexTableHeader parseIndexTableHeader(const std::uint8_t* b, std::size_t size) {
    if (size < kFixedHeaderSize) throw Error("the file is too short for a Paradox index header");
    const int type = b[0x04];
    if (!isIndexTableType(type)) throw Error("not a secondary index table (file type " + std::to_string(type) + ")");
    // The table parser refuses index types so that no index is ever opened as a table; the
    // layout is a keyed table's, so a copy marked as one goes through the same checks.
    std::vector<std::uint8_t> copy(b, b + size);
    copy[0x04] = 0;
    IndexTableHeader h;
    h.table = parseTableHeader(copy.data(), size);
    h.table.fileType = type;
    h.indexFieldNumber = b[0x15];
    h.flags = b[0x55];
    if (h.table.versionByte >= 0x05) readIndexItems(b, h);
    return h;
}

std::size_t indexTableHeaderSize(const IndexHeaderFields& h) { return buildIndexTableHeader(h).size(); }

std::vector<std::uint8_t> buildIndexTableHeader(const IndexHeaderFields& h) {
    std::vector<std::uint8_t> b = buildDbHeader(h.table);
    const std::size_t n = h.table.schema->fields.size();
    if (h.fieldNumbers.empty() || h.fieldNumbers.size() > n)
        throw Error("internal error: an index table needs its indexed fields' numbers");
    b[0x04] = h.fileType;
    b[0x15] = static_cast<std::uint8_t>(h.fieldNumbers.front() & 0x7FFF);
    b[0x2C] = 0xFF;  // in every index table the engine wrote
    b[0x55] = h.flags;
    put16(b, 0x70, 0);
    const std::size_t numbersAt = kLevel4Area + loadLE16(b.data() + 0x66);
    int highest = static_cast<int>(n);
    for (std::size_t i = 0; i < h.fieldNumbers.size(); ++i) {
        put16(b, numbersAt + 2 * i, static_cast<std::size_t>(h.fieldNumbers[i]));
        highest = std::max(highest, h.fieldNumbers[i] & 0x7FFF);
    }
    put16(b, 0x64, static_cast<std::size_t>(highest) + 1);
    if (isGroupType(h.fileType)) appendName(b, h.name);
    return b;
}

}  // namespace pdx
