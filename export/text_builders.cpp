#include "export/text_builders.h"

#include <vector>

#include "export/text_fields.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

constexpr const char* kCrLf = "\r\n";

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

void AppendCsvRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer) {
    std::string& text = out.text();
    GridWalk(grid, pacer, [&](long) {
        const int count = grid.columnCount();
        for (int k = 0; k < count; ++k) {
            AppendCsvField(text, grid.columnText(k));
            text += ',';
        }
        // Only the row's own trailing comma goes: a row without columns takes nothing away.
        if (count > 0) text.pop_back();
        text += kCrLf;
        out.rowDone();
    });
}

void AppendTxtRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer) {
    std::string& text = out.text();
    GridWalk(grid, pacer, [&](long) {
        const int count = grid.columnCount();
        for (int k = 0; k < count; ++k) {
            text += grid.columnText(k);
            text += '\t';
        }
        text += kCrLf;
        out.rowDone();
    });
}

void AppendXmlRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer) {
    std::string& text = out.text();
    std::vector<std::string> captions;
    for (int k = 0; k < grid.columnCount(); ++k) captions.push_back(grid.columnCaption(k));
    const std::vector<std::string> names = XmlElementNames(captions);  // made once per export
    GridWalk(grid, pacer, [&](long n) {
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
        out.rowDone();
    });
}

}  // namespace vts
