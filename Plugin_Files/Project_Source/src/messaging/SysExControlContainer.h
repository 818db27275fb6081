#pragma once
// Finds the control that an incoming single-parameter SysEx message moves:
// keyed by the four address bytes of the parameter's SysEx template (the bytes
// after manufacturer and model) and the changing-byte index.
//
// Filled on the main thread while the configuration builds the controls, then
// only read (MIDI input, host MIDI and worker threads) without a lock.

#include "ControlMapLevels.h"

class IControl;

class SysExControlContainer {
public:
    // Files the control under bytes[0..3] and changingByte; replaces an earlier one.
    void addToControlMap(const unsigned char* bytes, unsigned char changingByte, IControl* control);

    // The control, or null; a missing first key logs "SysExControlContainer : Not found".
    IControl* findControl(int k1, int k2, int k3, int k4, int k5) const;

    std::size_t size() const { return m_controls.size(); }

private:
    ControlMapLevels<IControl*, 5> m_controls;
};
