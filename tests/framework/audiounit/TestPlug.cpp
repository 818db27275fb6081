#include "TestPlug.h"

int TestPlug::automatableForNextOpen = 0;

namespace {

constexpr int kUniqueId = 0x6B7A366D;        // 'kz6m'
constexpr int kManufacturerId = 0x566E7431;  // 'Vnt1'

}  // namespace

TestPlug::TestPlug(IPluginInstanceInfo info)
    : IPluginAU(info, kParams, "2-2", 2, "Test Plug", "", "Tester", 0x10203, kUniqueId, kManufacturerId, 128, true,
                true, true, 0)
{
    initialize(info, automatableForNextOpen, kParams, "2-2", 2, "Test Plug", "", "Tester", 0x10203, kUniqueId,
               kManufacturerId, 128, true, true, true, 0);
    for (int i = 0; i < kEnumParam; ++i)
        GetParam(i)->InitInt("Level of the first oscillator in the upper layer, in dB", 0, 0, 100, "", "Osc");
    GetParam(kEnumParam)->InitEnum("Mode", 0, 3);
    GetParam(kEnumParam)->SetDisplayText(0, "Off");
    GetParam(kEnumParam)->SetDisplayText(1, "Low");
    GetParam(kEnumParam)->SetDisplayText(2, "High");
    MakeDefaultPreset("Init", 2);
}

void TestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromHardware)
{
    midi.push_back(*msg);
    midiFromHardware.push_back(fromHardware);
}

void TestPlug::ProcessSysEx(ISysEx* msg, bool fromHardware)
{
    sysex.push_back(
        ReceivedSysEx {msg->mOffset, std::vector<uint8_t>(msg->mData, msg->mData + msg->mSize), fromHardware});
}

bool TestPlug::SerializeState(ByteChunk* chunk) { return SerializeNonAutomatedParams(chunk, NParams()); }

int TestPlug::CheckState(ByteChunk* chunk, int startPos)
{
    const int end = startPos + 8 * NParams();
    return !checksStates ? kStateUnchecked : chunk->Size() >= end ? end : -1;
}

int TestPlug::UnserializeState(ByteChunk* chunk, int startPos)
{
    ++stateReads;
    return UnserializeNonAutomatedParams(chunk, startPos, readOnlyValues >= 0 ? readOnlyValues : NParams());
}

IPluginAU* MakePlug()
{
    IPluginInstanceInfo info;
    info.mOSXBundleID.Set("com.Vantorel.audiounit.Zelto2X Editor x64");
    info.mCocoaViewFactoryClassName.Set("Zelto2X_View_64");
    return new TestPlug(info);
}
