#pragma once

#include <map>
#include <utility>

namespace dax {

// The busy look of a window's command controls: while a command runs they look disabled, and
// each keeps the state the dialog gives it meanwhile, shown when they are released. `Controls`
// is a window's table of controls: Find(id) (null when absent), IsEnabled(id), Enable(id, bool).
class HeldControls {
public:
    // Enables or disables a control, or only records it while it is held.
    template <class Controls> void Enable(Controls& controls, int id, bool enabled) {
        if (auto held = m_held.find(id); held != m_held.end())
            held->second = enabled;
        else
            controls.Enable(id, enabled);
    }
    // The state the dialog gave the control, held or not.
    template <class Controls> bool IsEnabled(const Controls& controls, int id) const {
        const auto held = m_held.find(id);
        return held != m_held.end() ? held->second : controls.IsEnabled(id);
    }
    template <class Controls, class Ids> void Hold(Controls& controls, const Ids& ids) {
        if (!m_held.empty())
            return;
        for (int id : ids) {
            if (!controls.Find(id))
                continue;
            m_held[id] = controls.IsEnabled(id);
            controls.Enable(id, false);
        }
    }
    template <class Controls> void Release(Controls& controls) {
        const std::map<int, bool> held = std::move(m_held);
        m_held.clear();
        for (const auto& [id, enabled] : held)
            controls.Enable(id, enabled);
    }

private:
    std::map<int, bool> m_held;
};

} // namespace dax
