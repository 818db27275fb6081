#include "ControlAction.h"

const SysExMessage* ControlAction::sysExMessageFor(int value, int paramMin) const
{
    const long index = static_cast<long>(value) - paramMin;
    if (index < 0 || index >= static_cast<long>(sysEx.messages.size()))
        return nullptr;
    return &sysEx.messages[static_cast<size_t>(index)];
}
