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
    applyToSubtree(hide, &IControl::Hide, &ControlLayer::Hide);
}

void ControlLayer::GrayOut(bool gray) { applyToSubtree(gray, &IControl::GrayOut, &ControlLayer::GrayOut); }

void ControlLayer::applyToSubtree(bool on, void (IControl::*controlOp)(bool), void (ControlLayer::*layerOp)(bool))
{
    for (int i = 0; i < mControls.GetSize(); ++i) (mControls.Get(i)->*controlOp)(on);
    const int selected = mSelectedChildId;
    for (int i = 0; i < mLayers.GetSize(); ++i) {
        ControlLayer* child = mLayers.Get(i);
        if (on || child->GetID() == selected) (child->*layerOp)(on);
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

void ControlLayer::SelectChild(int id)
{
    mSelectedChildId = id;
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->Hide(mLayers.Get(i)->GetID() != id);
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
    SetControlsDirty(mControls);
    for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->setControlsDirty();
}

bool ControlLayer::isDirty(IRECT* r)
{
    if (!mVisible && !mIgnoreHidden) return false;
    const bool controlsDirty = MergeDirtyControls(mControls, 0, r);
    const bool layersDirty = MergeDirtyLayers(mLayers, r);
    return controlsDirty || layersDirty;
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* r)
{
    DrawControls(mControls, 0, graphics, *r, mVisible);
    DrawLayers(mLayers, graphics, r);
}

IControl* ControlLayer::isHit(int x, int y)
{
    if (!mVisible) return nullptr;
    if (IControl* hit = HitLayers(mLayers, x, y)) return hit;
    for (int i = mControls.GetSize() - 1; i >= 0; --i) {
        IControl* control = mControls.Get(i);
        if (!control->IsHidden() && control->IsHit(x, y)) return control;
    }
    return nullptr;
}

void ControlLayer::SetParameterFromPlug(int paramIdx, double value, bool /*normalized*/)
{
    PushValueToControls(mControls, paramIdx, value);
    PushValueToLayers(mLayers, paramIdx, value);
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
