// libFuzzer target for the Paradox table reader. Input layout:
//   byte 0      bit 0 set: the input also carries a .MB file
//   bytes 1-4   (with .MB) length of the .db part, little-endian; the rest is the .MB
//   otherwise   the whole rest is the .db
// The files are written to a private temporary folder and the table is read to the end;
// a pdx::Error is the expected outcome for damaged input, anything else is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/pdx/reader.h"

namespace {

const std::filesystem::path& workDir() {
    static const std::filesystem::path dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "pdx-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        return std::filesystem::path(tmpl);
    }();
    return dir;
}

void writeFile(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool withMb = data[0] & 1;
    ++data;
    --size;
    std::size_t dbSize = size;
    if (withMb) {
        if (size < 4) return 0;
        dbSize = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::size_t>(data[3]) << 24);
        data += 4;
        size -= 4;
        if (dbSize > size) dbSize = size;
    }
    const auto db = workDir() / "FUZZ.db";
    const auto mb = workDir() / "FUZZ.MB";
    writeFile(db, data, dbSize);
    std::error_code ec;
    if (withMb) writeFile(mb, data + dbSize, size - dbSize);
    else std::filesystem::remove(mb, ec);
    try {
        pdx::TableReader reader(db);
        pdx::Record record;
        while (reader.next(record)) {}
    } catch (const pdx::Error&) {}
    return 0;
}
