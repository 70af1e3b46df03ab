#pragma once

#include "link/PortTrace.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace dax {

// What happened on each port the program tried, so that a scan that found nothing can say why
// port by port. Every event also goes on to the next trace (the --trace file), when there is one.
class ScanRecord : public PortTrace {
public:
    struct Port {
        std::string path;
        std::string openFailure; // the reason, when it did not open
        std::vector<uint32_t> rates;
        bool sent = false;
        bool received = false;
    };

    explicit ScanRecord(PortTrace* next = nullptr) : m_pNext(next) {}

    void sent(const uint8_t* data, size_t length) override;
    void received(const uint8_t* data, size_t length) override;
    void opened(const std::string& path, uint32_t baud) override;
    void openFailed(const std::string& path, const std::string& why) override;
    void rateChanged(const std::string& path, uint32_t baud) override;
    void closed(const std::string& path) override;

    // Each port opened and each rate tried then goes on `out` as a line of its own (none: not).
    void ShowTries(std::FILE* out) { m_pTries = out; }

    // The last record of a port, or none when it was never tried.
    const Port* Find(const std::string& path) const;
    // Why no transporter was found there: the open failure, "CTS is off", or the rates at which
    // nothing or no transporter's answer came.
    static std::string Outcome(const Port& port);

private:
    Port* Current() { return m_ports.empty() ? nullptr : &m_ports.back(); }
    void ShowTry(const std::string& path, uint32_t baud);

    PortTrace* m_pNext;
    std::FILE* m_pTries = nullptr;
    std::vector<Port> m_ports;
};

} // namespace dax
