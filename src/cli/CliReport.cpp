#include "cli/CliReport.h"

#include "app/ControlIds.h"
#include "cli/CalibrateCommand.h"
#include "devices/CHalcyra.h"
#include "devices/CInkographer.h"
#include "devices/CVelmora.h"
#include "platform/DeviceNames.h"
#include "platform/Format.h"

#include <nlohmann/json.hpp>

namespace dax {

namespace {

using Json = nlohmann::ordered_json;

struct Flag {
    const char* key;
    bool CTransporter::*member;
};

const Flag kFlags[] = {
    {"otp_firmware", &CTransporter::m_bOtpFirmware},
    {"rotator", &CTransporter::m_bRotator},
    {"mailbox", &CTransporter::m_bMailbox},
    {"writable_settings", &CTransporter::m_bWritableSettings},
    {"grid_printable", &CTransporter::m_bGridPrintable},
    {"pocket_calibration", &CTransporter::m_bPocketCalibration},
    {"old_firmware", &CTransporter::m_bOldFirmware},
    {"led_flashing", &CTransporter::m_bLedFlashing},
    {"calibration", &CTransporter::m_bCalibration},
    {"serial_numbers", &CTransporter::m_bSerialNumbers},
    {"printer_serial_editable", &CTransporter::m_bPrinterSerialEditable},
    {"margins_editable", &CTransporter::m_bMarginsEditable},
    {"align_passes", &CTransporter::m_bAlignPasses},
    {"stand_alone_printer", &CTransporter::m_bStandAlonePrinter},
};

std::string SuffixText(int suffix) {
    return suffix > 0x20 && suffix < 0x7f ? std::string(1, char(suffix)) : std::string();
}

// The values the report shows, taken once from the dialog and its controls. What the device did
// not give is left out, never shown as a default.
struct Snapshot {
    CTransporter* device = nullptr;
    bool hasPort = false;
    std::string node;
    bool serialRead = false;
    bool transporterSerialRead = false; // a stand-alone printer has no transporter serial
    bool printerBShown = false;
    bool paramsRead = false;
    bool printerRevisionRead = false; // 0: no printer, or one whose revision is not read
    // A printer answered, but none was counted: a Morrane printer counts only once found on USB.
    bool printerCountKnown = false;
};

Json Counter(const std::string& text) {
    if (text.empty())
        return nullptr;
    return std::stoi(text);
}

Json OptionalText(bool present, const std::string& text) {
    return present ? Json(TrimPadding(text)) : Json(nullptr);
}

Snapshot Take(const CDaxtoolDlg& dlg, DialogView& view, const DeviceNames& names, bool noPort) {
    Snapshot s;
    s.device = dlg.GetTransporter();
    s.hasPort = !noPort && !dlg.m_strPortPath.empty();
    if (auto node = names.resolvePath(dlg.m_strPortPath); node && s.hasPort)
        s.node = *node;
    s.serialRead = s.device && dlg.SerialNumbersRead();
    s.transporterSerialRead = s.serialRead && !s.device->m_bStandAlonePrinter;
    s.printerBShown = s.device && view.IsControlVisible(IDC_PRINTER_B_SN);
    s.paramsRead = s.device && s.device->HasVaultekParams() && dlg.ParamsRead();
    if (s.device) {
        const bool printerId = !s.device->m_strPrinterId.empty();
        s.printerRevisionRead = printerId && s.device->m_nPrinterRevision > 0;
        s.printerCountKnown = !printerId || s.device->m_nPrinters > 0;
    }
    return s;
}

} // namespace

void PrintStatusJson(std::FILE* out, const std::string& status) {
    const Json j = {{"status", status}};
    std::fprintf(out, "%s\n", j.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
}

std::string DeviceClassName(const CTransporter& device) {
    // The dual-printer transporter is a CVelmora too: it is asked first.
    if (dynamic_cast<const CHalcyra*>(&device))
        return "CHalcyra";
    if (dynamic_cast<const CVelmora*>(&device))
        return "CVelmora";
    if (dynamic_cast<const CInkographer*>(&device))
        return "CInkographer";
    return "CTransporter";
}

std::string TrimPadding(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f)
            out += char(c);
        else
            out += Format("\\x%02X", c);
    }
    return out;
}

void CliReport::PrintJson(std::FILE* out) const {
    const Snapshot s = Take(m_dlg, m_view, m_names, m_bNoPort);
    Json j;
    j["port"] = s.hasPort ? Json(m_dlg.m_nPort) : Json(nullptr);
    j["baud"] = s.hasPort ? Json(m_dlg.m_nBaud) : Json(nullptr);
    j["port_path"] = s.hasPort ? Json(m_dlg.m_strPortPath) : Json(nullptr);
    j["port_node"] = s.node.empty() ? Json(nullptr) : Json(s.node);
    j["status"] = m_dlg.m_strStatus;
    if (s.device) {
        const CTransporter& t = *s.device;
        Json flags;
        for (const Flag& f : kFlags)
            flags[f.key] = t.*(f.member);
        j["device"] = {{"class", DeviceClassName(t)},
                       {"inquiry_id", TrimPadding(t.m_strTransporterId)},
                       {"printer_id", OptionalText(!t.m_strPrinterId.empty(), t.m_strPrinterId)},
                       {"transporter_revision", t.m_nTransporterRevision},
                       {"revision_suffix", SuffixText(t.m_nRevisionSuffix)},
                       {"printer_revision",
                        s.printerRevisionRead ? Json(t.m_nPrinterRevision) : Json(nullptr)},
                       {"printers", s.printerCountKnown ? Json(t.m_nPrinters) : Json(nullptr)},
                       {"flags", flags}};
    } else {
        j["device"] = nullptr;
    }
    auto known = [this](int id) { return !m_dlg.IsFieldUnknown(id); };
    j["serial"] = {
        {"transporter", OptionalText(s.transporterSerialRead && known(IDC_TRANSPORTER_SN),
                                     m_dlg.m_strTransporterSn)},
        {"printer",
         OptionalText(s.serialRead && !m_dlg.m_strPrinterSn.empty() && known(IDC_PRINTER_SN),
                      m_dlg.m_strPrinterSn)},
        {"printer_b",
         OptionalText(s.printerBShown && known(IDC_PRINTER_B_SN), m_dlg.m_strPrinterBSn)}};
    j["counters"] = {{"print", Counter(m_dlg.m_strCountPrint)},
                     {"ribbon", Counter(m_dlg.m_strCountRibbon)},
                     {"image", Counter(m_dlg.m_strCountImage)}};
    if (s.paramsRead) {
        auto param = [&](int id, Json value) { return known(id) ? value : Json(nullptr); };
        j["params"] = {
            {"display_name", param(IDC_DISPLAY_NAME, TrimPadding(m_dlg.m_strDisplayName))},
            {"override_name", param(IDC_OVERRIDE_NAME, m_dlg.m_bOverrideName)},
            {"enable_shutdown", param(IDC_ENABLE_SHUTDOWN, m_dlg.m_bEnableShutdown)},
            {"use_computer_name", param(IDC_USE_COMPUTER_NAME, m_dlg.m_bUseComputerName)},
            {"beeps", param(IDC_BEEPS, m_dlg.m_nBeeps)}};
    } else {
        j["params"] = {{"display_name", nullptr},
                       {"override_name", nullptr},
                       {"enable_shutdown", nullptr},
                       {"use_computer_name", nullptr},
                       {"beeps", nullptr}};
    }
    // The image a firmware update or its check chose, and where it goes.
    if (const FlashPlan& plan = m_dlg.GetFlashPlan(); !plan.text.empty())
        j["flash"] = {{"image", plan.image},
                      {"images", plan.images},
                      {"bytes", plan.bytes},
                      {"plan", plan.text}};
    if (m_pCalibration) {
        j["calibration"] = m_pCalibration->json;
        if (m_pCalibration->status)
            j["status"] = *m_pCalibration->status;
    }
    // Texts from the device may hold bytes that are not UTF-8 (an unprogrammed serial number).
    const std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
}

void CliReport::PrintHuman(std::FILE* out, bool brief) const {
    const Snapshot s = Take(m_dlg, m_view, m_names, m_bNoPort);
    auto line = [out](const char* key, const std::string& value) {
        std::fprintf(out, "%s: %s\n", key, Printable(value).c_str());
    };
    auto yesNo = [](bool b) { return std::string(b ? "yes" : "no"); };
    if (!s.hasPort) {
        line("port", "none");
    } else {
        line("port", m_dlg.m_strPortPath.size() > 4 ? m_dlg.m_strPortPath.substr(4) : "");
        // On Windows a port is its own node: nothing to add.
        line("port path",
             m_dlg.m_strPortPath +
                 (s.node.empty() || s.node == m_dlg.m_strPortPath ? "" : " -> " + s.node));
        line("baud", Format("%d", m_dlg.m_nBaud));
    }
    if (s.device) {
        const CTransporter& t = *s.device;
        line("device", DeviceClassName(t));
        line("inquiry id", t.m_strTransporterId);
        if (brief) {
            line("status", m_dlg.m_strStatus);
            return;
        }
        if (!t.m_strPrinterId.empty())
            line("printer id", t.m_strPrinterId);
        line("transporter revision",
             Format("%d%s", t.m_nTransporterRevision, SuffixText(t.m_nRevisionSuffix).c_str()));
        if (s.printerRevisionRead)
            line("printer revision", Format("%d", t.m_nPrinterRevision));
        if (s.printerCountKnown)
            line("printers", Format("%d", t.m_nPrinters));
        std::string flags;
        for (const Flag& f : kFlags)
            if (t.*(f.member))
                flags += std::string(flags.empty() ? "" : " ") + f.key;
        line("flags", flags);
        // A value whose store is in doubt has no line: the status says to read it again.
        auto known = [this](int id) { return !m_dlg.IsFieldUnknown(id); };
        if (s.transporterSerialRead && known(IDC_TRANSPORTER_SN))
            line("transporter sn", m_dlg.m_strTransporterSn);
        if (s.serialRead && !m_dlg.m_strPrinterSn.empty() && known(IDC_PRINTER_SN))
            line("printer sn", m_dlg.m_strPrinterSn);
        if (s.printerBShown && known(IDC_PRINTER_B_SN))
            line("printer b sn", m_dlg.m_strPrinterBSn);
        // An empty counter is one the printer did not give.
        auto counter = [&line](const char* key, const std::string& value) {
            if (!value.empty())
                line(key, value);
        };
        counter("print count", m_dlg.m_strCountPrint);
        counter("ribbon count", m_dlg.m_strCountRibbon);
        counter("image count", m_dlg.m_strCountImage);
        if (s.paramsRead) {
            if (known(IDC_DISPLAY_NAME))
                line("display name", m_dlg.m_strDisplayName);
            if (known(IDC_OVERRIDE_NAME))
                line("override name", yesNo(m_dlg.m_bOverrideName));
            if (known(IDC_ENABLE_SHUTDOWN))
                line("enable shutdown", yesNo(m_dlg.m_bEnableShutdown));
            if (known(IDC_USE_COMPUTER_NAME))
                line("use computer name", yesNo(m_dlg.m_bUseComputerName));
            if (known(IDC_BEEPS))
                line("beeps", Format("%d", m_dlg.m_nBeeps));
        }
    } else {
        line("device", "none");
    }
    if (m_pCalibration) {
        m_pCalibration->PrintHuman(out);
        if (m_pCalibration->status) {
            // The dialog's status has several lines; the report keeps it on one.
            std::string status = *m_pCalibration->status;
            for (char& c : status)
                if (c == '\n')
                    c = ' ';
            line("status", status);
            return;
        }
    }
    line("status", m_dlg.m_strStatus);
}

} // namespace dax
