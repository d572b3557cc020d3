// Text forms of table values for dumps: dates as ISO text, bytes as hex, doubles shortest.
#pragma once
#include <string>

#include "platform/pdx/types.h"

namespace pdxtool {

std::string dateText(pdx::Date d);             // 2018-01-01
std::string timeText(pdx::Time t);             // 10:00:00 or 10:00:00.250
std::string timestampText(pdx::Timestamp ts);  // 2020-02-01 01:00:01
std::string doubleText(double v);              // shortest text that reads back the same
std::string hexText(const pdx::Bytes& b);
// Plain text of any non-blank value ("" for blank).
std::string valueText(const pdx::Value& v);

}  // namespace pdxtool
