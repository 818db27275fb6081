#pragma once
// The sound dumps the synth still owes the editor. The synth answers every
// sound request sent to its device ID, in the order asked, however late; a
// request that stops waiting without its answer (cancelled, timed out), that
// took an earlier request's late answer of the same sound, or that the
// device-ID search asked a second time leaves answers on their way.
// Each of them is noted here, by device and sound, so that it lands nowhere
// when it comes, whichever request waits then.
//
// A dump's address may name its sound as slot bank x 100 + program or as
// bank and program bytes, so one address can read as two sounds; a dump
// that reads as a noted sound is taken as that sound's late answer.
//
// Threads: the request thread begins a request, counts its messages and
// ends it; the MIDI input thread reads every incoming dump. Both take the
// ledger's own short lock and no other lock under it.

#include <array>
#include <mutex>
#include <vector>

class OwedAnswers {
public:
    static constexpr int kDevices = 128;

    OwedAnswers();

    // Request thread: a request for one sound starts waiting (bank -1 asks
    // for the edit buffer). Asked for again, a noted sound's first dump is
    // this request's answer. A request still waiting is ended first.
    void beginRequest(int bank, int program);
    // Request thread: one message of the waiting request left for device
    // (the request itself or a probe of the device-ID search).
    void requestSent(int device);
    // Request thread: the request stops waiting. When a device answered, the
    // synth is at that ID and owes the rest of what was sent to it; without
    // an answer, everything sent stays owed.
    void endRequest();

    // MIDI input thread, for every sound dump from the hardware, with its
    // device byte and address bytes: true when it is a noted answer, whose
    // note it ends. A dump the waiting request takes is not refused: when its
    // sound was noted, it is the earlier request's answer and ends that note
    // alone, the request's own answer still being on its way; otherwise it is
    // the request's own answer (for the edit buffer, whatever its address)
    // and ends every note of its device: the synth answers in order, so what
    // has not come by then never will.
    bool takesOwedAnswer(int device, int high, int low);

    // MIDI input thread: the synth at device answered a request sent after
    // every note (the device enquiry), so its notes are ended.
    void deviceAnswered(int device);

private:
    // bank x 128 + program, as the manager keys the sound it waits for.
    static constexpr int kKeysPerBank = 128;
    static constexpr int kEditBufferKey = 5 * kKeysPerBank;
    static constexpr int kKeys = kEditBufferKey + 1;
    static constexpr int kNone = -1;

    struct Readings {
        int keys[2] = {kNone, kNone};
    };
    static int keyOf(int bank, int program);
    static Readings readAddress(int high, int low);
    // With the lock held: answers more owed for the awaited sound.
    void noteOwed(int device, int answers);
    // With the lock held: the waiting request takes a dump of the device.
    void takeEarlierAnswer(int device);
    void takeOwnAnswer(int device);
    unsigned short& owed(int device, int key) { return m_owed[static_cast<size_t>(device * kKeys + key)]; }
    void clearDevice(int device);

    std::mutex m_mutex;
    int m_awaitedKey = kNone;
    int m_answeringDevice = kNone;  // the device whose dump the waiting request took
    std::array<unsigned short, kDevices> m_sent {};
    std::array<unsigned short, kDevices> m_answered {};
    std::vector<unsigned short> m_owed;  // kDevices x kKeys
};
