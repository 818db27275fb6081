// Stand-ins for operations of the start-up, the UI settings and the librarian
// glue that the parameter handlers call; each area's own version replaces
// this file when it lands.

#include "Zelto2X.h"

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"

IControl* Zelto2X::paramControl(int paramIdx) const
{
    IGraphics* graphics = GetGUI();
    if (!graphics)
        return nullptr;
    for (int i = 0; i < graphics->NControls(); ++i)
        if (graphics->GetControl(i)->ParamIdx() == paramIdx)
            return graphics->GetControl(i);
    for (int i = 0; i < graphics->NLayers(); ++i)
        if (IControl* control = graphics->GetLayer(i)->getControlFromParam(paramIdx))
            return control;
    return nullptr;
}

ControlLayer* Zelto2X::layerNamed(const std::string&) const
{
    return nullptr;
}

void Zelto2X::userInterfaceSizeChanged(int) {}

void Zelto2X::firstRunExitChanged(double) {}

void Zelto2X::displayPatchName(const std::string& text)
{
    setTextOfParam(kPatchName, text.c_str());
}

void Zelto2X::DisplayLibrarianPatchCategory(int, int) {}

void Zelto2X::patchTypeChanged(int, int, bool) {}

void Zelto2X::updateBankAndProgramMenuNames(bool) {}

void Zelto2X::SetLibrarianRequestActive(bool toLibrary)
{
    midiMessageManager->patchRequested = !toLibrary;
}

void Zelto2X::SetLibrarianStatusUnsaved(bool unsaved)
{
    if (unsaved)
        setParamValueClamped(kBankEditUnsaved, 1.0);
}

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
