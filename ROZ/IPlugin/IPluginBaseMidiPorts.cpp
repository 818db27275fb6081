// Hardware MIDI port layer of IPluginBase: the system's MIDI ports by name,
// one input and one output open at a time, incoming messages handed to the
// plug-in, and the senders behind the binding's send operations.
//
// Every open, close and send holds midiPortMutex, so a SysEx message from one
// thread never interleaves with another's and a send meets either the old
// port, the new one or none. The port watch looks at the system's ports with
// clients of its own and takes midiPortMutex only to change a port. Input
// arrives on the client's own MIDI input thread (platform/CoreMIDIRtMidi.h),
// never on the library's real-time thread.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include <pthread.h>

#include "IPluginBase.h"
#include "platform/CoreMIDIRtMidi.h"

namespace {

void log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

const char* const kInputClientName = "RtMidi Input Client";
const char* const kOutputClientName = "RtMidi Output Client";
constexpr unsigned kInputQueueLimit = 100;

// Texts that differ between the two directions.
struct DirectionTexts {
    const char* heading;
    const char* noPorts;
    const char* nameFailed;
    const char* found;
    const char* currentlySet;
    const char* virtualName;
    const char* portName;
    const char* unavailable;
    const char* unableToOpen;
    const char* gone;
    const char* back;
};
const DirectionTexts kInputTexts = {
    "MIDI IN INITIALIZATION\n",
    "No MIDI input ports available!\n",
    "Failed to get MIDI input port name!\n",
    "MIDI IN Port: %s found and assigned!\n",
    "Currently set input: %s\n",
    "virtual input",
    "RtMidi Input",
    "MIDI IN Port: %s is not available\n",
    "UNABLE TO OCCUBY MIDI INPUT PORT!!\n",
    "MIDI IN Port: %s has gone, closed\n",
    "MIDI IN Port: %s is back, opened again\n",
};
const DirectionTexts kOutputTexts = {
    "MIDI OUT INITIALIZATION\n",
    "No MIDI output ports available!\n",
    "Failed to get MIDI output port name!\n",
    "MIDI OUT Port: %s found and assigned!\n",
    "Currently set output: %s\n",
    "virtual output",
    "RtMidi Output",
    "MIDI OUT Port: %s is not available\n",
    "UNABLE TO OPEN MIDI OUTPUT PORT!!\n",
    "MIDI OUT Port: %s has gone, closed\n",
    "MIDI OUT Port: %s is back, opened again\n",
};

// A synth switched off and on again is back within seconds; a look costs a
// few round trips to the MIDI service.
constexpr std::chrono::milliseconds kPortWatchInterval{500};

bool CarriesOneDataByte(unsigned char status)
{
    const unsigned char kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0;
}

const DirectionTexts& TextsFor(bool input)
{
    return input ? kInputTexts : kOutputTexts;
}

}  // namespace

platform::MidiClient* IPluginBase::ClientFor(bool input) const
{
    return input ? static_cast<platform::MidiClient*>(midiIn) : midiOut;
}

std::vector<std::string>& IPluginBase::NamesFor(bool input)
{
    return input ? midiInNames : midiOutNames;
}

// ---- Selection lists -------------------------------------------------------

std::vector<std::string> IPluginBase::BuildPortList(bool input)
{
    const DirectionTexts& texts = TextsFor(input);
    std::vector<std::string> names;
    log("%s", texts.heading);
    // Both names before either list: another editor's ports go under them.
    platform::KeepClientNameOutOfLists(kInputClientName);
    platform::KeepClientNameOutOfLists(kOutputClientName);
    platform::MidiClient* client = nullptr;
    std::string error;
    if (input) {
        midiInIndex = 0;
        auto created = platform::MidiInputClient::Create(kInputClientName, kInputQueueLimit, &error);
        if (created) {
            created->SetCallback(&IPluginBase::MIDICallback, this);
            created->IgnoreTypes(false, true, true);
        }
        midiIn = created.release();
        client = midiIn;
    } else {
        midiOutIndex = 0;
        midiOut = platform::MidiOutputClient::Create(kOutputClientName, &error).release();
        client = midiOut;
    }
    if (!client) {
        log("%s", texts.noPorts);
        log("%s\n", error.c_str());
    }
    names.push_back("OFF");
    const unsigned count = client ? client->PortCount() : 0;
    std::string name;
    for (unsigned port = 0; port < count; ++port) {
        if (!client->PortName(port, &name)) {
            log("%s", texts.nameFailed);
            log("%s\n", client->LastError().c_str());
        }
        names.push_back(name);
        log(texts.found, name.c_str());
    }
    return names;
}

std::vector<std::string> IPluginBase::PortList(bool input)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    std::vector<std::string>& names = NamesFor(input);
    if (names.empty()) {
        names = BuildPortList(input);
    }
    return names;
}

std::vector<std::string> IPluginBase::getExternalMIDIOutNames()
{
    return PortList(false);
}

std::vector<std::string> IPluginBase::getExternalMIDIInNames()
{
    return PortList(true);
}

// Position of name among the first `limit` entries, -1 when absent.
int IPluginBase::FindListEntry(const std::vector<std::string>& names, const char* name, size_t limit) const
{
    if (!name) {
        return -1;
    }
    const size_t end = std::min(limit, names.size());
    for (size_t i = 0; i < end; ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The library port that carries name now, -1 when it is gone.
int IPluginBase::FindSystemPort(platform::MidiClient* client, const std::string& name)
{
    return client ? client->FindPort(name) : -1;
}

// FindListEntry, reporting the entry found. Holds midiPortMutex.
int IPluginBase::ReportListEntry(bool input, const char* name, size_t limit)
{
    const std::vector<std::string>& names = NamesFor(input);
    const int position = FindListEntry(names, name, limit);
    if (position >= 0) {
        log(TextsFor(input).currentlySet, names[position].c_str());
    }
    return position;
}

int IPluginBase::ListedDevice(bool input, const char* name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    platform::MidiClient* client = ClientFor(input);
    const size_t count = client ? client->PortCount() : 0;
    return ReportListEntry(input, name, count + 1);
}

int IPluginBase::getExternalMIDIOutDevice(const char* name)
{
    return ListedDevice(false, name);
}

int IPluginBase::getExternalMIDIInDevice(const char* name)
{
    return ListedDevice(true, name);
}

int IPluginBase::PortNumber(bool input, const char* name)
{
    if (!name) {
        return -1;
    }
    if (std::strcmp(name, "OFF") == 0) {
        return 0;
    }
    if (std::strcmp(name, TextsFor(input).virtualName) == 0) {
        return 1;
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    const int port = FindSystemPort(ClientFor(input), name);
    return port < 0 ? -1 : port + 1;
}

int IPluginBase::GetMIDIOutPortNumber(const char* name)
{
    return PortNumber(false, name);
}

int IPluginBase::GetMIDIInPortNumber(const char* name)
{
    return PortNumber(true, name);
}

// ---- Opening and closing ----------------------------------------------------

void IPluginBase::CloseMidiPort(bool input)
{
    platform::MidiClient* client = ClientFor(input);
    if (client) {
        client->ClosePort();
    }
}

// Opens the system port that carries list entry `position` now (the system's
// ports may have changed since the list was built) and returns that port;
// -1 when it fails, which is logged and leaves the direction closed. Holds
// midiPortMutex.
int IPluginBase::OpenListedPort(bool input, int position)
{
    const DirectionTexts& texts = TextsFor(input);
    const std::string& listed = NamesFor(input)[position];
    platform::MidiClient* client = ClientFor(input);
    using Opening = platform::MidiClient::Opening;
    unsigned port = 0;
    const Opening opening = client ? client->OpenPort(listed, texts.portName, &port) : Opening::Missing;
    bool opened = opening == Opening::Opened;
    if (opened && input) {
        opened = midiIn->SetCallback(&IPluginBase::MIDICallback, this) && midiIn->IgnoreTypes(false, true, true);
    }
    if (!opened) {
        if (opening == Opening::Missing) {
            log(texts.unavailable, listed.c_str());
        } else {
            log("%s\n", client->LastError().c_str());
        }
        log("%s", texts.unableToOpen);
        CloseMidiPort(input);
        return -1;
    }
    return static_cast<int>(port);
}

int IPluginBase::setExternalMIDIOut(int& index, const char* name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    if (midiOutIndex > 0) {
        CloseMidiPort(false);
    }
    midiOutIndex = index;
    if (index == 0 || midiOutNames.empty()) {
        CloseMidiPort(false);
        NoteChosen(false, index == 0 ? nullptr : name, 0);
        index = 0;
        return 0;
    }
    const int position = ReportListEntry(false, name, midiOutNames.size());
    index = position < 0 ? 0 : position;
    if (position <= 0) {
        NoteChosen(false, position == 0 ? nullptr : name, 0);
        return 0;
    }
    if (OpenListedPort(false, position) < 0) {
        NoteChosen(false, name, 0);
        index = 0;
        return 0;
    }
    NoteChosen(false, name, position);
    return position;
}

int IPluginBase::setExternalMIDIIn(int& index, const char* name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    if (midiInIndex > 0) {
        CloseMidiPort(true);
    }
    midiInIndex = index;
    if (index == 0) {
        CloseMidiPort(true);
        NoteChosen(true, nullptr, 0);
        return 0;
    }
    const unsigned count = midiIn ? midiIn->PortCount() : 0;
    log("RtMidiIn - number of midi input ports: %i\n", static_cast<int>(count));
    const int position = ReportListEntry(true, name, midiInNames.size());
    log("RtMidiIn - port where we want to connect: %i\n", position);
    index = position < 0 ? 0 : position;
    CloseMidiPort(true);
    if (position <= 0) {
        NoteChosen(true, position == 0 ? nullptr : name, 0);
        return 0;
    }
    const int port = OpenListedPort(true, position);
    if (port < 0) {
        NoteChosen(true, name, 0);
        index = 0;
        return 0;
    }
    NoteChosen(true, name, position);
    log("RtMidiIn - Opened port: %s - at location: %i\n", name, port);
    return position;
}

// ---- Chosen ports that go away and come back --------------------------------------

void IPluginBase::NoteChosen(bool input, const char* name, int position)
{
    Chosen& chosen = ChosenFor(input);
    if (!name || !*name || std::strcmp(name, "OFF") == 0) {
        chosen = Chosen();
        return;
    }
    chosen.name = name;
    if (position > 0) {
        chosen.state = ChosenPort::Open;
    } else {
        // A port that is there but would not open is not tried again by itself.
        const bool there = FindSystemPort(ClientFor(input), chosen.name) >= 0;
        chosen.state = there ? ChosenPort::Closed : ChosenPort::Away;
    }
}

std::string IPluginBase::getExternalMIDIChosenName(bool input)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    return ChosenFor(input).name;
}

struct IPluginBase::PortWatch {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;

    // The watch's own client for a direction, on the back end of the port
    // layer's: listing the system's ports costs round trips to the MIDI
    // service (more with every port), which the sends, each clock tick among
    // them, must never wait behind. Null while one cannot be had (tried again
    // at the next look). Made when the watch starts, then watch thread only.
    platform::MidiPortLister* Lister(bool input, const std::string& api)
    {
        std::unique_ptr<platform::MidiPortLister>& lister = listers[input ? 1 : 0];
        if (!lister || lister->ApiName() != api) {
            std::string error;
            lister = platform::MidiPortLister::Create(input, api, input ? kInputClientName : kOutputClientName, &error);
        }
        return lister.get();
    }
    std::unique_ptr<platform::MidiPortLister> listers[2];
};

void IPluginBase::LookAtChosenPorts(PortWatch& watch)
{
    std::vector<PortNews> news;
    for (bool input : {true, false}) {
        Chosen chosen;
        std::string api;
        bool held = false;
        {
            std::lock_guard<std::mutex> lock(midiPortMutex);
            const platform::MidiClient* client = ClientFor(input);
            chosen = ChosenFor(input);
            if (!client || (chosen.state != ChosenPort::Open && chosen.state != ChosenPort::Away)) {
                continue;
            }
            api = client->ApiName();
            held = client->IsPortOpen();
        }
        platform::MidiPortLister* lister = watch.Lister(input, api);
        if (!lister) {
            continue;
        }
        const bool there = FindSystemPort(lister, chosen.name) >= 0;
        if (portWatchLook) {
            portWatchLook(portWatchUser, input, there);
        }
        // A port open by name is gone for the plug-in also when its client
        // lost it (its MIDI server went and came back between two looks).
        const bool open = chosen.state == ChosenPort::Open;
        if (open != there || (open && !held)) {
            news.push_back({input, chosen});
        }
    }
    if (!news.empty()) {
        ApplyPortNews(news);
    }
}

void IPluginBase::ApplyPortNews(const std::vector<PortNews>& news)
{
    struct Change {
        bool input;
        int position;
        std::string name;
    };
    // The plug-in sees a change as it sees a choice on the main thread: made
    // and told under the plug-in mutex, which is taken before the port mutex.
    IMutexLock plugin(this);
    std::vector<Change> changes;
    MidiPortChange callback = nullptr;
    void* user = nullptr;
    {
        std::lock_guard<std::mutex> lock(midiPortMutex);
        for (const PortNews& item : news) {
            const bool input = item.input;
            Chosen& chosen = ChosenFor(input);
            // A choice made since the look stands.
            if (chosen.name != item.seen.name || chosen.state != item.seen.state) {
                continue;
            }
            const std::string name = chosen.name;
            const DirectionTexts& texts = TextsFor(input);
            if (chosen.state == ChosenPort::Open) {
                log(texts.gone, name.c_str());
                CloseMidiPort(input);
                chosen.state = ChosenPort::Away;
                changes.push_back({input, 0, name});
                continue;
            }
            // A name the list did not have when it was built joins it at the end.
            std::vector<std::string>& names = NamesFor(input);
            int position = FindListEntry(names, name.c_str(), names.size());
            if (position < 0) {
                names.push_back(name);
                position = static_cast<int>(names.size()) - 1;
            }
            if (position > 0 && OpenListedPort(input, position) >= 0) {
                log(texts.back, name.c_str());
                NoteChosen(input, name.c_str(), position);
                (input ? midiInIndex : midiOutIndex) = position;
                changes.push_back({input, position, name});
            } else {
                // Seen back but not opened: its server may be going again, or
                // only coming up. Tried again at the next look.
                chosen.state = ChosenPort::Away;
            }
        }
        if (portWatch) {
            callback = portWatchCallback;
            user = portWatchUser;
        }
    }
    for (const Change& change : changes) {
        if (callback) {
            callback(user, change.input, change.position, change.name);
        }
    }
}

void IPluginBase::watchExternalMIDIPorts(MidiPortChange callback, void* user, MidiPortLook look)
{
    std::string apis[2];
    {
        std::lock_guard<std::mutex> lock(midiPortMutex);
        if (portWatch) {
            return;
        }
        for (bool input : {false, true}) {
            if (const platform::MidiClient* client = ClientFor(input)) {
                apis[input] = client->ApiName();
            }
        }
    }
    // The watch's clients open now, at the first choice, before the clock
    // can run: while a JACK client opens, every send of this process waits.
    auto* watch = new PortWatch;
    for (bool input : {false, true}) {
        if (!apis[input].empty()) {
            watch->Lister(input, apis[input]);
        }
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    if (portWatch) {
        delete watch;
        return;
    }
    portWatchCallback = callback;
    portWatchLook = look;
    portWatchUser = user;
    // The thread's first look comes after a wait: the lock held here is long free by then.
    watch->thread = std::thread([this, watch] {
        pthread_setname_np(pthread_self(), kPortWatchThreadName);
        std::unique_lock<std::mutex> sleeping(watch->mutex);
        while (!watch->wake.wait_for(sleeping, kPortWatchInterval, [watch] { return watch->stopping; })) {
            sleeping.unlock();
            LookAtChosenPorts(*watch);
            sleeping.lock();
        }
    });
    portWatch = watch;
}

void IPluginBase::StopPortWatch()
{
    PortWatch* watch = nullptr;
    {
        std::lock_guard<std::mutex> lock(midiPortMutex);
        std::swap(watch, portWatch);
    }
    if (!watch) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(watch->mutex);
        watch->stopping = true;
    }
    watch->wake.notify_all();
    watch->thread.join();
    delete watch;
}

bool IPluginBase::initializeVirtualOutput(std::string name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    delete midiOut;
    midiOut = nullptr;
    std::string error;
    auto client = platform::MidiOutputClient::Create(kOutputClientName, &error);
    if (!client) {
        log("%s\n", error.c_str());
        return false;
    }
    if (!client->OpenVirtualPort("From " + name)) {
        log("%s\n", client->LastError().c_str());
        return false;
    }
    midiOut = client.release();
    return true;
}

void IPluginBase::DestroyMidiPorts()
{
    // The watch goes first: it may be looking at the ports, or telling the plug-in.
    StopPortWatch();
    // Deleting the input client joins its input thread: no lock held here.
    platform::MidiInputClient* input = nullptr;
    platform::MidiOutputClient* output = nullptr;
    {
        std::lock_guard<std::mutex> lock(midiPortMutex);
        std::swap(input, midiIn);
        std::swap(output, midiOut);
    }
    if (input) {
        input->ClosePort();
    }
    delete input;
    if (output) {
        output->ClosePort();
    }
    delete output;
}

// ---- Incoming ------------------------------------------------------------------

void IPluginBase::MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* userData)
{
    processMIDIInput(timeStamp, message, userData);
}

void IPluginBase::processMIDIInput(double /*timeStamp*/, std::vector<unsigned char>* message, void* userData)
{
    log("processMIDIInput at IPluginBase detected Message..\n");
    auto* plug = static_cast<IPluginBase*>(userData);
    if (!plug || !message || message->empty()) {
        return;
    }
    const std::vector<unsigned char>& bytes = *message;
    if (bytes.size() <= 3) {
        IMidiMsg msg(0, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
        log("processMIDIInput at IPluginBase passed MIDI message to plugin..\n");
        plug->ProcessMidiMsg(&msg, true);
        return;
    }
    // The input thread keeps the bytes unchanged until this call returns.
    ISysEx sysex(0, bytes.data(), static_cast<int>(bytes.size()));
    log("processMIDIInput at IPluginBase passed SysEx message to plugin..\n");
    plug->ProcessSysEx(&sysex, true);
}

// ---- Sending --------------------------------------------------------------------

bool IPluginBase::SendLocked(const unsigned char* bytes, size_t size, bool mayWait)
{
    if (!midiOut || size == 0) {
        return true;
    }
    if (!mayWait) {
        return midiOut->TrySend(bytes, size);
    }
    midiOut->Send(bytes, size);
    return true;
}

bool IPluginBase::sendMidiMsgToHardware(const IMidiMsg* msg)
{
    if (!msg) {
        return true;
    }
    const unsigned char bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
    std::lock_guard<std::mutex> lock(midiPortMutex);
    return SendLocked(bytes, CarriesOneDataByte(msg->mStatus) ? 2 : 3);
}

bool IPluginBase::trySendMidiMsgToHardware(const IMidiMsg* msg)
{
    if (!msg) {
        return true;
    }
    const unsigned char bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
    std::unique_lock<std::mutex> lock(midiPortMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        return false;
    }
    return SendLocked(bytes, CarriesOneDataByte(msg->mStatus) ? 2 : 3, false);
}

bool IPluginBase::sendSysexToHardware(const unsigned char* data, int size)
{
    if (!data || size < 1) {
        return true;
    }
    if (data[0] == 0xF0) {
        return sendBytesToHardware(data, size);
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    midiSendBuffer.resize(static_cast<size_t>(size) + 2);
    midiSendBuffer[0] = 0xF0;
    std::memcpy(midiSendBuffer.data() + 1, data, static_cast<size_t>(size));
    midiSendBuffer[static_cast<size_t>(size) + 1] = 0xF7;
    return SendLocked(midiSendBuffer.data(), midiSendBuffer.size());
}

bool IPluginBase::sendBytesToHardware(const unsigned char* data, int size)
{
    if (!data || size < 1) {
        return true;
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    return SendLocked(data, static_cast<size_t>(size));
}
