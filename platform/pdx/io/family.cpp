// Case-insensitive lookup of a table's files.
#include "platform/pdx/io/family.h"

#include <algorithm>
#include <fstream>
#include <cctype>
#include <string_view>
#include <system_error>

#include "platform/pdx/format/types.h"

namespace fs = std::filesystem;

namespace pdx {

namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Extensions (without the dot) that belong to a table's family.
bool isFamilyExtension(std::string_view ext) {
    for (std::string_view fixed : {"DB", "PX", "MB", "VAL", "TV", "TVF", "FAM"})
        if (equalsNoCase(ext, fixed)) return true;
    if (ext.size() < 3 || ext.size() > 4) return false;
    const char lead = static_cast<char>(std::toupper(static_cast<unsigned char>(ext[0])));
    if (lead != 'X' && lead != 'Y') return false;
    std::string_view rest = ext.substr(1);
    if (std::toupper(static_cast<unsigned char>(rest[0])) == 'G') {
        rest.remove_prefix(1);  // .XGn / .YGn
        return !rest.empty() && rest.size() <= 2 && std::all_of(rest.begin(), rest.end(), isHex);
    }
    return rest.size() == 2 && std::all_of(rest.begin(), rest.end(), isHex);  // .Xnn / .Ynn
}

// Splits "NAME.EXT" at the last dot.
bool splitName(const std::string& file, std::string_view& stem, std::string_view& ext) {
    const auto dot = file.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    stem = std::string_view(file).substr(0, dot);
    ext = std::string_view(file).substr(dot + 1);
    return true;
}

// Regular files directly in dir, by file name.
std::vector<std::string> listFiles(const fs::path& dir) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) throw Error(dir.string() + ": cannot list the folder: " + ec.message());
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw Error(dir.string() + ": cannot list the folder: " + ec.message());
        std::error_code typeEc;
        if (it->is_regular_file(typeEc)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isFamilyMember(const std::string& file, const std::string& name) {
    std::string_view stem, ext;
    return splitName(file, stem, ext) && equalsNoCase(stem, name) && isFamilyExtension(ext);
}

std::optional<std::string> uniqueMatch(const std::vector<std::string>& files, const std::string& wanted,
                                       const fs::path& dir) {
    std::vector<std::string> hits;
    for (const auto& f : files)
        if (equalsNoCase(f, wanted)) hits.push_back(f);
    if (hits.empty()) return std::nullopt;
    if (hits.size() > 1) {
        std::string list;
        for (const auto& h : hits) list += (list.empty() ? "" : ", ") + h;
        throw Error(dir.string() + ": several files differ only in letter case (" + list + "); rename all but one");
    }
    return hits.front();
}

}  // namespace

std::optional<fs::path> findTable(const fs::path& dir, const std::string& name) {
    if (name.empty()) return std::nullopt;
    const auto hit = uniqueMatch(listFiles(dir), name + ".db", dir);
    if (!hit) return std::nullopt;
    return dir / *hit;
}

std::optional<fs::path> findCompanion(const fs::path& dbFile, const std::string& extension) {
    const fs::path dir = dbFile.parent_path().empty() ? fs::path(".") : dbFile.parent_path();
    const auto hit = uniqueMatch(listFiles(dir), dbFile.stem().string() + "." + extension, dir);
    if (!hit) return std::nullopt;
    return dbFile.parent_path() / *hit;
}

std::vector<fs::path> findFamily(const fs::path& dir, const std::string& name) {
    if (name.empty()) return {};
    const auto files = listFiles(dir);
    uniqueMatch(files, name + ".db", dir);  // refuses two tables whose names differ only in case
    std::vector<fs::path> family;
    for (const auto& f : files) {
        if (!isFamilyMember(f, name)) continue;
        std::string_view stem, ext;
        splitName(f, stem, ext);
        // The table itself first, companions after it in name order.
        if (equalsNoCase(ext, "DB")) family.insert(family.begin(), dir / f);
        else family.push_back(dir / f);
    }
    return family;
}

bool isFamilyFile(const std::string& file, const std::string& name) { return isFamilyMember(file, name); }

std::vector<std::string> listFolder(const fs::path& dir) { return listFiles(dir); }

bool isForeignFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char start[16] = {};
    in.read(start, sizeof start);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (!in && !in.eof()) return false;  // unreadable: opening it says why
    const std::string_view head(start, got);
    return got == 0 || head == std::string_view("SQLite format 3\0", 16) ||
           head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

}  // namespace pdx
