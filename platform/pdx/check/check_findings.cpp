// Wording of findings and the capped collection.
#include "platform/pdx/check/check_findings.h"

namespace pdx {

std::string describeLocation(const CheckLocation& where) {
    std::string s = where.file.string();
    if (where.block != 0) s += " block " + std::to_string(where.block);
    if (where.item == CheckLocation::Item::Record) s += " record " + std::to_string(where.itemNumber);
    if (where.item == CheckLocation::Item::Entry) s += " entry " + std::to_string(where.itemNumber);
    if (where.row != 0) s += " (row " + std::to_string(where.row) + ")";
    if (!where.field.empty()) s += " field \"" + where.field + "\"";
    return s;
}

std::string formatFinding(const CheckFinding& finding) {
    std::string line = describeLocation(finding.where);
    line += finding.kind == CheckFinding::Kind::Fault ? ": fault: " : ": note: ";
    for (char c : finding.what) line += (c == '\n' || c == '\r') ? ' ' : c;
    return line;
}

void CheckFindings::fault(CheckLocation where, std::string what) {
    if (faults_++ < limit_)
        items_.push_back(CheckFinding{CheckFinding::Kind::Fault, std::move(where), std::move(what)});
}

void CheckFindings::note(CheckLocation where, std::string what) {
    if (items_.size() < 2 * limit_)
        items_.push_back(CheckFinding{CheckFinding::Kind::Note, std::move(where), std::move(what)});
}

void CheckFindings::add(CheckFinding f) {
    if (f.kind == CheckFinding::Kind::Fault) fault(std::move(f.where), std::move(f.what));
    else note(std::move(f.where), std::move(f.what));
}

std::vector<CheckFinding> CheckFindings::take(const std::filesystem::path& file) {
    std::vector<CheckFinding> out = std::move(items_);
    items_.clear();
    if (faults_ > limit_)
        out.push_back(CheckFinding{CheckFinding::Kind::Note, atFile(file),
                                   std::to_string(faults_ - limit_) + " further faults are not listed"});
    return out;
}

}  // namespace pdx
