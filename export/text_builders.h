// The export texts themselves, built from the grid on their way to the file.
#pragma once
#include <string>

#include "export/data_grid.h"
#include "export/grid_walk.h"
#include "export/text_file.h"

namespace vts {

// The header line of captions for CSV and TXT.
void AppendCsvHeader(std::string& text, DataGrid& grid);
void AppendTxtHeader(std::string& text, DataGrid& grid);

// The data lines, one per row visited by the grid walk; for XML, one "<row>" element per row.
void AppendCsvRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer);
void AppendTxtRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer);
void AppendXmlRows(TextFileWriter& out, DataGrid& grid, WalkPacer& pacer);

}  // namespace vts
