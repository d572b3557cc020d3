// Connection strings: the provider they choose, the folder or file they carry, and refusals.
#include <gtest/gtest.h>

#include "db_test_support.h"
#include "platform/db/connection_string.h"
#include "platform/shell/errors.h"

using namespace dbtest;

TEST(ConnectionString, ParadoxFolderWithOddCharactersComesBackWhole) {
    for (const std::string folder : {"/data/tables", "/a;b/c;Dbq=/x", "/with [brackets]]/and blanks ", "C:\\data\\", ""}) {
        const auto t = db::parseConnectionString(db::paradoxConnectionString(folder));
        EXPECT_EQ(t.kind, db::ConnectionTarget::ParadoxFolder);
        EXPECT_EQ(t.path, folder);
    }
}

TEST(ConnectionString, ExactParadoxTextIsRecognised) {
    const std::string s =
        "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=/p;q;Dbq=/p;q;"
        "CollatingSequence=ASCII;";
    EXPECT_EQ(db::paradoxConnectionString("/p;q"), s);
    EXPECT_EQ(db::parseConnectionString(s).path, "/p;q");
}

TEST(ConnectionString, WorkingDatabasePathIsTakenAsIs) {
    const std::string s = "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/app;x/dbTemp.mdb;JET OLEDB:Database Password=";
    EXPECT_EQ(db::workingConnectionString("/app;x/dbTemp.mdb"), s);
    const auto t = db::parseConnectionString(s);
    EXPECT_EQ(t.kind, db::ConnectionTarget::WorkingDatabase);
    EXPECT_EQ(t.path, "/app;x/dbTemp.mdb");
}

TEST(ConnectionString, OtherStringsAreRefused) {
    const std::string paradox = db::paradoxConnectionString("/a");
    for (const std::string& bad : std::vector<std::string>{
             "", "DSN=paradox",
          std::string("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=/a;Dbq=/b;"
                      "CollatingSequence=ASCII;"),
          paradox.substr(0, paradox.size() - 1), "provider=microsoft.jet.oledb.4.0;Data Source=/x;JET OLEDB:Database Password=",
          "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/x;JET OLEDB:Database Password=secret"}) {
        EXPECT_THROW(db::parseConnectionString(bad), vts::Error) << bad;
    }
}

TEST(ConnectionOpen, AParadoxFolderIsNoConnection) {
    TempDir dir;
    db::Connection c;
    EXPECT_THROW(c.Open(db::paradoxConnectionString(dir.str())), vts::Error);
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
        std::ofstream(dir.path() / "foreign.mdb") << "Standard Jet DB, not SQLite at all, padded........................";
        db::Connection c;
        EXPECT_THROW(c.Open(db::workingConnectionString((dir.path() / "foreign.mdb").string())), vts::Error);
    }
    db::Connection c;
    EXPECT_THROW(c.Open(db::workingConnectionString((dir.path() / "no/such/folder/dbTemp.mdb").string())), vts::Error);
}
