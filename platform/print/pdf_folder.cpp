#include "platform/print/pdf_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vts {

namespace {

std::string home() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    const passwd* pw = ::getpwuid(::geteuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

std::string user() {
    const passwd* pw = ::getpwuid(::geteuid());
    return pw && pw->pw_name ? pw->pw_name : "";
}

void replaceAll(std::string& s, const std::string& what, const std::string& with) {
    for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
}

}  // namespace

std::string CupsPdfOutFolder(const std::string& configuration) {
    std::string folder = "${HOME}/PDF";
    std::ifstream in(configuration);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key, value;
        if (words >> key >> value && key == "Out") folder = value;  // the last one counts
    }
    replaceAll(folder, "${HOME}", home());
    replaceAll(folder, "${USER}", user());
    return folder;
}

}  // namespace vts
