#pragma once

#include "devices/Interaction.h"
#include "link/CTransporterPort.h"
#include "platform/fake/FakePrinterDevices.h"
#include "platform/fake/FakeSerialLine.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dax::flow {

// An inquiry answer as discovery would have stored it; revisions are identification bytes
// 24-28 and 56-60. From a count of 64 on, a printer answered.
struct Inquiry {
    std::string product = "DISC TRANSPORTER";
    std::string revision = "3.07 ";
    uint32_t count = 32;
    std::string printerName = "DISC PRINTER";
    std::string printerModel = "DP0001";
    std::string printerRevision = "4.00 ";
};

// The whole inquiry answer: the 7-byte head and the identification bytes.
std::string InquiryAnswer(const Inquiry& inquiry);
// The answer in discovery's zero-filled receive buffer of `size` bytes, cut after the head and
// 96 identification bytes.
std::vector<uint8_t> ReceivedInquiry(const Inquiry& inquiry, size_t size = 7 + 96);
// Puts the answer through the recogniser into the shared inquiry buffer.
bool StoreInquiry(const Inquiry& inquiry);
// The same through the stand-alone printer's recogniser (its own 39-byte buffer).
bool StoreInkographerInquiry(const Inquiry& inquiry);

// A small transporter at the far end of the link: it answers each command by its text and
// records what it was sent (without the escape byte) and at which line rate.
class ScriptedTransporter {
public:
    explicit ScriptedTransporter(uint32_t baud = 38400);
    // Answers on a line that the program opens itself (through a fake device factory).
    explicit ScriptedTransporter(std::shared_ptr<FakeSerialLine> attachedLine);
    // A transporter of this identification answering at `rate` on COMn of the factory.
    static std::unique_ptr<ScriptedTransporter> OnPort(FakeSerialDeviceFactory& devices, int port,
                                                       const Inquiry& inquiry, uint32_t rate);

    FakeClock clock;
    std::shared_ptr<FakeSerialLine> line;
    std::unique_ptr<CTransporterPort> port;

    std::map<int, int> elementStates;                              // others answer state 2
    std::map<std::string, std::pair<uint16_t, uint16_t>> refusals; // -> sense codes after it
    uint16_t transporterSense = 0;
    uint16_t printerSense = 0;
    std::deque<uint16_t> printerSenses; // printer codes of the next senses, one each
    // Plays the dual-printer transporter when set: its sense carries printer B's code too.
    std::optional<uint16_t> printerBSense;
    int silentSenses = 0;                    // senses that get no answer
    std::map<std::string, int> silenceAfter; // a command after which senses go unanswered
    std::map<int, std::string> stored;       // stored texts by area
    std::map<char, int> counters;
    std::map<std::string, std::string> overrides; // answers replacing the default
    std::optional<Inquiry> inquiry;               // answered to "!e0C" when set
    uint32_t ownRate = 0;                         // when set: silent at any other line rate
    // Plays the stand-alone printer: sense is ESC "!r3C", and its commands that are judged by
    // the sense after them get no answer (a refusal then only sets the sense).
    bool inkographer = false;

    // Firmware data taken after an accepted "!g0nC" or "!h0C" (65536 bytes), never commands.
    std::vector<uint8_t> flashData;
    size_t flashExpected = 0;
    // When set, what a programming command is answered (empty: nothing); the device enters
    // programming mode all the same.
    std::optional<std::string> programmingAnswer;
    // Transporter sense once the announced image has arrived (a rejected image).
    uint16_t senseAfterImage = 0;

    // Called with each command once it is answered (after a store, the text is kept).
    std::function<void(const std::string&)> onCommand;

    // Commands in order; a run of print data written raw (printer set-up, raster data) shows
    // as one "[n]" with its byte count.
    std::vector<std::string> commands;
    std::vector<uint32_t> rates;
    // Every raw print-data write as it came, and all of those bytes in order.
    std::vector<std::string> printWrites;
    std::string printed;

    // Element `element` reporting `value` in its status.
    void ElementValue(int element, int value);

    std::string Sequence() const;
    // The sequence of the commands sent since the last look, which are then forgotten.
    std::string Sent();
    // Read time-outs (ms) set for answers, drains left out.
    std::vector<uint32_t> AnswerTimeouts() const;

private:
    void Listen();
    void TakePrintData(const std::vector<uint8_t>& bytes);
    bool m_bPrinting = false;
    std::optional<std::string> Answer(const std::string& command);
};

// The transporter finds a drawer out on `find` (an element command) only between this printer's
// open-drawer and close-drawer commands: the printer on that port owns the drawer.
void DrawerOpenedThrough(FakePrinter& printer, ScriptedTransporter& t, const std::string& find);
// Each write as text, and each write's size.
std::vector<std::string> Texts(const std::vector<std::vector<uint8_t>>& writes);
template <class Writes> std::vector<size_t> Sizes(const Writes& writes) {
    std::vector<size_t> sizes;
    for (const auto& w : writes)
        sizes.push_back(w.size());
    return sizes;
}

class CountingInteraction : public NoInteraction {
public:
    void PumpMessages() override { ++pumps; }
    int pumps = 0;
};

} // namespace dax::flow
