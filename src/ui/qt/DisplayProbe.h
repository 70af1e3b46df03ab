#pragma once

#include <string>

namespace dax {

// Whether a display server answers: a connection is made and closed again, nothing is sent.
// X11: DISPLAY as "[host]:N[.S]" (local socket without a host, TCP 6000+N with one) or a socket
// path. Wayland: WAYLAND_DISPLAY, a socket path or a name under $XDG_RUNTIME_DIR.
bool X11DisplayAnswers(const std::string& display);
bool WaylandDisplayAnswers(const std::string& display, const std::string& runtimeDir);
// Either, by the toolkit's platform name ("xcb" or "wayland"); $XDG_RUNTIME_DIR for Wayland.
bool DisplayAnswers(const std::string& plugin, const std::string& display);

} // namespace dax
