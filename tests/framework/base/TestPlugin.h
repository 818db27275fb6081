#pragma once
// A plug-in base with the host-facing operations recorded instead of sent.

#include <string>
#include <vector>

#include "../QuietHostPlugin.h"

class TestPlugin : public QuietHostPlugin {
public:
    explicit TestPlugin(int nParams = 5, int nAutomatable = 5, const char* channelIO = "2-2", int nPresets = 0,
                        bool chunks = true)
        : QuietHostPlugin(91, channelIO, nPresets, "Effect", "Product", "Maker", 0x10100, 0x5A6C7432, 0x566E7472, 128,
                          true, chunks, true, kAPIAU)
    {
        initialize(nAutomatable, nParams, channelIO, nPresets, "Zelto2X Editor", "Zelto2X Editor", "Vantorel",
                   0x10100, 0x5A6C7432, 0x566E7472, 128, true, true, true);
    }

    void OnParamChange(int idx) override
    {
        changes.push_back(idx);
        lockedInEveryChange &= GetMutex()->IsOwnedByCurrentThread();
    }
    void OnParamChange2(int idx) override { hardwareChanges.push_back(idx); }
    void Reset() override {}

    void InformHostOfParamChange(int idx, double value) override { informed.emplace_back(idx, value); }
    double GetTempo() override { return tempo; }
    bool SendMidiMsg(IMidiMsg* msg) override
    {
        sent.push_back(msg->mData1);
        return msg->mData1 != 0xFF;
    }

    std::vector<int> changes;
    bool lockedInEveryChange = true;  // the plug-in mutex was held across each callback
    std::vector<int> hardwareChanges;
    std::vector<std::pair<int, double>> informed;
    std::vector<int> sent;
    double tempo = 120.0;
};
