#include "platform/CoreMIDIRtMidi.h"

#include <dirent.h>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <sstream>
#include <thread>

#include <RtMidi.h>

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

// Far longer than a JACK process cycle stays descheduled on a busy machine.
constexpr std::chrono::milliseconds kJackCycleGrace{250};

std::string Lowered(const char* text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered;
}

// Back ends to try, in order.
std::vector<RtMidi::Api> ApisToTry()
{
    const char* chosen = std::getenv("ZELTO2X_MIDI_API");
    if (chosen && *chosen) {
        const std::string name = Lowered(chosen);
        if (name == "alsa") {
            return {RtMidi::LINUX_ALSA};
        }
        if (name == "jack") {
            return {RtMidi::UNIX_JACK};
        }
        log("MIDI: ZELTO2X_MIDI_API=%s is neither alsa nor jack; trying ALSA, then JACK\n", chosen);
    }
    return {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
}

// The client names this process gave its own clients. A port of a client so
// named (ours, or a second editor's running this layer under the same names)
// is never a device to choose, so the port lists leave it out.
std::mutex ownClientNamesMutex;
std::set<std::string> ownClientNames;

void RememberOwnClientName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(ownClientNamesMutex);
    ownClientNames.insert(name);
}

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

// ---------------------------------------------------------------------------

struct MidiClient::Impl {
    // Exactly one of the two is set; library points at it.
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut> output;
    RtMidi* library = nullptr;
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    std::string lastError;
    // Read by the input thread to drop what arrives while no port is open.
    std::atomic<bool> portOpen{false};
    // When the last open port closed (output clients on JACK wait on it).
    std::chrono::steady_clock::time_point closedAt;
    // What the library reported during the current call.
    bool reported = false;
    bool reportedFailure = false;
    // The short name of the port the library has open, empty while none.
    std::string openPortName;
    // JACK only: the listening socket of the server the client reached, 0
    // while it has reached none (the library then tries again at each call
    // that lists or opens ports).
    std::atomic<unsigned long> jackServer{0};
    // JACK only, with JackCallsLock alone: the name asked for, and this
    // process's end of the notification connection of the library's JACK
    // client (a socket inode), 0 while it has none. libjack holds a client
    // exactly as long as that connection is open.
    std::string jackClientName;
    unsigned long jackClientSocket = 0;

    // How a library call on a JACK client holds JackCallsLock: shared, or
    // alone while it may open a JACK client (see NoteJackClientOpened).
    enum class Call { Plain, MayConnect, NoWait };
    struct JackCallGuard {
        JackCallGuard(Impl& impl, Call kind);
        ~JackCallGuard();
        Impl& impl;
        Call kind;
        std::shared_mutex* lock = nullptr;
        bool alone = false;
        bool held = true;
        std::set<unsigned long> socketsBefore;
    };

    static void OnLibraryError(RtMidiError::Type type, const std::string& text, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        impl->reported = true;
        impl->lastError = text;
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) {
            impl->reportedFailure = true;
        }
    }

    void Adopt(std::unique_ptr<RtMidiIn> client, RtMidi::Api used)
    {
        input = std::move(client);
        Adopted(input.get(), used);
    }
    void Adopt(std::unique_ptr<RtMidiOut> client, RtMidi::Api used)
    {
        output = std::move(client);
        Adopted(output.get(), used);
    }
    void Adopted(RtMidi* client, RtMidi::Api used)
    {
        library = client;
        api = used;
        // From here on the library reports instead of throwing.
        library->setErrorCallback(&Impl::OnLibraryError, this);
    }
    void Release();
    ~Impl() { Release(); }
    void CloseLibraryPort();
    // The library client and its ports go; calls fail from then on.
    void DropLibrary()
    {
        if (library && !openPortName.empty()) {
            CloseLibraryPort();
        }
        library = nullptr;
        input.reset();
        output.reset();
    }
    // The same for a client libjack has freed already: the library object is
    // let go without a call into it, which would reach freed memory.
    void AbandonLibrary()
    {
        portOpen = false;
        openPortName.clear();
        library = nullptr;
        static_cast<void>(input.release());
        static_cast<void>(output.release());
    }

    // Runs one library call; false when it threw or reported a failure.
    // A warning that did not fail the call is shown and kept. NoWait gives
    // false with *busy set when JACK clients are being opened or closed.
    template <class Library>
    bool Run(Library call, Call kind = Call::Plain, bool* busy = nullptr)
    {
        JackCallGuard guard(*this, kind);
        if (busy) {
            *busy = !guard.held;
        }
        return guard.held && RunHeld(call);
    }
    template <class Library>
    bool RunHeld(Library call)
    {
        reported = false;
        reportedFailure = false;
        if (!library) {
            lastError = "MIDI client is not available";
            return false;
        }
        try {
            call();
        } catch (const RtMidiError& error) {
            lastError = error.getMessage();
            return false;
        } catch (const std::exception& error) {
            lastError = error.what();
            return false;
        }
        return !reportedFailure;
    }
};

// ---- JACK clients libjack drops -------------------------------------------------------------
//
// libjack frees every client of the process as soon as the process opens
// another one (a second editor in the same host, say) once it believes the
// server gone: when the server went away, and also when the server refused a
// client this process opened (it does while a port of the process is
// connected to a client without a process callback). The library would then
// call into a freed client and crash. So around each JACK client opened
// here, every client libjack would drop is closed while that is still safe
// (those of a server that went away, and all of them after a refused open),
// a client it has dropped already is let go untouched, and each gives "MIDI
// client is not available" from then on. Which server a client reached is
// told by the inode of the server's listening socket: a server that ended,
// was killed or started again listens on another one, or on none. Whether
// libjack still holds a client is told by the client's notification
// connection, which libjack closes with the client.

namespace {

std::shared_mutex& JackCallsLock()
{
    static auto* lock = new std::shared_mutex;  // outlives every client
    return *lock;
}

// Held with JackCallsLock alone.
std::set<MidiClient::Impl*>& JackClients()
{
    static auto* clients = new std::set<MidiClient::Impl*>;
    return *clients;
}

// The Unix sockets of the system, as /proc/net/unix lists them.
struct UnixSocket {
    unsigned long inode;
    bool listening;
    std::string path;
};
std::vector<UnixSocket> UnixSockets()
{
    std::vector<UnixSocket> sockets;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);  // column names
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, path;
        unsigned long inode = 0;
        fields >> slot >> references >> protocol >> flags >> type >> state >> inode;
        std::getline(fields >> std::ws, path);
        sockets.push_back({inode, flags == "00010000", path});
    }
    return sockets;
}

// Inodes of this process's sockets.
std::set<unsigned long> OwnSockets()
{
    std::set<unsigned long> inodes;
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors) {
        return inodes;
    }
    while (const dirent* entry = readdir(descriptors)) {
        char target[64] = {};
        const ssize_t length = readlinkat(dirfd(descriptors), entry->d_name, target, sizeof target - 1);
        unsigned long inode = 0;
        if (length > 0 && std::sscanf(target, "socket:[%lu]", &inode) == 1) {
            inodes.insert(inode);
        }
    }
    closedir(descriptors);
    return inodes;
}

std::string JackSocketPath(const std::string& name)
{
    return "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
}

// The server a JACK client made now reaches, as its listening socket; 0 when none listens.
unsigned long ListeningJackServer(const std::vector<UnixSocket>& sockets)
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    const std::string path = JackSocketPath(name && *name ? name : "default");
    for (const UnixSocket& socket : sockets) {
        if (socket.listening && socket.path == path) {
            return socket.inode;
        }
    }
    return 0;
}

// Whether path names the notification socket of a JACK client named name, or
// "name-NN" as JACK tells clients of one name apart.
bool IsJackClientSocket(const std::string& path, const std::string& name)
{
    const std::string whole = JackSocketPath(name);
    if (path == whole) {
        return true;
    }
    const std::string prefix = "/dev/shm/jack_" + name + "-";
    const std::string suffix = whole.substr(prefix.size() - 1);
    if (path.size() <= prefix.size() + suffix.size() || path.compare(0, prefix.size(), prefix) != 0
        || path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string number = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

// Held with JackCallsLock alone.
void CloseClientsLibjackDrops(const std::vector<UnixSocket>& sockets)
{
    std::set<unsigned long> listening;
    for (const UnixSocket& socket : sockets) {
        if (socket.listening) {
            listening.insert(socket.inode);
        }
    }
    const std::set<unsigned long> own = OwnSockets();
    for (MidiClient::Impl* impl : JackClients()) {
        if (!impl->library || impl->jackServer == 0) {
            continue;
        }
        if (own.count(impl->jackClientSocket) == 0) {
            impl->AbandonLibrary();
        } else if (listening.count(impl->jackServer) == 0) {
            impl->portOpen = false;
            impl->DropLibrary();
        }
    }
}

// Held with JackCallsLock alone, after a library call that opens the JACK
// client of `opening` when it has none; `before`: this process's sockets
// before that call.
void NoteJackClientOpened(MidiClient::Impl& opening, const std::set<unsigned long>& before)
{
    const std::vector<UnixSocket> sockets = UnixSockets();
    const std::set<unsigned long> own = OwnSockets();
    opening.jackClientSocket = 0;
    for (const UnixSocket& socket : sockets) {
        if (own.count(socket.inode) && !before.count(socket.inode) && !socket.listening
            && IsJackClientSocket(socket.path, opening.jackClientName)) {
            opening.jackClientSocket = socket.inode;
        }
    }
    const unsigned long server = ListeningJackServer(sockets);
    // Opening may have freed clients of the process libjack held for a server it believed gone.
    CloseClientsLibjackDrops(sockets);
    if (opening.jackClientSocket != 0) {
        opening.jackServer = server;
        return;
    }
    if (server == 0) {
        return;
    }
    // A server listens and refused the client: libjack drops every client of
    // the process at the next open, by anyone.
    for (MidiClient::Impl* impl : JackClients()) {
        if (impl != &opening && impl->library) {
            impl->portOpen = false;
            impl->DropLibrary();
        }
    }
}

}  // namespace

MidiClient::Impl::JackCallGuard::JackCallGuard(Impl& impl, Call kind) : impl(impl), kind(kind)
{
    if (impl.api != RtMidi::UNIX_JACK) {
        return;
    }
    lock = &JackCallsLock();
    alone = impl.jackServer == 0;
    if (!alone) {
        held = kind == Call::NoWait ? lock->try_lock_shared() : (lock->lock_shared(), true);
        return;
    }
    held = kind == Call::NoWait ? lock->try_lock() : (lock->lock(), true);
    if (held && kind == Call::MayConnect) {
        CloseClientsLibjackDrops(UnixSockets());
        socketsBefore = OwnSockets();
    }
}

MidiClient::Impl::JackCallGuard::~JackCallGuard()
{
    if (!lock || !held) {
        return;
    }
    if (alone) {
        if (kind == Call::MayConnect && impl.library) {
            NoteJackClientOpened(impl, socketsBefore);
        }
        lock->unlock();
    } else {
        lock->unlock_shared();
    }
}

// libjack walks a client's port list on the client's notification thread
// while it tells the client of a graph change, and unregistering a port takes
// it off that list on the caller's thread, unlocked: a change told while a
// port goes (another JACK client of this process closed just before, a
// device's ports went away) can end in a freed entry. Renaming the port to
// its own name is a round trip through the server, which first tells every
// client each change it has in hand; the port goes after that.
void MidiClient::Impl::CloseLibraryPort()
{
    if (api == RtMidi::UNIX_JACK && !openPortName.empty()) {
        library->setPortName(openPortName);
    }
    openPortName.clear();
    library->closePort();
}

void MidiClient::Impl::Release()
{
    std::unique_lock<std::shared_mutex> jackCalls;
    if (api == RtMidi::UNIX_JACK) {
        jackCalls = std::unique_lock<std::shared_mutex>(JackCallsLock());
        JackClients().erase(this);
        if (library && jackServer != 0 && OwnSockets().count(jackClientSocket) == 0) {
            AbandonLibrary();
        }
    }
    DropLibrary();
}

template <class Client, class... Args>
static std::unique_ptr<MidiClient::Impl> CreateLibraryClient(const std::vector<RtMidi::Api>& apis,
    std::string* error, const std::string& clientName, Args... args)
{
    std::string messages;
    for (RtMidi::Api api : apis) {
        std::unique_lock<std::shared_mutex> jackCalls;
        std::set<unsigned long> socketsBefore;
        if (api == RtMidi::UNIX_JACK) {
            jackCalls = std::unique_lock<std::shared_mutex>(JackCallsLock());
            CloseClientsLibjackDrops(UnixSockets());
            socketsBefore = OwnSockets();
        }
        try {
            auto client = std::make_unique<Client>(api, clientName, args...);
            if (client->getCurrentApi() != api) {
                continue;
            }
            auto impl = std::make_unique<MidiClient::Impl>();
            impl->Adopt(std::move(client), api);
            if (api == RtMidi::UNIX_JACK) {
                impl->jackClientName = clientName;
                NoteJackClientOpened(*impl, socketsBefore);
                JackClients().insert(impl.get());
            }
            if (!messages.empty()) {
                log("MIDI: using JACK; ALSA: %s\n", messages.c_str());
            }
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

MidiClient::~MidiClient() = default;

std::vector<unsigned> MidiClient::ChoosablePorts()
{
    std::vector<unsigned> ports;
    unsigned count = 0;
    if (!impl_->Run([&] { count = impl_->library->getPortCount(); }, Impl::Call::MayConnect)) {
        return ports;
    }
    if (impl_->reported) {
        log("MIDI: %s\n", impl_->lastError.c_str());
    }
    for (unsigned port = 0; port < count; ++port) {
        std::string name;
        const bool read = impl_->Run([&] { name = impl_->library->getPortName(port); }, Impl::Call::MayConnect)
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
    if (!impl_->Run(readName, Impl::Call::MayConnect) || impl_->reported) {
        return false;
    }
    *name = read;
    return true;
}

bool MidiClient::OpenPort(unsigned port, const std::string& portName)
{
    const unsigned libraryPort = LibraryPort(port);
    bool open = false;
    const bool ran = impl_->Run(
        [&] {
            impl_->library->openPort(libraryPort, portName);
            open = impl_->library->isPortOpen();
            if (open) {
                impl_->openPortName = portName;
            }
        },
        Impl::Call::MayConnect);
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
    if (!impl_->Run(open, Impl::Call::MayConnect)) {
        ClosePort();
        return false;
    }
    impl_->portOpen = true;
    return true;
}

void MidiClient::ClosePort()
{
    const bool wasOpen = impl_->portOpen.exchange(false);
    impl_->Run([&] { impl_->CloseLibraryPort(); });
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
    impl_->Release();
    delivery_.reset();
}

std::unique_ptr<MidiInputClient> MidiInputClient::Create(const std::string& clientName,
    unsigned queueSizeLimit, std::string* error)
{
    std::unique_ptr<Impl> impl
        = CreateLibraryClient<RtMidiIn>(ApisToTry(), error, clientName, queueSizeLimit);
    if (!impl) {
        return nullptr;
    }
    RememberOwnClientName(clientName);
    std::unique_ptr<MidiInputClient> client(new MidiInputClient(std::move(impl)));
    client->delivery_ = std::make_unique<Delivery>(&client->impl_->portOpen);
    Delivery::handedOver.fetch_add(1, std::memory_order_release);
    Impl& created = *client->impl_;
    Delivery* delivery = client->delivery_.get();
    if (!created.Run([&] { created.input->setCallback(&Delivery::OnLibraryMessage, delivery); })) {
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
    RememberOwnClientName(clientName);
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
    return impl_->Run([&] { impl_->output->sendMessage(bytes, size); });
}

bool MidiOutputClient::TrySend(const unsigned char* bytes, size_t size)
{
    if (size == 0 || !impl_->portOpen.load(std::memory_order_relaxed)) {
        return true;
    }
    bool busy = false;
    impl_->Run([&] { impl_->output->sendMessage(bytes, size); }, Impl::Call::NoWait, &busy);
    return !busy;
}

// ---------------------------------------------------------------------------

MidiPortLister::MidiPortLister(std::unique_ptr<Impl> impl) : MidiClient(std::move(impl)) {}

std::unique_ptr<MidiPortLister> MidiPortLister::Create(bool inputs, const std::string& api,
    const std::string& clientName, std::string* error)
{
    const std::vector<RtMidi::Api> apis = api == "alsa" ? std::vector<RtMidi::Api>{RtMidi::LINUX_ALSA}
        : api == "jack"                                 ? std::vector<RtMidi::Api>{RtMidi::UNIX_JACK}
                                                        : ApisToTry();
    std::unique_ptr<Impl> impl = inputs ? CreateLibraryClient<RtMidiIn>(apis, error, clientName, 1u)
                                        : CreateLibraryClient<RtMidiOut>(apis, error, clientName);
    if (!impl) {
        return nullptr;
    }
    RememberOwnClientName(clientName);
    return std::unique_ptr<MidiPortLister>(new MidiPortLister(std::move(impl)));
}

}  // namespace platform
