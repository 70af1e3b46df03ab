#pragma once

#include <functional>
#include <string>

namespace dax {

// What daxtool does before any window exists: --help and --version print and end, and a
// session without a display ends with one line instead of the toolkit's abort.
enum class WindowStart { Run, Help, Version, NoDisplay };

using EnvironmentLookup = std::function<std::string(const char* name)>;
// Whether the display server of a platform ("xcb" or "wayland") answers at `display`.
using DisplayCheck = std::function<bool(const std::string& plugin, const std::string& display)>;

// `environment` gives a variable's value, "" when it is not set.
WindowStart ClassifyWindowStart(int argc, const char* const* argv,
                                const EnvironmentLookup& environment, const DisplayCheck& answers);

// The one line said when there is no display.
extern const char kNoDisplayMessage[];

// The text of --help.
std::string WindowHelpText();

} // namespace dax
