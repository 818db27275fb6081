#pragma once
// The librarian page's two lists: the upper list shows a bank file of the
// library, the lower list a bank file, a category bank or a search result
// bank; 100 slot names per list in four columns of 25. Clicks select, a double
// click or an arrow key sends the slot to the hardware, a right click opens
// the slot menus, a drag carries a lower slot into an upper slot.
//
// Threads: mouse, keys, menus and drawing run on the main thread. The two
// refills and the selection fields are also reached from the MIDI input thread
// (a completed library request, a program change in librarian mode) and from
// the workers; they only set texts, atomics and the dirty flag. Library slots
// are read under the library lock.

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "IControl.h"

class LibrarianPatch;
class PatchLibrarian;
class PatchFile;
class Zelto2X;

// A bitmap overlay the configuration can place; the librarian view builds on it.
class CustomOverlayControl : public IBitmapOverlayControl {
public:
    using IBitmapOverlayControl::IBitmapOverlayControl;
};

class LibrarianViewControl : public CustomOverlayControl {
public:
    static constexpr int kSlotCount = 100;
    static constexpr int kRowsPerColumn = 25;
    enum { kUpperList = 0, kLowerList = 1 };

    // x, y and bounds already scaled; bounds is the area that takes the mouse.
    LibrarianViewControl(Zelto2X* editor, int x, int y, int paramIdx, IBitmap* bitmap, IRECT bounds,
        PatchLibrarian* library, double scale);
    ~LibrarianViewControl() override;

    // ---- IControl (main thread) ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseUp(int x, int y, IMouseMod* mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool OnKeyDown(int x, int y, int key) override;
    bool Draw(IGraphics* graphics) override;
    // Main thread, every frame: runs a library reload that waited for a job.
    bool IsDirty() override;

    // Refill one list from its bank file; a list without a bank keeps its
    // texts. Any thread; takes the library lock.
    void patchSelectionUpperChanged();
    void patchSelectionLowerChanged();

    // The slot menus' commands, with the right-click position (main thread).
    void renameSlot(int x, int y);
    void CopySlotData(int x, int y);
    void PasteSlotData(int x, int y);

    // Any thread: the dirty-again flag, so a change made while drawing shows.
    void requestExtraRedraw() { RequestRedraw(); }

    // Geometry and texts, for the editor and tests.
    IRECT slotRect(int list, int slot) const;
    std::string slotText(int list, int slot) const;

    // ---- State (see the class comment for the threads) ----
    PatchLibrarian* library;
    std::atomic<bool> dragEnabled {false};
    IRECT dragRect;
    bool dragActive = false;
    int columnWidth;
    int rowHeight;
    int sourceSlot = -1;
    Zelto2X* editor;
    double scale;
    std::atomic<int> upperSelectedSlot {0};
    std::atomic<int> lowerSelectedSlot {-1};
    std::atomic<int> lowerListActive {0};
    std::atomic<int> activeSlot {0};
    // A rename was opened on a slot and its new name is not taken yet.
    std::atomic<bool> renamePending {false};
    int copiedBank = -1;
    int slotCount = kSlotCount;

private:
    using SlotTexts = std::array<std::unique_ptr<ITextControl>, kSlotCount>;
    struct Hit {
        int upper = -1;
        int lower = -1;
    };

    void buildSlots(SlotTexts& slots, int left, int top, int width, int columnStep);
    void fillList(int list);
    // Both selections cleared, then the hits of (x, y) selected as a click does.
    Hit select(int x, int y);
    Hit hitTest(int x, int y, bool upper, bool lower) const;
    void drawList(IGraphics* graphics, SlotTexts& slots, int selected);
    void setTransferSlot(int slot);
    // kCurrentPatch, stored without notification.
    void setCurrentPatch(int slot);
    int selectionOfActiveList() const;
    void setSelectionOfActiveList(int slot);
    // Copies slot sourceSlot of the lower list's bank into transferSlot of the
    // upper bank; false when there is nothing to copy.
    bool transferFromLowerList();
    // A copy of slot of the lower list's bank; null for a missing or empty slot.
    std::unique_ptr<LibrarianPatch> lowerSlotCopy(int slot);
    void redraw() { SetDirty(false); }

    SlotTexts m_upperSlots;
    SlotTexts m_lowerSlots;
    // The sound taken by the last Copy; Paste stores this one.
    std::unique_ptr<LibrarianPatch> m_copiedSound;
};
