#pragma once

#include "platform/PrinterDevices.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dax {

// One scripted printer device: what the program wrote to it and the failures it will meet.
struct FakePrinter {
    std::string name; // USB device path or "LPT1"/"LPT2"
    bool listed = false;

    // Failure injection.
    uint32_t openError = 0;  // every open fails with it
    uint32_t closeError = 0; // the next close fails with it (once)
    // Outcome of the next write calls, in order; when empty a write takes everything.
    struct WriteOutcome {
        uint32_t error = 0;             // non-zero: the call fails with it, nothing taken
        uint32_t accepted = UINT32_MAX; // bytes taken at most (a short write)
    };
    std::deque<WriteOutcome> writeOutcomes;
    // Called with each block taken, after it is recorded.
    std::function<void(FakePrinter&, const std::vector<uint8_t>&)> onWrite;

    // What happened, for assertions.
    std::vector<std::vector<uint8_t>> writes; // the bytes each successful write call took
    std::vector<uint8_t> received;            // all of them in order
    int opens = 0;
    int closes = 0; // explicit closes and devices dropped while open
    bool open = false;
    uint32_t perByteMs = 0;
    uint32_t constantMs = 0;
};

// Printer devices for tests: devices added by name, opened exclusively (a second open of an
// open device fails with EBUSY, as a device opened without sharing does).
class FakePrinterDevices : public PrinterDevices {
public:
    // A USB printer interface, listed in the order added.
    FakePrinter& AddUsbPrinter(const std::string& path);
    // A device that is opened by name but not listed ("LPT1").
    FakePrinter& AddPort(const std::string& name);
    // The device of that name (exact), null when there is none.
    FakePrinter* Find(const std::string& name);
    // Devices open now.
    int OpenCount() const;

    std::vector<std::string> ListUsbPrinters() override;
    // Unknown names fail with ENOENT.
    std::unique_ptr<PrinterDevice> Open(const std::string& name, uint32_t& error) override;
    // "system error N" unless a text was set in errorTexts.
    std::string ErrorText(uint32_t error) override;

    std::map<uint32_t, std::string> errorTexts;
    int listCalls = 0;

private:
    std::vector<std::unique_ptr<FakePrinter>> m_printers;
};

} // namespace dax
