#include "export/text_export.h"

#include <functional>
#include <new>

#include "export/grid_walk.h"
#include "export/text_builders.h"
#include "export/text_file.h"
#include "platform/shell/error_trap.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// One writer run: its error trap, the text on its way to the file and the pacing of the walk.
struct WriterRun {
    WriterRun(AppContext& app, const std::string& routine, const std::string& fileName, const Progress& progress)
        : trap(app.dialogs, errorTag("Datagrid1", routine)), out(fileName), pacer(app.yieldToUi, progress) {}

    // The first failing step ends the writer: a text with a row or a field missing must not
    // be written, and a failing grid would otherwise report once for every cell.
    bool step(int label, const std::function<void()>& f) {
        return trap.step(label, [&] {
            try {
                f();
            } catch (const std::bad_alloc&) {
                throw Error("There is not enough memory to hold the export.");
            }
        });
    }

    ErrorTrap trap;
    TextFileWriter out;
    WalkPacer pacer;
};

}  // namespace

bool SaveDataGridToCSVFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress) {
    WriterRun run(app, "SaveDataGridToCSVFile", fileName, progress);           // 1. [100] the empty text
    return run.step(102, [&] { AppendCsvHeader(run.out.text(), grid); }) &&    // 2.-3. captions
           run.step(106, [&] { AppendCsvRows(run.out, grid, run.pacer); }) &&  // 4.
           run.step(108, [&] { run.out.save(); });                             // 5.
}

bool SaveDataGridToFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress) {
    WriterRun run(app, "SaveDataGridToFile", fileName, progress);              // 1. [100] the empty text
    return run.step(102, [&] { AppendTxtHeader(run.out.text(), grid); }) &&    // 2.
           run.step(104, [&] { AppendTxtRows(run.out, grid, run.pacer); }) &&  // 3.
           run.step(106, [&] { run.out.save(); });                             // 4.
}

bool SaveDataGridToXMLFile(AppContext& app, DataGrid& grid, const std::string& fileName, const Progress& progress) {
    WriterRun run(app, "SaveDataGridToXMLFile", fileName, progress);
    run.out.text() = "<xml>\r\n";                                              // 1. [100]
    return run.step(102, [&] { AppendXmlRows(run.out, grid, run.pacer); }) &&  // 2.
           run.step(104, [&] { run.out.text() += "</xml>"; }) &&               // 3.
           run.step(106, [&] { run.out.save(); });                             // 4.
}

}  // namespace vts
