#include "platform/pdx/read/validity_checks.h"

#include <algorithm>
#include <utility>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/format/codepage.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/io/input_file.h"
#include "platform/pdx/format/picture.h"

namespace pdx {

namespace {

// Layout, as every engine-made .VAL at hand has it: a header, one entry per checked field from
// 0x35, then referential integrity (when 0x0D points at it), then a footer listing the fields.
constexpr std::size_t kFirstEntry = 0x35;
constexpr std::size_t kEntryHead = 0x1C;
constexpr std::size_t kLookupSize = 0x50;  // the lookup table's name in its first 0x1A bytes
constexpr std::size_t kLookupName = 0x1A;
constexpr std::uint64_t kLargestFile = 1 << 20;

class ValFile {
public:
    ValFile(std::vector<std::uint8_t> bytes, const Schema& schema)
        : b_(std::move(bytes)), schema_(schema), codePage_(schema.codePage, schema.sortOrderId) {}

    // The checks, or an Error saying which part of the file is not as expected.
    ValidityChecks read(std::uint8_t changeCount2) {
        need(0, kFirstEntry);
        ValidityChecks out;
        if (b_[0] != changeCount2 || !fieldsMatch())
            return {{}, {"the validity checks, which were set for an earlier structure of the table"}};
        const std::size_t rules = le32(0x0D);
        const std::size_t end = rules ? rules : le32(9);
        std::size_t p = kFirstEntry;
        for (int k = 0; k < b_[2]; ++k) p = entry(p, out);
        if (p != end) throw Error("its field checks end at " + std::to_string(p) + ", not at " + std::to_string(end));
        if (rules) out.notEnforced.push_back("referential integrity with other tables");
        return out;
    }

private:
    void need(std::size_t at, std::size_t n) const {
        if (at > b_.size() || n > b_.size() - at) throw Error("it ends early");
    }
    std::size_t le32(std::size_t at) const {
        need(at, 4);
        return loadLE32(&b_[at]);
    }

    // The footer lists the fields the checks were set for, with their types and sizes.
    bool fieldsMatch() const {
        const std::size_t footer = le32(9);
        need(footer, 2);
        const std::size_t n = loadLE16(&b_[footer]);
        if (n != schema_.fields.size()) return false;
        const std::size_t types = footer + 6 + 2 * n;
        need(types, 2 * n);
        for (std::size_t i = 0; i < n; ++i) {
            const Field& f = schema_.fields[i];
            if (b_[types + 2 * i] != static_cast<std::uint8_t>(f.type) || b_[types + 2 * i + 1] != f.size) return false;
        }
        return true;
    }

    std::string text(std::size_t at, std::size_t n) {
        need(at, n);
        const auto* p = reinterpret_cast<const char*>(&b_[at]);
        return codePage_.decode(std::string_view(p, std::find(p, p + n, '\0') - p));
    }

    Value value(const Field& f, std::size_t at) {
        const auto size = static_cast<std::size_t>(fieldStorageSize(f.type, f.size));
        need(at, size);
        const std::uint8_t* p = &b_[at];
        if (f.type == FieldType::Alpha) return text(at, size);
        if (isAllZero(p, size)) return std::monostate{};
        switch (f.type) {
            case FieldType::Short: return std::int64_t{decodeShort(p)};
            case FieldType::Long:
            case FieldType::AutoInc: return std::int64_t{decodeLong(p)};
            case FieldType::Number:
            case FieldType::Currency: return decodeDouble(p);
            case FieldType::Date: return decodeDate(p);
            case FieldType::Time: return decodeTime(p);
            case FieldType::Timestamp: return decodeTimestamp(p);
            case FieldType::Logical: return decodeLogical(*p);
            case FieldType::Bcd: return Decimal{decodeBcd(p, f.size)};
            default: throw Error(std::string("it sets a value for a field of type ") + typeName(f.type));
        }
    }

    // One field's entry: its head of flags and markers, then the values the markers announce.
    std::size_t entry(std::size_t p, ValidityChecks& out) {
        need(p, kEntryHead);
        const std::size_t position = b_[p];
        if (position >= schema_.fields.size()) throw Error("it checks a field the table does not have");
        const Field& f = schema_.fields[position];
        const bool lookup = le32(p + 4) != 0, unknown = le32(p + 8) != 0;
        const bool min = le32(p + 0x0C) != 0, max = le32(p + 0x10) != 0, def = le32(p + 0x14) != 0;
        const bool picture = le32(p + 0x18) != 0;
        // Where a lookup's bytes stand among the values is not known; the part at 8 not at all.
        if (unknown || (lookup && (min || max || def)) || b_[p + 2] > 1)
            throw Error("the checks of \"" + f.name + "\" are of a kind this program does not know");
        FieldCheck& check = out.fields[static_cast<int>(position)];
        check.required = b_[p + 2] == 1;
        std::size_t at = p + kEntryHead;
        const auto size = static_cast<std::size_t>(fieldStorageSize(f.type, f.size));
        for (auto [present, target] :
             {std::pair{min, &check.minimum}, {max, &check.maximum}, {def, &check.defaultValue}})
            if (present) *target = value(f, std::exchange(at, at + size));
        // Text bounds compare under the table's sort order, which this program cannot be sure of.
        if (f.type == FieldType::Alpha && (min || max)) {
            check.minimum = check.maximum = std::monostate{};
            out.notEnforced.push_back("the smallest and largest text allowed in \"" + f.name + "\"");
        }
        if (lookup) {
            out.notEnforced.push_back("the lookup of \"" + f.name + "\" in the table " + text(at, kLookupName));
            at += kLookupSize;
        }
        if (picture) at = pictureOf(f, at, b_[p + 1], check, out);
        // A date's or a number's picture describes the form the engine shows it in, not the one
        // typed here; only text and whole numbers are held to theirs.
        const bool typedAsPictured =
            f.type == FieldType::Alpha || f.type == FieldType::Short || f.type == FieldType::Long;
        if (!check.picture.empty() && !typedAsPictured) {
            out.notEnforced.push_back("the picture " + check.picture + " of \"" + f.name + "\"");
            check.picture.clear();
        }
        return at;
    }

    std::size_t pictureOf(const Field& f, std::size_t at, std::size_t length, FieldCheck& check, ValidityChecks& out) {
        need(at, length);
        if (length == 0 || b_[at + length - 1] != 0) throw Error("the picture of \"" + f.name + "\" is not closed");
        check.picture = text(at, length);
        try {
            Picture{check.picture};
        } catch (const Error& e) {
            out.notEnforced.push_back("the picture of \"" + f.name + "\" (" + e.what() + ")");
            check.picture.clear();
        }
        return at + length;
    }

    std::vector<std::uint8_t> b_;
    const Schema& schema_;
    CodePage codePage_;
};

std::vector<std::uint8_t> contents(const std::filesystem::path& file) {
    InputFile in(file);
    if (in.size() > kLargestFile) throw Error("it is larger than any such file");
    std::vector<std::uint8_t> bytes(in.size());
    if (in.readAt(0, bytes.data(), bytes.size()) != bytes.size()) throw Error("it could not be read whole");
    return bytes;
}

}  // namespace

ValidityChecks readValidityChecks(const std::filesystem::path& dbFile, const Schema& schema,
                                  std::uint8_t changeCount2) {
    try {
        const auto val = findCompanion(dbFile, "VAL");
        if (!val) return {};
        return ValFile(contents(*val), schema).read(changeCount2);
    } catch (const Error& e) {
        return {{},
                {"the validity checks, because its .VAL file is not as this program knows such files: " +
                 std::string(e.what())}};
    }
}

}  // namespace pdx
