#include "LibrarianViewControl.h"

#include <mutex>

#include "ControlLayer.h"
#include "IGraphics.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "Zelto2X.h"

namespace {

constexpr IColor kHighlight(255, 225, 225, 225);
constexpr IColor kSlotTextColour(255, 255, 255, 255);
constexpr const char* kSlotFont = "NK57 Monospace";

enum { kKeyUp = 1, kKeyDown = 2, kKeyLeft = 3, kKeyRight = 4 };

bool inside(const IRECT& r, int x, int y)
{
    return !r.Empty() && x >= r.L && x < r.R && y >= r.T && y < r.B;
}

}  // namespace

LibrarianViewControl::LibrarianViewControl(Zelto2X* editor, int x, int y, int paramIdx, IBitmap* bitmap,
    IRECT bounds, PatchLibrarian* library, double scale)
    : CustomOverlayControl(editor, x, y, paramIdx, bitmap, bounds), library(library),
      columnWidth(static_cast<int>(120 * scale)), rowHeight(static_cast<int>(18 * scale)), editor(editor),
      scale(scale)
{
    mTargetRECT = bounds;
    const int width = scale != 1.0 ? static_cast<int>(121 * scale) : static_cast<int>(120 * scale);
    const int columnStep = width + static_cast<int>(38 * scale);
    const int upperTop = scale < 1.0 ? y + static_cast<int>(scale) + 3 : y + static_cast<int>(scale);
    const int lowerTop = scale < 1.0 ? y + 3 : (scale == 1.0 ? y : y + 1);
    buildSlots(m_upperSlots, x, upperTop, width, columnStep);
    fillList(kUpperList);
    buildSlots(m_lowerSlots, x + static_cast<int>(693 * scale), lowerTop, width, columnStep);
    fillList(kLowerList);
}

LibrarianViewControl::~LibrarianViewControl() = default;

void LibrarianViewControl::buildSlots(SlotTexts& slots, int left, int top, int width, int columnStep)
{
    const int size = scale >= 1.0 ? static_cast<int>(14 * scale) : static_cast<int>(15 * scale);
    IText style(size, &kSlotTextColour, kSlotFont, IText::kStyleNormal, IText::kAlignNear, 0,
        IText::kQualityDefault);
    for (int i = 0; i < kSlotCount; ++i) {
        const int l = left + (i / kRowsPerColumn) * columnStep;
        const int t = top + (i % kRowsPerColumn) * rowHeight;
        slots[static_cast<size_t>(i)] =
            std::make_unique<ITextControl>(editor, IRECT(l, t, l + width, t + rowHeight), &style, "");
    }
}

IRECT LibrarianViewControl::slotRect(int list, int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return IRECT();
    const SlotTexts& slots = list == kUpperList ? m_upperSlots : m_lowerSlots;
    return *slots[static_cast<size_t>(slot)]->GetRECT();
}

std::string LibrarianViewControl::slotText(int list, int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return std::string();
    const SlotTexts& slots = list == kUpperList ? m_upperSlots : m_lowerSlots;
    return slots[static_cast<size_t>(slot)]->GetTextString();
}

// ---- Filling the lists ----------------------------------------------------------------

void LibrarianViewControl::patchSelectionUpperChanged()
{
    fillList(kUpperList);
}

void LibrarianViewControl::patchSelectionLowerChanged()
{
    fillList(kLowerList);
}

void LibrarianViewControl::fillList(int list)
{
    // The view's own value never changes, so there is nothing to hand to its
    // parameter; redrawing without the push keeps the plug-in lock out of the
    // MIDI input and worker threads that refill the lists.
    redraw();
    std::array<std::string, kSlotCount> names;
    {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        const PatchFile* bank = editor->librarianListBank(list);
        if (!bank)
            return;
        for (size_t i = 0; i < names.size() && i < bank->patches.size(); ++i)
            names[i] = bank->patches[i].name;
    }
    SlotTexts& slots = list == kUpperList ? m_upperSlots : m_lowerSlots;
    for (size_t i = 0; i < names.size(); ++i)
        slots[i]->SetTextFromPlug(names[i].c_str());
}

// ---- Hit tests and selection ----------------------------------------------------------

LibrarianViewControl::Hit LibrarianViewControl::hitTest(int x, int y, bool upper, bool lower) const
{
    Hit hit;
    for (int i = 0; i < kSlotCount; ++i) {
        if (upper && inside(*m_upperSlots[static_cast<size_t>(i)]->GetRECT(), x, y))
            hit.upper = i;
        if (lower && inside(*m_lowerSlots[static_cast<size_t>(i)]->GetRECT(), x, y))
            hit.lower = i;
    }
    return hit;
}

LibrarianViewControl::Hit LibrarianViewControl::select(int x, int y)
{
    upperSelectedSlot = -1;
    lowerSelectedSlot = -1;
    const Hit hit = hitTest(x, y, true, true);
    ControlLayer* saveLayer = editor->findLayer("saveChangesLayer");
    if (hit.upper >= 0) {
        upperSelectedSlot = hit.upper;
        lowerListActive = 0;
        if (saveLayer)
            saveLayer->GrayOut(false);
    }
    if (hit.lower >= 0) {
        lowerSelectedSlot = hit.lower;
        lowerListActive = 1;
        if (saveLayer)
            saveLayer->GrayOut(true);
    }
    return hit;
}

int LibrarianViewControl::selectionOfActiveList() const
{
    return lowerListActive == 1 ? lowerSelectedSlot.load() : upperSelectedSlot.load();
}

void LibrarianViewControl::setSelectionOfActiveList(int slot)
{
    if (lowerListActive == 1)
        lowerSelectedSlot = slot;
    else
        upperSelectedSlot = slot;
}

void LibrarianViewControl::setTransferSlot(int slot)
{
    std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
    library->transferSlot = slot;
}

void LibrarianViewControl::setCurrentPatch(int slot)
{
    editor->setParamValueClamped(kCurrentPatch, slot);
}

// ---- Mouse and keys -------------------------------------------------------------------

void LibrarianViewControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
    if (mod && mod->R) {
        redraw();
        select(x, y);
        setTransferSlot(upperSelectedSlot);
        if (upperSelectedSlot >= 0)
            editor->showFileEditMenu(x, y);
        else
            editor->showFileCopyMenu(x, y);
    } else if (mod && mod->L) {
        editor->showLayer("patchRename", false);
        editor->renameHandled = true;
        renamePending = false;
        redraw();
        select(x, y);
        setTransferSlot(upperSelectedSlot);
        activeSlot = upperSelectedSlot.load();
        setCurrentPatch(upperSelectedSlot);
    }
    const int slot = upperSelectedSlot >= 0 ? upperSelectedSlot.load() : lowerSelectedSlot.load();
    editor->DisplayLibrarianPatchCategory(slot, lowerListActive);
}

void LibrarianViewControl::OnMouseDblClick(int x, int y, IMouseMod*)
{
    redraw();
    if (editor->paramValue(kDeviceOutSelection) == 0.0)
        return;
    editor->renameHandled = true;
    const Hit hit = select(x, y);
    const int slot = hit.lower >= 0 ? hit.lower : hit.upper;
    activeSlot = slot;
    setSelectionOfActiveList(slot);
    setCurrentPatch(slot);
    if (upperSelectedSlot < 0 && lowerSelectedSlot < 0)
        return;
    editor->sendPatchToDeviceFromLibrarian(slot, lowerListActive);
}

bool LibrarianViewControl::OnKeyDown(int, int, int key)
{
    const int a = activeSlot;
    int next;
    switch (key) {
    case kKeyUp: next = a <= 0 ? kSlotCount - 1 : a - 1; break;
    case kKeyDown: next = a >= kSlotCount - 1 ? 0 : a + 1; break;
    case kKeyLeft: next = a - kRowsPerColumn + (a <= kRowsPerColumn - 1 ? kSlotCount : 0); break;
    case kKeyRight:
        next = a + kRowsPerColumn;
        if (next >= kSlotCount)
            next -= kSlotCount;
        break;
    default: return false;
    }
    editor->renameHandled = true;
    activeSlot = next;
    setSelectionOfActiveList(next);
    setCurrentPatch(next);
    redraw();
    if (upperSelectedSlot < 0 && lowerSelectedSlot < 0)
        return false;
    editor->sendPatchToDeviceFromLibrarian(next, lowerListActive);
    return true;
}

void LibrarianViewControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
    redraw();
    if (!dragEnabled)
        return;
    const int left = x - columnWidth / 2;
    const int top = y - rowHeight / 2;
    dragRect = IRECT(left, top, left + columnWidth, top + rowHeight);
    if (dragActive)
        return;
    upperSelectedSlot = -1;
    lowerSelectedSlot = -1;
    const Hit hit = hitTest(x, y, true, true);
    if (hit.upper >= 0)
        upperSelectedSlot = hit.upper;
    if (hit.lower < 0)
        return;  // a drag starts only on a slot of the lower list
    lowerSelectedSlot = hit.lower;
    dragActive = true;
    sourceSlot = hit.lower;
}

void LibrarianViewControl::OnMouseUp(int x, int y, IMouseMod*)
{
    redraw();
    if (!dragActive)
        return;
    dragActive = false;
    const Hit hit = select(x, y);
    setTransferSlot(hit.upper);
    if (hit.upper < 0)
        return;  // a drop lands only in the upper list
    transferFromLowerList();
}

// ---- Slot menu commands ---------------------------------------------------------------

std::unique_ptr<LibrarianPatch> LibrarianViewControl::lowerSlotCopy(int slot)
{
    std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
    const PatchFile* bank = editor->librarianListBank(kLowerList);
    if (!bank || slot < 0 || slot >= static_cast<int>(bank->patches.size()))
        return nullptr;
    auto copy = std::make_unique<LibrarianPatch>();
    bank->patches[static_cast<size_t>(slot)].clone(*copy);
    return copy;
}

bool LibrarianViewControl::transferFromLowerList()
{
    std::unique_ptr<LibrarianPatch> sound = lowerSlotCopy(sourceSlot);
    if (!sound)
        return false;
    const bool stored = editor->storeSoundInTransferSlot(*sound);
    editor->reportSlotStored(stored ? "Sound dropped!" : "Nothing dropped: empty slot");
    return stored;
}

void LibrarianViewControl::CopySlotData(int x, int y)
{
    lowerSelectedSlot = -1;
    const Hit hit = hitTest(x, y, false, true);
    if (hit.lower >= 0) {
        lowerListActive = 1;
        lowerSelectedSlot = hit.lower;
    }
    sourceSlot = hit.lower;
    copiedBank = library->menuSelection;
    // The sound is taken now: a Paste stores what was copied, whatever the
    // lower list shows by then.
    m_copiedSound = lowerSlotCopy(hit.lower);
    if (m_copiedSound)
        editor->showLibrarianResult("Sound copied!", Zelto2X::slotLabel(hit.lower, m_copiedSound->name));
    else
        editor->showLibrarianResult("Nothing copied!", "Right-click a slot on the right");
}

void LibrarianViewControl::PasteSlotData(int x, int y)
{
    redraw();
    upperSelectedSlot = -1;
    const Hit hit = hitTest(x, y, true, false);
    if (hit.upper >= 0) {
        lowerListActive = 0;
        upperSelectedSlot = hit.upper;
    }
    setTransferSlot(hit.upper);
    if (hit.upper < 0)
        return;
    if (copiedBank == -1 || !m_copiedSound) {
        editor->showLibrarianResult("Nothing to paste!", "Copy a slot on the right first");
        return;
    }
    const bool stored = editor->storeSoundInTransferSlot(*m_copiedSound);
    editor->reportSlotStored(stored ? "Sound pasted!" : "Nothing pasted: empty slot");
}

void LibrarianViewControl::renameSlot(int, int)
{
    const int slot = upperSelectedSlot;
    if (slot < 0)
        return;
    lowerListActive = 0;
    std::string name;
    {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        const LibrarianPatch* patch = library->upperBankSlot(slot);
        if (!patch || patch->messages.empty())
            return;
        name = patch->name;
    }
    // The field holds the name as typed, without the blanks the dump pads it
    // with, so typing at its end lands after the last letter.
    name.erase(name.find_last_not_of(' ') + 1);
    if (IParam* param = editor->GetParam(kPatchRename))
        param->SetDisplayText(0, name.c_str());
    editor->renameHandled = false;
    renamePending = true;
    editor->showLayer("patchRename", true);
}

// ---- Drawing and idle -----------------------------------------------------------------

void LibrarianViewControl::drawList(IGraphics* graphics, SlotTexts& slots, int selected)
{
    if (selected >= 0 && selected < kSlotCount)
        graphics->FillIRect(&kHighlight, slots[static_cast<size_t>(selected)]->GetRECT(), nullptr);
    for (int i = 0; i < kSlotCount; ++i) {
        ITextControl* text = slots[static_cast<size_t>(i)].get();
        if (i != selected) {
            text->Draw(graphics);
            continue;
        }
        IColor& colour = text->GetText()->mColor;
        colour.R = colour.G = colour.B = 0;
        text->Draw(graphics);
        colour.R = colour.G = colour.B = 255;
    }
}

bool LibrarianViewControl::Draw(IGraphics* graphics)
{
    IBitmapControl::Draw(graphics);
    drawList(graphics, m_upperSlots, upperSelectedSlot);
    drawList(graphics, m_lowerSlots, lowerSelectedSlot);
    if (dragActive)
        graphics->FillIRect(&kHighlight, &dragRect, nullptr);
    return true;
}

bool LibrarianViewControl::IsDirty()
{
    editor->runPendingLibrarianWork();
    return CustomOverlayControl::IsDirty();
}
