// The request jobs (4 to 7 and 9) with their shared poll cycle and device-ID
// search, and the job dispatch. Sending and storing sounds live in
// MIDIMessageSenderSounds.cpp, the MIDI clock in MIDIMessageSenderClock.cpp.

#include "MIDIMessageSender.h"

#include <algorithm>
#include <string>

#include "IParam.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "debugger.h"
#include "dovor/timing.h"

namespace {

constexpr int kSearchAfterDelay = 15;  // the device-ID search follows the 15th delay
constexpr int kLastDelay = 20;         // n counts from 0: the 21st delay times out
constexpr int kDeviceIdCount = 127;
// Delays are slept in slices so that destroying the manager never waits long.
constexpr int kDelaySliceMs = 20;

constexpr const char* kTimedOut = "CONNECTION TIMED OUT!";
constexpr const char* kCancelled = "Data request CANCELLED!";
constexpr const char* kCompleted = "Data request completed!";
constexpr const char* kCheckingDevice = "Please wait, checking DeviceID ";
constexpr const char* kConnecting = "Connecting to Hardware";
constexpr const char* kProcessing = "Processing, please wait...";
constexpr const char* kNoResponse = "No response from Hardware";
constexpr const char* kReady = "Plug-in is ready to go!";
constexpr const char* kInputGone = "MIDI IN gone! Request ended";
constexpr const char* kOutputGone = "MIDI OUT gone! Request ended";

}  // namespace

// What one request sends and how long it waits.
struct MIDIMessageSender::RequestPlan {
    std::vector<uint8_t> request;  // unframed; byte 2 is the device
    int delayMs = 100;
    int probeDelayMs = 100;
    bool deviceEnquiry = false;    // job 9: its own texts, cancel ends quietly
};

MIDIMessageSender::MIDIMessageSender(Zelto2X* plug, PatchManager* patchManager, MIDIMessageManager* manager)
    : patchManager(patchManager), plug(plug), m_manager(manager)
{
}

MIDIMessageSender::~MIDIMessageSender() = default;

void MIDIMessageSender::run(const MIDIJob& job)
{
    switch (job.jobCode) {
    case kJobSendArrangement:
        sendArrangementToDevice(job.arrangementToLibrary, job.second, job.globalSettingsSent);
        break;
    case kJobSendGlobal: sendGlobalToDevice(0); break;
    case kJobSendLibraryPatch: sendPatchToDeviceFromLibrarian(job.libraryPatch, 0, 0); break;
    case kJobStoreAllPatches: storeAllPatchesToDeviceFromLibrarian(job.storeBank, job.storeListSelector, 0); break;
    case kJobRequestActiveArrangement: sendActiveArrangementRequestSysex(job.toUserInterface); break;
    case kJobRequestPart: sendPartRequestSysex(job.toUserInterface, job.program); break;
    case kJobRequestSinglePatch: sendSinglePatchRequestSysex(job.editBuffer); break;
    case kJobRequestAllPatches: sendAllPatchRequestSysex(job.requestBank); break;
    case kJobInitClassicPatch: initClassicPatch(false); break;
    case kJobDeviceIdEnquiry: sendDeviceIdEnquiry(); break;
    case kJobStartClock: startMIDIClockOutput(); break;
    case kJobContinuousClock: sendContinuousMIDIClock(static_cast<int>(job.tempo)); break;
    case kJobStopClock: stopMIDIClockOutput(); break;
    default: break;
    }
}

// ---- Shared steps ---------------------------------------------------------------------

void MIDIMessageSender::delay(int ms)
{
    while (ms > 0 && !shuttingDown) {
        const int slice = std::min(ms, kDelaySliceMs);
        Sleep(slice);
        ms -= slice;
    }
}

void MIDIMessageSender::showStatus(const char* text)
{
    plug->showStatus(text);
}

void MIDIMessageSender::showIndicator(bool show)
{
    plug->DisplayProcessingIndicator(show);
}

void MIDIMessageSender::routeAnswer(bool toLibrary)
{
    plug->SetLibrarianRequestActive(toLibrary);
}

void MIDIMessageSender::sendRequest(std::vector<uint8_t> request)
{
    // Without an output nothing leaves, and nothing will answer.
    if (plug->midiOutSet)
        m_manager->requestSent(request[2]);
    plug->checksumCheckAndSend(request.data(), static_cast<int>(request.size()));
}

int MIDIMessageSender::requestDeviceFromParameter() const
{
    const double value = plug->paramValue(kGlobalDeviceID);
    return value > 0.0 ? std::min(static_cast<int>(value), 127) : 0;
}

void MIDIMessageSender::discardBankData()
{
    plug->setParamValueClamped(kDiscardBankData, 1.0);
    plug->OnParamChange(kDiscardBankData);
}

void MIDIMessageSender::forgetPortsGone()
{
    inputPortGone = false;
    outputPortGone = false;
}

bool MIDIMessageSender::requestPortGone() const
{
    return inputPortGone || outputPortGone;
}

void MIDIMessageSender::showRequestOutcome()
{
    if (cancelRequested)
        showStatus(kCancelled);
    else if (requestPortGone())
        showStatus(outputPortGone ? kOutputGone : kInputGone);
    else if (!timedOut)
        showStatus(kCompleted);
}

// The hardware may be set to another device ID: each is asked once, and the
// overlay counts them meanwhile.
void MIDIMessageSender::searchDeviceIds(const RequestPlan& plan)
{
    JobProgress& progress = m_manager->progress;
    const JobProgress::Count before = progress.get();
    std::vector<uint8_t> probe = plan.request;
    for (int id = 0; id < kDeviceIdCount; ++id) {
        if (plug->incomingSysExProcessed || cancelRequested || shuttingDown || requestPortGone())
            break;
        probe[2] = static_cast<uint8_t>(id);
        progress.set(JobProgress::Counting::DeviceIds, id + 1, kDeviceIdCount);
        sendRequest(probe);
        if (!plan.deviceEnquiry)
            showStatus((kCheckingDevice + std::to_string(id + 1)).c_str());
        delay(plan.probeDelayMs);
    }
    progress.set(before);
}

void MIDIMessageSender::pollCycle(const RequestPlan& plan)
{
    sendRequest(plan.request);
    waitForAnswer(plan);
    m_manager->requestStoppedWaiting();
}

void MIDIMessageSender::waitForAnswer(const RequestPlan& plan)
{
    for (int n = 0;; ++n) {
        delay(plan.delayMs);
        // Without its port no answer can come: the wait ends as a time-out would.
        if (shuttingDown || (!plan.deviceEnquiry && cancelRequested) || requestPortGone()) {
            timedOut = true;
            return;
        }
        if (plan.deviceEnquiry)
            showStatus(kProcessing);
        if (n + 1 == kSearchAfterDelay)
            searchDeviceIds(plan);
        if (plan.deviceEnquiry && (cancelRequested || shuttingDown))
            return;
        if (n >= kLastDelay) {
            showStatus(plan.deviceEnquiry ? kNoResponse : kTimedOut);
            timedOut = true;
            return;
        }
        if (plug->incomingSysExProcessed)
            return;
    }
}

// ---- Job 9 --------------------------------------------------------------------------------

void MIDIMessageSender::sendDeviceIdEnquiry()
{
    showIndicator(true);
    cancelRequested = false;
    forgetPortsGone();
    routeAnswer(false);
    showStatus(kConnecting);
    timedOut = false;
    RequestPlan plan;
    plan.delayMs = plan.probeDelayMs = plug->getTimerValue();
    plan.deviceEnquiry = true;
    plan.request = zsysex::globalRequest(plug->currentDeviceId);
    pollCycle(plan);
    delay(plan.delayMs);
    // A cancelled enquiry has not found the hardware: no success text, and
    // no "Processing" left standing either.
    if ((cancelRequested || requestPortGone()) && !shuttingDown)
        showRequestOutcome();
    else if (!timedOut && !shuttingDown)
        showStatus(kReady);
    showIndicator(false);
    if (!shuttingDown)
        plug->deviceEnquiryEnded(!timedOut && !cancelRequested);
}

// ---- Jobs 4 and 5 ---------------------------------------------------------------------------

void MIDIMessageSender::sendActiveArrangementRequestSysex(bool toUserInterface)
{
    const int t = beginRequest();
    routeAnswer(!toUserInterface);
    RequestPlan plan;
    plan.delayMs = t;
    plan.probeDelayMs = t / 2;
    plan.request = zsysex::soundRequest(plug->currentDeviceId, zsysex::kEditBufferAddress);
    m_manager->expectReply(-1, 0);
    pollCycle(plan);
    showIndicator(true);
    delay(t / 2);
    showRequestOutcome();
    showIndicator(false);
}

void MIDIMessageSender::sendPartRequestSysex(bool toUserInterface, int)
{
    const int t = beginRequest();
    routeAnswer(!toUserInterface);
    RequestPlan plan;
    plan.delayMs = plan.probeDelayMs = t;
    plan.request = zsysex::soundRequest(requestDeviceFromParameter(), zsysex::kEditBufferAddress);
    m_manager->expectReply(-1, 0);
    pollCycle(plan);
    showIndicator(true);
    delay(t);
    showRequestOutcome();
    showIndicator(false);
}

// ---- Jobs 6 and 7 -------------------------------------------------------------------------------

namespace {

int selectedSlot(PatchLibrarian* library)
{
    if (!library)
        return 0;
    std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
    return library->transferSlot;
}

}  // namespace

int MIDIMessageSender::beginRequest()
{
    showIndicator(true);
    cancelRequested = false;
    timedOut = false;
    forgetPortsGone();
    m_manager->soundsFiled = 0;
    m_manager->guiUpdatePending = true;
    return plug->getTimerValue();
}

void MIDIMessageSender::endLibraryRequest()
{
    if (cancelRequested) {
        showStatus(kCancelled);
        m_manager->refuseLibraryAnswers();
        if (!plug->restoreUnsavedBankBeforeRequest())
            discardBankData();
    } else {
        showRequestOutcome();
        // However it ended, what it filed is in the editing bank alone: the
        // bank is unsaved, so no later request, bank step or close loses it.
        const bool completed = !timedOut && !requestPortGone();
        if (completed || m_manager->soundsFiled > 0)
            plug->SetLibrarianStatusUnsaved(true);
    }
    showIndicator(false);
}

void MIDIMessageSender::sendSinglePatchRequestSysex(bool editBuffer)
{
    const int t = beginRequest();
    plug->noteBankBeforeRequest();
    const int bank = static_cast<int>(plug->paramValue(kCurrentBank));
    const int program = selectedSlot(plug->patchLibrarian);

    routeAnswer(true);
    RequestPlan plan;
    plan.delayMs = plan.probeDelayMs = t;
    plan.request = zsysex::soundRequest(requestDeviceFromParameter(),
        editBuffer ? zsysex::kEditBufferAddress : zsysex::soundAddress(bank, program));
    m_manager->expectReply(editBuffer ? -1 : bank, program);
    pollCycle(plan);

    delay(t);
    endLibraryRequest();
}

void MIDIMessageSender::sendAllPatchRequestSysex(int bank)
{
    const int t = beginRequest();
    plug->noteBankBeforeRequest();
    plug->selectLibrarianSlot(0);

    RequestPlan plan;
    plan.delayMs = plan.probeDelayMs = t;
    const int device = requestDeviceFromParameter();
    for (int program = 0; program < zsysex::kProgramsPerBank; ++program) {
        if (cancelRequested || shuttingDown || requestPortGone())
            break;
        plan.request = zsysex::soundRequest(device, zsysex::soundAddress(bank, program));
        m_manager->progress.set(JobProgress::Counting::Sounds, program + 1, zsysex::kProgramsPerBank);
        routeAnswer(true);
        m_manager->expectReply(bank, program);
        // A sound that never came leaves timedOut set and the rest are still
        // asked for: the count shows how far it is, and cancel ends it.
        pollCycle(plan);
        // The next answer lands in the next slot.
        plug->selectLibrarianSlot(program + 1);
    }
    m_manager->clearExpectedReply();

    delay(t);
    plug->selectLibrarianSlot(0);
    endLibraryRequest();
}
