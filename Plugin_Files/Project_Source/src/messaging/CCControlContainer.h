#pragma once
// Control lookup for incoming control changes: keyed by channel (0 for a
// control that answers on every channel), CC number and group (the
// configuration files under 0 or 1; lookups also try 2).
//
// Filled on the main thread while the configuration builds the controls, then
// only read without a lock.

#include "ControlMapLevels.h"

class IControl;

class CCControlContainer {
public:
    // Files the control; replaces one filed under the same keys.
    void addToControlMap(int channel, int cc, int group, IControl* control);

    // The control, or null; a missing channel logs "CCControlContainer : Not found".
    IControl* findControl(int channel, int cc, int group) const;

    std::size_t size() const { return m_controls.size(); }

private:
    ControlMapLevels<IControl*, 3> m_controls;
};
