// Operations a provider does not offer fail with a clear error.
#include "platform/db/provider.h"

#include "platform/shell/errors.h"

namespace db {

namespace {
[[noreturn]] void unsupported(const char* what) {
    throw vts::Error(std::string(what) + " is available on the working database connection only.");
}
}  // namespace

void Provider::beginTrans() { unsupported("BeginTrans"); }
void Provider::commitTrans() { unsupported("CommitTrans"); }
void Provider::rollbackTrans() { unsupported("RollbackTrans"); }
void Provider::recordSourceStructure(const std::string&, const pdx::Schema&) { unsupported("RecordSourceStructure"); }
std::optional<pdx::Schema> Provider::sourceStructure(const std::string&) { unsupported("SourceStructure"); }
void Provider::setImportComplete(const std::string&, bool) { unsupported("SetImportComplete"); }
bool Provider::importComplete(const std::string&) { unsupported("ImportComplete"); }
bool Provider::hasUnsavedEdits(const std::string&) { unsupported("HasUnsavedEdits"); }
void Provider::insertRow(const std::string&, const std::vector<Variant>&) { unsupported("InsertRow"); }
std::int64_t Provider::rowCount(const std::string&) { unsupported("RowCount"); }
bool Provider::tableExists(const std::string&) { unsupported("TableExists"); }
std::shared_ptr<GridSource> Provider::openGridSource(const std::string&) { unsupported("OpenGridSource"); }
void Provider::dropTable(const std::string&) { unsupported("DropTable"); }
void Provider::createTable(const std::string&, const std::vector<std::pair<std::string, std::string>>&) {
    unsupported("CreateTable");
}
void Provider::writeParadoxTable(const SelectInto&) { unsupported("WriteParadoxTable"); }
void Provider::setWriteHooks(const WriteHooks&) {}

}  // namespace db
