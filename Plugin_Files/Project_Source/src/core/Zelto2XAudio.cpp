// The editor's audio routine: it makes no sound, and uses the host's render
// call as its clock: MIDI clock follows the transport, the arpeggiator tempo
// follows the host tempo, queued messages leave at their sample offsets, and a
// reset is followed by All Notes Off once the transport stands.

#include "Zelto2X.h"

#include <cstdio>

#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "MIDIMessageManager.h"
#include "MIDIMessageSender.h"
#include "dovor/timing.h"

namespace {

constexpr int kArpTempoOffset = 65;  // kArpTempo 0 is 65 BPM
constexpr uint32_t kLedOnMs = 100;

}  // namespace

// ---- Reset (host thread, under the plug-in mutex) ----------------------------------------

void Zelto2X::Reset()
{
    IMutexLock lock(this);
    if (GetSampleRate() != sampleRate)
        sampleRate = GetSampleRate();
    midiQueue.Resize(GetBlockSize());
    resetPending = true;
    if (dawOffset == 0)
        dawOffset = GetBlockSize();

    char version[kVersionStrLength];
    GetEffectVersionStr(version);
    if (debugLogEnabled) {
        char rate[64];
        std::snprintf(rate, sizeof rate, "%g", sampleRate);
        logDebug(std::string("RESET: Host sample rate ") + rate + "Hz");
        logDebug(std::string("RESET: plug-in ") + version);
    }
    if (patchLoading)
        return;
    const std::string versionText = std::string(version) + (debugLogEnabled ? " 10-Oct-2020" : "");
    const std::pair<int, const char*> texts[] = {{kControlDisplayName, "Marnvik Zelto2X Plug-in"},
        {kControlDisplayValue, versionText.c_str()}, {kControlDisplayCategory, "NONE"},
        {kPatchName, "-- INIT --"}, {kControlDisplayCC, "---"}};
    for (const auto& [param, text] : texts) {
        if (ITextControl* control = paramTextControl(param))
            control->SetTextFromPlug(text);
    }
    // A host resets a new instance several times while it sets it up: what
    // start-up has to tell takes the greeting's place, or it would go unseen.
    if (!m_startupProblem.first.empty()) {
        showLibrarianResult(m_startupProblem.first, m_startupProblem.second);
        return;
    }
    // The version belongs to the greeting: the next status text takes it away.
    std::lock_guard<std::mutex> detailLock(m_textsMutex);
    m_statusDetail = versionText;
}

// ---- Render (render thread: no lock, no allocation, no wait) ------------------------------

void Zelto2X::ProcessDoubleReplacing(double** /*inputs*/, double** /*outputs*/, int nFrames)
{
    GetTime(&timeInfo);
    transportRunning = timeInfo.mTransportIsRunning;
    if (!midiOutSet)
        return;
    followTransport();
    followHostTempo();

    int positions = nFrames;
    if (toDAWBuffer) {
        positions = dawOffset < 0 ? 1 : dawOffset.load();
        showMidiOutDelay(positions);
    }
    drainQueue(positions);
    settleSoundRequest();
}

void Zelto2X::followTransport()
{
    // While the queue goes through the host buffer the hardware clock stays as it is.
    const bool running = timeInfo.mTransportIsRunning;
    if (running != transportWasRunning && !toDAWBuffer)
        clockWanted = running;
    transportWasRunning = running;
    settleClockJob();
    settleContinuousClock();
}

void Zelto2X::followHostTempo()
{
    if (paramValue(kOverrideTempo) != 1.0)
        return;
    const int value = static_cast<int>(GetTempo()) - kArpTempoOffset;
    // The LOG file is written by the manager's dispatcher: this thread only leaves the line.
    if (value != lastTempoValue) {
        lastTempoValue = value;
        tempoSynced = false;
        if (debugLogEnabled && m_renderLog.post("PROCESSOR: Host tempo is out of sync!"))
            midiMessageManager->postRenderLogLines();
    }
    if (!tempoSynced && midiOutSet) {
        tempoSynced = true;
        if (debugLogEnabled && m_renderLog.post("PROCESSOR: Host tempo synced to %dBPM", value + kArpTempoOffset))
            midiMessageManager->postRenderLogLines();
        if (IGraphics* graphics = GetGUI())
            graphics->SetParameterFromPlug(kArpTempo, value, false);
    }
}

void Zelto2X::showMidiOutDelay(int positions)
{
    ITextControl* display = paramTextControl(kControlDisplayMIDIOutDelay);
    if (!display || !GetGUI() || (positions == m_shownDelayPositions && GetBlockSize() == m_shownDelayBlock))
        return;
    char text[kMidiOutDelayTextRoom];
    std::snprintf(text, sizeof text, "%dms|%dbfr", static_cast<int>(1000.0 / (sampleRate / positions)),
                  GetBlockSize());
    // While the main thread holds the text, a later block shows it.
    if (!display->TrySetTextFromPlug(text))
        return;
    m_shownDelayPositions = positions;
    m_shownDelayBlock = GetBlockSize();
}

void Zelto2X::drainQueue(int positions)
{
    IMidiQueue::DrainLock drain(midiQueue);
    // Without the queue (a writer holds it) the messages keep their offsets
    // for the next block, and the reset waits with them.
    bool portBusy = false;
    auto sendDue = [&](int position) {
        while (drain.Acquired() && !portBusy && !midiQueue.Empty() && midiQueue.Peek()->mOffset <= position) {
            IMidiMsg* msg = midiQueue.Peek();
            if (toDAWBuffer) {
                // Another thread is sending: this message and all after it wait
                // for the next block, in their order.
                if (!TrySendMidiMsg(msg)) {
                    portBusy = true;
                    break;
                }
                lightLedForOutgoing(msg);
            }
            midiQueue.Remove();
        }
    };
    if (positions > 0) {
        sendDue(0);
        if (drain.Acquired() && !timeInfo.mTransportIsRunning && resetPending && allNotesOffFromRenderThread()) {
            resetPending = false;
            if (midiLedOn == 1)
                setLedOff();
        }
        if (midiLedOn == 1 && GetGUI() && GetTickCount() - midiLedTime.load() > kLedOnMs)
            setLedOff();
        sendDue(positions - 1);
    }
    if (drain.Acquired())
        midiQueue.Flush(positions);
}

bool Zelto2X::allNotesOffFromRenderThread()
{
    if (!allNotesOffWanted())
        return true;
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, 0.0, deviceChannel());
    if (toDAWBuffer)
        return midiQueue.AddWithinCapacity(&msg);  // a full queue has room again after a later block
    if (!TrySendMidiMsg(&msg))
        return false;  // sent from the next block
    lightLedForOutgoing(&msg);
    return true;
}

void Zelto2X::writeRenderLogLines()
{
    m_renderLog.drain([this](const char* line) { logDebug(line); });
}

void Zelto2X::lightLedForOutgoing(const IMidiMsg* msg)
{
    if (!trackIncomingMIDI && msg->Channel() == deviceChannel())
        lightMidiLed();
}

void Zelto2X::setLedOff()
{
    midiLedOn = 0;
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(kMIDILed, 0.0, false);
}

// ---- Worker jobs ------------------------------------------------------------------------------
// The render thread only posts its jobs (no thread is created here) and
// follows its flags with the jobs that really started.

// The hardware clock follows the transport through jobs that ran: a job
// dropped because its worker was still busy is posted again in a later block,
// so no edge is lost; edges faster than the jobs settle on the last state.
void Zelto2X::settleClockJob()
{
    using PostedJob = MIDIMessageManager::PostedJob;
    if (clockJobPosted != 0) {
        const PostedJob outcome = midiMessageManager->takePostedJob(clockJobPosted);
        if (outcome == PostedJob::Waiting)
            return;
        if (outcome == PostedJob::Started)
            clockStartSent = clockJobPosted == kJobStartClock;
        clockJobPosted = 0;
    }
    if (clockWanted != clockStartSent && midiMessageManager->clockStartStopThreadIdle()) {
        const int job = clockWanted ? kJobStartClock : kJobStopClock;
        if (midiMessageManager->postJob(job))
            clockJobPosted = job;
    }
}

// The continuous clock job is posted whenever the handler clears
// continuousClockStarted. A post that was dropped met a clock loop still
// running, which may be one that has just seen a switch-off and is ending:
// once the clock thread is idle the job is posted again (with the clock
// switched off it returns at once), so a switch-on is never lost.
void Zelto2X::settleContinuousClock()
{
    using PostedJob = MIDIMessageManager::PostedJob;
    if (continuousClockPosted) {
        const PostedJob outcome = midiMessageManager->takePostedJob(kJobContinuousClock);
        if (outcome == PostedJob::Waiting)
            return;
        continuousClockPosted = false;
        continuousClockUnsettled = outcome != PostedJob::Started;
    }
    if (continuousClockUnsettled && midiMessageManager->clockThreadIdle()) {
        continuousClockUnsettled = false;
        continuousClockStarted = false;
    }
    if (continuousClockStarted.exchange(true))
        return;
    midiMessageManager->resetContinuousClock(false);
    if (midiMessageManager->postJob(kJobContinuousClock))
        continuousClockPosted = true;
    else
        continuousClockUnsettled = true;
}

// The request leaves requestPending when posted and comes back when its job
// was dropped, so neither it nor a request made meanwhile is lost. The worker
// routes the dump to the user interface and sets patchRequested once the job
// has started.
void Zelto2X::settleSoundRequest()
{
    using PostedJob = MIDIMessageManager::PostedJob;
    if (requestJobPosted) {
        const PostedJob outcome = midiMessageManager->takePostedJob(kJobRequestActiveArrangement);
        if (outcome == PostedJob::Waiting)
            return;
        if (outcome != PostedJob::Started)
            requestPending = true;
        requestJobPosted = false;
    }
    if (requestPending && midiMessageManager->requestThreadIdle() && requestPending.exchange(false)) {
        if (midiMessageManager->postJob(kJobRequestActiveArrangement))
            requestJobPosted = true;
        else
            requestPending = true;
    }
}
