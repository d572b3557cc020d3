// The writers of module Datagrid1: the grid's rows as a CSV, tab-separated TXT or XML file.
#pragma once
#include <string>

#include "export/data_grid.h"
#include "export/export_context.h"
#include "platform/shell/app_context.h"

namespace vts {

// Each writer builds the text from the grid on its way to a TextFileWriter, then saves it. It runs
// under its own error report: the first failing step (a grid read, the file) shows one report
// and ends the writer without touching the file. Returns true when the file was written.
bool SaveDataGridToCSVFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress = {});
bool SaveDataGridToFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress = {});
bool SaveDataGridToXMLFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress = {});

}  // namespace vts
