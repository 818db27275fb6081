// zelto2x-host: loads a plug-in bundle and drives it as a music host does.
//
//   zelto2x-host [--script FILE|-] [--window] [--no-realtime] [--block N] [--rate HZ] BUNDLE
//
// Without --window the host reads script commands (see README.md) from FILE
// or standard input and answers one line each; with --window it runs FILE
// first, if given, then shows the view until the user closes it. Standard
// output carries the answers alone; everything else, the plug-in's own
// prints among it, goes to standard error. SIGINT and SIGTERM end it as
// closing the window does (StopSignals.h); its exit code is then 128 + the signal.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <streambuf>

#include "HostExtensions.h"
#include "StopSignals.h"

namespace {

constexpr int kMaxBlockFrames = 65536;

// Writes straight to a file descriptor; answers are whole lines, flushed at once.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : mFd(fd) {}

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return write(&byte, 1) ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        return write(text, count) ? count : 0;
    }

private:
    bool write(const char* text, std::streamsize count)
    {
        while (count > 0) {
            const ssize_t written = ::write(mFd, text, static_cast<size_t>(count));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            text += written;
            count -= written;
        }
        return true;
    }
    int mFd;
};

// The plug-in (and the libraries it loads) print diagnostics on standard
// output, where a script reader expects answers only: from here on file
// descriptor 1 is standard error, and the answers keep a copy of the
// original standard output. Falls back to std::cout when no copy can be made.
std::ostream& SeparateAnswersFromDiagnostics()
{
    std::fflush(stdout);
    std::cout.flush();
    const int answerFd = dup(STDOUT_FILENO);
    if (answerFd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return std::cout;
    static DescriptorBuffer buffer(answerFd);
    static std::ostream answers(&buffer);
    return answers;
}

void printUsage()
{
    std::cerr << "usage: zelto2x-host [--script FILE|-] [--window] [--no-realtime] [--block N] [--rate HZ] BUNDLE\n";
}

bool parseArguments(int argc, char** argv, host::HostOptions* options, host::PluginHost::Settings* settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--script" && hasValue)
            options->scriptPath = argv[++i];
        else if (arg == "--window")
            options->window = true;
        else if (arg == "--no-realtime")
            options->realtime = false;
        else if (arg == "--block" && hasValue)
            settings->blockFrames = std::atoi(argv[++i]);
        else if (arg == "--rate" && hasValue)
            settings->sampleRate = std::atof(argv[++i]);
        else if (arg.rfind("--", 0) == 0)
            options->extraArgs.push_back(arg);
        else if (options->bundlePath.empty())
            options->bundlePath = arg;
        else
            return false;
    }
    // Real hosts stay far below the block limit; larger ones only exhaust memory.
    return !options->bundlePath.empty() && settings->blockFrames > 0 && settings->blockFrames <= kMaxBlockFrames &&
           settings->sampleRate > 0.0;
}

int runScript(host::ScriptCommands& commands, const host::HostOptions& options)
{
    // Read through a stop-aware buffer: a stop signal ends a script that
    // waits for its next line (a terminal, a pipe).
    if (options.scriptPath.empty() || options.scriptPath == "-") {
        host::StopAwareInput buffer(STDIN_FILENO);
        std::istream script(&buffer);
        return commands.runScript(script, *options.answers);
    }
    std::error_code error;
    const int fd = std::filesystem::is_directory(options.scriptPath, error)
                       ? -1
                       : open(options.scriptPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *options.answers << host::FormatAnswer(host::HostStatus::Error(host::kHostErrFile,
                                                                "cannot read script " + options.scriptPath))
                  << std::endl;
        return 1;
    }
    host::StopAwareInput buffer(fd);
    std::istream script(&buffer);
    const int result = commands.runScript(script, *options.answers);
    close(fd);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    host::HostOptions options;
    host::PluginHost::Settings settings;
    if (!parseArguments(argc, argv, &options, &settings)) {
        printUsage();
        return 2;
    }
    options.answers = &SeparateAnswersFromDiagnostics();
    // Before the plug-in starts threads of its own.
    host::CatchStopSignals();

    host::PluginHost pluginHost(settings);
    const host::HostStatus loaded = pluginHost.loadBundle(options.bundlePath);
    if (!loaded.ok()) {
        *options.answers << host::FormatAnswer(loaded) << std::endl;
        return 1;
    }

    host::ScriptCommands commands;
    host::AddCoreCommands(commands, pluginHost);
    for (const host::HostExtension& extension : host::RegisteredHostExtensions()) {
        if (extension.addCommands)
            extension.addCommands(commands, pluginHost);
    }
    if (options.realtime)
        pluginHost.startRealtime();

    int result = 0;
    // With --window a script prepares the session (ports, a state) before the window opens.
    if (options.window && !options.scriptPath.empty())
        result = runScript(commands, options);
    if (options.window && result == 0 && !commands.quitRequested() && !host::StopRequested()) {
        result = -1;
        for (const host::HostExtension& extension : host::RegisteredHostExtensions()) {
            if (extension.runWindow) {
                result = extension.runWindow(pluginHost, commands, options);
                break;
            }
        }
        if (result == -1) {
            *options.answers << host::FormatAnswer(host::HostStatus::Error(host::kHostErrNotOpen,
                                                                    "this build has no window mode"))
                      << std::endl;
            result = 1;
        }
    } else if (!options.window) {
        result = runScript(commands, options);
    }
    // Also after a stop signal: the plug-in closes as when its window closes.
    pluginHost.close();
    return host::StopRequested() ? 128 + host::StopSignal() : result;
}
