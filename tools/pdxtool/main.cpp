// pdxtool command line: info, dump, check and copy of Paradox tables.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/pdxtool/commands.h"

namespace {

int usage() {
    std::cerr << "usage: pdxtool info TABLE.db\n"
                 "       pdxtool dump TABLE.db [--format csv|json]\n"
                 "       pdxtool check TABLE.db\n"
                 "       pdxtool copy SRC.db DST.db\n"
                 "check lists every fault of the table and its companion files (.MB, .PX, .Xnn/.Ynn)\n"
                 "with its place, then a summary; exit status 0 when clean, 1 on any fault.\n";
    return 2;
}

// One line per message, whatever the error text holds.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

int run(const std::vector<std::string>& args) {
    if (args.size() == 2 && args[0] == "info") {
        pdxtool::runInfo(args[1], std::cout);
        return 0;
    }
    if (args.size() >= 2 && args[0] == "dump") {
        std::string format = "csv";
        if (args.size() == 4 && args[2] == "--format") format = args[3];
        else if (args.size() != 2) return usage();
        std::ios::sync_with_stdio(false);
        pdxtool::runDump(args[1], format, std::cout);
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == "check") {
        const bool clean = pdxtool::runCheck(args[1], std::cout);
        std::cout.flush();
        return clean && std::cout ? 0 : 1;
    }
    if (args.size() == 3 && args[0] == "copy") {
        pdxtool::runCopy(args[1], args[2]);
        return 0;
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "pdxtool: " << oneLine(e.what()) << "\n";
        return 1;
    }
}
