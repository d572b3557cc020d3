// Build-time tool: writes the sample Paradox tables from the text sources in samples/tables
// with our own writer. A source is a "#key=", "#codepage=" header, a line of fields
// (Name:TypeSize, tab-separated) and one tab-separated line per record; an empty value is
// blank, "\n" is a line break and 0x.. gives bytes.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/pdx/format/codec.h"
#include "platform/pdx/write/writer.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream s(line);
    std::string part;
    while (std::getline(s, part, '\t')) out.push_back(part);
    if (!line.empty() && line.back() == '\t') out.emplace_back();
    return out;
}

pdx::Field parseField(const std::string& text) {
    static const std::string codes = "ADSI$NLMBFOGT@+#Y";
    static const pdx::FieldType types[] = {pdx::FieldType::Alpha,   pdx::FieldType::Date,      pdx::FieldType::Short,
                                           pdx::FieldType::Long,    pdx::FieldType::Currency,  pdx::FieldType::Number,
                                           pdx::FieldType::Logical, pdx::FieldType::Memo,      pdx::FieldType::Binary,
                                           pdx::FieldType::FmtMemo, pdx::FieldType::Ole,       pdx::FieldType::Graphic,
                                           pdx::FieldType::Time,    pdx::FieldType::Timestamp, pdx::FieldType::AutoInc,
                                           pdx::FieldType::Bcd,     pdx::FieldType::Bytes};
    const auto colon = text.find(':');
    const auto code = codes.find(text.at(colon + 1));
    if (colon == std::string::npos || code == std::string::npos) throw pdx::Error("bad field " + text);
    const std::string size = text.substr(colon + 2);
    return {text.substr(0, colon), types[code], size.empty() ? 0 : std::stoi(size)};
}

pdx::Bytes hexBytes(const std::string& text) {
    pdx::Bytes out;
    for (size_t i = 2; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::int32_t msOfDay(const std::string& t) {
    const double seconds = std::stod(t.substr(6));
    return std::stoi(t.substr(0, 2)) * 3600000 + std::stoi(t.substr(3, 2)) * 60000 +
           static_cast<std::int32_t>(seconds * 1000 + 0.5);
}

std::int32_t day(const std::string& d) {
    return pdx::dayNumberFromYmd(std::stoi(d.substr(0, 4)), std::stoi(d.substr(5, 2)), std::stoi(d.substr(8, 2)));
}

pdx::Value parseValue(const pdx::Field& f, const std::string& text) {
    using T = pdx::FieldType;
    if (text.empty()) return std::monostate{};
    switch (f.type) {
        case T::Alpha:
        case T::Memo: return unescape(text);
        case T::Date: return pdx::Date{day(text)};
        case T::Short:
        case T::Long:
        case T::AutoInc: return static_cast<std::int64_t>(std::stoll(text));
        case T::Currency:
        case T::Number: return std::stod(text);
        case T::Logical: return text == "True";
        case T::Time: return pdx::Time{msOfDay(text)};
        case T::Timestamp: return pdx::Timestamp{day(text.substr(0, 10)) * 86400000.0 + msOfDay(text.substr(11))};
        case T::Bcd: return pdx::Decimal{text};
        default: {
            pdx::Bytes b = hexBytes(text);
            if (b.empty()) return std::monostate{};
            return b;
        }
    }
}

void writeTable(const fs::path& source, const fs::path& outDir) {
    std::ifstream in(source);
    pdx::Schema schema;
    std::string line;
    while (std::getline(in, line) && line.rfind('#', 0) == 0) {
        if (line.rfind("#key=", 0) == 0) schema.keyFields = std::stoi(line.substr(5));
        if (line.rfind("#codepage=", 0) == 0) schema.codePage = std::stoi(line.substr(10));
    }
    for (const auto& field : split(line)) schema.fields.push_back(parseField(field));
    const std::string name = source.stem().string();
    fs::remove(outDir / (name + ".db"));
    for (const char* ext : {".MB", ".PX"}) fs::remove(outDir / (name + ext));
    pdx::TableWriter writer(outDir, name, schema);
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        auto values = split(line);
        values.resize(schema.fields.size());
        pdx::Record record;
        for (size_t i = 0; i < schema.fields.size(); ++i) record.push_back(parseValue(schema.fields[i], values[i]));
        writer.append(record);
    }
    writer.finish();
    writer.install();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_samples OUT_DIR SOURCE.txt...\n";
        return 2;
    }
    try {
        fs::create_directories(argv[1]);
        for (int i = 2; i < argc; ++i) writeTable(argv[i], argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "make_samples: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
