#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dax {

// The directory of the running program's executable, with its trailing separator. Empty when
// the system cannot say.
std::string ProgramDirectory();

// Where the printer alignment files are looked for, in this order, each with its trailing
// separator: the program's directory; on POSIX then $XDG_DATA_HOME/daxtool
// (~/.local/share/daxtool) and daxtool in each of $XDG_DATA_DIRS (/usr/local/share and
// /usr/share), so that an installed package finds the files it put there. Windows keeps to
// the program's directory.
std::vector<std::string> DataDirectories();

// What the POSIX data directories depend on, as the environment gives it.
struct DataEnvironment {
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> xdgDataDirs;
    std::optional<std::string> home;
};
std::vector<std::string> DataDirectories(const std::string& programDirectory,
                                         const DataEnvironment& env);

} // namespace dax
