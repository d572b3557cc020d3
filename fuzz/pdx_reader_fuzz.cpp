// libFuzzer target for everything that reads a table family: the table reader, the checker and
// the secondary index reader. Input layout:
//   byte 0   which companion files the family has: bit 0 .MB, bit 1 .PX, bit 2 index table
//            (.Xnn, or .XGn with bit 4), bit 3 index tree (.Ynn, or .YGn with bit 4)
//   then     the .db and each present companion in that order; every file but the last is
//            preceded by its length (u32, little-endian); the last takes the rest
// (Inputs of the earlier layout, a .db alone or a length-prefixed .db and its .MB, read the same.)
// A single-field index is named after the field its header indexes (.X06 for 0x15 = 6), so a
// real index keeps its meaning. The files go to a private temporary folder; a pdx::Error is the
// expected outcome for damaged input, anything else (crash, leak, hang, other exception) is a
// finding. The checker must not even throw pdx::Error.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/check/table_check.h"

namespace {

namespace fs = std::filesystem;

const fs::path& workDir() {
    static const fs::path dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "pdx-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        return fs::path(tmpl);
    }();
    return dir;
}

struct Piece {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Splits the input after the flag byte into the .db and the present companions.
std::vector<Piece> split(const std::uint8_t* data, std::size_t size, int files) {
    std::vector<Piece> pieces;
    for (int i = 0; i < files; ++i) {
        std::size_t len = size;
        if (i + 1 < files) {
            if (size < 4) return {};
            len = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::size_t>(data[3]) << 24);
            data += 4;
            size -= 4;
            if (len > size) len = size;
        }
        pieces.push_back(Piece{data, len});
        data += len;
        size -= len;
    }
    return pieces;
}

void writeFile(const fs::path& file, const Piece& p) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(p.data), static_cast<std::streamsize>(p.size));
}

std::string indexExtension(char lead, bool group, const Piece& indexTable) {
    if (group) return std::string(1, lead) + "G0";
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%02X", lead, indexTable.size > 0x15 ? indexTable.data[0x15] : 1);
    return buf;
}

void readTable(const fs::path& db) {
    try {
        pdx::TableReader reader(db, {"", true});  // protected tables too: their blocks get unscrambled
        pdx::Record record;
        while (reader.next(record)) {}
    } catch (const pdx::Error&) {}
}

void readSecondary(const fs::path& db) {
    try {
        for (const auto& def : pdx::readSecondaryIndexes(db)) {
            const auto entries = pdx::readIndexEntries(def);
            pdx::keptOrderOf(def, entries);
        }
    } catch (const pdx::Error&) {}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int flags = data[0];
    const bool present[4] = {(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, (flags & 8) != 0};
    int files = 1;
    for (bool p : present) files += p ? 1 : 0;
    const std::vector<Piece> pieces = split(data + 1, size - 1, files);
    if (pieces.empty()) return 0;

    std::error_code ec;
    for (const auto& e : fs::directory_iterator(workDir(), ec))
        if (e.path().filename() != ".vts-lock") fs::remove(e.path(), ec);
    const fs::path db = workDir() / "FUZZ.db";
    writeFile(db, pieces[0]);
    std::size_t next = 1;
    Piece indexTable;
    const bool group = (flags & 16) != 0;
    const char* fixed[2] = {"MB", "PX"};
    for (int i = 0; i < 4; ++i) {
        if (!present[i]) continue;
        const Piece& p = pieces[next++];
        if (i == 2) indexTable = p;
        const std::string ext = i < 2 ? fixed[i] : indexExtension(i == 2 ? 'X' : 'Y', group, indexTable);
        writeFile(workDir() / ("FUZZ." + ext), p);
    }

    readTable(db);
    const pdx::TableCheckResult result = pdx::checkTable(db);  // throws nothing, by contract
    if (result.findings.empty() && !result.clean()) std::abort();
    readSecondary(db);
    return 0;
}
