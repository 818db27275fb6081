#pragma once
// A plug-in base whose host hears of nothing: parameter and program news go
// nowhere, time stands at 4/4 and 120 BPM, and no MIDI goes out.

#include "IPluginBase.h"

class QuietHostPlugin : public IPluginBase {
public:
    using IPluginBase::IPluginBase;

    void BeginInformHostOfParamChange(int) override {}
    void InformHostOfParamChange(int, double) override {}
    void EndInformHostOfParamChange(int) override {}
    void InformHostOfProgramChange() override {}
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
    void GetTime(ITimeInfo*) override {}
    void ResizeGraphics(int, int) override {}
    bool SendMidiVST(IMidiMsg*) override { return false; }
    bool SendMidiMsg(IMidiMsg*) override { return false; }
};
