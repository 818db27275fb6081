#include "platform/CoreMIDIRtMidi.h"

#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "platform/CoreMIDIRtMidiImpl.h"
#include "platform/MidiByteRing.h"

namespace platform {

namespace {

void log(const char* format, const char* text)
{
    std::printf(format, text);
    std::fflush(stdout);
}

// Room for a few hundred sound dumps in flight; larger SysEx than this is
// refused whole rather than cut.
constexpr size_t kInputQueueBytes = 1 << 17;

// Tries at opening a port by name while other programs' ports come and go.
constexpr int kPortOpenAttempts = 5;

// A JACK server empties the output buffer every cycle; one that has taken
// nothing for this long has stopped.
constexpr std::chrono::milliseconds kOutputRoomPatience{200};

// The library call that hands a message to the output, but only once its
// buffer has room within `patience` (the library itself would wait for
// ever); *full when it had none.
auto SendWhenRoom(MidiClient::Impl& impl, const unsigned char* bytes, size_t size,
    std::chrono::milliseconds patience, bool* full)
{
    return [&impl, bytes, size, patience, full] {
        *full = !impl.OutputRoomFor(size, patience);
        if (!*full) {
            impl.output->sendMessage(bytes, size);
        }
    };
}

std::string Lowered(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The back end a name ("alsa", "jack", in any case) stands for; none for another name.
std::vector<RtMidi::Api> ApiNamed(const std::string& name)
{
    const std::string lowered = Lowered(name);
    if (lowered == "alsa") {
        return {RtMidi::LINUX_ALSA};
    }
    if (lowered == "jack") {
        return {RtMidi::UNIX_JACK};
    }
    return {};
}

// Back ends to try, in order.
std::vector<RtMidi::Api> ApisToTry()
{
    const char* chosen = std::getenv("ZELTO2X_MIDI_API");
    if (chosen && *chosen) {
        std::vector<RtMidi::Api> named = ApiNamed(chosen);
        if (!named.empty()) {
            return named;
        }
        log("MIDI: ZELTO2X_MIDI_API=%s is neither alsa nor jack; trying ALSA, then JACK\n", chosen);
    }
    return {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
}

// The client names this process gives its own clients. A port of a client so
// named (ours, or a second editor's running this layer under the same names)
// is never a device to choose, so the port lists leave it out.
std::mutex ownClientNamesMutex;
std::set<std::string> ownClientNames;

bool IsOwnClientPort(const std::string& portName)
{
    std::string client = portName.substr(0, portName.find(':'));
    // JACK tells clients of one name apart as "name-01", "name-02"...
    const size_t dash = client.rfind('-');
    if (dash != std::string::npos && dash + 1 < client.size()
        && client.find_first_not_of("0123456789", dash + 1) == std::string::npos) {
        client.erase(dash);
    }
    std::lock_guard<std::mutex> lock(ownClientNamesMutex);
    return ownClientNames.count(client) > 0;
}

}  // namespace


void KeepClientNameOutOfLists(const std::string& clientName)
{
    std::lock_guard<std::mutex> lock(ownClientNamesMutex);
    ownClientNames.insert(clientName);
}

// A JACK client opens on the port layer's JACK thread; one without a server
// comes once a server listens (CoreMIDIRtMidiJack.cpp).
template <class Client, class... Args>
static std::unique_ptr<MidiClient::Impl> CreateJackClient(std::string* error, const std::string& clientName,
    Args... args)
{
    auto impl = std::make_unique<MidiClient::Impl>();
    impl->jackClientName = clientName;
    impl->remakeLibrary = [args...](MidiClient::Impl& remade) {
        auto client = std::make_unique<Client>(RtMidi::UNIX_JACK, remade.jackClientName, args...);
        if (client->getCurrentApi() == RtMidi::UNIX_JACK) {
            remade.Adopt(std::move(client), RtMidi::UNIX_JACK);
        }
    };
    if (!impl->MakeJackLibrary(error)) {
        // The JACK thread may still make it: it is left to that thread.
        static_cast<void>(impl.release());
        return nullptr;
    }
    return impl;
}

template <class Client, class... Args>
static std::unique_ptr<MidiClient::Impl> CreateLibraryClient(const std::vector<RtMidi::Api>& apis,
    std::string* error, const std::string& clientName, Args... args)
{
    std::string messages;
    for (RtMidi::Api api : apis) {
        if (api == RtMidi::UNIX_JACK) {
            std::string jackError;
            std::unique_ptr<MidiClient::Impl> impl = CreateJackClient<Client>(&jackError, clientName, args...);
            if (impl) {
                if (!messages.empty()) {
                    log("MIDI: using JACK; ALSA: %s\n", messages.c_str());
                }
                return impl;
            }
            messages += (messages.empty() ? "" : "; ") + jackError;
            continue;
        }
        try {
            auto client = std::make_unique<Client>(api, clientName, args...);
            if (client->getCurrentApi() != api) {
                continue;
            }
            auto impl = std::make_unique<MidiClient::Impl>();
            impl->Adopt(std::move(client), api);
            return impl;
        } catch (const RtMidiError& e) {
            messages += (messages.empty() ? "" : "; ") + e.getMessage();
        } catch (const std::exception& e) {
            messages += (messages.empty() ? "" : "; ") + std::string(e.what());
        }
    }
    if (error) {
        *error = messages.empty() ? "no MIDI back end could be opened" : messages;
    }
    return nullptr;
}

MidiClient::MidiClient(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

MidiClient::~MidiClient()
{
    // A client the JACK thread still holds stays allocated for it.
    if (impl_ && !impl_->Release()) {
        static_cast<void>(impl_.release());
    }
}

std::vector<unsigned> MidiClient::ChoosablePorts()
{
    impl_->FollowJackServer();
    std::vector<unsigned> ports;
    unsigned count = 0;
    if (!impl_->Run([&] { count = impl_->library->getPortCount(); })) {
        return ports;
    }
    if (impl_->reported) {
        log("MIDI: %s\n", impl_->lastError.c_str());
    }
    for (unsigned port = 0; port < count; ++port) {
        std::string name;
        const bool read = impl_->Run([&] { name = impl_->library->getPortName(port); })
            && !impl_->reported;
        if (!read || !IsOwnClientPort(name)) {
            ports.push_back(port);
        }
    }
    return ports;
}

unsigned MidiClient::PortCount()
{
    choosable_ = ChoosablePorts();
    return static_cast<unsigned>(choosable_.size());
}

// Numbered as the last count saw them, as a caller that counted, named and
// opened in turn expects; each look at the service is a round trip on JACK.
unsigned MidiClient::LibraryPort(unsigned port)
{
    if (port >= choosable_.size()) {
        choosable_ = ChoosablePorts();
    }
    return port < choosable_.size() ? choosable_[port] : ~0u;
}

bool MidiClient::PortName(unsigned port, std::string* name)
{
    const unsigned libraryPort = LibraryPort(port);
    std::string read;
    // The library warns (and gives an empty name) for a port that vanished.
    const auto readName = [&] { read = impl_->library->getPortName(libraryPort); };
    if (!impl_->Run(readName) || impl_->reported) {
        return false;
    }
    *name = read;
    return true;
}

int MidiClient::FindPort(const std::string& systemPortName)
{
    const unsigned count = PortCount();
    std::string name;
    for (unsigned port = 0; port < count; ++port) {
        if (PortName(port, &name) && name == systemPortName) {
            return static_cast<int>(port);
        }
    }
    return -1;
}

MidiClient::Opening MidiClient::OpenPort(const std::string& systemPortName, const std::string& portName,
    unsigned* position)
{
    for (int attempt = 0; attempt < kPortOpenAttempts; ++attempt) {
        const int port = FindPort(systemPortName);
        if (port < 0) {
            return Opening::Missing;
        }
        if (!OpenNumberedPort(static_cast<unsigned>(port), portName)) {
            return Opening::Failed;
        }
        std::string opened;
        if (PortName(static_cast<unsigned>(port), &opened) && opened == systemPortName) {
            if (position) {
                *position = static_cast<unsigned>(port);
            }
            return Opening::Opened;
        }
        ClosePort();
    }
    impl_->lastError = "MIDI port " + systemPortName + " was renumbered at every try to open it";
    return Opening::Failed;
}

bool MidiClient::OpenNumberedPort(unsigned port, const std::string& portName)
{
    const unsigned libraryPort = LibraryPort(port);
    bool open = false;
    const bool ran = impl_->Run(
        [&] {
            impl_->library->openPort(libraryPort, portName);
            open = impl_->library->isPortOpen();
            if (open) {
                impl_->openPortName = portName;
                impl_->connectedAt = std::chrono::steady_clock::now();
                impl_->connectionInUse = impl_->WaitUntilConnectionInUse();
            }
        });
    if (ran && open) {
        impl_->portOpen = true;
        return true;
    }
    if (!impl_->reported && ran) {
        impl_->lastError = "MIDI port " + std::to_string(port) + " could not be opened";
    }
    ClosePort();
    return false;
}

bool MidiClient::OpenVirtualPort(const std::string& portName)
{
    const auto open = [&] {
        impl_->library->openVirtualPort(portName);
        if (!impl_->reportedFailure) {
            impl_->openPortName = portName;
        }
    };
    if (!impl_->Run(open)) {
        ClosePort();
        return false;
    }
    impl_->portOpen = true;
    return true;
}

void MidiClient::ClosePort()
{
    const bool wasOpen = impl_->portOpen.exchange(false);
    impl_->Run([&] { impl_->CloseLibraryPort(wasOpen); });
    if (wasOpen) {
        impl_->closedAt = std::chrono::steady_clock::now();
    }
}

bool MidiClient::IsPortOpen() const
{
    return impl_->portOpen;
}

std::string MidiClient::ApiName() const
{
    const RtMidi::Api api = impl_->api;
    return api == RtMidi::UNIX_JACK ? "jack" : api == RtMidi::LINUX_ALSA ? "alsa" : RtMidi::getApiName(api);
}

const std::string& MidiClient::LastError() const
{
    return impl_->lastError;
}

// ---------------------------------------------------------------------------

// The input thread and the queue that feeds it.
struct MidiInputClient::Delivery {
    MidiByteRing queue{kInputQueueBytes};
    sem_t wake;
    std::atomic<bool> stopping{false};
    std::atomic<MidiInputCallback> callback{nullptr};
    std::atomic<void*> userData{nullptr};
    std::atomic<bool> dropTimingClock{false};
    std::atomic<bool> dropActiveSensing{false};
    std::atomic<unsigned long> dropped{0};
    std::atomic<MidiLossReport> lossReport{&PrintLoss};
    std::atomic<void*> lossUserData{nullptr};
    std::atomic<bool>* portOpen = nullptr;
    // What the library drops itself, as last set (owner's thread only); the
    // library's own default drops all three.
    struct LibraryFilter {
        bool sysex = true, timingClock = true, activeSensing = true;
    } libraryFilter;
    std::thread thread;
    static std::atomic<unsigned> handedOver;

    explicit Delivery(std::atomic<bool>* open) : portOpen(open)
    {
        sem_init(&wake, 0, 0);
        thread = std::thread([this] { Run(); });
        pthread_setname_np(thread.native_handle(), kMidiInputThreadName);
    }

    ~Delivery()
    {
        stopping = true;
        sem_post(&wake);
        thread.join();
        sem_destroy(&wake);
    }

    // On the library's thread (real-time on JACK): copy, signal, return.
    static void OnLibraryMessage(double timeStamp, std::vector<unsigned char>* message, void* self)
    {
        // The library hands our pointer over in code no race detector sees;
        // this acquire pairs with the release after construction.
        handedOver.load(std::memory_order_acquire);
        auto* delivery = static_cast<Delivery*>(self);
        if (!message || message->empty() || !delivery->portOpen->load(std::memory_order_acquire)) {
            return;
        }
        const unsigned char first = (*message)[0];
        if ((first == 0xF8 && delivery->dropTimingClock.load(std::memory_order_relaxed))
            || (first == 0xFE && delivery->dropActiveSensing.load(std::memory_order_relaxed))) {
            return;
        }
        if (!delivery->queue.Push(timeStamp, message->data(), message->size())) {
            delivery->dropped.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        sem_post(&delivery->wake);
    }

    static void PrintLoss(unsigned long lost, void*)
    {
        std::printf("MIDI: %lu incoming messages lost, the input queue was full\n", lost);
        std::fflush(stdout);
    }

    void Run()
    {
        std::vector<unsigned char> message;
        message.reserve(1024);
        double timeStamp = 0.0;
        unsigned long droppedSeen = 0;
        while (!stopping) {
            while (sem_wait(&wake) != 0) {
            }
            while (!stopping && queue.Pop(&timeStamp, &message)) {
                MidiInputCallback target = callback.load(std::memory_order_acquire);
                void* user = userData.load(std::memory_order_acquire);
                if (target && portOpen->load()) {
                    target(timeStamp, &message, user);
                }
            }
            const unsigned long droppedNow = dropped.load(std::memory_order_relaxed);
            if (droppedNow != droppedSeen) {
                void* user = lossUserData.load(std::memory_order_acquire);
                lossReport.load(std::memory_order_acquire)(droppedNow - droppedSeen, user);
                droppedSeen = droppedNow;
            }
        }
    }
};

std::atomic<unsigned> MidiInputClient::Delivery::handedOver{0};

MidiInputClient::MidiInputClient(std::unique_ptr<Impl> impl) : MidiClient(std::move(impl)) {}

MidiInputClient::~MidiInputClient()
{
    // The library's thread must be gone before the queue it writes to.
    impl_->portOpen = false;
    if (impl_->Release()) {
        delivery_.reset();
        return;
    }
    // The JACK thread still holds the library client, which may hand the
    // queue a message: the queue and its thread stay, delivering nothing.
    SetCallback(nullptr, nullptr);
    static_cast<void>(delivery_.release());
    static_cast<void>(impl_.release());
}

std::unique_ptr<MidiInputClient> MidiInputClient::Create(const std::string& clientName,
    unsigned queueSizeLimit, std::string* error)
{
    std::unique_ptr<Impl> impl
        = CreateLibraryClient<RtMidiIn>(ApisToTry(), error, clientName, queueSizeLimit);
    if (!impl) {
        return nullptr;
    }
    KeepClientNameOutOfLists(clientName);
    std::unique_ptr<MidiInputClient> client(new MidiInputClient(std::move(impl)));
    client->delivery_ = std::make_unique<Delivery>(&client->impl_->portOpen);
    Delivery::handedOver.fetch_add(1, std::memory_order_release);
    Impl& created = *client->impl_;
    Delivery* delivery = client->delivery_.get();
    if (created.remakeLibrary) {
        // A library client made again delivers here too, through the same filter.
        created.remakeLibrary = [remake = created.remakeLibrary, delivery](Impl& remade) {
            remake(remade);
            if (!remade.input) {
                return;
            }
            Delivery::handedOver.fetch_add(1, std::memory_order_release);
            remade.input->setCallback(&Delivery::OnLibraryMessage, delivery);
            const Delivery::LibraryFilter& filter = delivery->libraryFilter;
            remade.input->ignoreTypes(filter.sysex, filter.timingClock, filter.activeSensing);
        };
    }
    // A JACK client without a server has no library client yet: the one made
    // once a server listens gets the callback above.
    if (!created.Run([&] { created.input->setCallback(&Delivery::OnLibraryMessage, delivery); })
        && !created.remakeLibrary) {
        if (error) {
            *error = client->LastError();
        }
        return nullptr;
    }
    return client;
}

bool MidiInputClient::SetCallback(MidiInputCallback callback, void* userData)
{
    delivery_->userData.store(userData, std::memory_order_release);
    delivery_->callback.store(callback, std::memory_order_release);
    return true;
}

bool MidiInputClient::IgnoreTypes(bool sysex, bool timingClock, bool activeSensing)
{
    delivery_->dropTimingClock = timingClock;
    delivery_->dropActiveSensing = activeSensing;
    delivery_->libraryFilter = {sysex, timingClock, activeSensing};
    return impl_->Run([&] { impl_->input->ignoreTypes(sysex, timingClock, activeSensing); });
}

unsigned long MidiInputClient::DroppedMessages() const
{
    return delivery_->dropped.load();
}

void MidiInputClient::SetLossReport(MidiLossReport report, void* userData)
{
    delivery_->lossUserData.store(userData, std::memory_order_release);
    delivery_->lossReport.store(report, std::memory_order_release);
}

// ---------------------------------------------------------------------------

MidiOutputClient::MidiOutputClient(std::unique_ptr<Impl> impl) : MidiClient(std::move(impl)) {}

MidiOutputClient::~MidiOutputClient()
{
    if (impl_->api != RtMidi::UNIX_JACK) {
        return;
    }
    // The library frees its output buffers before it stops its JACK client,
    // and a process cycle that began just before the port closed may still
    // be reading them (seen under load): close first, then give that cycle
    // time to end.
    ClosePort();
    std::this_thread::sleep_until(impl_->closedAt + kJackCycleGrace);
}

std::unique_ptr<MidiOutputClient> MidiOutputClient::Create(const std::string& clientName,
    std::string* error)
{
    std::unique_ptr<Impl> impl = CreateLibraryClient<RtMidiOut>(ApisToTry(), error, clientName);
    if (!impl) {
        return nullptr;
    }
    KeepClientNameOutOfLists(clientName);
    return std::unique_ptr<MidiOutputClient>(new MidiOutputClient(std::move(impl)));
}

bool MidiOutputClient::Send(const unsigned char* bytes, size_t size)
{
    // Without a port nothing may reach the library: on JACK it would keep the
    // bytes for whatever port opens next, and once its buffer is full it
    // waits for room that never comes.
    if (size == 0 || !impl_->portOpen.load(std::memory_order_relaxed)) {
        return true;
    }
    bool full = false;
    const bool ran = impl_->Run(SendWhenRoom(*impl_, bytes, size, kOutputRoomPatience, &full));
    return ran && !full;
}

bool MidiOutputClient::TrySend(const unsigned char* bytes, size_t size)
{
    if (size == 0 || !impl_->portOpen.load(std::memory_order_relaxed)) {
        return true;
    }
    bool busy = false;
    bool full = false;
    impl_->Run(SendWhenRoom(*impl_, bytes, size, std::chrono::milliseconds(0), &full), Impl::Call::NoWait, &busy);
    // A full buffer empties at the server's next cycle: later, as when busy.
    return !busy && !full;
}

// ---------------------------------------------------------------------------

MidiPortLister::MidiPortLister(std::unique_ptr<Impl> impl) : MidiClient(std::move(impl)) {}

std::unique_ptr<MidiPortLister> MidiPortLister::Create(bool inputs, const std::string& api,
    const std::string& clientName, std::string* error)
{
    std::vector<RtMidi::Api> apis = ApiNamed(api);
    if (apis.empty()) {
        apis = ApisToTry();
    }
    std::unique_ptr<Impl> impl = inputs ? CreateLibraryClient<RtMidiIn>(apis, error, clientName, 1u)
                                        : CreateLibraryClient<RtMidiOut>(apis, error, clientName);
    if (!impl) {
        return nullptr;
    }
    KeepClientNameOutOfLists(clientName);
    return std::unique_ptr<MidiPortLister>(new MidiPortLister(std::move(impl)));
}

}  // namespace platform
