#include "devices/Commands.h"

#include <cstdarg>
#include <cstdio>

namespace dax {

std::string Command(const char* format, ...) {
    std::string result(1, kEsc);
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length > 0) {
        result.resize(1 + static_cast<size_t>(length));
        // vsnprintf writes the terminator one past the text; std::string keeps room for it.
        std::vsnprintf(result.data() + 1, static_cast<size_t>(length) + 1, format, args);
    }
    va_end(args);
    return result;
}

std::string BaudCommand(uint32_t baud) {
    if (baud == 115200) {
        return Command(kCmdSetBaud115200);
    }
    return Command(kCmdSetBaud, static_cast<int>(baud));
}

std::string CommandHead(const std::string& command) {
    std::string text = !command.empty() && command[0] == kEsc ? command.substr(1) : command;
    // Family letter and digits; the first capital letter after them closes the command.
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z') {
            text.resize(i + 1);
            break;
        }
    }
    for (char& c : text)
        if (!IsWireText(std::string(1, c)))
            c = '.';
    return text;
}

bool HasNoControlBytes(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsWireText(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            return false;
        }
    }
    return true;
}

bool MaySendText(const std::string& text, const std::string& reported) {
    return IsWireText(text) || (text == reported && HasNoControlBytes(text));
}

} // namespace dax
