// Per-byte weights for each candidate: letters folded by the code page's own upper case, and the
// base letter of an accented one found through its Unicode letter.
#include "platform/pdx/format/text_collation.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "platform/pdx/format/codepage.h"
#include "platform/pdx/format/header.h"
#include "platform/pdx/format/index_fold.h"
#include "platform/pdx/format/name_case.h"

namespace pdx {

namespace {

// The base letters of the Latin-1 and Latin Extended-A letters (U+00C0 to U+017F), '-' where
// the letter has none of its own (Æ, ß, Œ, ...), and of Cyrillic Ё/ё.
constexpr std::string_view kLatinBases =
    "AAAAAA-CEEEEIIIIDNOOOOO-OUUUUY--aaaaaa-ceeeeiiiidnooooo-ouuuuy-y"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi--JjKk-LlLlLlLlLlNnNnNn---OoOoOo--"
    "RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinBases.size() == 0x180 - 0xC0);

// The base letter (UTF-8) of a letter given in UTF-8, or empty when it has none.
std::string baseLetter(const std::string& letter) {
    const auto c = singleCharacter(letter);
    if (!c) return {};
    if (*c == 0x401) return utf8Of(0x415);  // Ё
    if (*c == 0x451) return utf8Of(0x435);  // ё
    if (*c < 0xC0 || *c >= 0x180 || kLatinBases[*c - 0xC0] == '-') return {};
    return std::string(1, kLatinBases[*c - 0xC0]);
}

// Each folded byte's folded base letter in the code page; the byte itself when it has none.
std::array<std::uint8_t, 256> baseTable(int codePage, const std::string& sortOrderId,
                                        const std::array<std::uint8_t, 256>& fold) {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    try {
        CodePage page(codePage, sortOrderId);
        for (int b = 0x80; b < 256; ++b) {
            const std::string base = baseLetter(page.decode(std::string(1, static_cast<char>(b))));
            if (base.empty()) continue;
            try {
                const std::string back = page.encode(base);
                if (back.size() == 1) t[static_cast<std::size_t>(b)] = fold[static_cast<unsigned char>(back[0])];
            } catch (const Error&) {  // the base letter is not in the code page
            }
        }
    } catch (const Error&) {  // a code page this system cannot convert: no letter has a base
    }
    return t;
}

int textLength(const std::uint8_t* p, std::size_t size) {
    return static_cast<int>(strnlen(reinterpret_cast<const char*>(p), size));
}

}  // namespace

std::string TextCollation::name() const {
    if (!caseBlind) return "byte order";
    std::string n = "case-blind";
    if (accents == Accents::AfterBase) n += ", accented letters after their base letter";
    if (accents == Accents::Blind) n += ", accents weighed last";
    return n + (lowerFirst ? ", lower case first" : ", upper case first");
}

const std::vector<TextCollation>& textCollations() {
    static const std::vector<TextCollation> kAll = [] {
        std::vector<TextCollation> all{TextCollation{}};
        for (const Accents a : {Accents::Distinct, Accents::AfterBase, Accents::Blind})
            for (const bool lowerFirst : {false, true}) all.push_back({true, a, lowerFirst});
        return all;
    }();
    return kAll;
}

CollationSet allCollations() { return (CollationSet{1} << textCollations().size()) - 1; }

std::size_t firstCollation(CollationSet set) { return static_cast<std::size_t>(std::countr_zero(set)); }

TextWeights::TextWeights(int codePage, const std::string& sortOrderId) {
    const auto fold = IndexFold(codePage, sortOrderId).table();
    const auto base = baseTable(codePage, sortOrderId, fold);
    for (const TextCollation& c : textCollations()) {
        Levels l;
        for (std::size_t b = 0; b < 256; ++b) {
            const std::uint8_t f = c.caseBlind ? fold[b] : static_cast<std::uint8_t>(b);
            const bool accented = base[f] != f;
            switch (c.accents) {
                case Accents::Distinct: l.primary[b] = static_cast<std::uint16_t>(f << 8); break;
                case Accents::AfterBase:
                    l.primary[b] = static_cast<std::uint16_t>((base[f] << 8) | (accented ? f : 0));
                    break;
                case Accents::Blind:
                    l.primary[b] = static_cast<std::uint16_t>(base[f] << 8);
                    l.secondary[b] = accented ? f : 0;
                    break;
            }
            const bool upper = fold[b] == b;
            l.tertiary[b] = c.caseBlind && (upper == c.lowerFirst) ? 1 : 0;
        }
        levels_.push_back(l);
    }
}

int TextWeights::compare(std::size_t candidate, const std::uint8_t* a, const std::uint8_t* b, std::size_t size) const {
    const Levels& l = levels_[candidate];
    const int na = textLength(a, size);
    const int nb = textLength(b, size);
    const int n = std::min(na, nb);
    for (int i = 0; i < n; ++i)
        if (l.primary[a[i]] != l.primary[b[i]]) return l.primary[a[i]] < l.primary[b[i]] ? -1 : 1;
    if (na != nb) return na < nb ? -1 : 1;
    for (const auto* level : {&l.secondary, &l.tertiary})
        for (int i = 0; i < n; ++i)
            if ((*level)[a[i]] != (*level)[b[i]]) return (*level)[a[i]] < (*level)[b[i]] ? -1 : 1;
    return std::memcmp(a, b, static_cast<std::size_t>(n));
}

ValueCollation::ValueCollation(const TextWeights& weights, std::vector<Field> fields, std::vector<bool> descending)
    : weights_(weights), fields_(std::move(fields)), descending_(std::move(descending)) {
    descending_.resize(fields_.size(), false);
    for (const Field& f : fields_) valueBytes_ += static_cast<std::size_t>(fieldStorageSize(f.type, f.size));
}

int ValueCollation::compare(std::size_t candidate, const std::uint8_t* a, const std::uint8_t* b) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto size = static_cast<std::size_t>(fieldStorageSize(fields_[i].type, fields_[i].size));
        const int c =
            fields_[i].type == FieldType::Alpha ? weights_.compare(candidate, a, b, size) : std::memcmp(a, b, size);
        if (c != 0) return descending_[i] ? -c : c;
        a += size;
        b += size;
    }
    return 0;
}

CollationSet ValueCollation::survivors(CollationSet alive, const std::vector<const std::uint8_t*>& sequence) const {
    for (std::size_t i = 1; i < sequence.size() && alive; ++i)
        for (std::size_t c = 0; c < textCollations().size(); ++c)
            if ((alive >> c & 1) && compare(c, sequence[i - 1], sequence[i]) >= 0) alive &= ~(CollationSet{1} << c);
    return alive;
}

std::optional<Disputed> sortByCandidates(const ValueCollation& c, CollationSet alive, std::vector<std::uint32_t>& order,
                                         const std::function<const std::uint8_t*(std::uint32_t)>& value) {
    const std::size_t first = firstCollation(alive);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return c.compare(first, value(a), value(b)) < 0; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::uint8_t* a = value(order[i - 1]);
        const std::uint8_t* b = value(order[i]);
        if (c.compare(first, a, b) == 0) continue;  // equal values: every candidate agrees
        for (std::size_t k = first + 1; k < textCollations().size(); ++k)
            if ((alive >> k & 1) && c.compare(k, a, b) > 0) return Disputed{order[i - 1], order[i]};
    }
    return std::nullopt;
}

}  // namespace pdx
