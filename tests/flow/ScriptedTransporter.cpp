#include "flow/ScriptedTransporter.h"

#include "devices/ProductRecognition.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dax::flow {

namespace {

// What the transporter passes to its printer untouched: raster data and the printer's own
// set-up commands. Transporter commands (inquiry, sense, elements, rates, flash, drawer, align
// passes) begin ESC '!' and one of these letters.
// The stand-alone printer also takes its settings, sense and print starts that way.
bool IsPrintData(const std::vector<uint8_t>& bytes, bool inkographer) {
    return bytes.size() < 3 || bytes[0] != 0x1B || bytes[1] != '!' ||
           std::strchr(inkographer ? "abdefghmrst" : "abdefgh", bytes[2]) == nullptr;
}

std::string Padded(std::string text, size_t length) {
    text.resize(length, ' ');
    return text;
}

} // namespace

std::string InquiryAnswer(const Inquiry& q) {
    std::string id = Padded(q.product, 16) + "VERSION " + q.revision + "A  ";
    if (q.count >= 64)
        id += Padded(q.printerName, 16) + Padded(q.printerModel, 8) + Padded(q.printerRevision, 8);
    id.resize(q.count, ' ');
    char head[8];
    std::snprintf(head, sizeof head, "\x1B!e0%03u", q.count);
    return std::string(head, 7) + id;
}

std::vector<uint8_t> ReceivedInquiry(const Inquiry& q, size_t size) {
    const std::string whole = InquiryAnswer(q);
    std::vector<uint8_t> answer(size, 0);
    std::memcpy(answer.data(), whole.data(), std::min({whole.size(), size_t(7 + 96), size}));
    return answer;
}

bool StoreInquiry(const Inquiry& q) {
    return IsKnownTransporter(ReceivedInquiry(q, 7 + 96 + 32).data(), q.count);
}

bool StoreInkographerInquiry(const Inquiry& q) {
    return IsInkographerInquiry(ReceivedInquiry(q).data(), q.count);
}

void DrawerOpenedThrough(FakePrinter& printer, ScriptedTransporter& t, const std::string& find) {
    t.refusals[find] = {3, 0};
    printer.onWrite = [&t, find](FakePrinter&, const std::vector<uint8_t>& bytes) {
        const std::string text(bytes.begin(), bytes.end());
        if (text == "\x1B!d0C")
            t.refusals.erase(find);
        if (text == "\x1B!d1C")
            t.refusals[find] = {3, 0};
    };
}

std::vector<std::string> Texts(const std::vector<std::vector<uint8_t>>& writes) {
    std::vector<std::string> texts;
    for (const auto& w : writes)
        texts.emplace_back(w.begin(), w.end());
    return texts;
}

ScriptedTransporter::ScriptedTransporter(uint32_t baud)
    : line(std::make_shared<FakeSerialLine>(clock)) {
    Listen();
    port = std::make_unique<CTransporterPort>(std::make_unique<FakeSerialDevice>(line), clock,
                                              "\\\\.\\COM1", baud);
    line->timeoutHistory.clear(); // only the exchanges count
}

ScriptedTransporter::ScriptedTransporter(std::shared_ptr<FakeSerialLine> attachedLine)
    : line(std::move(attachedLine)) {
    Listen();
}

std::unique_ptr<ScriptedTransporter> ScriptedTransporter::OnPort(FakeSerialDeviceFactory& devices,
                                                                 int port, const Inquiry& inquiry,
                                                                 uint32_t rate) {
    auto t =
        std::make_unique<ScriptedTransporter>(devices.attach("\\\\.\\COM" + std::to_string(port)));
    t->inquiry = inquiry;
    t->ownRate = rate;
    return t;
}

void ScriptedTransporter::Listen() {
    line->onWrite = [this](FakeSerialLine& l, const std::vector<uint8_t>& bytes) {
        if (flashExpected > 0) {
            const size_t n = std::min(flashExpected, bytes.size());
            flashData.insert(flashData.end(), bytes.begin(), bytes.begin() + long(n));
            flashExpected -= n;
            if (flashExpected == 0 && senseAfterImage != 0)
                transporterSense = senseAfterImage;
            return;
        }
        if (IsPrintData(bytes, inkographer)) {
            TakePrintData(bytes);
            return;
        }
        m_bPrinting = false;
        const std::string text(bytes.begin() + (bytes[0] == 0x1B ? 1 : 0), bytes.end());
        commands.push_back(text);
        rates.push_back(l.lineState.baudRate);
        if (ownRate != 0 && l.lineState.baudRate != ownRate)
            return;
        unsigned size = 0;
        const bool programming = std::sscanf(text.c_str(), "!g0%uC", &size) == 1 || text == "!h0C";
        if (programming && programmingAnswer) {
            l.queueInput(*programmingAnswer);
            flashExpected = text == "!h0C" ? 65536 : size;
            return;
        }
        auto answer = Answer(text);
        if (auto it = refusals.find(text); it != refusals.end() && !answer)
            std::tie(transporterSense, printerSense) = it->second;
        if (auto it = refusals.find(text); it != refusals.end() && answer) {
            (*answer)[4] = '0'; // refused in the command's own answer form
            std::tie(transporterSense, printerSense) = it->second;
        }
        if (answer)
            l.queueInput(*answer);
        if (answer && (*answer)[4] == '1' && programming)
            flashExpected = text == "!h0C" ? 65536 : size;
        if (auto it = silenceAfter.find(text); it != silenceAfter.end())
            silentSenses = it->second;
        if (onCommand)
            onCommand(text);
    };
}

void ScriptedTransporter::TakePrintData(const std::vector<uint8_t>& bytes) {
    printWrites.emplace_back(bytes.begin(), bytes.end());
    printed.append(bytes.begin(), bytes.end());
    size_t run = bytes.size();
    if (m_bPrinting && !commands.empty() && commands.back().front() == '[') {
        run += std::strtoul(commands.back().c_str() + 1, nullptr, 10);
        commands.pop_back();
    }
    commands.push_back("[" + std::to_string(run) + "]");
    m_bPrinting = true;
}

std::optional<std::string> ScriptedTransporter::Answer(const std::string& command) {
    if (auto it = overrides.find(command); it != overrides.end())
        return it->second;
    char text[32];
    int number = 0;
    if (command == "!e0C" && inquiry)
        return InquiryAnswer(*inquiry);
    if (inkographer) {
        if (command == "!r3C") {
            if (silentSenses > 0 && silentSenses--)
                return std::nullopt;
            if (!printerSenses.empty()) {
                printerSense = printerSenses.front();
                printerSenses.pop_front();
            }
            std::snprintf(text, sizeof text, "\x1B!r31%03uC", printerSense);
            printerSense = 0;
            return text;
        }
        if (command == "!f:C")
            return "\x1B!f:1 " + (stored.count(0) ? stored[0] : std::string(8, ' '));
        if (command.compare(0, 4, "!f9C") == 0)
            stored[0] = command.substr(4);
        for (const char* silent : {"!m", "!t", "!s", "!d", "!a", "!f31", "!f9C", "!g1C"})
            if (command.compare(0, std::strlen(silent), silent) == 0)
                return std::nullopt;
        if (command == "!r0C" || command.compare(0, 3, "!g0") == 0)
            return "\x1B!r01C";
        if (command.size() == 5 && command.compare(0, 3, "!f;") == 0) {
            std::snprintf(text, sizeof text, "%-6d", counters[command[3]]);
            return "\x1B" + command.substr(0, 4) + text;
        }
    }
    if (command == "!e1C" || command == "!f0C") {
        if (silentSenses > 0 && silentSenses--)
            return std::nullopt;
        if (!printerSenses.empty()) {
            printerSense = printerSenses.front();
            printerSenses.pop_front();
        }
        if (command == "!f0C")
            std::snprintf(text, sizeof text, "\x1B!f0%uC", transporterSense % 10u);
        else if (printerBSense)
            std::snprintf(text, sizeof text, "\x1B!e1%03u%03u%03uC", transporterSense, printerSense,
                          *printerBSense);
        else
            std::snprintf(text, sizeof text, "\x1B!e1%03u%03uC", transporterSense, printerSense);
        return text;
    }
    if (command.size() == 7 && std::sscanf(command.c_str(), "!f0%3dC", &number) == 1) {
        auto it = elementStates.find(number);
        std::snprintf(text, sizeof text, "\x1B!f01%d%05dC",
                      it == elementStates.end() ? 2 : it->second, number);
        return text;
    }
    // A stored text of 8 characters, kept for the read that follows.
    if (command.size() == 15 && std::sscanf(command.c_str(), "!f9%3dC", &number) == 1 &&
        command[6] == 'C' && !refusals.count(command))
        stored[number] = command.substr(7);
    if (std::sscanf(command.c_str(), "!f:%3dC", &number) == 1)
        return "\x1B!f:1 " + (stored.count(number) ? stored[number] : std::string(8, ' '));
    if (command.size() == 5 && command.compare(0, 3, "!f;") == 0) {
        std::snprintf(text, sizeof text, " %-6d", counters[command[3]]);
        return "\x1B" + command.substr(0, 4) + text;
    }
    if (command.compare(0, 2, "!b") == 0) {
        // The new rate applies once the answer is out.
        if (ownRate != 0)
            ownRate = command == "!b11520C" ? 115200 : uint32_t(std::atoi(command.c_str() + 2));
        return "\x1B!b1C";
    }
    // Drawer and align-pass commands go through to the printer: no answer.
    if (command.compare(0, 2, "!a") == 0 || command.compare(0, 2, "!d") == 0)
        return std::nullopt;
    return "\x1B!xx1C";
}

void ScriptedTransporter::ElementValue(int element, int value) {
    char answer[16];
    std::snprintf(answer, sizeof answer, "\x1B!f010%05dC", value);
    overrides["!f0" + std::to_string(element) + "C"] = answer;
}

std::string ScriptedTransporter::Sequence() const {
    std::string all;
    for (const std::string& c : commands)
        all += (all.empty() ? "" : " ") + c;
    return all;
}

std::string ScriptedTransporter::Sent() {
    const std::string sent = Sequence();
    commands.clear();
    return sent;
}

std::vector<uint32_t> ScriptedTransporter::AnswerTimeouts() const {
    std::vector<uint32_t> result;
    for (const SerialTimeouts& t : line->timeoutHistory)
        if (t.readTotalConstant != CTransporterPort::kDrainMs)
            result.push_back(t.readTotalConstant);
    return result;
}

} // namespace dax::flow
