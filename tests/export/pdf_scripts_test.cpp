// scripts/cups-test-start.sh and scripts/cups-test-stop.sh leave the printer set-up as they
// found it: run nested inside the prepared set-up, under queue names of their own, twice each,
// with a default printer changed in between (an export that never gave it back).
#include <gtest/gtest.h>

#include "tests/export/pdf_cups_support.h"

namespace vts {
namespace {

using namespace test;

std::string FileOrAbsent(const std::string& path) {
    return std::filesystem::exists(path) ? readFile(path) : std::string("(absent)");
}

// Everything the scripts may touch that a user would notice.
std::string PrinterSetUp() {
    const char* home = std::getenv("HOME");
    return "queues:\n" + Shell("lpstat -v | sort").output +
           "default: " + Shell("env -u PRINTER -u LPDEST lpstat -d").output +
           "lpoptions: " + FileOrAbsent("/etc/cups/lpoptions") +
           "\nuser lpoptions: " + FileOrAbsent(std::string(home ? home : "/root") + "/.cups/lpoptions") +
           "\ncups-pdf.conf:\n" + FileOrAbsent("/etc/cups/cups-pdf.conf");
}

TEST(PdfCupsScriptsTest, StartAndStopLeaveThePrinterSetUpAsTheyFoundIt) {
    if (!CupsPdfFolder()) GTEST_SKIP() << "CUPS is not prepared: run scripts/cups-test-start.sh (as root) first";
    const CupsLock lock;
    const ScratchDir state;
    const std::string env = "VTS_CUPS_STATE_DIR=" + ShellWord(state.file("state")) +
                            " VTS_CUPS_QUEUE=Vts_Script_Pdf VTS_CUPS_QUEUE_INFO='Vts Script Pdf'"
                            " VTS_CUPS_OTHER_QUEUE=Vts_Script_Office VTS_CUPS_OTHER_INFO='Vts Script Office' ";
    const std::string scripts = std::string(VTS_SOURCE_DIR) + "/scripts/";
    const std::string found = PrinterSetUp();

    for (int run = 0; run < 2; ++run) {
        const ShellResult start = Shell(env + ShellWord(scripts + "cups-test-start.sh"));
        ASSERT_EQ(start.status, 0) << start.output;
    }
    EXPECT_NE(Shell("lpstat -l -p Vts_Script_Pdf").output.find("Description: Vts Script Pdf"), std::string::npos);
    const std::string out = readFile(state.file("state/pdf_out"));
    ASSERT_FALSE(out.empty());
    EXPECT_NE(readFile("/etc/cups/cups-pdf.conf").find("\nOut " + out), std::string::npos);
    ASSERT_EQ(Shell("lpoptions -d Vts_Script_Office").status, 0);

    for (int run = 0; run < 2; ++run) {
        const ShellResult stop = Shell(env + ShellWord(scripts + "cups-test-stop.sh"));
        EXPECT_EQ(stop.status, 0) << stop.output;
    }
    EXPECT_EQ(PrinterSetUp(), found);
    EXPECT_FALSE(std::filesystem::exists(state.file("state")));
}

}  // namespace
}  // namespace vts
