// Helpers of the secondary index tests: the fixture tables that have indexes, a table's records
// with their places in the .db, rebuilding an index into a folder, walking an index tree, and
// pxlib reading an index table in a child process.
#pragma once
extern "C" {
#include <paradox.h>
}
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/read/block_chain.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/secondary_index.h"
#include "platform/pdx/write/secondary_index_writer.h"
#include "tests/platform/pdx/pdx_test_support.h"
#include "tests/support/child_process.h"

namespace pdxtest {

// Every fixture table with index files, as "folder/name" under the fixtures.
inline const std::vector<std::string>& indexedFixtures() {
    static const std::vector<std::string> tables{"db/AREACODES.DB",   "db/CUSTOMER.DB",      "joins/C.DB",
                                                 "joins/case.db",     "joins/fk1.db",        "joins/fk2.db",
                                                 "joins/fk3.db",      "joins/fk4.db",        "joins/indexed.db",
                                                 "joins/multiple.db", "joins/to_multiple.db"};
    return tables;
}

// A table's records as stored, in chain order, with their places.
struct PlacedRecords {
    pdx::TableHeader header;
    std::vector<pdx::Bytes> records;
    std::vector<pdx::RecordPlace> places;
};

inline PlacedRecords placedRecords(const fs::path& db) {
    pdx::InputFile file(db);
    std::vector<std::uint8_t> head(std::min<std::uint64_t>(file.size(), 0x10000));
    file.readAt(0, head.data(), head.size());
    PlacedRecords out{pdx::parseTableHeader(head.data(), head.size()), {}, {}};
    pdx::BlockSource blocks(file, out.header);
    const auto rs = static_cast<std::size_t>(out.header.recordSize);
    std::int32_t tuple = 0;
    for (const pdx::ChainBlock& b : pdx::walkChain(file, out.header, blocks)) {
        const std::uint8_t* p = blocks.block(b.number, 6 + b.records * rs) + 6;
        for (std::size_t i = 0; i < b.records; ++i) {
            out.records.emplace_back(p + i * rs, p + (i + 1) * rs);
            out.places.push_back({b.number, ++tuple, static_cast<std::uint16_t>(i * rs)});
        }
    }
    return out;
}

struct Rebuilt {
    fs::path x, y;
    std::string extension;
};

// Writes the index `def` again for the unchanged table `db` (its records at their places) into
// `outDir`; with `keepOrder`, ordered as the original wherever this program cannot order the
// values itself.
inline Rebuilt rebuildIndex(const pdx::SecondaryIndexDef& def, const fs::path& db, const fs::path& outDir,
                            bool keepOrder = true) {
    fs::create_directories(outDir);
    const pdx::TableInfo info = pdx::TableReader(db).info();
    const pdx::KeptOrder kept = pdx::keptOrderOf(def, pdx::readIndexEntries(def));
    pdx::SecondaryIndexWriter w(def, info.schema, db.stem().string(), keepOrder ? &kept : nullptr);
    const PlacedRecords t = placedRecords(db);
    for (std::size_t i = 0; i < t.records.size(); ++i) w.add(t.records[i].data(), t.places[i]);
    const std::string stem = db.stem().string();
    Rebuilt r{outDir / (stem + "." + w.extension()), outDir / (stem + "." + w.treeExtension()), w.extension()};
    pdx::IndexStamp stamp;
    stamp.changeCount2 = info.changeCount2;
    stamp.autoInc = info.autoIncCounter;
    w.write(r.x, r.y, {}, stamp);
    for (pdx::StagedFile* f : w.stagedFiles()) {
        f->sync();
        f->install();
    }
    return r;
}

// Level-1 entries of an index tree (.PX, .Ynn, .YGn) walked from its root: first key, block, count.
struct TreeLeaf {
    pdx::Bytes key;
    int block = 0;
    int count = 0;
};

inline int treeWord(const std::uint8_t* p) { return ((p[0] << 8) | p[1]) ^ 0x8000; }

inline void walkTree(const std::vector<std::uint8_t>& f, std::size_t keySize, int block, int level,
                     std::vector<TreeLeaf>& out) {
    const std::size_t bs = f[5] * 1024u, es = keySize + 6;
    const std::uint8_t* p = f.data() + pdx::loadLE16(f.data() + 2) + static_cast<std::size_t>(block - 1) * bs;
    const int n = static_cast<std::int16_t>(pdx::loadLE16(p + 4)) / static_cast<int>(es) + 1;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t* e = p + 6 + i * es;
        if (level > 1) walkTree(f, keySize, treeWord(e + keySize), level - 1, out);
        else out.push_back({pdx::Bytes(e, e + keySize), treeWord(e + keySize), treeWord(e + keySize + 2)});
    }
}

inline std::vector<TreeLeaf> treeLeaves(const fs::path& tree, std::size_t keySize) {
    const auto f = readBytes(tree);
    std::vector<TreeLeaf> out;
    if (f[0x20] > 0) walkTree(f, keySize, pdx::loadLE16(f.data() + 0x1E), f[0x20], out);
    return out;
}

// pxlib's view of an index table: its record count, then each record's bytes in hex, one a line.
inline std::optional<std::string> pxlibIndexRecords(const fs::path& x) {
    return vts::test::inChild([&] {
        pxdoc_t* d = PX_new();
        if (PX_open_file(d, x.c_str()) < 0) return std::string("ERR open\n");
        const int n = PX_get_num_records(d);
        const int rs = d->px_head->px_recordsize;
        std::string out = std::to_string(n) + "\n";
        std::vector<char> rec(static_cast<std::size_t>(rs));
        for (int i = 0; i < n; ++i) {
            if (!PX_get_record(d, i, rec.data())) return out + "ERR record\n";
            static const char* hex = "0123456789abcdef";
            for (char c : rec) {
                out += hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
                out += hex[static_cast<unsigned char>(c) & 0xF];
            }
            out += "\n";
        }
        PX_close(d);
        PX_delete(d);
        return out;
    });
}

}  // namespace pdxtest
