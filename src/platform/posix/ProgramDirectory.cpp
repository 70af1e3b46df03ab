#include "platform/ProgramDirectory.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace dax {

namespace {

std::optional<std::string> dataEnvValue(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr)
        return std::nullopt;
    return std::string(v);
}

// Relative and empty values are invalid and ignored, as the base directory rules say.
bool usableDataDir(const std::string& dir) {
    return !dir.empty() && dir.front() == '/';
}

std::string withTrailingSlash(std::string dir) {
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace

std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || size_t(n) >= sizeof path)
        return {};
    const std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::vector<std::string> DataDirectories(const std::string& programDirectory,
                                         const DataEnvironment& env) {
    std::vector<std::string> dirs;
    auto add = [&dirs](const std::string& dir) {
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(dir);
    };
    if (!programDirectory.empty())
        add(withTrailingSlash(programDirectory));
    if (usableDataDir(env.xdgDataHome.value_or("")))
        add(withTrailingSlash(*env.xdgDataHome) + "daxtool/");
    else if (usableDataDir(env.home.value_or("")))
        add(withTrailingSlash(*env.home) + ".local/share/daxtool/");
    const std::string list = env.xdgDataDirs && !env.xdgDataDirs->empty()
                                 ? *env.xdgDataDirs
                                 : std::string("/usr/local/share/:/usr/share/");
    size_t start = 0;
    while (start <= list.size()) {
        const size_t colon = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, colon - start);
        if (usableDataDir(dir))
            add(withTrailingSlash(dir) + "daxtool/");
        start = colon + 1;
    }
    return dirs;
}

std::vector<std::string> DataDirectories() {
    return DataDirectories(
        ProgramDirectory(),
        {dataEnvValue("XDG_DATA_HOME"), dataEnvValue("XDG_DATA_DIRS"), dataEnvValue("HOME")});
}

} // namespace dax
