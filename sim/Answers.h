#pragma once

#include <string>

namespace dax::sim {

// The answer forms of the command language. Bytes 0-3 repeat ESC "!" and the first two characters
// of the command; the host reads only the fields named here.
namespace answer {

// A, 6 bytes: byte 4 '1' done, '0' refused.
std::string Ack(const std::string& head, bool done);
// B, 11 bytes: bytes 4-6 transporter sense, 7-9 printer sense.
std::string Sense(int transporterSense, int printerSense);
// B', 6 bytes: byte 4 the transporter sense as '0' + code.
std::string ShortSense(int transporterSense);
// C, 12 bytes: byte 4 outcome, byte 5 state digit, bytes 6-10 value.
std::string ElementStatus(bool valid, int state, long value);
// D, 14 bytes: byte 4 outcome, bytes 6-13 the stored text.
std::string StoredText(const std::string& area, bool valid, const std::string& text);
// E, 5 bytes: ESC "!b1C" accepted, ESC "!b0C" refused.
std::string Baud(bool accepted);
// F, 12 bytes: bytes 0-4 repeat the command's first five bytes, bytes 6-11 the value.
// A refusal puts '0' into byte 4, which breaks the repetition.
std::string Counter(const std::string& command, bool valid, long value);
// G, 7 bytes: bytes 4-6 the count of identification bytes that follow.
std::string InquiryHead(int count);

} // namespace answer
} // namespace dax::sim
