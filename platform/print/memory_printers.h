// A printer system held in memory, for tests and for callers that must not touch the real one.
#pragma once
#include <algorithm>

#include "platform/print/printer_system.h"
#include "platform/shell/errors.h"

namespace vts {

class MemoryPrinterSystem : public PrinterSystem {
public:
    std::vector<PrinterQueue> installed;
    std::optional<std::string> defaultName;  // queue name of the per-user default
    bool failSetting = false;                // setDefaultQueue / clearDefaultQueue throw
    int settings = 0;                        // how often the default was set or cleared

    std::vector<PrinterQueue> queues() override { return installed; }

    std::optional<PrinterQueue> defaultQueue() override {
        if (!defaultName) return std::nullopt;
        const auto it = find(*defaultName);
        if (it == installed.end()) return std::nullopt;
        return *it;
    }
    void setDefaultQueue(const std::string& queueName) override {
        ++settings;
        if (failSetting) throw Error("The default printer cannot be changed.");
        if (find(queueName) == installed.end()) throw Error("There is no printer queue \"" + queueName + "\".");
        defaultName = queueName;
    }
    void clearDefaultQueue() override {
        ++settings;
        if (failSetting) throw Error("The default printer cannot be changed.");
        defaultName.reset();
    }

private:
    std::vector<PrinterQueue>::iterator find(const std::string& queueName) {
        return std::find_if(installed.begin(), installed.end(),
                            [&](const PrinterQueue& q) { return q.name == queueName; });
    }
};

}  // namespace vts
