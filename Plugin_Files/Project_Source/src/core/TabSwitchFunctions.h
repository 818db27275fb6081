#pragma once
// Puts the layer tree into the state a main tab and the current parameter
// values call for: the visible tab page, the librarian popups, the oscillator
// controls that exist for the current shapes, the octave indicators, the
// arpeggiator tempo controls and the pattern steps.
//
// Threads: runs on its caller's thread (main thread for GUI changes and the
// librarian refresh, the host's thread for state recall, the MIDI input
// thread for a tab change from the hardware); the callers in the parameter
// handlers hold the plug-in mutex. It only sets visibility and grey flags.

class Zelto2X;

class TabSwitchFunctions {
public:
    // paramIdx (always kMainTab) and extra are not read.
    static void mainTabSwitch(Zelto2X* plug, int paramIdx, int tab, int extra);
};
