// Hardware MIDI port layer of IPluginBase: the system's MIDI ports by name,
// one input and one output open at a time, incoming messages handed to the
// plug-in, and the senders behind the binding's send operations.
//
// Every open, close and send holds midiPortMutex, so a SysEx message from one
// thread never interleaves with another's and a send meets either the old
// port, the new one or none. Input arrives on the client's own MIDI input
// thread (platform/CoreMIDIRtMidi.h), never on the library's real-time thread.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

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
const char* const kInputPortName = "RtMidi Input";
const char* const kOutputPortName = "RtMidi Output";
constexpr unsigned kInputQueueLimit = 100;

// Texts that differ between the two directions.
struct DirectionTexts {
    const char* heading;
    const char* noPorts;
    const char* nameFailed;
    const char* found;
    const char* currentlySet;
    const char* virtualName;
};
const DirectionTexts kInputTexts = {
    "MIDI IN INITIALIZATION\n",
    "No MIDI input ports available!\n",
    "Failed to get MIDI input port name!\n",
    "MIDI IN Port: %s found and assigned!\n",
    "Currently set input: %s\n",
    "virtual input",
};
const DirectionTexts kOutputTexts = {
    "MIDI OUT INITIALIZATION\n",
    "No MIDI output ports available!\n",
    "Failed to get MIDI output port name!\n",
    "MIDI OUT Port: %s found and assigned!\n",
    "Currently set output: %s\n",
    "virtual output",
};

bool CarriesOneDataByte(unsigned char status)
{
    const unsigned char kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0;
}

}  // namespace

// ---- Selection lists -------------------------------------------------------

std::vector<std::string> IPluginBase::BuildPortList(bool input)
{
    const DirectionTexts& texts = input ? kInputTexts : kOutputTexts;
    std::vector<std::string> names;
    log("%s", texts.heading);
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

std::vector<std::string> IPluginBase::getExternalMIDIOutNames()
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    if (midiOutNames.empty()) {
        midiOutNames = BuildPortList(false);
    }
    return midiOutNames;
}

std::vector<std::string> IPluginBase::getExternalMIDIInNames()
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    if (midiInNames.empty()) {
        midiInNames = BuildPortList(true);
    }
    return midiInNames;
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
    if (!client) {
        return -1;
    }
    const unsigned count = client->PortCount();
    std::string current;
    for (unsigned port = 0; port < count; ++port) {
        if (client->PortName(port, &current) && current == name) {
            return static_cast<int>(port);
        }
    }
    return -1;
}

int IPluginBase::getExternalMIDIOutDevice(const char* name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    const size_t count = midiOut ? midiOut->PortCount() : 0;
    const int position = FindListEntry(midiOutNames, name, count + 1);
    if (position >= 0) {
        log(kOutputTexts.currentlySet, midiOutNames[position].c_str());
    }
    return position;
}

int IPluginBase::getExternalMIDIInDevice(const char* name)
{
    std::lock_guard<std::mutex> lock(midiPortMutex);
    const size_t count = midiIn ? midiIn->PortCount() : 0;
    const int position = FindListEntry(midiInNames, name, count + 1);
    if (position >= 0) {
        log(kInputTexts.currentlySet, midiInNames[position].c_str());
    }
    return position;
}

int IPluginBase::GetMIDIOutPortNumber(const char* name)
{
    if (!name) {
        return -1;
    }
    if (std::strcmp(name, "OFF") == 0) {
        return 0;
    }
    if (std::strcmp(name, kOutputTexts.virtualName) == 0) {
        return 1;
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    const int port = FindSystemPort(midiOut, name);
    return port < 0 ? -1 : port + 1;
}

int IPluginBase::GetMIDIInPortNumber(const char* name)
{
    if (!name) {
        return -1;
    }
    if (std::strcmp(name, "OFF") == 0) {
        return 0;
    }
    if (std::strcmp(name, kInputTexts.virtualName) == 0) {
        return 1;
    }
    std::lock_guard<std::mutex> lock(midiPortMutex);
    const int port = FindSystemPort(midiIn, name);
    return port < 0 ? -1 : port + 1;
}

// ---- Opening and closing ----------------------------------------------------

void IPluginBase::CloseMidiPort(bool input)
{
    platform::MidiClient* client = input ? static_cast<platform::MidiClient*>(midiIn) : midiOut;
    if (client) {
        client->ClosePort();
    }
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
        index = 0;
        return 0;
    }
    const int position = FindListEntry(midiOutNames, name, midiOutNames.size());
    if (position >= 0) {
        log(kOutputTexts.currentlySet, midiOutNames[position].c_str());
    }
    index = position < 0 ? 0 : position;
    if (position <= 0) {
        return 0;
    }
    // The system's ports may have changed since the list was built.
    const int port = FindSystemPort(midiOut, midiOutNames[position]);
    if (port < 0 || !midiOut->OpenPort(static_cast<unsigned>(port), kOutputPortName)) {
        log("%s\n", port < 0 ? ("MIDI OUT Port: " + midiOutNames[position] + " is not available").c_str()
                             : midiOut->LastError().c_str());
        log("UNABLE TO OPEN MIDI OUTPUT PORT!!\n");
        CloseMidiPort(false);
        index = 0;
        return 0;
    }
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
        return 0;
    }
    const unsigned count = midiIn ? midiIn->PortCount() : 0;
    log("RtMidiIn - number of midi input ports: %i\n", static_cast<int>(count));
    const int position = FindListEntry(midiInNames, name, midiInNames.size());
    if (position >= 0) {
        log(kInputTexts.currentlySet, midiInNames[position].c_str());
    }
    log("RtMidiIn - port where we want to connect: %i\n", position);
    index = position < 0 ? 0 : position;
    CloseMidiPort(true);
    if (position <= 0) {
        return 0;
    }
    // The system's ports may have changed since the list was built.
    const int port = FindSystemPort(midiIn, midiInNames[position]);
    if (port < 0 || !midiIn->OpenPort(static_cast<unsigned>(port), kInputPortName)
        || !midiIn->SetCallback(&IPluginBase::MIDICallback, this) || !midiIn->IgnoreTypes(false, true, true)) {
        log("%s\n", port < 0 ? ("MIDI IN Port: " + midiInNames[position] + " is not available").c_str()
                             : midiIn->LastError().c_str());
        log("UNABLE TO OCCUBY MIDI INPUT PORT!!\n");
        CloseMidiPort(true);
        index = 0;
        return 0;
    }
    log("RtMidiIn - Opened port: %s - at location: %i\n", name, port);
    return position;
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
    // The plug-in sees the bytes only during the call; this copy is ours.
    const std::vector<unsigned char> copy(bytes);
    ISysEx sysex(0, copy.data(), static_cast<int>(copy.size()));
    log("processMIDIInput at IPluginBase passed SysEx message to plugin..\n");
    plug->ProcessSysEx(&sysex, true);
}

// ---- Sending --------------------------------------------------------------------

bool IPluginBase::SendLocked(const unsigned char* bytes, size_t size)
{
    if (midiOut && size > 0) {
        midiOut->Send(bytes, size);
    }
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
