#pragma once

#include <cstddef>
#include <cstdint>

namespace dax {

// Observer of every byte that crosses a port, for the CLI's --trace.
class PortTrace {
public:
    virtual ~PortTrace() = default;
    virtual void sent(const uint8_t* data, size_t length) = 0;
    virtual void received(const uint8_t* data, size_t length) = 0;
};

} // namespace dax
