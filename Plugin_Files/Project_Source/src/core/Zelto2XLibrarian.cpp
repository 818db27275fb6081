// The editor's librarian glue: the progress overlay, the librarian popups and
// lists, and what the librarian view asks of the editor.

#include "Zelto2X.h"

#include "MIDIMessageManager.h"
#include "PatchLibrarian.h"

// ---- Start-up steps (main thread, from the constructor) ----------------------------

void Zelto2X::createProgressOverlay() {}

void Zelto2X::createLibrarianMenus() {}

// ---- Librarian and display glue -----------------------------------------------------

void Zelto2X::updateUserInterfaceAndMenus() {}

void Zelto2X::setLibrarianViewDirty() {}

void Zelto2X::updatePatchLibrarianView(int list) {}

void Zelto2X::sendPatchToDeviceFromLibrarian(int slot, int list) {}

void Zelto2X::displayCategoryName(const std::string& text) {}

void Zelto2X::selectLibrarianSlot(int slot)
{
    std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
    patchLibrarian->transferSlot = slot;
}

int Zelto2X::librarianListActive() const
{
    return 0;
}

