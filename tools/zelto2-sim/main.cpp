// zelto2-sim: a simulated Zelto 2 on the computer's MIDI ports (virtual ports
// on JACK or ALSA). It answers sound and global requests, stores sound dumps
// whose device byte and checksum are right (refusing others on standard
// error), applies parameter messages, follows bank select and program change,
// and logs every message it receives as one line of hex bytes. Commands on standard input let a person
// or a test make it send MIDI. See DEVELOPING.md, "Simulated Zelto 2".

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "Zelto2Synth.h"
#include "platform/CoreMIDIRtMidi.h"

using zelto2sim::Bytes;

namespace {

const char* const kUsage
    = "usage: zelto2-sim [options]\n"
      "  --device-id N   device ID 0..127 the synth answers to (default 0)\n"
      "  --syx FILE      load sound dumps from a .syx file into the slots; the edit\n"
      "                  buffer then holds slot 0\n"
      "  --silent        never answer a request\n"
      "  --delay MS      answer requests after MS milliseconds\n"
      "  --reply-form F  slot addresses in sound replies: slot (slot div 128, slot mod 128;\n"
      "                  the default) or bank-program (bank, program)\n"
      "  --log FILE      log received messages to FILE (default: standard output)\n"
      "  --name NAME     MIDI client name prefix (default \"Zelto 2\")\n"
      "  --no-stdin      ignore standard input; run until SIGINT or SIGTERM\n"
      "commands on standard input:\n"
      "  send HEX...     send one message, e.g. send 90 3C 64\n"
      "  quit            stop (end of input stops too)\n";

struct Options {
    int deviceId = 0;
    std::string syxFile;
    bool silent = false;
    int delayMs = 0;
    std::string logFile;
    std::string name = "Zelto 2";
    bool useStdin = true;
    zelto2sim::ReplyForm replyForm = zelto2sim::ReplyForm::Slot;
};

void status(const std::string& text)
{
    std::fprintf(stderr, "zelto2-sim: %s\n", text.c_str());
    std::fflush(stderr);
}

bool ParseInt(const char* text, int low, int high, int* out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--silent") {
            options->silent = true;
        } else if (arg == "--no-stdin") {
            options->useStdin = false;
        } else if (arg == "--device-id" && hasValue) {
            if (!ParseInt(argv[++i], 0, 127, &options->deviceId)) {
                return false;
            }
        } else if (arg == "--delay" && hasValue) {
            if (!ParseInt(argv[++i], 0, 600000, &options->delayMs)) {
                return false;
            }
        } else if (arg == "--reply-form" && hasValue) {
            const std::string form = argv[++i];
            if (form != "slot" && form != "bank-program") {
                return false;
            }
            options->replyForm = form == "slot" ? zelto2sim::ReplyForm::Slot : zelto2sim::ReplyForm::BankProgram;
        } else if (arg == "--syx" && hasValue) {
            options->syxFile = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options->logFile = argv[++i];
        } else if (arg == "--name" && hasValue) {
            options->name = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

// One line per received message, flushed at once so a reader sees it.
class WireLog {
public:
    // Without a path the log keeps standard output to itself: whatever else
    // prints there (the MIDI layer's diagnostics) is moved to standard error.
    bool Open(const std::string& path)
    {
        if (path.empty()) {
            std::fflush(stdout);
            const int wire = dup(STDOUT_FILENO);
            if (wire < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
                return false;
            }
            file_ = fdopen(wire, "w");
        } else {
            file_ = std::fopen(path.c_str(), "w");
        }
        return file_ != nullptr;
    }
    ~WireLog()
    {
        if (file_) {
            std::fclose(file_);
        }
    }
    void Write(const Bytes& message)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(file_, "%s\n", zelto2sim::ToHex(message).c_str());
        std::fflush(file_);
    }

private:
    std::mutex mutex_;
    FILE* file_ = nullptr;
};

// The output port, shared by the answers and the send command.
class Output {
public:
    explicit Output(std::unique_ptr<platform::MidiOutputClient> client) : client_(std::move(client)) {}
    void Send(const Bytes& message)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!client_->Send(message.data(), message.size())) {
            status("send failed: " + client_->LastError());
        }
    }

private:
    std::mutex mutex_;
    std::unique_ptr<platform::MidiOutputClient> client_;
};

// Sends answers after the configured delay, in order, without holding up
// the input thread.
class DelayedSender {
public:
    DelayedSender(Output* output, int delayMs) : output_(output), delay_(delayMs)
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~DelayedSender()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Schedule(Bytes message)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_.push_back({std::chrono::steady_clock::now() + delay_, std::move(message)});
        }
        wake_.notify_all();
    }

private:
    struct Item {
        std::chrono::steady_clock::time_point due;
        Bytes message;
    };
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (pending_.empty()) {
                wake_.wait(lock);
                continue;
            }
            if (wake_.wait_until(lock, pending_.front().due) == std::cv_status::no_timeout) {
                continue;
            }
            Item item = std::move(pending_.front());
            pending_.pop_front();
            lock.unlock();
            output_->Send(item.message);
            lock.lock();
        }
    }

    Output* output_;
    std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> pending_;
    bool stopping_ = false;
    std::thread thread_;
};

struct Simulator {
    Options options;
    zelto2sim::Zelto2Synth synth;
    WireLog log;
    Output* output = nullptr;
    DelayedSender* delayed = nullptr;

    explicit Simulator(const Options& o) : options(o), synth(static_cast<uint8_t>(o.deviceId))
    {
        synth.SetReplyForm(o.replyForm);
    }

    // On the MIDI input thread.
    static void OnMessage(double, std::vector<unsigned char>* message, void* self)
    {
        auto* sim = static_cast<Simulator*>(self);
        const Bytes received(message->begin(), message->end());
        // Logged after answering: once a reader sees the line, any immediate
        // answer is already on its way, and a refusal is already told.
        std::string refusal;
        std::vector<Bytes> answers = sim->synth.Receive(received, &refusal);
        if (!refusal.empty()) {
            status("refused " + refusal);
        }
        for (Bytes& answer : answers) {
            if (sim->options.silent) {
                continue;
            }
            if (sim->delayed) {
                sim->delayed->Schedule(std::move(answer));
            } else {
                sim->output->Send(answer);
            }
        }
        sim->log.Write(received);
    }
};

bool LoadSyx(const std::string& path, zelto2sim::Zelto2Synth* synth)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        status("cannot read " + path);
        return false;
    }
    const Bytes stream((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const int stored = synth->LoadSounds(zelto2sim::SplitSysEx(stream));
    // As after power-on, the synth plays the first program of the first bank.
    synth->Receive({0xC0, 0x00});
    status("loaded " + std::to_string(stored) + " sounds from " + path);
    return true;
}

// Ends the main loop on SIGINT or SIGTERM, so the MIDI clients are closed
// properly even then (a client that just vanishes stalls a JACK server).
class StopSignal {
public:
    StopSignal()
    {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        // Blocked before any other thread starts, so only sigwait sees them.
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        if (pipe(wake_) != 0) {
            wake_[0] = wake_[1] = -1;
        }
    }
    void StartWatching()
    {
        std::thread([this] {
            int received = 0;
            sigwait(&signals_, &received);
            const char byte = 1;
            if (write(wake_[1], &byte, 1) < 0) {
                std::_Exit(1);
            }
        }).detach();
    }
    int Fd() const { return wake_[0]; }

private:
    sigset_t signals_;
    int wake_[2];
};

// Runs commands from standard input (when used) until "quit", the end of
// the input or a stop signal.
void RunCommands(Output* output, bool useStdin, int stopFd)
{
    std::string pending;
    std::string line;
    for (;;) {
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {useStdin ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[0].revents) {
            return;
        }
        if (!fds[1].revents) {
            continue;
        }
        // One read per wake-up; complete lines are handled, a partial one waits.
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        pending.append(buffer, static_cast<size_t>(n));
        size_t newline;
        while ((newline = pending.find('\n')) != std::string::npos) {
            line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if (line == "quit") {
                return;
            }
            if (line.rfind("send ", 0) == 0) {
                if (auto bytes = zelto2sim::ParseHex(line.substr(5)); bytes && !bytes->empty()) {
                    output->Send(*bytes);
                    continue;
                }
            }
            if (!line.empty()) {
                status("unknown command: " + line);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    StopSignal stopSignal;

    Simulator sim(options);
    if (!sim.log.Open(options.logFile)) {
        status("cannot write " + options.logFile);
        return 1;
    }
    if (!options.syxFile.empty() && !LoadSyx(options.syxFile, &sim.synth)) {
        return 1;
    }

    std::string error;
    auto outputClient = platform::MidiOutputClient::Create(options.name + " Out", &error);
    if (!outputClient || !outputClient->OpenVirtualPort("MIDI Out")) {
        status("cannot open the MIDI output: " + (outputClient ? outputClient->LastError() : error));
        return 1;
    }
    const std::string api = outputClient->ApiName();
    Output output(std::move(outputClient));
    sim.output = &output;
    std::unique_ptr<DelayedSender> delayed;
    if (options.delayMs > 0) {
        delayed = std::make_unique<DelayedSender>(&output, options.delayMs);
        sim.delayed = delayed.get();
    }

    auto input = platform::MidiInputClient::Create(options.name + " In", 100, &error);
    if (!input || !input->IgnoreTypes(false, false, false) || !input->SetCallback(&Simulator::OnMessage, &sim)
        || !input->OpenVirtualPort("MIDI In")) {
        status("cannot open the MIDI input: " + (input ? input->LastError() : error));
        return 1;
    }

    status("ready on " + api + ", device ID " + std::to_string(options.deviceId) + ", input \""
        + options.name + " In:MIDI In\", output \"" + options.name + " Out:MIDI Out\"");
    stopSignal.StartWatching();
    RunCommands(&output, options.useStdin, stopSignal.Fd());
    // Stop hearing before the output and the sender go away.
    input.reset();
    status("stopped");
    return 0;
}
