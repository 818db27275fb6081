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

bool carriesEditBuffer(const unsigned char* bytes, int size)
{
    return size > zsysex::kSoundProgramByte && bytes[zsysex::kSoundBankByte] == zsysex::kEditBufferAddress.high
        && bytes[zsysex::kSoundProgramByte] == zsysex::kEditBufferAddress.low;
}

}  // namespace

void MIDIMessageManager::expectReply(int bank, int program)
{
    const int awaited = bank < 0 ? kEditBufferAwaited : bank * 128 + program;
    // Asked for again, the cancelled request's sound is this request's answer.
    int cancelled = awaited;
    m_cancelledReply.compare_exchange_strong(cancelled, kNoReplyAwaited);
    m_expectedReply = awaited;
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

void MIDIMessageManager::noteCancelledRequest()
{
    m_cancelledReply = m_expectedReply.load();
}

bool MIDIMessageManager::refusesCancelledAnswer(const unsigned char* bytes, int size)
{
    const int cancelled = m_cancelledReply;
    if (cancelled == kNoReplyAwaited || size != zsysex::kSoundDumpSize)
        return false;
    const bool answers = cancelled == kEditBufferAwaited ? carriesEditBuffer(bytes, size)
                                                         : carriesSlot(bytes, size, cancelled / 128, cancelled % 128);
    if (!answers)
        return false;
    // The one answer that was on its way has come: the next dump of this
    // address answers a later request.
    int expected = cancelled;
    m_cancelledReply.compare_exchange_strong(expected, kNoReplyAwaited);
    consolelog::log("Sound dump for a cancelled request ignored\n");
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
