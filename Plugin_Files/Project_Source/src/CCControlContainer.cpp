#include "CCControlContainer.h"

#include <cstdio>

void CCControlContainer::addToControlMap(int channel, int cc, int group, IControl* control)
{
    m_controls.store({channel, cc, group}, control);
}

IControl* CCControlContainer::findControl(int channel, int cc, int group) const
{
    bool outerMissing = false;
    IControl* const* hit = m_controls.find({channel, cc, group}, outerMissing);
    if (outerMissing)
        std::printf("CCControlContainer : Not found\n");
    return hit ? *hit : nullptr;
}
