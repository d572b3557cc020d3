// Recognises the two connection strings and takes the folder or file path out of them.
#pragma once
#include <string>

namespace db {

struct ConnectionTarget {
    enum Kind { ParadoxFolder, WorkingDatabase };
    Kind kind = ParadoxFolder;
    std::string path;  // the Paradox folder, or the working database file
};

// Throws vts::Error for any other string, or a Paradox string whose two folder copies differ.
ConnectionTarget parseConnectionString(const std::string& text);

}  // namespace db
