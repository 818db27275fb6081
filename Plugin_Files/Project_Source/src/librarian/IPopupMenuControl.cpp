#include "IPopupMenuControl.h"

#include <cstdio>

#include "IGraphics.h"
#include "Zelto2X.h"

IPopupMenuControl::IPopupMenuControl(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : IControl(plug, rect, -1), library(library), editor(editor)
{
}

void IPopupMenuControl::OnMouseDown(int x, int y, IMouseMod*)
{
    editor->runPendingLibrarianWork();
    runMenu(x, y);
    RequestRedraw();
    SetDirty(true);
}

bool IPopupMenuControl::Draw(IGraphics* graphics)
{
    return graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT, nullptr);
}

IPopupMenu* IPopupMenuControl::showMenu(IPopupMenu* menu)
{
    IGraphics* graphics = GetGUI();
    return graphics ? graphics->CreateIPopupMenu(menu, &mRECT) : nullptr;
}

void reportNothingChosen()
{
    std::printf("No item selected !!! \n");
}
