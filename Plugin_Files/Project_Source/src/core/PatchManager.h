#pragma once
// The editor's snapshot of the current sound for the project state: the
// state bytes taken at start-up, the sound's name and category, and the MIDI
// device names, written as one block of the state chunk.
//
// Threads: host thread under the plug-in mutex (state save and recall) and the
// constructor; the sound-dump decoder writes texts [0] and [1].

#include <string>

#include "Patch.h"

class Zelto2X;

class PatchManager : public Patch {
public:
    // Indexes into texts.
    enum { kSoundName = 0, kCategoryName, kThirdName, kMidiInDevice, kMidiOutDevice };
    // Longest text stored for each of the five.
    static constexpr int kTextLimits[kTextCount] = {13, 13, 13, 32, 32};
    // Texts [0] to [2] are read back exactly this long, padded with NULs.
    static constexpr int kPaddedNameLength = 13;

    explicit PatchManager(Zelto2X* plug) : plug(plug) {}

    // Takes the editor's short state into the patch data. Constructor only.
    void init();
    // Appends the block: two headers, the big-endian data length, the data,
    // the five texts.
    void saveAllToChunk(ByteChunk* chunk);
    // Reads the block at pos; the position after it, or -1 (patch data and
    // texts then emptied, the first three as 13 NULs).
    int loadAllFromChunk(ByteChunk* chunk, int pos);
    // The position after a whole block at pos, or -1; reads nothing in.
    static int checkChunk(const ByteChunk* chunk, int pos);
    // Appends the first maxLen characters of s, cut at its first NUL.
    static void putStringToChunk(ByteChunk* chunk, const std::string& s, int maxLen);

    int bankSelection = 0;
    int patchSelection = 0;
    Zelto2X* plug;
};
