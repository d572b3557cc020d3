// Every statement text each database connection carried out, for tests to read.
#pragma once
#include <string>
#include <vector>

namespace vts {

struct StatementLog {
    struct Entry {
        std::string connectionString;
        std::string statement;
    };
    std::vector<Entry> entries;
    void add(const std::string& connection, const std::string& statement) {
        entries.push_back({connection, statement});
    }
};

}  // namespace vts
