// The probes of the data sources: a table in the working database, tables in the folder, fields
// whose values must stay.
#include "bridge/paradox.h"
#include "bridge/table_facts.h"
#include "fsutil/folder_scan.h"
#include "platform/db/connection.h"
#include "platform/pdx/io/family.h"
#include "platform/pdx/write/fixed_fields.h"
#include "platform/pdx/read/reader.h"
#include "platform/pdx/read/validity_checks.h"

namespace vts {

bool WorkingTableExists(AppContext& ctx, const std::string& name) {
    // 1. A connection without cursor location or mode.
    db::Connection connection;
    connection.Open(WorkingConnectionString(ctx.dataHome()));
    // 2. and 3. Only base tables count; views and the program's own tables never match.
    const bool found = connection.TableExists(name);
    // 4.
    connection.Close();
    return found;
}

bool WorkingTableHasUnsavedEdits(AppContext& ctx, const std::string& name) {
    if (!WorkingTableExists(ctx, name)) return false;
    db::Connection connection;
    connection.Open(WorkingConnectionString(ctx.dataHome()));
    return connection.HasUnsavedEdits(name);
}

bool WorkingTableCutShort(AppContext& ctx, const std::string& working) {
    if (!WorkingTableExists(ctx, working)) return false;
    db::Connection connection;
    connection.Open(WorkingConnectionString(ctx.dataHome()));
    return !connection.ImportComplete(working);
}

void DiscardWorkingTable(AppContext& ctx, const std::string& working) {
    db::Connection connection;
    connection.Open(WorkingConnectionString(ctx.dataHome()));
    if (connection.TableExists(working)) connection.DropTable(working);
}

std::vector<TableOfEdits> TablesWithUnsavedEdits(AppContext& ctx) {
    db::Connection connection;
    connection.Open(WorkingConnectionString(ctx.dataHome()));
    std::vector<TableOfEdits> out;
    for (const db::Origin& o : connection.Origins())
        if (connection.TableExists(o.table) && connection.HasUnsavedEdits(o.table)) out.push_back({o.folder, o.name});
    return out;
}

TableFacts ParadoxTableFacts(const std::string& folder, const std::string& name) {
    const auto table = pdx::findTable(folder, name);
    if (!table) return {};
    try {
        const pdx::TableInfo info = pdx::TableReader(*table, {"", true}).info();
        TableFacts facts{pdx::fieldsKeptInPlace(*table, info.schema), info.autoIncCounter};
        try {  // checks that cannot be read never cost the facts above
            auto checks = pdx::readValidityChecks(*table, info.schema, info.changeCount2);
            for (const auto& [position, check] : checks.fields)
                facts.checks[info.schema.fields.at(static_cast<size_t>(position)).name] = check;
            facts.checksNotEnforced = std::move(checks.notEnforced);
        } catch (const std::exception& e) {
            facts.checksNotEnforced = {std::string("the validity checks (") + e.what() + ")"};
        }
        return facts;
    } catch (const Error&) {
        return {};
    }
}

namespace {

std::filesystem::path paradoxTable(const std::string& folder, const std::string& name) {
    const auto table = pdx::findTable(folder, name);
    if (!table) throw Error("The table \"" + name + "\" does not exist in the folder \"" + folder + "\".");
    return *table;
}

}  // namespace

bool TableIsPasswordProtected(const std::string& folder, const std::string& name) {
    return pdx::isPasswordProtected(paradoxTable(folder, name));
}

bool IsTablePassword(const std::string& folder, const std::string& name, const std::string& password) {
    try {
        pdx::TableReader(paradoxTable(folder, name), {password, false});
        return true;
    } catch (const Error& e) {
        if (std::string(e.what()).find(pdx::kWrongPasswordMessage) != std::string::npos) return false;
        throw;
    }
}

bool FolderHasParadoxTables(AppContext& ctx) {
    // 1.
    const std::string folder = ctx.folderText();
    if (folder.empty()) return false;
    // 2. and 3.: the folder alone, names beginning with '~' included.
    return ListFiles(folder, "*.db").ubound() >= 1;
}

}  // namespace vts
