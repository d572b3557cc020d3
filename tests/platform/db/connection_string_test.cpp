// The working connection string: the file it carries, refusals, and what opening it does.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/shell/errors.h"

using namespace dbtest;

TEST(ConnectionString, WorkingDatabasePathIsTakenAsIs) {
    const std::string s = "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/app;x/dbTemp.mdb;JET OLEDB:Database Password=";
    EXPECT_EQ(db::workingConnectionString("/app;x/dbTemp.mdb"), s);
    EXPECT_EQ(db::workingDatabasePath(s), "/app;x/dbTemp.mdb");
}

TEST(ConnectionString, OtherStringsAreRefused) {
    for (const std::string& bad : std::vector<std::string>{
             "", "DSN=paradox",
             "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=/a;Dbq=/a;"
             "CollatingSequence=ASCII;",
             "provider=microsoft.jet.oledb.4.0;Data Source=/x;JET OLEDB:Database Password=",
             "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/x;JET OLEDB:Database Password=secret"}) {
        EXPECT_THROW(db::workingDatabasePath(bad), vts::Error) << bad;
    }
}

TEST(ConnectionOpen, AParadoxFolderIsNoConnection) {
    TempDir dir;
    db::Connection c;
    EXPECT_THROW(c.Open("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=" +
                        dir.str() + ";Dbq=" + dir.str() + ";CollatingSequence=ASCII;"),
                 vts::Error);
    EXPECT_EQ(c.State(), 0);
    EXPECT_THROW(c.RowCount("X"), vts::Error);
}

TEST(ConnectionOpen, WorkingDatabaseIsCreatedWhenMissingButForeignFilesAreRefused) {
    TempDir dir;
    {
        db::Connection c;
        c.Open(workingString(dir));
        EXPECT_TRUE(fs::exists(dir.path() / "dbTemp.mdb"));
    }
    {
        std::ofstream(dir.path() / "foreign.mdb")
            << "Standard Jet DB, not SQLite at all, padded........................";
        db::Connection c;
        EXPECT_THROW(c.Open(db::workingConnectionString((dir.path() / "foreign.mdb").string())), vts::Error);
    }
    db::Connection c;
    EXPECT_THROW(c.Open(db::workingConnectionString((dir.path() / "no/such/folder/dbTemp.mdb").string())), vts::Error);
}
