// The export texts themselves, built in memory from the grid: one string per export.
#pragma once
#include <string>

#include "export/data_grid.h"
#include "export/grid_walk.h"

namespace vts {

// The header line of captions for CSV and TXT.
void AppendCsvHeader(std::string& text, DataGrid& grid);
void AppendTxtHeader(std::string& text, DataGrid& grid);

// The data lines, one per row visited by the grid walk; for XML, one "<row>" element per row.
void AppendCsvRows(std::string& text, DataGrid& grid, WalkPacer& pacer);
void AppendTxtRows(std::string& text, DataGrid& grid, WalkPacer& pacer);
void AppendXmlRows(std::string& text, DataGrid& grid, WalkPacer& pacer);

}  // namespace vts
