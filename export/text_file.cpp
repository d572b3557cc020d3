#include "export/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/export_temp_file.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw Error(what + " \"" + path + "\": " + std::strerror(err));
}

// The file a chain of symbolic links ends at (which need not exist yet); the name itself when it
// is no link. A loop of links is an error, as opening it would be. Only the user's own links are
// followed, as the table's write-back does: on a shared folder, someone else's link named like
// the export would make the export replace whatever file they chose.
std::string followLinks(const std::string& fileName) {
    namespace fs = std::filesystem;
    fs::path path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path.string();
        if (st.st_uid != ::geteuid())
            throw Error("The file \"" + path.string() +
                        "\" is a link that another user made, so the export does not follow it: choose another "
                        "name.");
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) fail("Cannot follow the link", path.string(), ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    fail("Cannot follow the link", fileName, ELOOP);
}

}  // namespace

TextFileWriter::TextFileWriter(std::string fileName) : fileName_(std::move(fileName)) {
    text_.reserve(kChunk + kChunk / 4);  // a chunk and the row that fills it, without regrowing
}

TextFileWriter::~TextFileWriter() = default;

ExportTempFile& TextFileWriter::file() {
    if (!file_) {
        if (fileName_.empty()) throw Error("No file name was given.");
        // A name that is a symbolic link: the file it points to gets the text, the link stays.
        file_ = std::make_unique<ExportTempFile>(followLinks(fileName_));
    }
    return *file_;
}

void TextFileWriter::drain() {
    if (!failed_) {
        try {
            file().write(text_.data(), text_.size());
        } catch (const std::exception&) {
            failed_ = std::current_exception();
            file_.reset();  // a full disk gets its space back while the rows are still read
        }
    }
    text_.clear();
}

void TextFileWriter::save() {
    if (saved_) throw Error("The file \"" + fileName_ + "\" was saved already.");
    if (failed_) std::rethrow_exception(failed_);
    ExportTempFile& out = file();
    text_ += "\r\n";
    out.write(text_.data(), text_.size());
    text_.clear();
    out.keepMode();
    out.commit();
    file_.reset();
    saved_ = true;
}

}  // namespace vts
