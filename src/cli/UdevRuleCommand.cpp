#include "cli/UdevRuleCommand.h"

#include "cli/CliOptions.h"
#include "platform/DeviceNames.h"
#include "platform/posix/SerialPortFacts.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

namespace dax {

namespace {

// A udev value is matched as a pattern and cannot hold a quote: a serial number with such
// characters cannot be matched as it is.
bool PlainValue(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7f && std::string("\"\\*?[]|").find(char(c)) == std::string::npos;
    });
}

// The rule for the adapter: matched by its identifiers and serial number (else by its place on
// the bus), a stable link /dev/daxtool-comN, the dialout group, and ModemManager told to leave
// it alone (its probing sends modem commands to the transporter and holds the port).
std::string Rule(int port, const SerialNodeFacts& f) {
    const std::string link = "daxtool-com" + std::to_string(port);
    std::string rule =
        "# COM" + std::to_string(port) + ": USB " + f.usbVendorId + ":" + f.usbProductId;
    for (const std::string* s : {&f.manufacturer, &f.product})
        if (!s->empty())
            rule += " " + *s;
    std::string match = "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"" + f.usbVendorId +
                        "\", ATTRS{idProduct}==\"" + f.usbProductId + "\", ";
    if (PlainValue(f.serial)) {
        rule += ", serial " + f.serial + "\n";
        match += "ATTRS{serial}==\"" + f.serial + "\", ";
    } else {
        rule += ", no serial number: matched by its USB socket " + f.usbPosition + "\n";
        match += "KERNELS==\"" + f.usbPosition + "\", ";
    }
    if (!f.usbInterface.empty())
        match += "ENV{ID_USB_INTERFACE_NUM}==\"" + f.usbInterface + "\", ";
    rule += "# Install as /etc/udev/rules.d/70-" + link +
            ".rules, then: sudo udevadm control --reload && sudo udevadm trigger "
            "--subsystem-match=tty\n";
    rule += match + "SYMLINK+=\"" + link +
            "\", GROUP=\"dialout\", MODE=\"0660\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n";
    return rule;
}

} // namespace

int PrintUdevRule(const DeviceNames& names, std::optional<int> port, bool json, std::FILE* out) {
    std::string status;
    std::string rule;
    std::optional<ComPortFacts> com;
    int exit = kExitDone;
    if (!port) {
        status = "udev-rule needs --port N (the port of the adapter)";
        exit = kExitUsage;
    } else if (com = DescribeComPort(names, *port); !com || !com->facts.IsPort()) {
        status = "COM" + std::to_string(*port) + ": no such port" +
                 (com ? " (" + com->facts.node + " " +
                            (com->facts.kind == SerialNodeFacts::Kind::Missing ? "" : "is ") +
                            com->facts.what + ")"
                      : std::string());
        exit = kExitFailed;
    } else if (!com->facts.IsUsb()) {
        status = "COM" + std::to_string(*port) + " (" + com->facts.node + ", " + com->facts.what +
                 ") is not a USB adapter; its name does not change, so it needs no rule";
        exit = kExitFailed;
    } else {
        rule = Rule(*port, com->facts);
        status = "udev rule for COM" + std::to_string(*port) + " (" + com->facts.node + ")";
    }
    if (json) {
        nlohmann::ordered_json j = {
            {"port", port ? nlohmann::ordered_json(*port) : nullptr},
            {"node", com ? nlohmann::ordered_json(com->facts.node) : nullptr},
            {"symlink", rule.empty()
                            ? nlohmann::ordered_json(nullptr)
                            : nlohmann::ordered_json("/dev/daxtool-com" + std::to_string(*port))},
            {"rule", rule.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(rule)},
            {"status", status}};
        std::fprintf(
            out, "%s\n",
            j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    } else if (rule.empty()) {
        std::fprintf(stderr, "%s\n", status.c_str());
    } else {
        std::fputs(rule.c_str(), out);
    }
    return exit;
}

} // namespace dax
