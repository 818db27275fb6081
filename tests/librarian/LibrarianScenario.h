#pragma once
// Steps the librarian tests share: sound dumps with their checksum, an editor
// whose parameters have plain ranges, and a sound imported into an upper slot
// through the slot's file panel and saved over its bank through the menu.

#include <string>

#include "IParam.h"
#include "IPopupMenuControl.h"
#include "LibraryTestSupport.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "platform/HeadlessWindowSystem.h"

namespace librarytest {

// A current-model dump as the hardware and the library hold it.
inline Bytes validDump(int seed, const std::string& name, int category)
{
    Bytes dump = currentDump(seed, name, category);
    zsysex::applyOutgoingChecksum(dump.data(), static_cast<int>(dump.size()));
    return dump;
}

inline void givePlainRanges(Zelto2X& editor)
{
    for (int i = 0; i < kNumParams; ++i)
        editor.GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
}

// Imports the single sound of file into slot of the upper bank and saves the bank.
inline void importAndSave(Zelto2X& editor, platform::HeadlessWindowSystem& headless, const std::string& file, int slot)
{
    editor.selectLibrarianSlot(slot);
    headless.QueueFilePanelAnswer(file);
    editor.ImportSingleZeltoPatches(false);
    headless.QueueMenuAnswer("Save (Overwrite current bank)");
    IMouseMod left(true);
    editor.bankEditPopupMenu->OnMouseDown(0, 0, &left);
}

}  // namespace librarytest
