// Helpers of the checker tests.
#pragma once
#include <string>

#include "platform/pdx/check/table_check.h"

namespace pdxtest {

// The findings one a line, as pdxtool check prints them: what a failed expectation shows.
inline std::string listing(const pdx::TableCheckResult& r) {
    std::string s;
    for (const pdx::CheckFinding& f : r.findings) s += pdx::formatFinding(f) + "\n";
    return s;
}

}  // namespace pdxtest
