#pragma once
// Identification of the music host from the name it reports.

// -1 not identified yet, 0 a host that is not in the table.
enum EHost {
    kHostUninit = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostSonar = 5,
    kHostVegas = 6,
    kHostFL = 7,
    kHostSamplitude = 8,
    kHostAbletonLive = 9,
    kHostMelodyneStudio = 12,
    kHostVSTScanner = 13,
    kHostAULab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSAWStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigitalPerformer = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostStudioOne = 26,
    kHostVST3TestHost = 27,
    kHostArdour = 28,
};

// Case-insensitive search for the known substrings (first 255 characters of
// name); kHostUnknown when none matches or name is null. Any thread.
EHost LookUpHost(const char* name);

// Writes the host's display name ("Unknown" when it has none) into out,
// which must hold at least kHostNameLength bytes. Any thread.
void GetHostNameStr(EHost host, char* out);
constexpr int kHostNameLength = 32;
