#include "ui/win32/Win32Text.h"

#include "app/Latin1Text.h"

namespace dax::win32 {

std::wstring Widen(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide.push_back(wchar_t(static_cast<unsigned char>(c)));
    return wide;
}

std::string Narrow(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text)
        bytes.push_back(Latin1Byte(char32_t(c)));
    return bytes;
}

} // namespace dax::win32
