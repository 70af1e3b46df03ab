#pragma once

#include <string>
#include <vector>

namespace dax::sim {

struct SOptions {
    std::string profile;
    std::vector<std::string> settings; // KEY=VALUE, in order
    int port = 1;
    std::string deviceDir;
    std::string logPath;
    bool usbPrinter = false;  // link DIR/usb/<entry> to the printer's USB port
    std::string printCapture; // raw print bytes, in the order they arrive
    std::string printPbmDir;  // each print job's page as DIR/job-N.pbm
    bool listProfiles = false;
    bool help = false;
    bool version = false;
};

// The command line of daxsim; on false, error says what is wrong.
bool ParseOptions(int argc, const char* const* argv, SOptions& options, std::string& error);

const char* Usage();

} // namespace dax::sim
