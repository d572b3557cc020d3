// TableReader: opens and checks a table, then hands out its records block by block.
#include "platform/pdx/read/reader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/pdx/read/block_chain.h"
#include "platform/pdx/read/blob_reader.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/io/family_lock.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/read/record_decoder.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxHeader = 0x10000;  // the header size is a u16

std::string levelText(int versionByte) {
    if (versionByte == 0x03) return "3.0";
    if (versionByte == 0x04) return "3.5";
    if (versionByte <= 0x09) return "4.x";
    if (versionByte <= 0x0B) return "5.x";
    return "7.x";
}

TableHeader readHeader(const InputFile& file) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kMaxHeader)));
    const std::size_t got = file.readAt(0, bytes.data(), bytes.size());
    return parseTableHeader(bytes.data(), got, true);
}

// A protected table opens only with its password (or the key of one opened with it).
TableHeader unlocked(TableHeader h, const Unlock& unlock) {
    if (!h.key || unlock.storedKey) return h;
    if (unlock.password.empty()) throw Error(kPasswordMessage);
    CodePage cp(effectiveCodePage(h), h.sortOrderId);
    if (!passwordMatches(cp.encode(unlock.password), h.key)) throw Error(kWrongPasswordMessage);
    return h;
}

Schema makeSchema(const TableHeader& h, CodePage& cp, std::vector<std::string>& names) {
    Schema s;
    s.keyFields = h.keyFields;
    s.codePage = effectiveCodePage(h);
    s.sortOrder = h.sortOrder;
    s.sortOrderId = h.sortOrderId;
    for (const auto& f : h.fields) {
        names.push_back(cp.decode(f.rawName));
        s.fields.push_back(Field{names.back(), f.type, f.size});
    }
    return s;
}

bool hasBlobField(const TableHeader& h) {
    return std::any_of(h.fields.begin(), h.fields.end(), [](const HeaderField& f) { return isBlobType(f.type); });
}

BlobReader makeBlobReader(const std::filesystem::path& dbFile, const TableHeader& h) {
    std::filesystem::path expected = dbFile;
    expected.replace_extension(".MB");
    if (!hasBlobField(h)) return BlobReader(std::nullopt, expected.string());
    BlobReader blobs(findCompanion(dbFile, "MB"), expected.string());
    blobs.setKey(h.key);
    return blobs;
}

// Messages from inside name the detail; the caller sees which table it was.
[[noreturn]] void rethrowForFile(const std::filesystem::path& file, const std::string& context, const Error& e) {
    const std::string name = file.string();
    const std::string what = e.what();
    if (context.empty() && what.rfind(name + ":", 0) == 0) throw e;
    throw Error(name + ": " + context + what);
}

// Held while the .db and .MB are opened, so no replacement renames files in between; once
// open, the reader keeps reading the files it opened whatever happens to their names.
std::optional<FamilyLock> openingLock(const std::filesystem::path& dbFile) {
    const auto dir = dbFile.parent_path().empty() ? std::filesystem::path(".") : dbFile.parent_path();
    return std::optional<FamilyLock>(std::in_place, dir, dbFile.stem().string(), FamilyLock::Kind::Files,
                                     FamilyLock::Mode::Shared, std::chrono::milliseconds(10000));
}

}  // namespace

struct TableReader::Impl {
    std::optional<FamilyLock> lock;
    InputFile file;
    TableHeader header;
    CodePage codePage;
    std::vector<std::string> names;  // decoded field names, filled while the schema is built
    TableInfo info;
    BlobReader blobs;
    BlockSource blocks;
    std::vector<ChainBlock> chain;
    RecordDecoder decoder;
    std::size_t chainPos = 0;
    int inBlock = 0;
    const std::uint8_t* blockData = nullptr;
    std::uint64_t row = 0;

    Impl(const std::filesystem::path& dbFile, const Unlock& unlock)
        : lock(openingLock(dbFile)),
          file(dbFile),
          header(unlocked(readHeader(file), unlock)),
          codePage(effectiveCodePage(header), header.sortOrderId),
          names(),
          info{dbFile,
               header.versionByte,
               levelText(header.versionByte),
               makeSchema(header, codePage, names),
               header.numRecords,
               header.blockSizeKiB,
               header.changeCount2,
               header.autoIncCounter,
               header.key},
          blobs(makeBlobReader(dbFile, header)),
          blocks(file, header),
          chain(walkChain(file, header, blocks)),
          decoder(header, names, codePage, blobs) {}

    bool next(Record& out) {
        while (chainPos < chain.size() && inBlock >= chain[chainPos].records) {
            ++chainPos;
            inBlock = 0;
            blockData = nullptr;
        }
        if (chainPos == chain.size()) return false;
        const auto rs = static_cast<std::size_t>(header.recordSize);
        if (!blockData) blockData = blocks.block(chain[chainPos].number, 6 + chain[chainPos].records * rs) + 6;
        ++row;
        decoder.decode(blockData + static_cast<std::size_t>(inBlock) * rs, out);
        ++inBlock;
        return true;
    }
};

// Where no writer has made the folder's lock file yet, the files are opened without a lock; if a
// writer made it meanwhile (and may have renamed files under the reader), they are opened again
// under the lock.
std::unique_ptr<TableReader::Impl> TableReader::openOneGeneration(const std::filesystem::path& dbFile,
                                                                  const Unlock& unlock) {
    const auto dir = dbFile.parent_path().empty() ? std::filesystem::path(".") : dbFile.parent_path();
    const bool lockFile = FamilyLock::fileExists(dir);
    std::unique_ptr<Impl> impl;
    try {
        impl = std::make_unique<Impl>(dbFile, unlock);
    } catch (const Error&) {
        if (lockFile || !FamilyLock::fileExists(dir)) throw;
    }
    if (!impl || (!lockFile && FamilyLock::fileExists(dir))) impl = std::make_unique<Impl>(dbFile, unlock);
    return impl;
}

TableReader::TableReader(const std::filesystem::path& dbFile, const Unlock& unlock) {
    try {
        impl_ = openOneGeneration(dbFile, unlock);
        impl_->lock.reset();
    } catch (const Error& e) {
        rethrowForFile(dbFile, "", e);
    } catch (const std::bad_alloc&) {
        throw Error(dbFile.string() + ": not enough memory to open the table");
    }
}

bool isPasswordProtected(const std::filesystem::path& dbFile) {
    try {
        return readHeader(InputFile(dbFile)).key != 0;
    } catch (const Error& e) {
        rethrowForFile(dbFile, "", e);
    }
}

TableReader::~TableReader() = default;
TableReader::TableReader(TableReader&&) noexcept = default;
TableReader& TableReader::operator=(TableReader&&) noexcept = default;

const TableInfo& TableReader::info() const { return impl_->info; }

bool TableReader::next(Record& out) {
    try {
        return impl_->next(out);
    } catch (const Error& e) {
        rethrowForFile(impl_->info.file, "row " + std::to_string(impl_->row) + ", ", e);
    }
}

}  // namespace pdx
