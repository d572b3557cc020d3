// Where the Paradox tables the tests read lie: the shared folder beside the repository. They are
// others' work, read in place; a test copies a family to a temporary folder before anything writes.
// A missing folder is a failure naming it, never a silent skip.
#pragma once
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/letter_case.h"

namespace vts::test {

namespace fixtures_detail {
inline std::filesystem::path existing(const char* path) {
    if (!std::filesystem::is_directory(path))
        throw std::runtime_error(std::string("the test tables are missing: ") + path +
                                 " (the shared folder must lie beside the repository)");
    return path;
}
}  // namespace fixtures_detail

// Tables of the JDBC driver's test resources, one per field type and feature.
inline std::filesystem::path fixtures() { return fixtures_detail::existing(VTS_FIXTURES); }
// Tables the Paradox engine wrote in real use (Turkish, French, Portuguese data).
inline std::filesystem::path wildFixtures() { return fixtures_detail::existing(VTS_WILD_FIXTURES); }

// A file of the first set by its path below it, e.g. "db/ORDERS.DB".
inline std::filesystem::path fixture(const std::string& relative) { return fixtures() / relative; }

inline bool isWildFixture(const std::filesystem::path& db) {
    return db.string().rfind(std::string(VTS_WILD_FIXTURES) + "/", 0) == 0;
}

// The password-protected tables: the encrypt/ folder, and the wild sifreli (password "deneme").
inline bool isProtectedFixture(const std::filesystem::path& db) {
    return db.parent_path().filename() == "encrypt" || lower(db.stem().string()) == "sifreli";
}

// Every table of both sets, sorted; the password-protected ones only when asked for.
inline std::vector<std::filesystem::path> fixtureTables(bool withProtected = false) {
    std::vector<std::filesystem::path> out;
    for (const auto& root : {fixtures(), wildFixtures()})
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            if (lower(e.path().extension().string()) == ".db" && (withProtected || !isProtectedFixture(e.path())))
                out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// A test name for a table: its path below its set ("wild_" before the wild ones), letters and
// digits kept, anything else '_'.
inline std::string fixtureName(const std::filesystem::path& db) {
    const bool wild = isWildFixture(db);
    std::string name = (wild ? "wild_" : "") + db.lexically_relative(wild ? VTS_WILD_FIXTURES : VTS_FIXTURES).string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// The tables a test is known to fail on, by fixtureName, each with the issue that will mend it:
// the test is skipped there with that reason, so the work starts from a list of red tests.
using KnownFailures = std::map<std::string, std::string>;
inline std::optional<std::string> knownFailure(const KnownFailures& known, const std::filesystem::path& db) {
    const auto hit = known.find(fixtureName(db));
    if (hit == known.end()) return std::nullopt;
    return "known to fail until issue " + hit->second;
}

// The tables whose engine-made indexes the checker misjudges (folded text, block numbers of its own).
inline const KnownFailures kCheckerKnownFailures = {};

}  // namespace vts::test
