// pdxtool copy: reads a table and writes it anew as a level-5 table through the writer.
#include "platform/pdx/family.h"
#include "platform/pdx/reader.h"
#include "platform/pdx/writer.h"
#include "tools/pdxtool/commands.h"

namespace pdxtool {

void runCopy(const std::filesystem::path& source, const pdx::Unlock& unlock, const std::filesystem::path& destination) {
    pdx::TableReader reader(source, unlock);
    const auto dir = destination.parent_path().empty() ? std::filesystem::path(".") : destination.parent_path();
    const std::string name = destination.stem().string();
    // Never replace an existing table: the copy goes only where nothing of that name lives.
    if (!pdx::findFamily(dir, name).empty())
        throw pdx::Error(destination.string() + ": a table of that name already exists");
    pdx::WriterOptions options;
    options.keyOrderFrom = source;  // the copy's keys keep the source's order
    options.key = reader.info().key;
    pdx::TableWriter writer(dir, name, reader.info().schema, options);
    pdx::Record r;
    while (reader.next(r)) writer.append(r);
    writer.finish();
    writer.install();
}

}  // namespace pdxtool
