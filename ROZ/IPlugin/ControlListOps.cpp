#include "ControlListOps.h"

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

void PushValueToControls(const ROZ_PtrList<IControl>& controls, int paramIdx, double value)
{
    for (int i = 0; i < controls.GetSize(); ++i) {
        IControl* control = controls.Get(i);
        if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(value);
        const int aux = control->AuxParamIdx(paramIdx);
        if (aux >= 0) control->SetAuxParamValueFromPlug(aux, value);
    }
}
