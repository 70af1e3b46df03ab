#pragma once

#include <functional>
#include <string>

namespace dax {

// What daxtool does before any window exists: --help and --version print and end, an option it
// does not know ends with one line (exit 64), and a session without a display ends with one
// line instead of the toolkit's abort.
enum class WindowStart { Run, Help, Version, BadUsage, NoDisplay };

using EnvironmentLookup = std::function<std::string(const char* name)>;
// Whether the display server of a platform ("xcb" or "wayland") answers at `display`.
using DisplayCheck = std::function<bool(const std::string& plugin, const std::string& display)>;

// `environment` gives a variable's value, "" when it is not set.
WindowStart ClassifyWindowStart(int argc, const char* const* argv,
                                const EnvironmentLookup& environment, const DisplayCheck& answers);

// The first argument that is neither daxtool's (-TestN, /TestN) nor the toolkit's own
// (-platform NAME, -style NAME, ...); empty when there is none.
std::string UnknownOption(int argc, const char* const* argv);

// The one line said when there is no display.
extern const char kNoDisplayMessage[];

// The text of --help.
std::string WindowHelpText();

} // namespace dax
