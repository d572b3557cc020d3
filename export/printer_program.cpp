#include "export/printer_program.h"

#include "platform/print/program_path.h"

namespace vts {

std::string GetWordpadPath() { return FindProgramOnPath(kPrintProgram); }

}  // namespace vts
