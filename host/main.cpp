// zelto2x-host: loads a plug-in bundle and drives it as a music host does.
//
//   zelto2x-host [--script FILE|-] [--window] [--no-realtime] [--block N] [--rate HZ] BUNDLE
//
// Without --window the host reads script commands (see README.md) from FILE
// or standard input and answers one line each; with --window it runs FILE
// first, if given, then shows the view until the user closes it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "HostExtensions.h"

namespace {

constexpr int kMaxBlockFrames = 65536;

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
    if (options.scriptPath.empty() || options.scriptPath == "-")
        return commands.runScript(std::cin, std::cout);
    std::ifstream script(options.scriptPath);
    std::error_code error;
    if (!script || std::filesystem::is_directory(options.scriptPath, error)) {
        std::cout << host::FormatAnswer(host::HostStatus::Error(host::kHostErrFile,
                                                                "cannot read script " + options.scriptPath))
                  << std::endl;
        return 1;
    }
    return commands.runScript(script, std::cout);
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

    host::PluginHost pluginHost(settings);
    const host::HostStatus loaded = pluginHost.loadBundle(options.bundlePath);
    if (!loaded.ok()) {
        std::cout << host::FormatAnswer(loaded) << std::endl;
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
    if (options.window && result == 0 && !commands.quitRequested()) {
        result = -1;
        for (const host::HostExtension& extension : host::RegisteredHostExtensions()) {
            if (extension.runWindow) {
                result = extension.runWindow(pluginHost, commands, options);
                break;
            }
        }
        if (result == -1) {
            std::cout << host::FormatAnswer(host::HostStatus::Error(host::kHostErrNotOpen,
                                                                    "this build has no window mode"))
                      << std::endl;
            result = 1;
        }
    } else if (!options.window) {
        result = runScript(commands, options);
    }
    pluginHost.close();
    return result;
}
