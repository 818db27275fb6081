// Stand-ins for operations of the start-up, the UI settings and the librarian
// glue that the parameter handlers call; each area's own version replaces
// this file when it lands.

#include "Zelto2X.h"

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"

void Zelto2X::sendSysexTemplate(const std::vector<int>& message)
{
    if (!midiOutSet) {
        showStatus("Set MIDI I/O First!");
        return;
    }
    std::vector<unsigned char> bytes;
    for (int value : message)
        bytes.push_back(static_cast<unsigned char>(value));
    SendMidiSysex(bytes.data(), static_cast<int>(bytes.size()));
}
