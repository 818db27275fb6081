#include "SysExControlContainer.h"

void SysExControlContainer::addToControlMap(const unsigned char* bytes, unsigned char changingByte,
    IControl* control)
{
    m_controls.store({bytes[0], bytes[1], bytes[2], bytes[3], changingByte}, control);
}

IControl* SysExControlContainer::findControl(int k1, int k2, int k3, int k4, int k5) const
{
    return m_controls.findOrReport({k1, k2, k3, k4, k5}, "SysExControlContainer");
}
