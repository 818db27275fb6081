#pragma once
// The raw bytes of the current sound dump, filed under (0, 0, byte index).
//
// Written by the sound decoder (MIDI input thread) and the dump builder
// (request worker) while other threads read it: every call takes the
// container's own mutex, never held beyond the call. Not for the render thread.

#include <mutex>

#include "ControlMapLevels.h"

class patchDataContainer {
public:
    // Stores value under the three keys, replacing an earlier one. Any thread.
    void setValue(int k1, int k2, int index, int value);

    // The stored byte, or 0; when nothing at all is filed under k1 logs
    // "patchDataContainer : Not found". Any thread.
    int findControl(int k1, int k2, int index) const;

    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    ControlMapLevels<int, 3> m_values;
};
