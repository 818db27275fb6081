#pragma once
// The MIDI binding of one parameter: which message a change sends, which
// controls show the parameter, and the keys under which incoming messages find
// those controls. The configuration's control factories create and fill the
// actions (one per parameter at most, held by the parameter); the editor core
// executes them whenever a parameter changes.
//
// Threads: built on the main thread while the configuration is read; after
// that only lastValue changes (written by the editor core on the thread that
// changes the parameter), everything else is only read.

#include <cstddef>
#include <cstdint>
#include <vector>

class ControlLayer;
class IControl;

// Which message a parameter change sends for the integer value v.
enum EControlActionKind {
    kActionNone = 0,          // nothing
    kActionCC = 1,            // control change ccNumber carrying v
    kActionCCSwitch = 2,      // control change ccNumber carrying zeroValue (v == 0) or onValue
    kActionNRPN = 3,          // CC 99 msbValue, CC 98 lsbControl, CC ccNumber v + lsbValue
    kActionSysExSwitch = 5,   // the SysEx message for v
    kActionSysEx = 6,         // the SysEx message for v
};

// A control's bi-directional link: two parameter indexes and a number, -1 when absent.
struct LinkInfo {
    int32_t first = -1;
    int32_t second = -1;
    int32_t number = -1;

    bool bothSet() const { return first >= 0 && second >= 0; }
};

// One SysEx message: byte values in template order, without F0 and F7.
using SysExMessage = std::vector<int32_t>;

// The SysEx messages of a parameter, entry i for the i-th value of its range.
struct ControlActionSysExMessage {
    bool isMulti = false;
    std::vector<SysExMessage> messages;
    std::vector<std::vector<SysExMessage>> multiMessages;
};

class ControlAction {
public:
    explicit ControlAction(int kind) : kind(kind) {}

    // The SysEx message for the plain value of a parameter whose minimum is
    // paramMin: entry (value - paramMin), so a knob whose range does not start
    // at 0 sends the message of its value. Null when the list has no such entry
    // (an empty list included): the caller then sends nothing.
    const SysExMessage* sysExMessageFor(int value, int paramMin) const;

    double lastValue = -1.0;
    int32_t kind;
    int32_t ccNumber = -1;
    int32_t msbValue = -1;
    int32_t lsbValue = -1;
    int32_t lsbControl = -1;
    int32_t channel = -1;
    int32_t ccGroup = -1;
    // Every control bound to the parameter, in creation order; not owned.
    std::vector<IControl*> controls;
    LinkInfo link;
    ControlActionSysExMessage sysEx;
    int32_t zeroValue = -1;
    int32_t onValue = -1;
    // Pages chosen by the parameter's value (the child whose id is the value
    // shows); not owned. No configuration element sets one.
    ControlLayer* switchedLayer = nullptr;
};
