#pragma once
// Collects the hardware's answer to a library request: every SysEx message
// that arrives while the request is active, until the 137-byte sound dump.
//
// Threads: prepared by the starter of a request (main thread or request
// worker) before the request is sent; filled on the MIDI input thread. A late
// reply to an earlier request may still arrive while a new one is prepared,
// so the three operations below take the record's own mutex.

#include <atomic>
#include <mutex>

#include "PatchLibrarian.h"

class LibraryPatchRequest {
public:
    // Appends the message; a 137-byte sound dump completes the request (name
    // and category taken from it, libraryRequestActive cleared) and gives true.
    bool addMessageData(const unsigned char* bytes, int size);

    // What a completed request stores into a library slot: name, category and
    // the sound dump alone, without the short messages collected before it.
    LibrarianPatch completedSoundPatch() const;

    // Empties messages, name and category for a new request.
    void clear();

    int complete = 0;  // 1 once a sound dump has completed a request
    std::atomic<bool> libraryRequestActive {false};
    // Read it only while no request is collecting (or under the mutex).
    LibrarianPatch patch;

private:
    mutable std::mutex m_mutex;
};
