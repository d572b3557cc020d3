// The order of the checks: header, block chain, records (keys, values, blobs), primary index,
// secondary indexes. Each step reports and lets the next run as far as its input allows.
#include "platform/pdx/check/table_check.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "platform/pdx/check/check_blob_refs.h"
#include "platform/pdx/check/check_chain.h"
#include "platform/pdx/check/check_family.h"
#include "platform/pdx/check/check_primary_index.h"
#include "platform/pdx/check/check_records.h"
#include "platform/pdx/check/check_secondary.h"
#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/header_key.h"
#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/format/types.h"

namespace pdx {

namespace {

constexpr std::size_t kMaxHeader = 0x10000;  // the header size is a u16

std::optional<TableHeader> readHeader(const InputFile& db, const std::string& password, CheckFindings& out,
                                      TableCheckResult& result) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(db.size(), kMaxHeader)));
    const std::size_t got = db.readAt(0, bytes.data(), bytes.size());
    try {
        TableHeader h = parseTableHeader(bytes.data(), got, !password.empty());
        if (h.key && !passwordMatches(CodePage(effectiveCodePage(h), h.sortOrderId).encode(password), h.key)) {
            result.passwordProtected = true;
            out.fault(atFile(db.path()), "the password is not this table's: its records and indexes are not checked");
            return std::nullopt;
        }
        return h;
    } catch (const Error& e) {
        if (std::string(e.what()) == kPasswordMessage) {
            result.passwordProtected = true;
            out.fault(atFile(db.path()),
                      "the table is password-protected: its records and indexes cannot be checked without its "
                      "password (--password)");
        } else {
            out.fault(atFile(db.path()), std::string(e.what()) + "; nothing else is checked");
        }
        return std::nullopt;
    }
}

// Reads the family of a protected table as its engine wrote it before scrambling. A companion
// scrambled with another key (or none) is read as it is; its own check says so.
void unscrambleFamily(CheckFamily& fam, std::uint32_t key) {
    fam.db.file->unscramble(key, InputFile::Scrambled::Blocks);
    if (fam.mb.file) fam.mb.file->unscramble(key, InputFile::Scrambled::Blob);
    std::vector<CheckedFile*> indexes{&fam.px};
    for (CheckedFile& f : fam.secondary) indexes.push_back(&f);
    for (CheckedFile* f : indexes) {
        if (!f->file) continue;
        std::uint8_t head[0x60] = {};
        if (f->file->readAt(0, head, sizeof head) < kFixedHeaderSize || storedKey(head) != key) continue;
        try {
            f->file->unscramble(key, InputFile::Scrambled::Blocks);
        } catch (const Error&) {}  // no block size: its own check reports the header
    }
}

std::vector<std::string> fieldNames(const TableHeader& h) {
    std::vector<std::string> names;
    std::optional<CodePage> cp;
    try {
        cp.emplace(effectiveCodePage(h), h.sortOrderId);
    } catch (const Error&) {}
    for (std::size_t i = 0; i < h.fields.size(); ++i) {
        std::string name;
        try {
            if (cp) name = cp->decode(h.fields[i].rawName);
        } catch (const Error&) {}
        names.push_back(name.empty() ? "field " + std::to_string(i + 1) : name);
    }
    return names;
}

class Check {
public:
    Check(const std::filesystem::path& dbFile, const std::string& password) : dbFile_(dbFile), password_(password) {}

    TableCheckResult run() {
        try {
            steps();
        } catch (const Error& e) {
            out_.fault(atFile(dbFile_), std::string("the check stopped: ") + e.what());
        } catch (const std::bad_alloc&) {
            out_.fault(atFile(dbFile_), "the check stopped: not enough memory");
        }
        result_.faults = out_.faultCount();
        result_.findings = out_.take(dbFile_);
        return std::move(result_);
    }

private:
    void steps() {
        CheckFamily fam = openCheckFamily(dbFile_, out_);
        for (const CheckedFile* f : {&fam.db, &fam.mb, &fam.px})
            if (f->file) result_.files.push_back(f->path);
        for (const CheckedFile& f : fam.secondary)
            if (f.file) result_.files.push_back(f.path);
        if (!fam.db.file) return;
        const auto h = readHeader(*fam.db.file, password_, out_, result_);
        if (!h) return;
        if (h->key) unscrambleFamily(fam, h->key);
        const InputFile& db = *fam.db.file;
        headerFlags(*h, db);
        const ChainLayout layout = chainLayout(*h);
        const auto chain = checkChain(db, layout, out_);
        result_.blocks = static_cast<std::uint32_t>(chain.size());
        for (const CheckedBlock& b : chain) result_.records += b.records;

        const auto names = fieldNames(*h);
        BlobRefCheck blobs(fam.mb, out_);
        const RecordCheckResult records = checkRecords({db, *h, layout, chain, names, blobs}, out_);
        primaryIndex(fam, *h, records);
        checkSecondaryIndexes(SecondaryCheckInput{db, *h, layout, chain, names, fam.secondary}, out_);
    }

    static ChainLayout chainLayout(const TableHeader& h) {
        ChainLayout l;
        l.headerSize = static_cast<std::uint64_t>(h.headerSize);
        l.blockSize = static_cast<std::uint64_t>(h.blockSize());
        l.recordSize = static_cast<std::uint64_t>(h.recordSize);
        l.numRecords = h.numRecords;
        l.usedBlocks = static_cast<std::uint16_t>(h.usedBlocks);
        l.firstBlock = static_cast<std::uint16_t>(h.firstBlock);
        l.lastBlock = static_cast<std::uint16_t>(h.lastBlock);
        return l;
    }

    void headerFlags(const TableHeader& h, const InputFile& db) {
        std::uint8_t raw[0x25] = {};
        db.readAt(0, raw, sizeof raw);
        const int k = static_cast<std::int16_t>(loadLE16(raw + 0x23));
        if (h.fileType == 0 && h.keyFields == 0)
            out_.fault(atFile(db.path()),
                       "the file type (0x04) is 0, a keyed table, but the header gives no key field");
        if (h.fileType == 2 && k != 0)
            out_.fault(atFile(db.path()), "the file type (0x04) is 2, a table without key, but the header gives " +
                                              std::to_string(k) + " key fields (0x23)");
        if (h.needsRebuild)
            out_.fault(atFile(db.path()),
                       "the header marks the table as needing a rebuild (0x14 or 0x2A set): Paradox left a change "
                       "unfinished");
    }

    void primaryIndex(const CheckFamily& fam, const TableHeader& h, const RecordCheckResult& records) {
        if (h.keyFields == 0) {
            if (fam.px.found)
                out_.note(atFile(fam.px.path), "the table has no key, so this primary index file is not used");
            return;
        }
        if (!fam.px.found) {
            out_.fault(atFile(fam.px.path), "the table is keyed, but its primary index file is missing");
            return;
        }
        if (fam.px.file) checkPrimaryIndex(*fam.px.file, dbFile_, h, records, out_);
    }

    std::filesystem::path dbFile_;
    const std::string& password_;
    CheckFindings out_;
    TableCheckResult result_;
};

}  // namespace

TableCheckResult checkTable(const std::filesystem::path& dbFile, const std::string& password) {
    return Check(dbFile, password).run();
}

}  // namespace pdx
