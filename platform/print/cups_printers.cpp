#include "platform/print/cups_printers.h"

#include <cups/cups.h>

#include "platform/shell/errors.h"

namespace vts {

namespace {

// The destinations as libcups sees them now: server queues merged with the lpoptions files.
class Destinations {
public:
    Destinations() : count_(cupsGetDests2(CUPS_HTTP_DEFAULT, &list_)) {}
    ~Destinations() { cupsFreeDests(count_, list_); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    cups_dest_t* begin() const { return list_; }
    cups_dest_t* end() const { return list_ + count_; }
    cups_dest_t* find(const char* name) const { return cupsGetDest(name, nullptr, count_, list_); }

    // Writes the is_default flags back as the per-user default.
    void save() const {
        if (count_ == 0 || cupsSetDests2(CUPS_HTTP_DEFAULT, count_, list_) != 0)
            throw Error(std::string("The default printer cannot be saved: ") + cupsLastErrorString());
    }

private:
    cups_dest_t* list_ = nullptr;
    int count_ = 0;
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
    const cups_dest_t* dest = dests.find(nullptr);
    if (!dest) return std::nullopt;
    if (const cups_dest_t* queue = dests.find(dest->name)) dest = queue;  // the queue behind an instance
    return queueOf(*dest);
}

void CupsPrinterSystem::setDefaultQueue(const std::string& queueName) {
    const Destinations dests;
    const cups_dest_t* target = dests.find(queueName.c_str());
    if (!target) throw Error("There is no printer queue \"" + queueName + "\".");
    for (cups_dest_t& dest : dests) dest.is_default = &dest == target;
    dests.save();
}

void CupsPrinterSystem::clearDefaultQueue() {
    const Destinations dests;
    for (cups_dest_t& dest : dests) dest.is_default = 0;
    dests.save();
}

}  // namespace vts
