#include "pages/grid_model.h"

#include <QFont>
#include <algorithm>

#include "platform/pdx/value_text.h"

namespace vts {

namespace {

std::optional<pdx::Field> sourceField(const std::optional<pdx::Schema>& s, const db::GridSource& src, int c) {
    if (!s || static_cast<int>(s->fields.size()) != src.ColumnCount()) return std::nullopt;
    const pdx::Field& f = s->fields[static_cast<size_t>(c)];
    if (f.name != src.ColumnName(c)) return std::nullopt;
    return f;
}

}  // namespace

GridModel::GridModel(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
                     std::function<void(const std::string&)> reportError,
                     const std::map<std::string, std::string>& keptFields)
    : source_(std::move(source)), reportError_(std::move(reportError)) {
    const auto codePage =
        structure ? std::make_shared<pdx::CodePage>(structure->codePage, structure->sortOrderId) : nullptr;
    for (int c = 0; c < source_->ColumnCount(); ++c) {
        rules_.push_back(cellRuleFor(source_->ColumnJetType(c), sourceField(structure, *source_, c), codePage));
        if (const auto kept = keptFields.find(source_->ColumnName(c)); kept != keptFields.end())
            rules_.back().keptBecause = kept->second;
    }
    rows_ = static_cast<int>(std::min<std::int64_t>(source_->RowCount(), INT32_MAX));
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : source_->ColumnCount(); }

db::GridSource::Row* GridModel::row(int r) const {
    const std::int64_t w = r / kWindowRows;
    auto it = windows_.find(w);
    if (it == windows_.end()) {
        if (windows_.size() >= kWindowsKept) {
            windows_.erase(recent_.back());
            recent_.pop_back();
        }
        it = windows_.emplace(w, source_->Fetch(w * kWindowRows, kWindowRows)).first;
    } else {
        recent_.remove(w);
    }
    recent_.push_front(w);
    auto& rows = it->second;
    const size_t i = static_cast<size_t>(r % kWindowRows);
    return i < rows.size() ? &rows[i] : nullptr;
}

std::string GridModel::textOf(int column, const pdx::Value& v) const {
    if (rule(column).kind == CellKind::Binary && std::holds_alternative<pdx::Bytes>(v))
        return "binary, " + std::to_string(std::get<pdx::Bytes>(v).size()) + " bytes";
    return pdx::toText(v);
}

std::string GridModel::displayText(int r, int column) const {
    const auto* found = row(r);
    if (!found) return {};
    return textOf(column, found->values.at(static_cast<size_t>(column)));
}

std::string GridModel::caption(int column) const { return source_->ColumnName(column); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::fromStdString(displayText(index.row(), index.column()));
    if (role == Qt::ToolTipRole && !rule(index.column()).editable())
        return QString::fromStdString(rule(index.column()).readOnlyReason());
    if (role == Qt::TextAlignmentRole) {
        const CellKind k = rule(index.column()).kind;
        const bool numeric = k == CellKind::Integer || k == CellKind::Number || k == CellKind::Decimal;
        return QVariant::fromValue(Qt::AlignVCenter | (numeric ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) return QString::fromStdString(caption(section));
    return section + 1;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && rule(index.column()).editable()) f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const CellInput input = parseCellInput(rule(index.column()), value.toString().toStdString());
    if (!input.ok) {
        reportError_(input.reason);
        return false;
    }
    auto* current = row(index.row());
    if (!current) return false;
    try {
        const auto col = static_cast<size_t>(index.column());
        current->values[col] = source_->Update(current->rowid, index.column(), current->values.at(col), input.value);
    } catch (const std::exception& e) {
        // The row may have changed underneath: show what the table holds now.
        const std::int64_t w = index.row() / kWindowRows;
        windows_.erase(w);
        recent_.remove(w);
        reportError_(e.what());
        emit dataChanged(this->index(static_cast<int>(w * kWindowRows), 0),
                         this->index(std::min(rows_, static_cast<int>((w + 1) * kWindowRows)) - 1, columnCount() - 1));
        return false;
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

}  // namespace vts
