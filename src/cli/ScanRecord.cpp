#include "cli/ScanRecord.h"

#include <algorithm>

namespace dax {

namespace {

// "9600, 38400 and 115200"
std::string RateList(const std::vector<uint32_t>& rates) {
    std::string text;
    for (size_t i = 0; i < rates.size(); ++i) {
        if (i > 0)
            text += i + 1 == rates.size() ? " and " : ", ";
        text += std::to_string(rates[i]);
    }
    return text;
}

} // namespace

void ScanRecord::sent(const uint8_t* data, size_t length) {
    if (Port* p = Current())
        p->sent = true;
    if (m_pNext)
        m_pNext->sent(data, length);
}

void ScanRecord::received(const uint8_t* data, size_t length) {
    if (Port* p = Current())
        p->received = true;
    if (m_pNext)
        m_pNext->received(data, length);
}

void ScanRecord::opened(const std::string& path, uint32_t baud) {
    Port port;
    port.path = path;
    port.rates = {baud};
    m_ports.push_back(port);
    ShowTry(path, baud);
    if (m_pNext)
        m_pNext->opened(path, baud);
}

void ScanRecord::openFailed(const std::string& path, const std::string& why) {
    Port port;
    port.path = path;
    port.openFailure = why.empty() ? path + ": it cannot be opened" : why;
    m_ports.push_back(port);
    if (m_pNext)
        m_pNext->openFailed(path, why);
}

void ScanRecord::rateChanged(const std::string& path, uint32_t baud) {
    if (Port* p = Current())
        p->rates.push_back(baud);
    ShowTry(path, baud);
    if (m_pNext)
        m_pNext->rateChanged(path, baud);
}

void ScanRecord::closed(const std::string& path) {
    if (m_pNext)
        m_pNext->closed(path);
}

void ScanRecord::ShowTry(const std::string& path, uint32_t baud) {
    if (!m_pTries)
        return;
    // "\\.\COM3" is COM3 to the technician, as on the progress line.
    std::fprintf(m_pTries, "Looking for a transporter on %s at %u baud\n",
                 path.c_str() + (path.rfind("\\\\.\\", 0) == 0 ? 4 : 0), unsigned(baud));
    std::fflush(m_pTries);
}

const ScanRecord::Port* ScanRecord::Find(const std::string& path) const {
    const auto it = std::find_if(m_ports.rbegin(), m_ports.rend(),
                                 [&](const Port& p) { return p.path == path; });
    return it == m_ports.rend() ? nullptr : &*it;
}

std::string ScanRecord::Outcome(const Port& port) {
    if (!port.openFailure.empty())
        return port.openFailure;
    if (!port.sent)
        return "CTS is off";
    return (port.received ? "no transporter's answer at " : "no answer at ") +
           RateList(port.rates) + " baud";
}

} // namespace dax
