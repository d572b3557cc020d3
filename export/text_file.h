// The file an export's text goes to: written as the text grows, and appearing whole or not at
// all.
#pragma once
#include <exception>
#include <memory>
#include <string>

#include "export/export_temp_file.h"

namespace vts {

// Gathers an export's text and writes it in chunks to a private temporary file beside fileName
// (ExportTempFile), which save() renames over fileName, so that a reader never sees half a file
// and a failure leaves any earlier file of that name as it was. Holding only a chunk keeps a
// large export's memory small and its bytes in the cache on their way out.
//
// A failure to create or write the temporary file is kept until save(), which throws it: the
// text is still built to the end, and the error is reported where a whole-text save would have
// reported it. Without save() (an error while building), the temporary file is removed.
class TextFileWriter {
public:
    explicit TextFileWriter(std::string fileName);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    std::string& text() { return text_; }  // the text not yet written out
    // Called between rows: writes the gathered text out once it fills a chunk.
    void rowDone() {
        if (text_.size() >= kChunk) drain();
    }
    // Writes the rest of the text and one CR LF, gives the file the permission bits of the user's
    // own file it replaces and renames it into place, once. Throws vts::Error with the reason when the file
    // cannot be written; no temporary file is left then.
    void save();

private:
    static constexpr size_t kChunk = 1 << 20;
    void drain();
    ExportTempFile& file();

    std::string fileName_;
    std::string text_;
    std::unique_ptr<ExportTempFile> file_;
    std::exception_ptr failed_;  // the first write failure, thrown by save()
    bool saved_ = false;
};

}  // namespace vts
