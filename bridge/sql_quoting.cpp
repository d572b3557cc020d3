#include "bridge/sql_quoting.h"

namespace vts {

namespace {

std::string doubled(const std::string& text, char quote) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == quote) out += c;
    }
    return out;
}

}  // namespace

std::string backquoteEscaped(const std::string& name) { return doubled(name, '`'); }

}  // namespace vts
