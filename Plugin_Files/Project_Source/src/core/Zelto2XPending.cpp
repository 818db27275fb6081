// Stand-ins for librarian glue that the parameter handlers call; the
// librarian's own versions replace this file when they land.

#include "Zelto2X.h"

#include "ParameterTable.h"

void Zelto2X::displayPatchName(const std::string& text)
{
    setTextOfParam(kPatchName, text.c_str());
}

void Zelto2X::DisplayLibrarianPatchCategory(int, int) {}

void Zelto2X::patchTypeChanged(int, int, bool) {}

void Zelto2X::updateBankAndProgramMenuNames(bool) {}

