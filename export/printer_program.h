// GetWordpadPath (module Wordpad1): the program that prints a text file to the default
// printer. On this platform that is CUPS's "lp", which without -d prints to the default.
#pragma once
#include <string>
#include <vector>

#include "platform/print/text_layout.h"

namespace vts {

inline constexpr const char* kPrintProgram = "lp";

// The path of "lp" found on PATH, or "" when there is none.
std::string GetWordpadPath();

// The arguments for lp: the job title, the text filter's page settings, then the file (an
// absolute path, so never read as an option). cups-pdf names the PDF after the title it finds
// first; "TitlePref=1" makes that the job title rather than the one the filters write into the
// PostScript, which this machine's filters garble. Other printers ignore the option.
std::vector<std::string> PrintArguments(const std::string& title, const TextPageSettings& page,
                                        const std::string& file);

}  // namespace vts
