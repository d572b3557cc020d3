// Text exports as a user runs them: the program on a generated table of N records (default
// 1,000,000), the table chosen on the chooser, and "Save Results As" CSV, TXT and XML on the
// real grid editor (offscreen). Each is timed against the sqlite3 shell writing the same working
// table as CSV in the same run; prints the times, the ratios and the program's peak memory.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "app/program.h"
#include "bench/bench_table.h"
#include "bench/process_memory.h"
#include "export/text_export_menu.h"
#include "pages/form2.h"
#include "pages/form3.h"
#include "platform/ui/settings_store.h"
#include "tests/support/temp_dir.h"

using namespace vts;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// The working table's name is the table's and a tag of its folder, quoted for SQL (no ' in it).
double sqliteShellCsv(const fs::path& db, const std::string& table, const fs::path& out) {
    const std::string command =
        "sqlite3 -csv '" + db.string() + "' 'SELECT * FROM \"" + table + "\"' > '" + out.string() + "'";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("sqlite3 failed");
    return since(start);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);
    const std::size_t rows = argc > 1 ? std::stoul(argv[1]) : 1000000;
    test::TempDir dir;
    const fs::path data = dir / "data", appFolder = dir / "app";
    fs::create_directories(data);
    fs::create_directories(appFolder);
    bench::writeBenchTable(data, rows, false);

    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    SettingsStore settings(QString::fromStdString((dir / "settings.ini").string()));
    Form3Services exporters;
    exporters.mnuCSV = [](ExportContext& ec) { mnuCSV_Click(ec); };
    exporters.mnuTXT = [](ExportContext& ec) { mnuTXT_Click(ec); };
    exporters.mnuXML = [](ExportContext& ec) { mnuXML_Click(ec); };
    Program program(ProgramServices{dialogs, launcher, settings, appFolder, [] {},
                                    [] { QApplication::processEvents(); }, exporters});
    program.start();
    program.form1().Text1->setText(QString::fromStdString(data.string()));
    program.form1().PushButton3_Click();
    program.pages().form2()->PushButton3_Click();  // the only table, selected
    Form3& form3 = *program.pages().form3();
    form3.resize(800, 600);
    // The rows after the first are copied while the grid shows; the reference needs them all.
    while (program.state().importTail) QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!dialogs.messages.empty()) {
        std::fprintf(stderr, "grid_export_bench: %s\n", dialogs.messages[0].text.c_str());
        return 1;
    }
    const std::string working = program.state().session->working();

    const fs::path shellOut = dir / "shell.csv";
    double shell = 1e9;
    struct Format {
        const char* item;
        double best = 1e9;
    } formats[] = {{"CSV"}, {"TXT"}, {"XML"}};
    for (int round = 0; round < 3; ++round) {  // best of three, alternating with the reference
        shell = std::min(shell, sqliteShellCsv(appFolder / "dbTemp.mdb", working, shellOut));
        for (Format& f : formats) {
            dialogs.saveNames.push_back((dir / (std::string("ours.") + f.item)).string());
            const auto start = Clock::now();
            form3.runMenuItem(f.item);
            f.best = std::min(f.best, since(start));
        }
    }
    if (!dialogs.messages.empty()) {
        std::fprintf(stderr, "grid_export_bench: %s\n", dialogs.messages[0].text.c_str());
        return 1;
    }
    std::printf("rows: %zu\n", rows);
    std::printf("sqlite3 -csv of the working table: %.3f s, %.1f MB\n", shell, fs::file_size(shellOut) / 1e6);
    for (const Format& f : formats)
        std::printf("%s through the grid editor's menu: %.3f s, %.1f MB, ratio %.2f (goal: within 2)\n", f.item, f.best,
                    fs::file_size(dir / (std::string("ours.") + f.item)) / 1e6, f.best / shell);
    std::printf("program peak memory: %ld MB\n", bench::statusKiB("VmHWM:") / 1024);
    return 0;
}
