// pdxtool command line: info, dump, check and copy of Paradox tables, and recovery by hand.
#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/pdxtool/commands.h"

namespace {

int usage() {
    std::cerr << "usage: pdxtool info TABLE.db [--password PW|-]\n"
                 "       pdxtool dump TABLE.db [--format csv|json] [--password PW|-]\n"
                 "       pdxtool check TABLE.db [--password PW|-]\n"
                 "       pdxtool copy SRC.db DST.db [--password PW|-]\n"
                 "       pdxtool recover FOLDER [--dry-run] [--undo]\n"
                 "--password opens a password-protected table; \"-\" reads the password from the first\n"
                 "line of standard input (so it stays out of the process list); a copy keeps it.\n"
                 "check lists every fault of the table and its companion files (.MB, .PX, .Xnn/.Ynn)\n"
                 "with its place, then a summary; exit status 0 when clean, 1 on any fault.\n"
                 "recover settles the saves a crash cut short in FOLDER, as opening the table would;\n"
                 "--undo puts back each table as it was before that save, from the set-aside files,\n"
                 "where the save's journal cannot be used (nothing is deleted: files in the way are\n"
                 "kept as *.vts-kept-*); --dry-run only says what would be done.\n";
    return 2;
}

// One line per message, whatever the error text holds.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

// Takes "--password PW" (or "--password -": one line of standard input) out of args.
bool takePassword(std::vector<std::string>& args, pdx::Unlock& unlock) {
    const auto it = std::find(args.begin(), args.end(), "--password");
    if (it == args.end()) return true;
    if (it + 1 == args.end()) return false;
    unlock.password = *(it + 1);
    if (unlock.password == "-" && !std::getline(std::cin, unlock.password)) return false;
    if (!unlock.password.empty() && unlock.password.back() == '\r') unlock.password.pop_back();
    args.erase(it, it + 2);
    return true;
}

int run(std::vector<std::string> args) {
    pdx::Unlock unlock;
    if (!takePassword(args, unlock)) return usage();
    if (args.size() == 2 && args[0] == "info") {
        pdxtool::runInfo(args[1], unlock, std::cout);
        return 0;
    }
    if (args.size() >= 2 && args[0] == "dump") {
        std::string format = "csv";
        if (args.size() == 4 && args[2] == "--format") format = args[3];
        else if (args.size() != 2) return usage();
        std::ios::sync_with_stdio(false);
        pdxtool::runDump(args[1], unlock, format, std::cout);
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == "check") {
        const bool clean = pdxtool::runCheck(args[1], unlock, std::cout);
        std::cout.flush();
        return clean && std::cout ? 0 : 1;
    }
    if (args.size() >= 2 && args[0] == "recover") {
        const auto has = [&](const char* flag) { return std::find(args.begin() + 2, args.end(), flag) != args.end(); };
        if (args.size() - 2 != std::size_t(has("--dry-run")) + std::size_t(has("--undo"))) return usage();
        return pdxtool::runRecover(args[1], has("--undo"), has("--dry-run"), std::cout) ? 0 : 1;
    }
    if (args.size() == 3 && args[0] == "copy") {
        pdxtool::runCopy(args[1], unlock, args[2]);
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
