#include "Answers.h"

#include "Numbers.h"

namespace dax::sim::answer {

namespace {

const std::string kEsc = "\x1b";

std::string Lead(const std::string& head) {
    std::string lead = kEsc + "!";
    lead += head.size() > 0 ? head[0] : ' ';
    lead += head.size() > 1 ? head[1] : ' ';
    return lead;
}

char Outcome(bool ok) {
    return ok ? '1' : '0';
}

} // namespace

std::string Ack(const std::string& head, bool done) {
    return Lead(head) + Outcome(done) + "C";
}

std::string Sense(int transporterSense, int printerSense) {
    return kEsc + "!e1" + Digits(transporterSense, 3) + Digits(printerSense, 3) + "C";
}

std::string ShortSense(int transporterSense) {
    // Codes above 9 do not fit one digit; '0' + code still gives the host the code back.
    const int code = transporterSense < 0 ? 0 : transporterSense > 79 ? 79 : transporterSense;
    return kEsc + "!f0" + static_cast<char>('0' + code) + "C";
}

std::string ElementStatus(bool valid, int state, long value) {
    return kEsc + "!f0" + Outcome(valid) + static_cast<char>('0' + state % 10) + Digits(value, 5) +
           "C";
}

std::string StoredText(const std::string& area, bool valid, const std::string& text) {
    std::string field = valid ? text : std::string();
    field.resize(8, ' ');
    return kEsc + "!f:" + Outcome(valid) + (area.empty() ? ' ' : area.back()) + field;
}

std::string Baud(bool accepted) {
    return kEsc + "!b" + Outcome(accepted) + "C";
}

std::string Counter(const std::string& command, bool valid, long value) {
    std::string out = command.substr(0, 5);
    out.resize(5, ' ');
    if (!valid)
        out[4] = '0';
    return out + "=" + Digits(valid ? value : 0, 6);
}

std::string InquiryHead(int count) {
    return kEsc + "!e0" + Digits(count, 3);
}

} // namespace dax::sim::answer
