#include "platform/fake/FakePrinterDevices.h"

#include <algorithm>
#include <cerrno>

namespace dax {

namespace {

class FakePrinterDevice : public PrinterDevice {
public:
    explicit FakePrinterDevice(FakePrinter& printer) : m_printer(&printer) {}
    ~FakePrinterDevice() override {
        if (m_printer != nullptr) {
            m_printer->open = false;
            ++m_printer->closes;
        }
    }

    bool Write(const uint8_t* data, uint32_t length, uint32_t& written, uint32_t& error) override {
        written = 0;
        error = 0;
        if (m_printer == nullptr) {
            error = kInvalidHandleError;
            return false;
        }
        FakePrinter::WriteOutcome outcome;
        if (!m_printer->writeOutcomes.empty()) {
            outcome = m_printer->writeOutcomes.front();
            m_printer->writeOutcomes.pop_front();
        }
        if (outcome.error != 0) {
            error = outcome.error;
            return false;
        }
        written = std::min(length, outcome.accepted);
        std::vector<uint8_t> block(data, data + written);
        m_printer->writes.push_back(block);
        m_printer->received.insert(m_printer->received.end(), block.begin(), block.end());
        if (m_printer->onWrite)
            m_printer->onWrite(*m_printer, block);
        return true;
    }

    void SetWriteTimeout(uint32_t perByteMs, uint32_t constantMs) override {
        if (m_printer != nullptr) {
            m_printer->perByteMs = perByteMs;
            m_printer->constantMs = constantMs;
        }
    }

    bool Close(uint32_t& error) override {
        error = 0;
        if (m_printer == nullptr)
            return true;
        if (m_printer->closeError != 0) {
            error = m_printer->closeError;
            m_printer->closeError = 0;
            return false;
        }
        m_printer->open = false;
        ++m_printer->closes;
        m_printer = nullptr;
        return true;
    }

private:
    FakePrinter* m_printer;
};

} // namespace

FakePrinter& FakePrinterDevices::AddUsbPrinter(const std::string& path) {
    FakePrinter& p = AddPort(path);
    p.listed = true;
    return p;
}

FakePrinter& FakePrinterDevices::AddPort(const std::string& name) {
    m_printers.push_back(std::make_unique<FakePrinter>());
    m_printers.back()->name = name;
    return *m_printers.back();
}

FakePrinter* FakePrinterDevices::Find(const std::string& name) {
    for (auto& p : m_printers)
        if (p->name == name)
            return p.get();
    return nullptr;
}

int FakePrinterDevices::OpenCount() const {
    return int(
        std::count_if(m_printers.begin(), m_printers.end(), [](const auto& p) { return p->open; }));
}

std::vector<std::string> FakePrinterDevices::ListUsbPrinters() {
    ++listCalls;
    std::vector<std::string> paths;
    for (const auto& p : m_printers)
        if (p->listed)
            paths.push_back(p->name);
    return paths;
}

std::unique_ptr<PrinterDevice> FakePrinterDevices::Open(const std::string& name, uint32_t& error) {
    error = 0;
    FakePrinter* p = Find(name);
    if (p == nullptr)
        error = ENOENT;
    else if (p->openError != 0)
        error = p->openError;
    else if (p->open)
        error = EBUSY;
    if (error != 0)
        return nullptr;
    p->open = true;
    ++p->opens;
    return std::make_unique<FakePrinterDevice>(*p);
}

std::string FakePrinterDevices::ErrorText(uint32_t error) {
    if (error == 0)
        return {};
    if (auto it = errorTexts.find(error); it != errorTexts.end())
        return it->second;
    return "system error " + std::to_string(error);
}

} // namespace dax
