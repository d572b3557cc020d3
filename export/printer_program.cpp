#include "export/printer_program.h"

#include "platform/print/program_path.h"

namespace vts {

std::string GetWordpadPath() { return FindProgramOnPath(kPrintProgram); }

std::vector<std::string> PrintArguments(const std::string& title, const TextPageSettings& page,
                                        const std::string& file) {
    std::vector<std::string> args{"-t", title, "-o", "TitlePref=1"};
    for (auto& option : TextPrintOptions(page)) args.push_back(std::move(option));
    args.push_back(file);
    return args;
}

}  // namespace vts
