#include "cli/PortsCommand.h"

#include "platform/DeviceNames.h"
#include "platform/Format.h"
#include "printers/CUsbPool.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

namespace dax {

namespace {

// The port name the program gives a supported printer (by its place in the listing), null for
// other USB printers.
nlohmann::ordered_json UsbPortName(const std::vector<UsbPrinterNode>& usb, size_t index) {
    if (!CUsbPool::IsSupportedPrinter(usb[index].interfacePath))
        return nullptr;
    return Format("USBPRINT-%zu", index);
}

} // namespace

void PrintPorts(const DeviceNames& names, bool json, std::FILE* out) {
    const auto com = names.listComPorts();
    const auto usb = names.listUsbPrinters();
    std::vector<std::pair<std::string, std::string>> lpt;
    for (int n = 1; n <= 2; ++n)
        if (auto node = names.resolveLpt(n); node && names.isPresent(*node))
            lpt.emplace_back(Format("LPT%d", n), *node);

    if (json) {
        nlohmann::ordered_json j;
        j["device_dir"] = names.directory();
        j["com"] = nlohmann::ordered_json::array();
        for (const auto& p : com)
            j["com"].push_back(
                {{"port", p.number}, {"path", Format("\\\\.\\COM%d", p.number)}, {"node", p.node}});
        j["usb_printers"] = nlohmann::ordered_json::array();
        for (size_t i = 0; i < usb.size(); ++i)
            j["usb_printers"].push_back({{"path", usb[i].interfacePath},
                                         {"name", UsbPortName(usb, i)},
                                         {"node", usb[i].node}});
        j["parallel"] = nlohmann::ordered_json::array();
        for (const auto& [name, node] : lpt)
            j["parallel"].push_back({{"path", name}, {"node", node}});
        std::fprintf(
            out, "%s\n",
            j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
        return;
    }
    if (!names.directory().empty())
        std::fprintf(out, "device dir: %s%s\n", names.directory().c_str(),
                     names.isolated() ? " (only its entries)" : "");
    for (const auto& p : com)
        std::fprintf(out, "COM%d: %s\n", p.number, p.node.c_str());
    for (size_t i = 0; i < usb.size(); ++i) {
        if (const auto name = UsbPortName(usb, i); name.is_string())
            std::fprintf(out, "%s: %s -> %s\n", name.get<std::string>().c_str(),
                         usb[i].interfacePath.c_str(), usb[i].node.c_str());
        else
            std::fprintf(out, "usb printer: %s -> %s (not a supported printer)\n",
                         usb[i].interfacePath.c_str(), usb[i].node.c_str());
    }
    for (const auto& [name, node] : lpt)
        std::fprintf(out, "%s: %s\n", name.c_str(), node.c_str());
    if (com.empty() && usb.empty() && lpt.empty())
        std::fprintf(out, "no ports found\n");
}

} // namespace dax
