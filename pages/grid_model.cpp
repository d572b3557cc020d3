#include "pages/grid_model.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <algorithm>
#include <cctype>

#include "platform/shell/errors.h"

#include "platform/pdx/format/value_text.h"

namespace vts {

namespace {

std::optional<pdx::Field> sourceField(const std::optional<pdx::Schema>& s, const db::GridSource& src, int c) {
    if (!s || static_cast<int>(s->fields.size()) != src.ColumnCount()) return std::nullopt;
    const pdx::Field& f = s->fields[static_cast<size_t>(c)];
    if (f.name != src.ColumnName(c)) return std::nullopt;
    return f;
}

// The leading columns that form the table's key, when the columns still are the table's.
int keyFieldsOf(const std::optional<pdx::Schema>& s, const db::GridSource& src) {
    if (!s || static_cast<int>(s->fields.size()) != src.ColumnCount()) return 0;
    for (int c = 0; c < src.ColumnCount(); ++c)
        if (s->fields[static_cast<size_t>(c)].name != src.ColumnName(c)) return 0;
    return std::clamp(s->keyFields, 0, src.ColumnCount());
}

const std::string kKeptChoice = "In a new row, this field takes only a value that another row already holds. ";

bool isAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
}

// Case is ignored for ASCII letters byte by byte: no conversion per cell for the usual search.
bool holdsAscii(const std::string& text, const std::string& lowerNeedle) {
    const auto lower = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; };
    return std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(), lower) != text.end();
}

}  // namespace

GridModel::GridModel(std::shared_ptr<db::GridSource> source, const std::optional<pdx::Schema>& structure,
                     std::function<void(const std::string&)> reportError, const TableFacts& facts)
    : source_(std::move(source)), reportError_(std::move(reportError)) {
    const auto codePage =
        structure ? std::make_shared<pdx::CodePage>(structure->codePage, structure->sortOrderId) : nullptr;
    for (int c = 0; c < source_->ColumnCount(); ++c) {
        rules_.push_back(cellRuleFor(source_->ColumnJetType(c), sourceField(structure, *source_, c), codePage));
        if (const auto kept = facts.keptFields.find(source_->ColumnName(c)); kept != facts.keptFields.end())
            rules_.back().keptBecause = kept->second;
        if (const auto check = facts.checks.find(source_->ColumnName(c)); check != facts.checks.end())
            addFieldCheck(rules_.back(), check->second);
        if (const auto f = sourceField(structure, *source_, c); f && f->type == pdx::FieldType::AutoInc) {
            // Numbers of deleted records stay unused: other tables may still refer to them.
            autoIncrement_[c] = std::max(source_->NextNumber(c), facts.lastNumber + 1);
            // As in the engine, the number is the table's to give, never typed (a typed one could
            // repeat another record's).
            rules_.back().numbered = true;
        }
    }
    keyFields_ = keyFieldsOf(structure, *source_);
    rows_ = static_cast<int>(std::min<std::int64_t>(source_->RowCount(), INT32_MAX - 1));
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_ + 1; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : source_->ColumnCount(); }

db::GridSource::Row* GridModel::row(int r) const {
    if (r < 0 || r >= rows_) return nullptr;
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
    if (isNewRow(r)) return pending_.empty() ? std::string() : textOf(column, pending_.at(static_cast<size_t>(column)));
    const auto* found = row(r);
    if (!found) return {};
    return textOf(column, found->values.at(static_cast<size_t>(column)));
}

std::string GridModel::caption(int column) const { return source_->ColumnName(column); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const std::string text =
        role == Qt::DisplayRole || role == Qt::EditRole ? displayText(index.row(), index.column()) : std::string();
    if (role == Qt::DisplayRole && rule(index.column()).money && !text.empty())
        return QString::number(QString::fromStdString(text).toDouble(), 'f', 2);  // C locale, as stored
    if (role == Qt::DisplayRole || role == Qt::EditRole) return QString::fromStdString(text);
    // Cells that cannot be changed look it.
    if (role == Qt::ForegroundRole && !(flags(index) & Qt::ItemIsEditable))
        return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    if (role == Qt::ToolTipRole && keptChoice(index))
        return QString::fromStdString(kKeptChoice + rule(index.column()).keptBecause);
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
    if (isNewRow(section)) return QString("*");
    return section + 1;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && (rule(index.column()).editable() || keptChoice(index))) f |= Qt::ItemIsEditable;
    return f;
}

// A field whose values must stay, but not part of the key, takes in a new row a value another
// row holds: its index holds that value already, so the row can be placed in it.
bool GridModel::keptChoice(const QModelIndex& index) const {
    const CellRule& r = rule(index.column());
    return isNewRow(index.row()) && index.column() >= keyFields_ && !r.keptBecause.empty() &&
           r.kind != CellKind::Binary;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const CellInput input = parseCellInput(rule(index.column()), value.toString().toStdString());
    if (!input.ok) {
        reportError_(input.reason);
        return false;
    }
    if (isNewRow(index.row())) {
        if (pending_.empty()) pending_.assign(static_cast<size_t>(columnCount()), std::monostate{});
        pending_[static_cast<size_t>(index.column())] = input.value;
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    auto* current = row(index.row());
    if (!current) return false;
    if (std::string why = changeRefusal(*current, index.column(), input.value); !why.empty()) {
        reportError_(why);
        return false;
    }
    try {
        const auto col = static_cast<size_t>(index.column());
        const pdx::Value before = current->values.at(col);
        current->values[col] = source_->Update(current->rowid, index.column(), before, input.value);
        undo_.record({{{current->rowid, index.column(), before, current->values[col]}}, {}, {}});
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

std::vector<int> GridModel::keyColumns() const {
    std::vector<int> cols(static_cast<size_t>(keyFields_));
    for (int c = 0; c < keyFields_; ++c) cols[static_cast<size_t>(c)] = c;
    return cols;
}

// A field whose values must stay takes in a new row only a value its index holds already.
std::string GridModel::keptValueRefusal(int c) const {
    const pdx::Value& v = pending_.at(static_cast<size_t>(c));
    if (rule(c).keptBecause.empty() || source_->HoldsValues({c}, {v})) return {};
    const std::string value = pdx::isNull(v) ? std::string("a blank") : "\"" + textOf(c, v) + "\"";
    return "No row holds " + value + " in \"" + caption(c) + "\". " + kKeptChoice + rule(c).keptBecause;
}

// Why the new row may not become a record, or "" when it may.
std::string GridModel::newRowRefusal(int& faultColumn) const {
    faultColumn = 0;  // the key's first field, unless one field is at fault
    for (int c = 0; c < keyFields_; ++c)
        if (!rule(c).keptBecause.empty()) return "A row cannot be added to this table. " + rule(c).keptBecause;
    std::string key;
    for (int c = 0; c < keyFields_; ++c) {
        const pdx::Value& v = pending_.at(static_cast<size_t>(c));
        faultColumn = c;
        if (pdx::isNull(v))
            return "The new row needs a value in \"" + caption(c) + "\": it is part of the table's key.";
        key += (key.empty() ? "" : ", ") + textOf(c, v);
    }
    faultColumn = 0;
    std::vector<pdx::Value> values(pending_.begin(), pending_.begin() + keyFields_);
    if (keyFields_ > 0 && source_->HoldsValues(keyColumns(), values))
        return "Another row already has the key " + key + ": each row's key must be different.";
    for (int c = keyFields_; c < columnCount(); ++c) {
        faultColumn = c;
        if (pdx::isNull(pending_.at(static_cast<size_t>(c))) && rule(c).check.required) return requiredRefusal(c);
        if (std::string why = keptValueRefusal(c); !why.empty()) return why;
    }
    faultColumn = -1;
    return {};
}

std::string GridModel::requiredRefusal(int column) const {
    return "\"" + caption(column) + "\" needs a value: the table requires one in every row.";
}

// A blank field with a default takes it when its row becomes a record, as in the engine.
void GridModel::fillDefaults() {
    for (int c = 0; c < columnCount(); ++c) {
        pdx::Value& v = pending_[static_cast<size_t>(c)];
        const pdx::Value& given = rule(c).check.defaultValue;
        if (!pdx::isNull(v) || pdx::isNull(given)) continue;
        CellRule plain = rule(c);
        addFieldCheck(plain, {});
        if (const CellInput input = parseCellInput(plain, pdx::toText(given)); input.ok) v = input.value;
    }
}

std::string GridModel::editRefusal(const QModelIndex& index, const pdx::Value& value) const {
    if (isNewRow(index.row())) return {};
    const auto* current = row(index.row());
    return current ? changeRefusal(*current, index.column(), value) : std::string();
}

// A changed value is checked as a new row's is, at once: the table takes no blank or repeated key, and
// no blank where it requires a value.
std::string GridModel::changeRefusal(const db::GridSource::Row& current, int column, const pdx::Value& value) const {
    if (current.values.at(static_cast<size_t>(column)) == value) return {};
    if (column >= keyFields_)
        return pdx::isNull(value) && rule(column).check.required ? requiredRefusal(column) : std::string();
    if (pdx::isNull(value)) return "\"" + caption(column) + "\" needs a value: it is part of the table's key.";
    std::vector<pdx::Value> key(current.values.begin(), current.values.begin() + keyFields_);
    key[static_cast<size_t>(column)] = value;
    if (!source_->HoldsValues(keyColumns(), key)) return {};
    std::string text;
    for (int c = 0; c < keyFields_; ++c) text += (text.empty() ? "" : ", ") + textOf(c, key[static_cast<size_t>(c)]);
    return "Another row already has the key " + text + ": each row's key must be different.";
}

bool GridModel::commitNewRow(std::string& reason, int& faultColumn) {
    reason.clear();
    faultColumn = -1;
    if (pending_.empty()) return true;
    if (std::all_of(pending_.begin(), pending_.end(), [](const pdx::Value& v) { return pdx::isNull(v); })) {
        discardNewRow();  // typed and emptied again: no row
        return true;
    }
    std::int64_t rowid = 0;
    // Defaults and numbers go in only with the row: a refused row keeps just what was typed.
    const std::vector<pdx::Value> typed = pending_;
    try {
        fillDefaults();
        // An autoincrement field left empty is numbered as the table would number it.
        for (auto& [c, next] : autoIncrement_)
            if (pdx::isNull(pending_[static_cast<size_t>(c)]))
                pending_[static_cast<size_t>(c)] = std::max(next, source_->NextNumber(c));
        reason = newRowRefusal(faultColumn);
        if (!reason.empty()) {
            pending_ = typed;
            return false;
        }
        rowid = source_->Insert(pending_);
    } catch (const std::exception& e) {
        pending_ = typed;
        reason = e.what();
        faultColumn = -1;
        return false;
    }
    for (auto& [c, next] : autoIncrement_)
        if (const auto* n = std::get_if<std::int64_t>(&pending_[static_cast<size_t>(c)])) next = std::max(next, *n + 1);
    // The new row becomes the record at its place; a fresh new row follows it.
    const int r = rows_;
    beginInsertRows({}, r + 1, r + 1);
    ++rows_;
    pending_.clear();
    forgetRows();
    endInsertRows();
    emit dataChanged(index(r, 0), index(r, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, r, r + 1);
    undo_.record({{}, {rowid}, {}});
    return true;
}

void GridModel::discardNewRow() {
    if (pending_.empty()) return;
    pending_.clear();
    emit dataChanged(index(rows_, 0), index(rows_, columnCount() - 1));
}

void GridModel::forgetRows() {
    windows_.clear();
    recent_.clear();
}

void GridModel::reload() {
    beginResetModel();
    forgetRows();
    rows_ = static_cast<int>(std::min<std::int64_t>(source_->RowCount(), INT32_MAX - 1));
    endResetModel();
}

void GridModel::followAddedRows(bool complete) {
    const int now = static_cast<int>(std::min<std::int64_t>(source_->RowCount(), INT32_MAX - 1));
    if (complete)
        for (auto& [column, next] : autoIncrement_) next = std::max(next, source_->NextNumber(column));
    if (now <= rows_) return;
    forgetRows();  // the last window fetched may hold fewer rows than it now has
    beginInsertRows({}, rows_, now - 1);
    rows_ = now;
    endInsertRows();
}

void GridModel::deleteRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<std::int64_t> rowids;
    for (const int r : rows)
        if (const auto* found = row(r)) rowids.push_back(found->rowid);
    if (rowids.empty()) return;
    GridUndoStep step;
    try {
        step.deleted = source_->Delete(rowids);
    } catch (...) {
        reload();  // show what the table holds now
        throw;
    }
    undo_.record(std::move(step));
    reload();
}

void GridModel::sortBy(int column, bool descending) {
    source_->SetOrder(column, descending);
    reload();
}

void GridModel::undoStep(const GridUndoStep& step) {
    for (auto c = step.cells.rbegin(); c != step.cells.rend(); ++c)
        source_->Update(c->rowid, c->column, c->after, c->before);
    if (!step.added.empty()) source_->Delete(step.added);
    for (const auto& r : step.deleted) source_->Insert(r.values, r.rowid);
}

void GridModel::undo() {
    if (!undo_.canUndo()) return;
    const GridUndoStep step = undo_.pop();
    try {
        undoStep(step);
    } catch (...) {
        reload();
        throw;
    }
    if (step.added.empty() && step.deleted.empty()) {
        forgetRows();
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    } else {
        reload();
    }
}

bool GridModel::matches(const db::GridSource::Row& r, int column, const QString& text,
                        const std::string& asciiNeedle) const {
    const std::string shown = textOf(column, r.values.at(static_cast<size_t>(column)));
    if (!asciiNeedle.empty()) return holdsAscii(shown, asciiNeedle);
    return QString::fromStdString(shown).contains(text, Qt::CaseInsensitive);
}

QModelIndex GridModel::find(const QString& text, const QModelIndex& from, bool forward, bool& wrapped) const {
    wrapped = false;
    const std::int64_t cols = columnCount(), total = std::int64_t(rows_) * cols;
    if (text.isEmpty() || total == 0) return {};
    const std::int64_t start = from.isValid() && from.row() < rows_ ? from.row() * cols + from.column()
                               : forward                            ? -1
                                                                    : total;
    const std::string lower = text.toLower().toStdString();
    const std::string asciiNeedle = isAscii(lower) ? lower : std::string();
    constexpr std::int64_t kBatch = 4096;
    std::vector<db::GridSource::Row> batch;
    std::int64_t batchStart = 0;
    for (std::int64_t k = 1; k <= total; ++k) {
        std::int64_t cell = start + (forward ? k : -k);
        if (cell >= total || cell < 0) {
            wrapped = true;
            cell = (cell + total) % total;
        }
        const std::int64_t r = cell / cols;
        if (r < batchStart || r >= batchStart + static_cast<std::int64_t>(batch.size())) {
            batchStart = forward ? r : std::max<std::int64_t>(0, r - kBatch + 1);
            batch = source_->Fetch(batchStart, kBatch);
            if (r - batchStart >= static_cast<std::int64_t>(batch.size())) return {};
        }
        if (matches(batch[static_cast<size_t>(r - batchStart)], static_cast<int>(cell % cols), text, asciiNeedle))
            return index(static_cast<int>(r), static_cast<int>(cell % cols));
    }
    return {};
}

}  // namespace vts
