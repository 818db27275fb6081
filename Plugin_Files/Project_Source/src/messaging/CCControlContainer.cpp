#include "CCControlContainer.h"

void CCControlContainer::addToControlMap(int channel, int cc, int group, IControl* control)
{
    m_controls.store({channel, cc, group}, control);
}

IControl* CCControlContainer::findControl(int channel, int cc, int group) const
{
    return m_controls.findOrReport({channel, cc, group}, "CCControlContainer");
}
