// The printer helpers one by one: default printer by DeviceName, file deletion, the print
// program on PATH and the temporary print file.
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "export/printer_default.h"
#include "export/printer_files.h"
#include "export/printer_program.h"
#include "platform/print/memory_printers.h"
#include "platform/print/print_file.h"
#include "tests/export/pdf_test_support.h"

namespace vts {
namespace {

using namespace test;

class PrinterDefaultTest : public ::testing::Test {
protected:
    PrinterDefaultTest() {
        printers.installed = {{"Quillmere_PDF_Writer", "Quillmere PDF Writer"},
                              {"laser", ""},
                              {"office", "Office Laser"},
                              {"office2", "Office Laser"}};
    }
    MemoryPrinterSystem printers;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext app{dialogs, launcher};
};

TEST_F(PrinterDefaultTest, DeviceNameIsTheDescriptionElseTheQueueName) {
    EXPECT_EQ(DeviceName({"Quillmere_PDF_Writer", "Quillmere PDF Writer"}), "Quillmere PDF Writer");
    EXPECT_EQ(DeviceName({"laser", ""}), "laser");

    printers.own = Own("office");
    EXPECT_EQ(GetDefaultPrinter(app, printers), "Office Laser");
    printers.own = Own("laser");
    EXPECT_EQ(GetDefaultPrinter(app, printers), "laser");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrinterDefaultTest, SetDefaultPrinterFindsTheQueueByItsExactDeviceName) {
    EXPECT_TRUE(SetDefaultPrinter(printers, "Quillmere PDF Writer"));
    EXPECT_EQ(printers.own, Own("Quillmere_PDF_Writer"));
    EXPECT_TRUE(SetDefaultPrinter(printers, "laser"));
    EXPECT_EQ(printers.own, Own("laser"));
    EXPECT_TRUE(SetDefaultPrinter(printers, "Office Laser"));
    EXPECT_EQ(printers.own, Own("office")) << "the first queue of that DeviceName";

    for (const char* other : {"quillmere pdf writer", "Quillmere_PDF_Writer", "LASER", "", "Office"}) {
        EXPECT_FALSE(SetDefaultPrinter(printers, other)) << other;
        EXPECT_EQ(printers.own, Own("office")) << other;
    }
    printers.failSetting = true;
    EXPECT_FALSE(SetDefaultPrinter(printers, "laser"));
    EXPECT_TRUE(dialogs.messages.empty()) << "setting the default never shows anything";
}

TEST_F(PrinterDefaultTest, AFailingReadShowsItsOwnDescriptionAndGivesTheEmptyName) {
    class Unreachable : public MemoryPrinterSystem {
        std::optional<PrinterQueue> defaultQueue() override { throw Error("The printing system cannot be reached."); }
    } unreachable;
    EXPECT_EQ(GetDefaultPrinter(app, unreachable), "");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Error No: 482\r\nThe printing system cannot be reached.\r\nHas occured in "
              "modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support\r\n"
              "Check the print server with \"lpstat -r\" and the default printer with \"lpstat -d\", then export "
              "again.");
}

class PrintFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    AppContext app{dialogs, launcher};
};

TEST_F(PrintFileTest, PrintFoldersAndFilesAreNewPrivateAndAbsolute) {
    const std::string a = CreatePrivateFolder(dir.path().string(), "tmp-");
    const std::string b = CreatePrivateFolder(dir.path().string(), "tmp-");
    EXPECT_NE(a, b);
    CreateNewFile(a + "/job.txt");
    EXPECT_THROW(CreateNewFile(a + "/job.txt"), Error);  // never opens what is already there
    struct stat st {};
    ASSERT_EQ(::lstat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::lstat((a + "/job.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 0);

    // A relative TEMP still gives a path that cannot be read as an option by the print program.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string relative = CreatePrivateFolder(".", "tmp-");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(relative.front(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(relative));

    try {
        CreatePrivateFolder(dir.file("missing"), "tmp-");
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(dir.file("missing")), std::string::npos) << e.what();
    }
}

TEST_F(PrintFileTest, DeleteFileQuietlyRemovesFilesAndLinksAndNeverComplains) {
    int yields = 0;
    app.yieldToUi = [&] { ++yields; };
    const auto file = dir.path() / "f.txt";
    std::ofstream(file) << "x";
    ::chmod(file.c_str(), 0400);
    DeleteFileQuietly(app, file.string());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(yields, 1);

    const auto target = dir.path() / "target.txt";
    std::ofstream(target) << "keep";
    std::filesystem::create_symlink(target, dir.path() / "link.txt");
    DeleteFileQuietly(app, (dir.path() / "link.txt").string());
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / "link.txt"));
    EXPECT_EQ(readFile(target), "keep");

    std::filesystem::create_directory(dir.path() / "folder");
    DeleteFileQuietly(app, (dir.path() / "folder").string());
    DeleteFileQuietly(app, (dir.path() / "missing.txt").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_THROW(ForceDeleteFile((dir.path() / "missing.txt").string()), Error);
}

TEST_F(PrintFileTest, ThePrintProgramIsTheFirstExecutableLpOnAnAbsolutePathEntry) {
    const auto make = [&](const std::string& folder, std::filesystem::perms perms) {
        std::filesystem::create_directories(dir.path() / folder);
        std::ofstream(dir.path() / folder / "lp") << "#!/bin/sh\n";
        std::filesystem::permissions(dir.path() / folder / "lp", perms);
        return (dir.path() / folder / "lp").string();
    };
    make("plain", std::filesystem::perms::owner_read);  // no execute bit: not a program
    const std::string good = make("good", std::filesystem::perms::owner_all);
    std::filesystem::create_directories(dir.path() / "folder" / "lp");

    // "good" as a relative entry would run whatever the current folder holds under that name.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    {
        ScopedEnv path("PATH", "good::" + dir.file("plain") + ":" + dir.file("folder") + ":" + dir.file("good"));
        EXPECT_EQ(GetWordpadPath(), good);
    }
    ScopedEnv path("PATH", "good:.:" + dir.file("plain") + ":" + dir.file("missing"));
    EXPECT_EQ(GetWordpadPath(), "");
    std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace vts
