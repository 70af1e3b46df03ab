#pragma once

#include "app/CDaxtoolDlg.h"
#include "cli/CliOptions.h"
#include "cli/CliView.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace dax {

// What a calibration round sent and how it went, for the report.
struct CalibrationSummary {
    nlohmann::ordered_json json;                            // the "calibration" object
    std::vector<std::pair<std::string, std::string>> lines; // key: value lines
    std::optional<std::string> status;                      // the dialog's, once it opened

    void PrintHuman(std::FILE* out) const;
};

// The calibration values against the dialogs' own limits and messages, before any port is
// opened: the message, or empty.
std::string CheckCalibrationValues(const CliOptions& o);

// calibrate-rotator and calibrate-pocket: the values are checked against the fields the dialog
// enables for the device found and by its own field exchange before anything is sent, then the
// main dialog's button opens the dialog and one Test (or Restore Default) round runs in it, Save
// Offset after a good round when asked, and Exit. The exit status: a round is good once the
// disc is loaded (and, for the rotator, the offset marks printed).

int RunCalibrateRotator(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                        CalibrationSummary& summary);
int RunCalibratePocket(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
                       CalibrationSummary& summary);

} // namespace dax
