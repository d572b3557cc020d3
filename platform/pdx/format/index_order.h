// How a secondary index compares the values of its entries, as far as this program knows it:
// numbers by their stored bytes, Alpha text by bytes under the sort orders that compare bytes,
// and case-insensitive indexes with ASCII letters folded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pdx/format/types.h"

namespace pdx {

// Bytes of the indexed fields `fields` in a stored record or entry (their fixed sizes, in order).
std::size_t indexedBytes(const std::vector<Field>& fields);

// The bytes a case-insensitive index compares: its Alpha text with ASCII letters upper-cased.
// `values` holds indexedBytes(fields) bytes. Without case folding the bytes are returned as they are.
Bytes comparedBytes(const std::vector<Field>& fields, bool caseInsensitive, const std::uint8_t* values);

// True when folding ASCII letters orders these values as the engine does, whichever way it
// folds: their Alpha text holds no byte from 0x80 up and none of [ \ ] ^ _ ` (which fall between
// upper- and lower-case letters).
bool foldIsPlain(const std::vector<Field>& fields, const std::uint8_t* values);

}  // namespace pdx
