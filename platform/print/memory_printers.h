// A printer system held in memory, for tests and for callers that must not touch the real one.
#pragma once
#include <algorithm>

#include "platform/print/printer_system.h"
#include "platform/shell/errors.h"

namespace vts {

class MemoryPrinterSystem : public PrinterSystem {
public:
    std::vector<PrinterQueue> installed;
    std::optional<PrinterChoice> own;          // the user's own default
    std::optional<std::string> systemDefault;  // queue name of the system-wide default
    bool failSetting = false;                  // setOwnDefault / clearOwnDefault throw
    bool unreachable = false;                  // no print server: nothing installed, reads throw
    int settings = 0;                          // how often the own default was set or cleared
    std::optional<std::string> pdfOut;         // where the PDF printer writes, when told

    std::vector<PrinterQueue> queues() override { return unreachable ? std::vector<PrinterQueue>{} : installed; }

    std::optional<PrinterQueue> defaultQueue() override {
        if (unreachable) throw PrintServerUnreachable("The print server cannot be reached.");
        const std::optional<std::string> name = own ? std::optional(own->queue) : systemDefault;
        if (!name) return std::nullopt;
        const auto it = find(*name);
        if (it == installed.end()) return std::nullopt;
        return *it;
    }
    std::optional<PrinterChoice> ownDefault() override { return own; }
    std::optional<std::string> pdfFolder() override { return pdfOut; }
    void setOwnDefault(const PrinterChoice& choice) override {
        ++settings;
        if (failSetting) throw Error("The default printer cannot be changed.");
        if (find(choice.queue) == installed.end()) throw Error("There is no printer queue \"" + choice.queue + "\".");
        own = choice;
    }
    void clearOwnDefault() override {
        ++settings;
        if (failSetting) throw Error("The default printer cannot be changed.");
        own.reset();
    }

private:
    std::vector<PrinterQueue>::iterator find(const std::string& queueName) {
        return std::find_if(installed.begin(), installed.end(),
                            [&](const PrinterQueue& q) { return q.name == queueName; });
    }
};

}  // namespace vts
