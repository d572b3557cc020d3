#include "export/text_builders.h"

#include <algorithm>
#include <vector>

#include "export/text_fields.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

constexpr const char* kCrLf = "\r\n";

// After the first row, room for the rest at the same size: one allocation instead of a
// doubling cascade. The cap keeps a wild row count from asking for absurd memory up front.
void reserveForRows(std::string& text, size_t before, long n, long rowCount) {
    if (n != 0 || rowCount <= 1) return;
    constexpr double kCap = 1 << 30;
    const double want = static_cast<double>(text.size() - before) * 1.1 * static_cast<double>(rowCount);
    text.reserve(text.size() + static_cast<size_t>(std::min(want, kCap)));
}

}  // namespace

void AppendCsvHeader(std::string& text, DataGrid& grid) {
    const int count = grid.columnCount();
    for (int k = 0; k < count; ++k) {
        AppendCsvField(text, grid.columnCaption(k));
        text += ',';
    }
    if (count > 0) text.pop_back();  // the trailing comma
    text += kCrLf;
}

void AppendTxtHeader(std::string& text, DataGrid& grid) {
    const int count = grid.columnCount();
    for (int k = 0; k < count; ++k) {
        text += grid.columnCaption(k);
        text += '\t';
    }
    text += kCrLf;
}

void AppendCsvRows(std::string& text, DataGrid& grid, WalkPacer& pacer) {
    GridWalk(grid, pacer, [&](long n) {
        const size_t before = text.size();
        const int count = grid.columnCount();
        for (int k = 0; k < count; ++k) {
            AppendCsvField(text, grid.columnText(k));
            text += ',';
        }
        // Only the row's own trailing comma goes: a row without columns takes nothing away.
        if (count > 0) text.pop_back();
        text += kCrLf;
        reserveForRows(text, before, n, pacer.total());
    });
}

void AppendTxtRows(std::string& text, DataGrid& grid, WalkPacer& pacer) {
    GridWalk(grid, pacer, [&](long n) {
        const size_t before = text.size();
        const int count = grid.columnCount();
        for (int k = 0; k < count; ++k) {
            text += grid.columnText(k);
            text += '\t';
        }
        text += kCrLf;
        reserveForRows(text, before, n, pacer.total());
    });
}

void AppendXmlRows(std::string& text, DataGrid& grid, WalkPacer& pacer) {
    std::vector<std::string> captions;
    for (int k = 0; k < grid.columnCount(); ++k) captions.push_back(grid.columnCaption(k));
    const std::vector<std::string> names = XmlElementNames(captions);  // made once per export
    GridWalk(grid, pacer, [&](long n) {
        const size_t before = text.size();
        text += "<row>";
        text += kCrLf;
        for (size_t k = 0; k < names.size(); ++k) {
            const std::string& name = names[k];
            text += '<';
            text += name;
            text += '>';
            if (!AppendXmlText(text, grid.columnText(static_cast<int>(k))))
                throw Error("Row " + std::to_string(n + 1) + ", column \"" + captions[k] +
                            "\" holds a control character that an XML file cannot hold.");
            text += "</";
            text += name;
            text += '>';
            text += kCrLf;
        }
        text += "</row>";
        text += kCrLf;
        reserveForRows(text, before, n, pacer.total());
    });
}

}  // namespace vts
