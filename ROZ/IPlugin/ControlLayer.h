#pragma once
// A node of the tree of control groups (tab pages, panel sections, overlays,
// pattern step rows) that is shown, hidden and greyed as a whole.
//
// Threads: Hide, GrayOut and the selection operations run on the thread that
// changes the driving parameter (main thread or MIDI input thread), without a
// lock; the layer's flags are atomics and Hide marks the controls dirty so the
// main thread's next timer tick draws the result. Drawing, dirty tests and hit
// tests run on the main thread. The tree's shape is fixed after start-up.

#include <atomic>
#include <string>

#include "IGraphicsStructs.h"
#include "ptrlist.h"

class IControl;
class IGraphics;

class ControlLayer {
public:
    ControlLayer(int id, std::string name);
    ~ControlLayer();  // deletes its controls (last to first), then its child layers

    ControlLayer(const ControlLayer&) = delete;
    ControlLayer& operator=(const ControlLayer&) = delete;

    // Building the tree (start-up, main thread). Appending order is drawing
    // order and the reverse of hit order. The layer takes ownership.
    void AddControl(IControl* control);
    void AddLayer(ControlLayer* child);

    int GetID() const { return mID; }
    const std::string& GetName() const { return mName; }
    bool IsVisible() const { return mVisible; }
    int GetSelectedChildId() const { return mSelectedChildId; }
    void SetSelectedChildId(int id) { mSelectedChildId = id; }
    bool GetIgnoreHiddenWhenUpdatingScreen() const { return mIgnoreHidden; }

    int NControls() const { return mControls.GetSize(); }
    IControl* GetControl(int i) const { return mControls.Get(i); }
    int NLayers() const { return mLayers.GetSize(); }
    ControlLayer* GetLayer(int i) const { return mLayers.Get(i); }
    ROZ_PtrList<IControl>* GetControls() { return &mControls; }
    ROZ_PtrList<ControlLayer>* GetLayers() { return &mLayers; }

    // Hiding hides the whole subtree; showing shows only the selected child's branch.
    void Hide(bool hide);
    // Greying greys the subtree; un-greying un-greys only the selected child.
    void GrayOut(bool gray);
    // Selects child id and greys or un-greys it, for ids 10..252 only.
    void GrayOutCustomZone(bool gray, int id);
    // Pattern step rows: for selectedId in 200..252, greys children with ids in
    // (limit, 252] and un-greys the others. The first argument has no effect.
    void GrayOutUserArp(bool flag, int selectedId, int limit);
    // Selects id and shows the child layers whose id is id, hiding the others:
    // pages chosen by a value.
    void SelectChild(int id);
    // Selects selectedId; for 200..298 shows every child with an id below 10
    // or in 200..299, hiding none.
    void showMultiLayers(int selectedId);
    void setIgnoreHiddenWhenUpdatingScreen(bool ignore);
    void setControlsDirty();

    // Called by the surface on the main thread.
    bool isDirty(IRECT* r);
    void Draw(IGraphics* graphics, IRECT* r);
    IControl* isHit(int x, int y);
    // Any thread, no lock: the value is already normalised.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized = true);
    IControl* getControlFromParam(int paramIdx);

private:
    // Hiding and greying reach every child layer; showing and un-greying only the selected one.
    void applyToSubtree(bool on, void (IControl::*controlOp)(bool), void (ControlLayer::*layerOp)(bool));

    int mID;
    std::atomic<bool> mVisible{false};
    ROZ_PtrList<IControl> mControls;
    ROZ_PtrList<ControlLayer> mLayers;
    std::string mName;
    std::atomic<int> mSelectedChildId{0};
    std::atomic<bool> mIgnoreHidden{false};
};
