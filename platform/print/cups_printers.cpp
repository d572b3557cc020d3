#include "platform/print/cups_printers.h"

#include <cups/cups.h>

#include "platform/print/lpoptions_file.h"
#include "platform/print/pdf_folder.h"
#include "platform/shell/errors.h"

namespace vts {

namespace {

// The destinations as libcups sees them now: server queues merged with the lpoptions files.
class Destinations {
public:
    Destinations() : count_(cupsGetDests2(CUPS_HTTP_DEFAULT, &list_)), status_(cupsLastError()) {}
    ~Destinations() { cupsFreeDests(count_, list_); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    cups_dest_t* begin() const { return list_; }
    cups_dest_t* end() const { return list_ + count_; }
    cups_dest_t* find(const char* name, const char* instance = nullptr) const {
        return cupsGetDest(name, instance, count_, list_);
    }
    // libcups gives no destinations at all, and says why, when no print server answers.
    bool serverMissing() const { return count_ == 0 && status_ >= IPP_STATUS_ERROR_INTERNAL; }

private:
    cups_dest_t* list_ = nullptr;
    int count_ = 0;
    ipp_status_t status_;
};

PrinterQueue queueOf(const cups_dest_t& dest) {
    const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
    return {dest.name, info ? info : ""};
}

}  // namespace

std::vector<PrinterQueue> CupsPrinterSystem::queues() {
    std::vector<PrinterQueue> result;
    for (const cups_dest_t& dest : Destinations())
        if (!dest.instance) result.push_back(queueOf(dest));  // instances are option sets, not queues
    return result;
}

std::optional<PrinterQueue> CupsPrinterSystem::defaultQueue() {
    const Destinations dests;
    if (dests.serverMissing())
        throw PrintServerUnreachable("The print server (CUPS) is not running or cannot be reached.");
    const cups_dest_t* dest = dests.find(nullptr);
    if (!dest) return std::nullopt;
    if (const cups_dest_t* queue = dests.find(dest->name)) dest = queue;  // the queue behind an instance
    return queueOf(*dest);
}

std::optional<PrinterChoice> CupsPrinterSystem::ownDefault() {
    return DefaultInLpoptions(ReadLpoptions(UserLpoptionsPath()));
}

void CupsPrinterSystem::setOwnDefault(const PrinterChoice& choice) {
    const Destinations dests;
    const char* instance = choice.instance.empty() ? nullptr : choice.instance.c_str();
    if (!dests.find(choice.queue.c_str(), instance))
        throw Error("There is no printer queue \"" + ChoiceName(choice) + "\".");
    const std::string path = UserLpoptionsPath();
    WriteLpoptions(path, WithDefault(ReadLpoptions(path), choice));
}

void CupsPrinterSystem::clearOwnDefault() {
    const std::string path = UserLpoptionsPath();
    const std::string text = ReadLpoptions(path);
    if (DefaultInLpoptions(text)) WriteLpoptions(path, WithDefault(text, std::nullopt));
}

std::optional<std::string> CupsPrinterSystem::pdfFolder() { return CupsPdfOutFolder(); }

int CupsPrinterSystem::activeJobs(const std::string& queue) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return count > 0 ? count : 0;
}

}  // namespace vts
