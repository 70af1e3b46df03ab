#include "cli/TracedPrinterDevices.h"

#include "cli/FileTrace.h"

namespace dax {

namespace {

class TracedPrinterDevice : public PrinterDevice {
public:
    TracedPrinterDevice(std::unique_ptr<PrinterDevice> device, std::string name,
                        PrinterDevices& devices, FileTrace& trace)
        : m_device(std::move(device)), m_name(std::move(name)), m_devices(devices), m_trace(trace) {
    }

    bool Write(const uint8_t* data, uint32_t length, uint32_t& written, uint32_t& error) override {
        const bool ok = m_device->Write(data, length, written, error);
        // What the port took; a write cut short says so beside it.
        m_trace.Sent(m_name, data, ok ? written : 0);
        if (!ok)
            m_trace.Note("write " + m_name + " failed: " + m_devices.ErrorText(error));
        else if (written < length)
            m_trace.Note("write " + m_name + ": " + std::to_string(written) + " of " +
                         std::to_string(length) + " bytes taken");
        return ok;
    }
    void SetWriteTimeout(uint32_t perByteMs, uint32_t constantMs) override {
        m_device->SetWriteTimeout(perByteMs, constantMs);
    }
    bool Close(uint32_t& error) override {
        const bool ok = m_device->Close(error);
        m_trace.Note(ok ? "close " + m_name
                        : "close " + m_name + " failed: " + m_devices.ErrorText(error));
        return ok;
    }

private:
    std::unique_ptr<PrinterDevice> m_device;
    std::string m_name;
    PrinterDevices& m_devices;
    FileTrace& m_trace;
};

} // namespace

std::unique_ptr<PrinterDevice> TracedPrinterDevices::Open(const std::string& name,
                                                          uint32_t& error) {
    std::unique_ptr<PrinterDevice> device = m_devices.Open(name, error);
    if (!device) {
        m_trace.Note("open " + name + " failed: " + m_devices.ErrorText(error));
        return nullptr;
    }
    m_trace.Note("open " + name);
    return std::make_unique<TracedPrinterDevice>(std::move(device), name, m_devices, m_trace);
}

} // namespace dax
