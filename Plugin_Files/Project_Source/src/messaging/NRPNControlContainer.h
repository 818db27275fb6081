#pragma once
// Control lookup by the NRPN fields of a control action, in the order channel,
// MSB (sent with CC 99), value offset, LSB (sent with CC 98), CC group.
// Incoming NRPN messages are handled as plain control changes, so only the
// configuration fills this container.
//
// Filled on the main thread while the configuration builds the controls, then
// only read without a lock.

#include "ControlMapLevels.h"

class ControlAction;
class IControl;

class NRPNControlContainer {
public:
    // Files the control under the five fields; replaces an earlier one. The
    // configuration passes its control action's fields.
    void addToControlMap(int channel, int msbValue, int lsbValue, int lsbControl, int ccGroup,
        IControl* control);

    // The same with the fields of the action.
    void addToControlMap(const ControlAction* action, IControl* control);

    // The control, or null; a missing first key logs "NRPNControlContainer : Not found".
    IControl* findControl(int k1, int k2, int k3, int k4, int k5) const;

    std::size_t size() const { return m_controls.size(); }

private:
    ControlMapLevels<IControl*, 5> m_controls;
};
