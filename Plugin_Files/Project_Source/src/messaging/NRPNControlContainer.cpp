#include "NRPNControlContainer.h"

#include "ControlAction.h"

void NRPNControlContainer::addToControlMap(int channel, int msbValue, int lsbValue, int lsbControl,
    int ccGroup, IControl* control)
{
    m_controls.store({channel, msbValue, lsbValue, lsbControl, ccGroup}, control);
}

void NRPNControlContainer::addToControlMap(const ControlAction* action, IControl* control)
{
    addToControlMap(action->channel, action->msbValue, action->lsbValue, action->lsbControl, action->ccGroup, control);
}

IControl* NRPNControlContainer::findControl(int k1, int k2, int k3, int k4, int k5) const
{
    return m_controls.findOrReport({k1, k2, k3, k4, k5}, "NRPNControlContainer");
}
