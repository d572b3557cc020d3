// The menu items' dialog steps: title, filter, cancel, the remembered name, the pointer.
#include <gtest/gtest.h>

#include "export/text_export_menu.h"
#include "platform/shell/errors.h"
#include "tests/export/export_test_support.h"

namespace vts::test {
namespace {

using Handler = void (*)(ExportContext&);

struct MenuCase {
    Handler handler;
    const char* name;
    const char* filter;
    const char* firstLine;
};

class TextMenu : public ::testing::TestWithParam<MenuCase> {};

TEST_P(TextMenu, AsksThenWritesUnderTheHourglass) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id", "Name"}, {{"1", "Ann"}});
    form.dialogs.saveNames.push_back(dir.file("export"));
    auto ctx = form.context(grid);
    std::vector<int> pointerDuringWrite;
    ctx.progress = [&](long, long) { pointerDuringWrite.push_back(form.pointer.mousePointer()); };
    GetParam().handler(ctx);

    ASSERT_EQ(form.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(form.dialogs.saveRequests[0].title, "Save");
    EXPECT_EQ(form.dialogs.saveRequests[0].filter, GetParam().filter);
    // The first dialog opens in the home folder, not wherever the program was started.
    EXPECT_EQ(form.dialogs.saveRequests[0].initialName, std::string(std::getenv("HOME")) + "/");
    EXPECT_EQ(readFile(dir.file("export")).substr(0, std::string(GetParam().firstLine).size()), GetParam().firstLine);
    EXPECT_FALSE(pointerDuringWrite.empty());
    for (int p : pointerDuringWrite) EXPECT_EQ(p, pointer::Hourglass);
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
    EXPECT_TRUE(form.dialogs.messages.empty());
}

TEST_P(TextMenu, CancelDoesNothing) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id"}, {{"1"}});
    form.pointer.setMousePointer(pointer::Hand);
    auto ctx = form.context(grid);
    GetParam().handler(ctx);
    EXPECT_EQ(form.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Hand);
    EXPECT_TRUE(grid.visited.empty());
    EXPECT_TRUE(form.dialogs.messages.empty());
}

// A dialog that fails: one report with the handler's tag, and no write to an older name.
TEST_P(TextMenu, FailingDialogReportsOnceAndWritesNothing) {
    struct BrokenDialogs : ScriptedDialogs {
        std::string saveFileName(const std::string&, const std::string&, const std::string&) override {
            throw Error("The dialog cannot be shown.");
        }
    } dialogs;
    FormStandIn form;
    FakeGrid grid({"Id"}, {{"1"}});
    CommonDialog dialog(dialogs);
    dialog.FileName = "/nonexistent/earlier.txt";
    AppContext app{dialogs, form.launcher};
    ExportContext ctx{app, grid, dialog, form.pointer};
    GetParam().handler(ctx);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(
        dialogs.messages[0].text.find(std::string("in Tabrevel2021/08/31.Form3.") + GetParam().name + " at line 104"),
        std::string::npos);
    EXPECT_TRUE(grid.visited.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Items, TextMenu,
    ::testing::Values(MenuCase{mnuCSV_Click, "mnuCSV_Click", "CSV Files (*.csv)|*.csv", "\"Id\",\"Name\"\r\n"},
                      MenuCase{mnuTXT_Click, "mnuTXT_Click", "Text Files (*.txt)|*.txt", "Id\tName\t\r\n"},
                      MenuCase{mnuXML_Click, "mnuXML_Click", "XML Files (*.xml)|*.xml", "<xml>\r\n<row>\r\n"}));

TEST(TextMenu, DialogStartsWithTheNameChosenLastInAnyExport) {
    ScratchDir dir;
    FormStandIn form;
    FakeGrid grid({"Id"}, {{"1"}});
    auto ctx = form.context(grid);
    form.dialogs.saveNames = {dir.file("first.csv"), "", dir.file("second.xml")};
    mnuCSV_Click(ctx);
    mnuTXT_Click(ctx);  // cancelled
    mnuXML_Click(ctx);
    mnuCSV_Click(ctx);  // cancelled
    const auto& req = form.dialogs.saveRequests;
    ASSERT_EQ(req.size(), 4u);
    EXPECT_EQ(req[1].initialName, dir.file("first.csv"));
    EXPECT_EQ(req[2].initialName, dir.file("first.csv"));
    EXPECT_EQ(req[3].initialName, dir.file("second.xml"));
}

TEST(TextMenu, FailedWriteShowsOnlyTheWritersReport) {
    FormStandIn form;
    FakeGrid grid({"Id"}, {{"1"}});
    auto ctx = form.context(grid);
    form.dialogs.saveNames.push_back("/nonexistent-folder/out.txt");
    mnuTXT_Click(ctx);
    ASSERT_EQ(form.dialogs.messages.size(), 1u);
    EXPECT_NE(form.dialogs.messages[0].text.find("Datagrid1.SaveDataGridToFile"), std::string::npos);
    EXPECT_EQ(form.pointer.mousePointer(), pointer::Default);
}

}  // namespace
}  // namespace vts::test
