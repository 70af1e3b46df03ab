#include "DeviceLink.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace dax::sim {

namespace {

bool MakeDirectories(const std::string& dir, std::string& error) {
    std::string path;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        path = dir.substr(0, pos);
        if (path.empty())
            continue;
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = dir + " is not a directory";
        return false;
    }
    return true;
}

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

} // namespace

std::string DeviceDirectory(const std::string& option) {
    if (!option.empty())
        return option;
    if (const char* env = std::getenv("DAXTOOL_DEVICE_DIR"); env && *env)
        return env;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/Korvix/devices";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/Korvix/devices";
}

bool CDeviceLink::Create(const std::string& dir, const std::string& entry,
                         const std::string& target, std::string& error) {
    if (!MakeDirectories(dir, error))
        return false;
    const std::string path = dir + "/" + entry;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + " exists and is not a link; not replacing it";
        return false;
    }
    // A link left by a simulator that was killed is replaced in one step.
    const std::string temp = path + ".daxsim." + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot link " + path + " to " + target + ": " + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    m_strPath = path;
    m_strTarget = target;
    return true;
}

void CDeviceLink::Remove() {
    if (m_strPath.empty())
        return;
    if (ReadLink(m_strPath) == m_strTarget)
        unlink(m_strPath.c_str());
    m_strPath.clear();
}

} // namespace dax::sim
