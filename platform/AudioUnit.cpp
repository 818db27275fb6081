#include "platform/AudioUnit.h"

OSStatus AUEventListenerNotify(AUEventListenerRef, void*, const AudioUnitEvent* event)
{
    if (!event)
        return kAudioUnitErr_InvalidParameter;
    AudioUnit unit = event->mArgument.mParameter.mAudioUnit;
    if (unit && unit->eventSink)
        unit->eventSink(unit->eventSinkData, event);
    return noErr;
}

OSStatus AudioUnitInitialize(AudioUnit unit)
{
    return CallComponentDispatch(unit, kAudioUnitInitializeSelect, nullptr);
}

OSStatus AudioUnitUninitialize(AudioUnit unit)
{
    return CallComponentDispatch(unit, kAudioUnitUninitializeSelect, nullptr);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable)
{
    AUGetPropertyInfoParams args{id, scope, element, outDataSize, outWritable};
    return CallComponentDispatch(unit, kAudioUnitGetPropertyInfoSelect, &args);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize)
{
    AUGetPropertyParams args{id, scope, element, outData, ioDataSize};
    return CallComponentDispatch(unit, kAudioUnitGetPropertySelect, &args);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize)
{
    AUSetPropertyParams args{id, scope, element, inData, inDataSize};
    return CallComponentDispatch(unit, kAudioUnitSetPropertySelect, &args);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue)
{
    AUGetParameterParams args{id, scope, element, outValue};
    return CallComponentDispatch(unit, kAudioUnitGetParameterSelect, &args);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset)
{
    AUSetParameterParams args{id, scope, element, value, bufferOffset};
    return CallComponentDispatch(unit, kAudioUnitSetParameterSelect, &args);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
    AUResetParams args{scope, element};
    return CallComponentDispatch(unit, kAudioUnitResetSelect, &args);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData)
{
    AUPropertyListenerParams args{id, proc, userData};
    return CallComponentDispatch(unit, kAudioUnitAddPropertyListenerSelect, &args);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData)
{
    AUPropertyListenerParams args{id, proc, userData};
    return CallComponentDispatch(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, &args);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBus, UInt32 frames, AudioBufferList* ioData)
{
    AURenderParams args{ioActionFlags, timeStamp, outputBus, frames, ioData};
    return CallComponentDispatch(unit, kAudioUnitRenderSelect, &args);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count)
{
    AUScheduleParametersParams args{events, count};
    return CallComponentDispatch(unit, kAudioUnitScheduleParametersSelect, &args);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
{
    MusicDeviceMIDIEventParams args{status, data1, data2, offsetSampleFrame};
    return CallComponentDispatch(unit, kMusicDeviceMIDIEventSelect, &args);
}

OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length)
{
    MusicDeviceSysExParams args{data, length};
    return CallComponentDispatch(unit, kMusicDeviceSysExSelect, &args);
}
