#include "MIDIMessageManager.h"

#include <algorithm>

#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "Zelto2X.h"

MIDIMessageManager::MIDIMessageManager(Zelto2X* plug, PatchManager* patchManager, PatchLibrarian* patchLibrarian,
    IGraphics* graphics)
    : plug(plug), patchManager(patchManager), patchLibrarian(patchLibrarian), graphics(graphics)
{
}

MIDIMessageManager::~MIDIMessageManager() = default;

// ---- Jobs ----------------------------------------------------------------------

bool MIDIMessageManager::startSoundRequestJob(int program, int bank)
{
    // The request worker runs this job once the worker threads join the
    // manager; until then the job is recorded for whoever runs it.
    if (m_requestThreadRunning)
        return false;
    m_jobProgram = program;
    m_jobBank = bank;
    m_jobToUserInterface = true;
    m_jobCode = 5;
    return true;
}

MIDIMessageManager::JobRecord MIDIMessageManager::lastJob() const
{
    JobRecord record;
    record.code = m_jobCode;
    record.program = m_jobProgram;
    record.bank = m_jobBank;
    record.toUserInterface = m_jobToUserInterface;
    return record;
}

// ---- Parameters and controls ------------------------------------------------------

double MIDIMessageManager::parameterValue(int index) const
{
    return plug->paramValue(index);
}

void MIDIMessageManager::setParameterDirect(int index, double value)
{
    plug->setParamValueClamped(index, value);
}

void MIDIMessageManager::pushParameter(int index, double value)
{
    IGraphics* surface = graphics ? graphics : plug->GetGUI();
    if (surface)
        surface->SetParameterFromPlug(index, value, false);
    else
        plug->setParamValueClamped(index, value);
}

bool MIDIMessageManager::moveControl(IControl* control, double value)
{
    IParam* param = control->GetParam();
    if (!param)
        return false;
    const double range = param->GetMax() - param->GetMin();
    if (range <= 0.0)
        return false;
    control->SetValueFromHardware((value - param->GetMin()) / range);
    return true;
}
