#pragma once

#include "app/CDaxtoolDlg.h"
#include "app/DialogView.h"

#include <cstdio>
#include <string>

namespace dax {

class DeviceNames;
struct CalibrationSummary;

// What the program found and the outcome, as the command line prints it: key: value lines with
// the status last, or one JSON object.
class CliReport {
public:
    CliReport(const CDaxtoolDlg& dlg, DialogView& view, const DeviceNames& names)
        : m_dlg(dlg), m_view(view), m_names(names) {}

    // The report names no port: none was probed, or every port was and the status says how
    // each one ended.
    void SetNoPort() { m_bNoPort = true; }

    // brief: where the transporter answers and what it is, without its page.
    void PrintHuman(std::FILE* out, bool brief = false) const;
    void PrintJson(std::FILE* out) const;
    // A calibration round's fields go before the status, which becomes the dialog's own.
    void SetCalibration(const CalibrationSummary* summary) { m_pCalibration = summary; }

private:
    const CDaxtoolDlg& m_dlg;
    DialogView& m_view;
    const DeviceNames& m_names;
    const CalibrationSummary* m_pCalibration = nullptr;
    bool m_bNoPort = false;
};

// The report of a run that ended before it reached a device or a file: its status alone.
void PrintStatusJson(std::FILE* out, const std::string& status);

// The device class of a device object, by its most derived known class.
std::string DeviceClassName(const CTransporter& device);
// Text fit for a terminal line: bytes outside printable ASCII as \xNN.
std::string Printable(const std::string& text);
// A device text without the spaces that pad it to its field's width.
std::string TrimPadding(std::string text);

} // namespace dax
