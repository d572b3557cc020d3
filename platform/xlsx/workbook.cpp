#include "platform/xlsx/workbook.h"

#include <algorithm>

#include "platform/xlsx/cell_text.h"

namespace vts::xlsx {

void Cell::Value(const std::string& text) {
    sheet_.file_.writeText(row_ - 1, col_ - 1, ProtectEscapes(text));
    auto& widths = sheet_.widths_;
    const auto index = static_cast<size_t>(col_ - 1);
    if (widths.size() <= index) widths.resize(index + 1, 0);
    widths[index] = std::max(widths[index], DisplayWidth(text));
}

void Columns::Autofit() {
    const auto& widths = sheet_.widths_;
    for (size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] == 0) continue;
        const double width = std::min(kMaxAutofitWidth, static_cast<double>(widths[c]) + 2);
        sheet_.file_.setColumnWidth(static_cast<long>(c), width);
    }
}

Workbook::Workbook() : file_(folder_.path() + "/Book1.xlsx", folder_.path()), sheet_(file_) {}

const std::string& Workbook::save() {
    if (!saved_) {
        file_.close();
        saved_ = true;
    }
    return file_.path();
}

}  // namespace vts::xlsx
