// GetWordpadPath (module Wordpad1): the program that prints a text file to the default
// printer. On this platform that is CUPS's "lp", which without -d prints to the default.
#pragma once
#include <string>

namespace vts {

inline constexpr const char* kPrintProgram = "lp";

// The path of "lp" found on PATH, or "" when there is none.
std::string GetWordpadPath();

}  // namespace vts
