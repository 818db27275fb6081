#include "Hosts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

struct HostPattern {
    const char* substring;
    EHost host;
};

// Tested in this order; the first hit wins.
const HostPattern kHostPatterns[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostAbletonLive},
    {"melodyne", kHostMelodyneStudio},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

const char* DisplayName(EHost host)
{
    switch (host) {
        case kHostReaper: return "Reaper";
        case kHostProTools: return "ProTools";
        case kHostCubase: return "Cubase";
        case kHostNuendo: return "Nuendo";
        case kHostSonar: return "Sonar";
        case kHostVegas: return "Vegas";
        case kHostFL: return "FLStudio";
        case kHostSamplitude: return "Samplitude";
        case kHostAbletonLive: return "Live";
        case kHostVSTScanner: return "VSTScanner";
        case kHostAULab: return "AULab";
        case kHostForte: return "Forte";
        case kHostChainer: return "Chainer";
        case kHostAudition: return "Audition";
        case kHostOrion: return "Orion";
        case kHostSAWStudio: return "SAWStudio";
        case kHostLogic: return "Logic";
        case kHostGarageBand: return "GarageBand";
        case kHostDigitalPerformer: return "DigitalPerformer";
        case kHostStandalone: return "Standalone";
        case kHostAudioMulch: return "AudioMulch";
        case kHostStudioOne: return "StudioOne";
        case kHostVST3TestHost: return "VST3PluginTestHost";
        case kHostArdour: return "Ardour";
        default: return "Unknown";
    }
}

}  // namespace

EHost LookUpHost(const char* name)
{
    if (!name) return kHostUnknown;
    char lower[256];
    size_t i = 0;
    for (; i < sizeof(lower) - 1 && name[i]; ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    lower[i] = '\0';
    for (const HostPattern& pattern : kHostPatterns)
        if (std::strstr(lower, pattern.substring)) return pattern.host;
    return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out)
{
    std::snprintf(out, kHostNameLength, "%s", DisplayName(host));
}
