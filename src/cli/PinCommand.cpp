#include "cli/PinCommand.h"

#include "cli/CliOptions.h"
#include "platform/DeviceNames.h"
#include "platform/posix/SerialPortFacts.h"

#include <cctype>
#include <nlohmann/json.hpp>

namespace dax {

int RunPin(const DeviceNames& names, const std::string& port, const std::string& node, bool json,
           std::FILE* out) {
    const bool digits = !port.empty() && std::isdigit(static_cast<unsigned char>(port[0]));
    const auto number = DeviceNames::parseComPath(digits ? "COM" + port : port);
    PinResult r;
    int status = kExitDone;
    if (!number) {
        r.message = "pin: '" + port + "' names no port; give 1-256 or COM1-COM256";
        status = kExitUsage;
    } else {
        r = PinComPort(names, *number, node);
        switch (r.outcome) {
        case PinResult::Outcome::Pinned:
        case PinResult::Outcome::Unchanged:
            break;
        case PinResult::Outcome::NotSerial:
            status = kExitUsage;
            break;
        case PinResult::Outcome::EntryInTheWay:
        case PinResult::Outcome::Failed:
            status = kExitFailed;
            break;
        }
    }
    if (json) {
        auto orNull = [](const std::string& s) {
            return s.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(s);
        };
        nlohmann::ordered_json j = {{"port", number ? nlohmann::ordered_json(*number) : nullptr},
                                    {"entry", orNull(r.entry)},
                                    {"target", orNull(r.target)},
                                    {"previous", orNull(r.previous)},
                                    {"status", r.message}};
        std::fprintf(
            out, "%s\n",
            j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    } else {
        std::fprintf(status == kExitDone ? out : stderr, "%s\n", r.message.c_str());
        if (r.outcome == PinResult::Outcome::Pinned)
            std::fprintf(out, "entry: %s\n", r.entry.c_str());
    }
    return status;
}

} // namespace dax
