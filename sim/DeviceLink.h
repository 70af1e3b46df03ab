#pragma once

#include <string>

namespace dax::sim {

// The entry DIR/comN that makes the pseudo-terminal the host's COMn. It is removed again at exit,
// but only while it still points to our pseudo-terminal (another simulator may have taken it).
class CDeviceLink {
public:
    CDeviceLink() = default;
    ~CDeviceLink() { Remove(); }
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    bool Create(const std::string& dir, const std::string& entry, const std::string& target,
                std::string& error);
    void Remove();
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    std::string m_strTarget;
};

// The device directory: --device-dir, else $DAXTOOL_DEVICE_DIR, else the per-user directory.
std::string DeviceDirectory(const std::string& option);

} // namespace dax::sim
