#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dax {

// Observer of a port's life and of every byte that crosses it, for the CLI's --trace.
class PortTrace {
public:
    virtual ~PortTrace() = default;
    virtual void sent(const uint8_t* data, size_t length) = 0;
    virtual void received(const uint8_t* data, size_t length) = 0;
    // The port opened at a rate, or could not be opened (`why` names the port and the reason).
    virtual void opened(const std::string& /*path*/, uint32_t /*baud*/) {}
    virtual void openFailed(const std::string& /*path*/, const std::string& /*why*/) {}
    // The port's own rate changed; nothing was sent for it.
    virtual void rateChanged(const std::string& /*path*/, uint32_t /*baud*/) {}
    virtual void closed(const std::string& /*path*/) {}
};

} // namespace dax
