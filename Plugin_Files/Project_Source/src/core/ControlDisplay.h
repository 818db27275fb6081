#pragma once
// The status display's two lines: the name of the parameter that changed
// last, and its value as the synthesizer names it (a signed offset, a pan
// position, a percentage, ON/OFF, an entry of a named value list).
//
// Threads: runs on the thread that changed the parameter (main thread, host
// thread, MIDI input thread) inside the parameter handler's plug-in mutex.
// Writing a line only stores the text; the main thread's timer draws it.

#include <string>

class Zelto2X;

class ControlDisplay {
public:
    static void controlDisplay(Zelto2X* plug, int paramIdx, double value, bool transportRunning);
    // The value as a whole number ("%.0f").
    static std::string getValueString(double value);
    // The text of the parameter's value family for the integer value v ("" when
    // the family has none for v); hasFamily is false for a plain number.
    static std::string familyText(Zelto2X* plug, int paramIdx, int v, bool& hasFamily);
};
