#include "platform/VersionBlock.h"

#include <vector>
#include <windows.h>

namespace dax {

namespace {

// A string value of the US English, Unicode block; empty when absent.
std::string StringValue(const std::vector<char>& block, const char* name) {
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), query.c_str(), &value, &length) || value == nullptr ||
        length == 0)
        return {};
    // The length counts the closing zero when there is one.
    std::string text(static_cast<const char*>(value), length);
    if (const size_t end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    return text;
}

} // namespace

VersionBlock ReadVersionBlock() {
    VersionBlock block;
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return block;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return block;
    std::vector<char> data(size);
    if (!::GetFileVersionInfoA(path, 0, size, data.data()))
        return block;
    block.present = true;
    block.fileVersion = StringValue(data, "FileVersion");
    block.date = StringValue(data, "Date");
    block.legalCopyright = StringValue(data, "LegalCopyright");
    return block;
}

} // namespace dax
