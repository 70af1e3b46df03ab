#pragma once

#include <string>

namespace dax::win32 {

// The dialogs' Latin-1 texts to the window's UTF-16 and back.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

} // namespace dax::win32
