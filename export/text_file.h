// SaveTextToFile: writes an export's text and one CR LF to a file that appears whole or not at
// all.
#pragma once
#include <string>

namespace vts {

// Writes text and CR LF to a fresh temporary file beside fileName and renames it over
// fileName, so that a reader never sees half a file and a failure leaves any earlier file of
// that name as it was. The file keeps the permission bits of the file it replaces. Throws
// vts::Error with the reason when the file cannot be written; no temporary file is left then.
void SaveTextToFile(const std::string& text, const std::string& fileName);

}  // namespace vts
