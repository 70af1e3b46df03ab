#include "platform/ProgramDirectory.h"

#include <windows.h>

namespace dax {

std::string ProgramDirectory() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    // A full buffer may be a cut path.
    if (n == 0 || n >= sizeof path)
        return {};
    const std::string exe(path, n);
    const size_t sep = exe.find_last_of("\\/");
    return sep == std::string::npos ? std::string() : exe.substr(0, sep + 1);
}

// The alignment files lie beside the program, where its installer puts them.
std::vector<std::string> DataDirectories(const std::string& programDirectory,
                                         const DataEnvironment&) {
    if (programDirectory.empty())
        return {};
    return {programDirectory};
}

std::vector<std::string> DataDirectories() {
    return DataDirectories(ProgramDirectory(), {});
}

} // namespace dax
