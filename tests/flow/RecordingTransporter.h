#pragma once

#include "devices/CTransporter.h"
#include "platform/fake/FakeClock.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace dax::flow {

// A device that records each operation the dialogs call on it ("SetRotationalOffset(32)") and
// fails those named in `failing` with `failText` as its error text.
class RecordingTransporter : public CTransporter {
public:
    RecordingTransporter() : CTransporter(clock, interaction) { m_nPrinters = 1; }

    FakeClock clock;
    NoInteraction interaction;
    std::vector<std::string> calls;
    std::set<std::string> failing; // operation names
    std::string failText = "Transporter: Medium Error";
    std::function<void(const std::string&)> onCall; // runs as each operation is called

    // The calls without the ones a print makes, to read a flow at a glance.
    std::vector<std::string> Moves() const;

    int SelectPrinter(int printer) override {
        Record("SelectPrinter", printer);
        return CTransporter::SelectPrinter(printer);
    }
    void Initialize() override {}
    bool RequestSense(int, uint16_t*, uint16_t*) override { return true; }
    bool SetTopMargin(int v) override { return Record("SetTopMargin", v); }
    bool SetLeftMargin(int v) override { return Record("SetLeftMargin", v); }
    bool SetRotationalOffset(int v) override { return Record("SetRotationalOffset", v); }
    bool SetPocketOffset(int v) override { return Record("SetPocketOffset", v); }
    bool SetMediaSize(int v) override { return Record("SetMediaSize", v); }
    bool LoadPrinter(int bin) override { return Record("LoadPrinter", bin); }
    bool ReloadPrinter(int bin) override { return Record("ReloadPrinter", bin); }
    bool LoadPocketDisc(bool fromBin1) override { return Record("LoadPocketDisc", fromBin1); }
    bool UnloadPrinter() override { return Record("UnloadPrinter"); }
    bool CheckFlashFile(const uint8_t*, uint32_t) override { return false; }
    bool BeginFlash(uint32_t) override { return false; }
    bool SendFlashData(const uint8_t*, uint32_t) override { return false; }
    bool GetSerialNumbers(std::string&, std::string&) override { return false; }
    bool SetSerialNumbers(const std::string&, const std::string&) override { return false; }
    bool SaveSettings(bool store) override { return Record("SaveSettings", store); }
    void FlashLeds(int) override {}
    bool SendPrintData(const uint8_t*, uint32_t length) override {
        printed += length;
        return Record("SendPrintData");
    }
    const std::string& GetPrinterSenseText() override { return m_strPrinterSenseText; }
    const std::string& GetSenseText() override { return m_strTransporterSenseText; }
    bool OpenPrinterDrawer() override { return Record("OpenPrinterDrawer"); }
    int GetRebootDelay() override { return 0; }
    bool SendPrePrint() override { return Record("SendPrePrint"); }
    bool WaitPrintComplete() override { return Record("WaitPrintComplete"); }
    int GetPrinterKind() override { return 0; }
    uint32_t GetPattern(int pattern, const uint8_t** data) override {
        if (!Record("GetPattern", pattern))
            return 0;
        static const uint8_t kRows[] = {0x1B, '*', 'b', '0', 'W'};
        *data = kRows;
        return sizeof kRows;
    }

    size_t printed = 0; // print data bytes

private:
    bool Record(const std::string& name, int argument = -1) {
        calls.push_back(argument < 0 ? name + "()" : name + "(" + std::to_string(argument) + ")");
        if (onCall)
            onCall(name);
        if (failing.count(name)) {
            m_strError = failText;
            return false;
        }
        return true;
    }
};

inline std::vector<std::string> RecordingTransporter::Moves() const {
    static const std::set<std::string> printing = {"GetPattern(3)", "SendPrintData()",
                                                   "SendPrePrint()", "WaitPrintComplete()",
                                                   "OpenPrinterDrawer()"};
    std::vector<std::string> moves;
    for (const std::string& call : calls)
        if (!printing.count(call))
            moves.push_back(call);
    return moves;
}

} // namespace dax::flow
