#include "ControlLayer.h"

#include "ControlListOps.h"
#include "IControl.h"

ControlLayer::ControlLayer(int id, std::string name) : mID(id), mName(std::move(name)) {}

ControlLayer::~ControlLayer()
{
    mControls.Empty(true);
    mLayers.Empty(true);
}

void ControlLayer::AddControl(IControl* control)
{
    if (control) mControls.Add(control);
}

void ControlLayer::AddLayer(ControlLayer* child)
{
    if (child) mLayers.Add(child);
}

void ControlLayer::Hide(bool hide)
{
    mVisible = !hide;
    setControlsDirty();
    for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->Hide(hide);
    const int selected = mSelectedChildId;
    for (int i = 0; i < mLayers.GetSize(); ++i) {
        ControlLayer* child = mLayers.Get(i);
        if (hide)
            child->Hide(true);
        else if (child->GetID() == selected)
            child->Hide(false);
    }
}

void ControlLayer::GrayOut(bool gray)
{
    for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->GrayOut(gray);
    const int selected = mSelectedChildId;
    for (int i = 0; i < mLayers.GetSize(); ++i) {
        ControlLayer* child = mLayers.Get(i);
        if (gray)
            child->GrayOut(true);
        else if (child->GetID() == selected)
            child->GrayOut(false);
    }
}

void ControlLayer::GrayOutCustomZone(bool gray, int id)
{
    mSelectedChildId = id;
    if (id < 10 || id > 252) return;
    for (int i = 0; i < mLayers.GetSize(); ++i)
        if (mLayers.Get(i)->GetID() == id) mLayers.Get(i)->GrayOut(gray);
}

void ControlLayer::GrayOutUserArp(bool /*flag*/, int selectedId, int limit)
{
    mSelectedChildId = selectedId;
    if (selectedId < 200 || selectedId > 252) return;
    for (int i = 0; i < mLayers.GetSize(); ++i) {
        ControlLayer* child = mLayers.Get(i);
        const int id = child->GetID();
        child->GrayOut(id > limit && id <= 252);
    }
}

void ControlLayer::showMultiLayers(int selectedId)
{
    mSelectedChildId = selectedId;
    if (selectedId < 200 || selectedId > 298) return;
    for (int i = 0; i < mLayers.GetSize(); ++i) {
        ControlLayer* child = mLayers.Get(i);
        const int id = child->GetID();
        if (id < 10 || (id >= 200 && id <= 299)) child->Hide(false);
    }
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool ignore)
{
    mIgnoreHidden = ignore;
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->setIgnoreHiddenWhenUpdatingScreen(ignore);
    if (IControl* first = mControls.Get(0)) first->SetIgnoreHidden(ignore);
}

void ControlLayer::setControlsDirty()
{
    for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->setControlsDirty();
}

bool ControlLayer::isDirty(IRECT* r)
{
    if (!mVisible && !mIgnoreHidden) return false;
    bool dirty = MergeDirtyControls(mControls, 0, r);
    for (int i = 0; i < mLayers.GetSize(); ++i)
        if (mLayers.Get(i)->isDirty(r)) dirty = true;
    return dirty;
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* r)
{
    const bool visible = mVisible;
    for (int i = 0; i < mControls.GetSize(); ++i) {
        IControl* control = mControls.Get(i);
        if (visible && !control->IsHidden() && RedrawMeets(*r, *control->GetRECT())) control->Draw(graphics);
        control->SetClean();
    }
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->Draw(graphics, r);
}

IControl* ControlLayer::isHit(int x, int y)
{
    if (!mVisible) return nullptr;
    for (int i = mLayers.GetSize() - 1; i >= 0; --i)
        if (IControl* hit = mLayers.Get(i)->isHit(x, y)) return hit;
    for (int i = mControls.GetSize() - 1; i >= 0; --i) {
        IControl* control = mControls.Get(i);
        if (!control->IsHidden() && control->IsHit(x, y)) return control;
    }
    return nullptr;
}

void ControlLayer::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
    PushValueToControls(mControls, paramIdx, value);
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->SetParameterFromPlug(paramIdx, value, normalized);
}

IControl* ControlLayer::getControlFromParam(int paramIdx)
{
    if (!mVisible) return nullptr;
    for (int i = mLayers.GetSize() - 1; i >= 0; --i)
        if (IControl* found = mLayers.Get(i)->getControlFromParam(paramIdx)) return found;
    for (int i = mControls.GetSize() - 1; i >= 0; --i)
        if (mControls.Get(i)->ParamIdx() == paramIdx) return mControls.Get(i);
    return nullptr;
}
