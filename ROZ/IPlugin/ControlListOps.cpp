#include "ControlListOps.h"

#include "ControlLayer.h"
#include "IControl.h"

bool MergeDirtyControls(const ROZ_PtrList<IControl>& controls, int first, IRECT* r)
{
    bool dirty = false;
    for (int i = first; i < controls.GetSize(); ++i) {
        IControl* control = controls.Get(i);
        if (control->IsHidden() && !control->GetIgnoreHidden()) continue;
        if (control->IsDirty()) {
            MergeDirtyRect(r, *control->GetRECT());
            dirty = true;
        }
    }
    return dirty;
}

void DrawControls(const ROZ_PtrList<IControl>& controls, int first, IGraphics* graphics, const IRECT& r,
                  bool visible)
{
    for (int i = first; i < controls.GetSize(); ++i) {
        IControl* control = controls.Get(i);
        if (visible && !control->IsHidden() && RedrawMeets(r, *control->GetRECT())) control->Draw(graphics);
        control->SetClean();
    }
}

void SetControlsDirty(const ROZ_PtrList<IControl>& controls)
{
    for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->SetDirty(false);
}

void PushValueToControls(const ROZ_PtrList<IControl>& controls, int paramIdx, double value)
{
    for (int i = 0; i < controls.GetSize(); ++i) {
        IControl* control = controls.Get(i);
        if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(value);
        const int aux = control->AuxParamIdx(paramIdx);
        if (aux >= 0) control->SetAuxParamValueFromPlug(aux, value);
    }
}

bool MergeDirtyLayers(const ROZ_PtrList<ControlLayer>& layers, IRECT* r)
{
    bool dirty = false;
    for (int i = 0; i < layers.GetSize(); ++i)
        if (layers.Get(i)->isDirty(r)) dirty = true;
    return dirty;
}

void DrawLayers(const ROZ_PtrList<ControlLayer>& layers, IGraphics* graphics, IRECT* r)
{
    for (int i = 0; i < layers.GetSize(); ++i) layers.Get(i)->Draw(graphics, r);
}

IControl* HitLayers(const ROZ_PtrList<ControlLayer>& layers, int x, int y)
{
    for (int i = layers.GetSize() - 1; i >= 0; --i)
        if (IControl* hit = layers.Get(i)->isHit(x, y)) return hit;
    return nullptr;
}

void PushValueToLayers(const ROZ_PtrList<ControlLayer>& layers, int paramIdx, double value)
{
    for (int i = 0; i < layers.GetSize(); ++i) layers.Get(i)->SetParameterFromPlug(paramIdx, value, true);
}
