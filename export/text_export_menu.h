// The grid editor's menu items "CSV", "TXT" and "XML": ask for a file name, then write it.
#pragma once
#include "export/export_context.h"

namespace vts {

void mnuCSV_Click(ExportContext& ctx);
void mnuTXT_Click(ExportContext& ctx);
void mnuXML_Click(ExportContext& ctx);

}  // namespace vts
