// Editor operations the MIDI worker jobs call, in their smallest form: the
// librarian glue owns the full versions (layers, bank-edit parameter).

#include "Zelto2X.h"

#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "debugger.h"

void Zelto2X::SetLibrarianRequestActive(bool toLibrary)
{
    incomingSysExProcessed = false;
    midiMessageManager->dataProcessed = false;
    if (toLibrary) {
        midiMessageManager->patchRequested = false;
        buildlog::log("patch request to library is on\n");
        midiMessageManager->libraryRequest.clear();
        midiMessageManager->libraryRequest.libraryRequestActive = true;
    } else {
        buildlog::log("patch request to user interface is on\n");
        midiMessageManager->patchRequested = true;
        midiMessageManager->libraryRequest.libraryRequestActive = false;
    }
}

void Zelto2X::SetLibrarianStatusUnsaved(bool unsaved)
{
    if (unsaved)
        setParamValueClamped(kBankEditUnsaved, 1.0);
}
