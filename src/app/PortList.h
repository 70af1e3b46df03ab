#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dax {

// The items of the Port combo and the COM number each stands for: "Unknown" (0), COM1 to COM8,
// then every other port that exists, in number order. An item is found by its number, never by
// its position, so a port beyond COM8 is chosen as any other.
class PortList {
public:
    static constexpr int kFixedPorts = 8;
    static constexpr int kMaxPort = 256;

    explicit PortList(const std::vector<int>& existing = {});

    // The item showing `port`, or -1 when the combo has none.
    int IndexOf(int port) const;
    // The port of item `index`; none for an index that is no item (no selection).
    std::optional<int> PortAt(int index) const;
    // Gives `port` (1..256) an item in its place; false when it had one or is out of range.
    bool Add(int port);
    std::vector<std::string> Texts() const;

private:
    std::vector<int> m_ports;
};

} // namespace dax
