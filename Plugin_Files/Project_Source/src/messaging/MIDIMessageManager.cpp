#include "MIDIMessageManager.h"

#include <algorithm>

#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "debugger.h"

// ---- The slot a request waits for -------------------------------------------------------

namespace {
constexpr int kNoReplyAwaited = -1;
constexpr int kEditBufferAwaited = -2;

// Replies to a slot request may carry the slot as bank x 100 + program in two
// 7-bit bytes or as bank and program bytes.
bool carriesSlot(const unsigned char* bytes, int size, int bank, int program)
{
    if (size <= zsysex::kSoundProgramByte)
        return false;
    const int high = bytes[zsysex::kSoundBankByte];
    const int low = bytes[zsysex::kSoundProgramByte];
    const zsysex::SoundAddress slot = zsysex::soundAddress(bank, program);
    const bool slotForm = high == slot.high && low == slot.low;
    const bool bankProgramForm = high == bank && low == program;
    return slotForm || bankProgramForm;
}

}  // namespace

void MIDIMessageManager::expectReply(int bank, int program)
{
    m_expectedReply = bank < 0 ? kEditBufferAwaited : bank * 128 + program;
    m_owedAnswers.beginRequest(bank, program);
}

void MIDIMessageManager::clearExpectedReply()
{
    m_expectedReply = kNoReplyAwaited;
}

bool MIDIMessageManager::takesReply(const unsigned char* bytes, int size, int* bank, int* program) const
{
    const int expected = m_expectedReply;
    *bank = -1;
    *program = -1;
    if (expected == kNoReplyAwaited || expected == kEditBufferAwaited)
        return true;
    *bank = expected / 128;
    *program = expected % 128;
    return carriesSlot(bytes, size, *bank, *program);
}

bool MIDIMessageManager::isOwedAnswer(const unsigned char* bytes, int size)
{
    if (size != zsysex::kSoundDumpSize
        || !m_owedAnswers.takesOwedAnswer(bytes[3], bytes[zsysex::kSoundBankByte], bytes[zsysex::kSoundProgramByte]))
        return false;
    consolelog::log("Sound dump for a request that no longer waits ignored\n");
    return true;
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
