// Shared helpers of the Paradox engine tests: fixture paths, whole-table reads, byte patching.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/error_of.h"
#include "tests/support/fixture_copy.h"
#include "tests/support/fixtures.h"
#include "platform/pdx/read/reader.h"

namespace pdxtest {

namespace fs = std::filesystem;

inline fs::path fixture(const std::string& relative) { return vts::test::fixtures() / relative; }

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

inline std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using vts::test::copyFamily;

template <class T>
const T& as(const pdx::Value& v) {
    return std::get<T>(v);
}

}  // namespace pdxtest
