// Shared helpers of the Paradox engine tests: fixture paths, whole-table reads, byte patching.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/error_of.h"
#include "tests/support/file_contents.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/read/reader.h"

namespace pdxtest {

namespace fs = std::filesystem;

using vts::test::fixture;

struct Table {
    pdx::TableInfo info;
    std::vector<pdx::Record> records;
};

inline Table readAll(const fs::path& file) {
    pdx::TableReader reader(file);
    Table t{reader.info(), {}};
    pdx::Record r;
    while (reader.next(r)) t.records.push_back(r);
    return t;
}

using vts::test::errorOf;

using vts::test::readBytes;
using vts::test::writeBytes;

// Little-endian numbers planted into a file's bytes, as the engine stores them.
inline void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) { pdx::storeLE16(v, b.data() + at); }
inline void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { pdx::storeLE32(v, b.data() + at); }

using vts::test::copyFamily;

template <class T>
const T& as(const pdx::Value& v) {
    return std::get<T>(v);
}

}  // namespace pdxtest
