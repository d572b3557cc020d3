// The ways the engine may compare text under a sort order this program cannot prove, as
// candidates: byte order, case-blind, accented letters right after their base letter, accents
// weighed only after the letters (each with upper or lower case first). A table's existing keys
// and indexes rule out the candidates that order them otherwise; a value is placed only where
// every candidate left places it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

enum class Accents : std::uint8_t { Distinct, AfterBase, Blind };

struct TextCollation {
    bool caseBlind = false;
    Accents accents = Accents::Distinct;
    bool lowerFirst = false;  // among texts equal but for case

    std::string name() const;
};

// The candidates, the byte order first.
const std::vector<TextCollation>& textCollations();

// Which candidates still stand: bit i for textCollations()[i].
using CollationSet = std::uint32_t;
CollationSet allCollations();

// The candidates' comparison of Alpha text in one code page.
class TextWeights {
public:
    TextWeights(int codePage, const std::string& sortOrderId);
    // Negative, zero or positive as the NUL-padded text a (size bytes) comes before, with or after b.
    // Zero only for equal bytes.
    int compare(std::size_t candidate, const std::uint8_t* a, const std::uint8_t* b, std::size_t size) const;

private:
    struct Levels {
        std::array<std::uint16_t, 256> primary{};
        std::array<std::uint8_t, 256> secondary{};
        std::array<std::uint8_t, 256> tertiary{};
    };
    std::vector<Levels> levels_;
};

// Values of several fields (stored bytes side by side, descending ones reversed) compared under
// each candidate: Alpha text by its weights, everything else by its stored bytes.
class ValueCollation {
public:
    ValueCollation(const TextWeights& weights, std::vector<Field> fields, std::vector<bool> descending = {});
    int compare(std::size_t candidate, const std::uint8_t* a, const std::uint8_t* b) const;
    std::size_t valueBytes() const { return valueBytes_; }
    const std::vector<Field>& fields() const { return fields_; }
    // The candidates of `alive` that put every value of `sequence` (valueBytes() each, distinct,
    // in an existing index's order) before the next.
    CollationSet survivors(CollationSet alive, const std::vector<const std::uint8_t*>& sequence) const;

private:
    const TextWeights& weights_;
    std::vector<Field> fields_;
    std::vector<bool> descending_;
    std::size_t valueBytes_ = 0;
};

// The first candidate of a non-empty set.
std::size_t firstCollation(CollationSet set);

// The candidates a table's existing order left standing, for placing its new values; none
// (weights null or alive 0) when values can only go where they were before.
struct TextPlacement {
    const TextWeights* weights = nullptr;
    CollationSet alive = 0;
    bool any() const { return weights && alive; }
};

// Sorts `order` (indexes of values) by the first candidate standing, then checks that every other
// one agrees. Returns the first pair of neighbours (earlier first) they put either way round.
struct Disputed {
    std::uint32_t first = 0, second = 0;
};
std::optional<Disputed> sortByCandidates(const ValueCollation& c, CollationSet alive, std::vector<std::uint32_t>& order,
                                         const std::function<const std::uint8_t*(std::uint32_t)>& value);

}  // namespace pdx
