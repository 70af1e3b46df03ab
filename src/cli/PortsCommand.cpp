#include "cli/PortsCommand.h"

#include "cli/CliOptions.h"
#include "platform/DeviceNames.h"
#include "platform/Format.h"
#include "printers/CUsbPool.h"
#ifndef _WIN32
#include "platform/posix/SerialPortFacts.h"
#endif

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

using Json = nlohmann::ordered_json;

// A COM port as the listing shows it. On Linux it says what the node is; Windows knows only
// the name the system has.
struct ComLine {
    int number = 0;
    std::string node;
#ifndef _WIN32
    ComPortFacts port;
#endif
};

std::vector<ComLine> ComPorts(const DeviceNames& names, std::optional<int> only) {
    std::vector<ComLine> lines;
#ifdef _WIN32
    for (const ComPortNode& p : names.listComPorts())
        if (!only || p.number == *only)
            lines.push_back({p.number, p.node});
#else
    std::vector<ComPortFacts> ports;
    if (!only)
        ports = DescribeComPorts(names);
    else if (auto port = DescribeComPort(names, *only))
        ports.push_back(*port);
    for (ComPortFacts& p : ports)
        lines.push_back({p.number, p.facts.node, std::move(p)});
#endif
    return lines;
}

bool IsPort([[maybe_unused]] const ComLine& line) {
#ifdef _WIN32
    return true;
#else
    return line.port.facts.IsPort();
#endif
}

#ifndef _WIN32
Json OrNull(const std::string& s) {
    return s.empty() ? Json(nullptr) : Json(s);
}

const char* KindName(SerialNodeFacts::Kind kind) {
    switch (kind) {
    case SerialNodeFacts::Kind::Serial:
        return "serial";
    case SerialNodeFacts::Kind::PseudoTerminal:
        return "pseudo-terminal";
    case SerialNodeFacts::Kind::Unknown:
        return "unknown";
    case SerialNodeFacts::Kind::NotSerial:
        return "not-serial";
    case SerialNodeFacts::Kind::Missing:
        break;
    }
    return "missing";
}

// "USB 0403:6001 FTDI FT232R USB UART, serial A1B2C3"
std::string UsbText(const SerialNodeFacts& f) {
    std::string text = "USB " + f.usbVendorId + ":" + f.usbProductId;
    for (const std::string* s : {&f.manufacturer, &f.product})
        if (!s->empty())
            text += " " + *s;
    if (!f.serial.empty())
        text += ", serial " + f.serial;
    if (!f.usbInterface.empty())
        text += ", interface " + f.usbInterface;
    return text;
}
#endif

void AddComJson(Json& j, const ComLine& line) {
    Json p = {
        {"port", line.number}, {"path", Format("\\\\.\\COM%d", line.number)}, {"node", line.node}};
#ifndef _WIN32
    const SerialNodeFacts& f = line.port.facts;
    p["kind"] = KindName(f.kind);
    p["what"] = f.what;
    p["entry"] = OrNull(line.port.entry);
    p["link"] = OrNull(line.port.linkTarget);
    if (f.IsPort()) {
        p["driver"] = OrNull(f.driver);
        p["usb"] = f.IsUsb() ? Json{{"vendor_id", f.usbVendorId},
                                    {"product_id", f.usbProductId},
                                    {"manufacturer", OrNull(f.manufacturer)},
                                    {"product", OrNull(f.product)},
                                    {"serial", OrNull(f.serial)},
                                    {"position", f.usbPosition},
                                    {"interface", OrNull(f.usbInterface)}}
                             : Json(nullptr);
        p["by_id"] = OrNull(f.byId);
    }
#endif
    j[IsPort(line) ? "com" : "not_ports"].push_back(p);
}

void PrintComLine(std::FILE* out, const ComLine& line, const std::vector<ComLine>& all) {
#ifdef _WIN32
    (void)all;
    std::fprintf(out, "COM%d: %s\n", line.number, line.node.c_str());
#else
    const SerialNodeFacts& f = line.port.facts;
    if (!f.IsPort()) {
        // An entry that leads to no serial device: its link as written, and what is there.
        const std::string& to = line.port.linkTarget.empty() ? f.node : line.port.linkTarget;
        std::fprintf(out, "not a port: COM%d -> %s, %s\n", line.number, to.c_str(),
                     (f.node != to && f.kind != SerialNodeFacts::Kind::Missing
                          ? f.node + " is " + f.what
                          : f.what)
                         .c_str());
        return;
    }
    std::string text = f.what;
    if (f.IsUsb())
        text += "; " + UsbText(f);
    if (!f.byId.empty())
        text += "; " + f.byId;
    for (const ComLine& other : all)
        if (other.number < line.number && IsPort(other) && other.node == line.node) {
            text += "; same device as COM" + std::to_string(other.number);
            break;
        }
    std::fprintf(out, "COM%d: %s (%s)\n", line.number, line.node.c_str(), text.c_str());
#endif
}

} // namespace

int PrintPorts(const DeviceNames& names, bool json, std::FILE* out, std::optional<int> only) {
    const auto com = ComPorts(names, only);
    if (only) {
        if (json) {
            Json j;
            j["device_dir"] = names.directory();
            j["com"] = Json::array();
            j["not_ports"] = Json::array();
            for (const ComLine& line : com)
                AddComJson(j, line);
            if (com.empty())
                j["status"] = Format("COM%d: no such port", *only);
#ifndef _WIN32
            else if (!IsPort(com.front()))
                j["status"] =
                    Format("COM%d: not a port (%s)", *only, com.front().port.facts.what.c_str());
#endif
            std::fprintf(out, "%s\n",
                         j.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
        } else if (com.empty()) {
            std::fprintf(out, "COM%d: no such port\n", *only);
        } else {
            PrintComLine(out, com.front(), com);
        }
        return !com.empty() && IsPort(com.front()) ? kExitDone : kExitFailed;
    }
    const auto usb = names.listUsbPrinters();
    std::vector<std::pair<std::string, std::string>> lpt;
    for (int n = 1; n <= 2; ++n)
        if (auto node = names.resolveLpt(n); node && names.isPresent(*node))
            lpt.emplace_back(Format("LPT%d", n), *node);

    if (json) {
        nlohmann::ordered_json j;
        j["device_dir"] = names.directory();
        j["com"] = nlohmann::ordered_json::array();
        j["not_ports"] = nlohmann::ordered_json::array();
        for (const ComLine& line : com)
            AddComJson(j, line);
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
        return kExitDone;
    }
    if (!names.directory().empty())
        std::fprintf(out, "device dir: %s%s\n", names.directory().c_str(),
                     names.isolated() ? " (only its entries)" : "");
    for (const ComLine& line : com)
        PrintComLine(out, line, com);
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
    return kExitDone;
}

} // namespace dax
