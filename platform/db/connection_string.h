// The working database's connection string: built from the database file, and read back.
#pragma once
#include <string>

namespace db {

// "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + dbPath + ";JET OLEDB:Database Password=".
std::string workingConnectionString(const std::string& dbPath);

// The database file a working connection string names. Throws vts::Error for any other string
// (a password, another provider, a Paradox folder's string).
std::string workingDatabasePath(const std::string& text);

}  // namespace db
