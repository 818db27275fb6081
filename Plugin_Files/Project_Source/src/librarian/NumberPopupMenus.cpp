// The hardware's bank and program menus. While the library drives the
// hardware the program menu lists the upper bank's slot names and a choice
// sends that library sound instead.

#include "IPopupMenuControl.h"

#include <cstdio>
#include <mutex>

#include "IGraphics.h"
#include "LibrarianViewControl.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "Zelto2X.h"

namespace {

constexpr int kBankCount = 5;
constexpr int kProgramsPerRange = 10;
const char* const kBankItems[kBankCount] = {"Bank P001-100", "Bank P101-200", "Bank P201-300", "Bank P301-400",
    "Bank P401-500"};

}  // namespace

// ---- BankNumberPopupMenu ----------------------------------------------------------------

BankNumberPopupMenu::BankNumberPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : IPopupMenuControl(plug, library, rect, editor)
{
    refreshPatchNames(library, editor, selection);
}

BankNumberPopupMenu::~BankNumberPopupMenu()
{
    bankMenu.GetItems()->Empty(true);
}

bool BankNumberPopupMenu::refreshPatchNames(PatchLibrarian*, Zelto2X*, int bank)
{
    bankMenu.GetItems()->Empty(true);
    for (const char* item : kBankItems)
        bankMenu.AddItem(item);
    bankMenu.CheckItemAlone(bank >= 0 && bank < kBankCount ? bank : -1);
    return true;
}

int BankNumberPopupMenu::doPopupMenu(Zelto2X*, int& bank)
{
    IPopupMenu* chosen = showMenu(&bankMenu);
    const int c = chosen ? chosen->GetChosenItemIdx() : -1;
    if (c < 0 || c >= kBankCount) {
        reportNothingChosen();
        return 0;
    }
    bankMenu.CheckItemAlone(-1);
    bank = c;
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(kCurrentBank, c, false);
    editor->libBankChange();
    editor->libRequestProgram(static_cast<int>(editor->paramValue(kCurrentPatch)));
    editor->setParamValueClamped(kCurrentBank, c);
    bankMenu.CheckItemAlone(c);
    return c;
}

void BankNumberPopupMenu::runMenu(int, int)
{
    selection = static_cast<int>(editor->paramValue(kCurrentBank));
    doPopupMenu(editor, selection);
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(kCurrentBank, selection, false);
}

// ---- ProgramNumberPopupMenu -------------------------------------------------------------

ProgramNumberPopupMenu::ProgramNumberPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect,
    Zelto2X* editor)
    : IPopupMenuControl(plug, library, rect, editor)
{
    refreshPatchNames(library, editor, selection);
}

ProgramNumberPopupMenu::~ProgramNumberPopupMenu()
{
    emptyMenus();
}

void ProgramNumberPopupMenu::emptyMenus()
{
    programMenu.GetItems()->Empty(true);
    for (IPopupMenu& menu : programRangeMenus)
        menu.GetItems()->Empty(true);
}

bool ProgramNumberPopupMenu::refreshPatchNames(PatchLibrarian*, Zelto2X*, int program)
{
    emptyMenus();
    if (editor->libraryControl) {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        const int index = static_cast<int>(editor->paramValue(kPatchSelectionListUpper));
        // A stale bank index lists no names.
        if (index >= 0 && index < static_cast<int>(library->bankFiles.size())) {
            const PatchFile& bank = *library->bankFiles[static_cast<size_t>(index)];
            for (int i = 0; i < kRangeCount * kProgramsPerRange; ++i)
                programRangeMenus[i / kProgramsPerRange].AddItem(
                    i < static_cast<int>(bank.patches.size()) ? bank.patches[static_cast<size_t>(i)].name.c_str() : "");
        }
    } else {
        for (int i = 0; i < kRangeCount * kProgramsPerRange; ++i) {
            char text[16];
            std::snprintf(text, sizeof text, "Program %02d", i + 1);
            programRangeMenus[i / kProgramsPerRange].AddItem(text);
        }
    }
    for (int k = 0; k < kRangeCount; ++k) {
        char title[16];
        std::snprintf(title, sizeof title, "%02d-%d", k * kProgramsPerRange + 1, (k + 1) * kProgramsPerRange);
        programMenu.AddItem(title, &programRangeMenus[k]);
    }
    if (program >= 0 && program < kRangeCount * kProgramsPerRange)
        programRangeMenus[program / kProgramsPerRange].CheckItemAlone(program % kProgramsPerRange);
    return true;
}

int ProgramNumberPopupMenu::doPopupMenu(Zelto2X*, int& program)
{
    IPopupMenu* chosen = showMenu(&programMenu);
    int range = -1;
    for (int k = 0; chosen && k < kRangeCount; ++k)
        if (chosen == &programRangeMenus[k])
            range = k;
    const int c = chosen ? chosen->GetChosenItemIdx() : -1;
    if (range < 0 || c < 0 || c >= kProgramsPerRange) {
        reportNothingChosen();
        return program;
    }
    programMenu.CheckItemAlone(-1);
    for (IPopupMenu& menu : programRangeMenus)
        menu.CheckItemAlone(-1);
    const int p = range * kProgramsPerRange + c;
    if (editor->libraryControl) {
        editor->selectLibrarianSlot(p);
        editor->sendPatchToDeviceFromLibrarian(p, 0);
    } else {
        editor->setParamValueClamped(kCurrentPatch, p);
        editor->libBankChange();
        editor->libRequestProgram(p);
    }
    editor->setParamValueClamped(kCurrentPatch, p);
    programRangeMenus[range].CheckItemAlone(c);
    program = p;
    return p;
}

void ProgramNumberPopupMenu::runMenu(int, int)
{
    doPopupMenu(editor, selection);
}
