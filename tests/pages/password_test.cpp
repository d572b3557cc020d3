// Password-protected tables through the pages: the chooser asks for the password (once per
// opening, never kept), a wrong one changes nothing, and the edited table goes back protected
// with the same password.
#include "platform/pdx/protect/password_key.h"
#include "platform/pdx/write/writer.h"
#include "tests/pages/page_rig.h"

namespace vts::test {
namespace {

// ORDERS written protected as SECRET in the rig's Paradox folder.
void protectedOrders(const fs::path& folder, const std::string& password) {
    pdx::TableReader orders(fixtures() / "db/ORDERS.DB");
    pdx::WriterOptions opt;
    opt.key = pdx::keyFromPassword(password);
    pdx::TableWriter w(folder, "SECRET", orders.info().schema, opt);
    pdx::Record r;
    while (orders.next(r)) w.append(r);
    w.finish();
    w.install();
}

TEST(ProtectedTablePages, AWrongOrNoPasswordOpensNothing) {
    PageRig rig(false);
    protectedOrders(rig.data, "pw");
    const std::string before = readFile(rig.data / "SECRET.db");
    rig.chooseFolder(rig.data);

    rig.dialogs.passwords.push_back(std::nullopt);  // Cancel
    rig.openTable("SECRET");
    EXPECT_TRUE(rig.dialogs.messages.empty());
    rig.dialogs.passwords.push_back(std::string("PW"));
    rig.openTable("SECRET");
    ASSERT_EQ(rig.dialogs.passwordPrompts.size(), 2u);
    EXPECT_EQ(rig.dialogs.passwordPrompts[0], "The table SECRET is password-protected. Enter its password:");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "That is not the password of the table SECRET. The table was not opened.");
    EXPECT_FALSE(rig.program->pages().form3() && rig.form3().isVisible());
    EXPECT_EQ(readFile(rig.data / "SECRET.db"), before);
}

TEST(ProtectedTablePages, EditedAndWrittenBackProtectedWithTheSamePassword) {
    PageRig rig(false);
    protectedOrders(rig.data, "pw");
    rig.chooseFolder(rig.data);
    rig.dialogs.passwords.push_back(std::string("pw"));
    rig.openTable("SECRET");
    ASSERT_TRUE(rig.form3().isVisible());
    rig.editCell(0, "Terms", "Cash");
    rig.form3().close();
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0].text;

    const fs::path table = rig.data / "SECRET.db";
    EXPECT_TRUE(pdx::isPasswordProtected(table));
    EXPECT_THROW(pdx::TableReader{table}, pdx::Error);
    pdx::TableReader back(table, {"pw", false});
    pdx::Record r;
    ASSERT_TRUE(back.next(r));
    EXPECT_EQ(r.at(8), pdx::Value(std::string("Cash")));
    EXPECT_EQ(back.info().recordCount, 224u);
}

}  // namespace
}  // namespace vts::test
