// pdxtool check: every fault of a table family on its own line, then a summary line.
#include <ostream>

#include "platform/pdx/check/table_check.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

namespace {

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

bool runCheck(const std::filesystem::path& table, const pdx::Unlock& unlock, std::ostream& out) {
    const pdx::TableCheckResult r = pdx::checkTable(table, unlock.password);
    std::size_t notes = 0;
    for (const pdx::CheckFinding& f : r.findings) {
        out << pdx::formatFinding(f) << "\n";
        if (f.kind == pdx::CheckFinding::Kind::Note) ++notes;
    }
    const char* verdict = r.clean() ? "OK" : r.passwordProtected ? "NOT CHECKED" : "DAMAGED";
    out << table.string() << ": " << verdict << ": " << plural(r.faults, "fault", "faults") << ", "
        << plural(notes, "note", "notes") << "; " << plural(r.records, "record", "records") << " in "
        << plural(r.blocks, "block", "blocks") << ", " << plural(r.files.size(), "file", "files") << " checked\n";
    return r.clean();
}

}  // namespace pdxtool
