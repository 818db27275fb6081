#pragma once
// A small plug-in for the binding's tests: four parameters, two presets, and
// a record of the MIDI and SysEx the host delivered.

#include <vector>

#include "IPluginAU.h"

class TestPlug : public IPluginAU {
public:
    static constexpr int kParams = 4;
    static constexpr int kEnumParam = 3;

    explicit TestPlug(IPluginInstanceInfo info);
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override;
    void ProcessSysEx(ISysEx* msg, bool fromHardware) override;
    bool SerializeState(ByteChunk* chunk) override;
    int UnserializeState(ByteChunk* chunk, int startPos) override;
    int CheckState(ByteChunk* chunk, int startPos) override;

    struct ReceivedSysEx {
        int offset;
        std::vector<uint8_t> bytes;
        bool fromHardware;
    };
    std::vector<IMidiMsg> midi;
    std::vector<bool> midiFromHardware;
    std::vector<ReceivedSysEx> sysex;
    int readOnlyValues = -1;     // >= 0: the reader stops after so many values, as an older plug-in's would
    bool checksStates = false;   // states are checked whole before they are read
    int stateReads = 0;
    static int automatableForNextOpen;  // how many parameters the next plug-in lets the host automate
};

// The test plug-in behind a host's unit.
inline TestPlug* PlugOf(AudioUnit unit) { return static_cast<TestPlug*>(GetComponentInstanceStorage(unit)); }
