#include "app/PortList.h"

#include <algorithm>

namespace dax {

PortList::PortList(const std::vector<int>& existing) {
    for (int n = 0; n <= kFixedPorts; ++n)
        m_ports.push_back(n);
    for (int n : existing)
        Add(n);
}

int PortList::IndexOf(int port) const {
    auto it = std::find(m_ports.begin(), m_ports.end(), port);
    return it == m_ports.end() ? -1 : int(it - m_ports.begin());
}

std::optional<int> PortList::PortAt(int index) const {
    if (index < 0 || size_t(index) >= m_ports.size())
        return std::nullopt;
    return m_ports[size_t(index)];
}

bool PortList::Add(int port) {
    if (port < 1 || port > kMaxPort || IndexOf(port) >= 0)
        return false;
    // "Unknown" stays first; the numbers after it are in order.
    m_ports.insert(std::upper_bound(m_ports.begin() + 1, m_ports.end(), port), port);
    return true;
}

std::vector<std::string> PortList::Texts() const {
    std::vector<std::string> texts;
    for (int n : m_ports)
        texts.push_back(n == 0 ? "Unknown" : "COM" + std::to_string(n));
    return texts;
}

} // namespace dax
