// Keys as short readable text for check messages: ("Smith", 12) rather than raw bytes.
#pragma once
#include <string>
#include <vector>

#include "platform/pdx/format/header.h"

namespace pdx {

// `key` holds the stored bytes of `fields` one after the other (missing bytes end the text).
// Alpha text is quoted with bytes outside printable ASCII as \xNN; numbers, dates and times are
// decoded; other types show as hex.
std::string keyText(const std::vector<HeaderField>& fields, const std::string& key);

}  // namespace pdx
