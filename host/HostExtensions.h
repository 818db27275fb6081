#pragma once
// Parts of the host program that live in other files (the window mode and
// its commands). An extension registers itself from its own source file,
// which is compiled into the zelto2x-host program:
//
//   static const bool registered = host::RegisterHostExtension({"window", addCommands, runWindow});

#include <iostream>
#include <string>
#include <vector>

#include "ScriptCommands.h"

namespace host {

struct HostOptions {
    std::string bundlePath;
    std::string scriptPath;  // "-" for standard input
    bool window = false;
    bool realtime = true;
    std::vector<std::string> extraArgs;
    std::ostream* answers = &std::cout;  // where answer lines go, and nothing else
};

struct HostExtension {
    const char* name;
    // Adds the extension's script commands; may be null.
    void (*addCommands)(ScriptCommands& commands, PluginHost& host);
    // Runs the window mode on the main thread until the window closes,
    // returning the exit code; may be null. Used for --window.
    int (*runWindow)(PluginHost& host, ScriptCommands& commands, const HostOptions& options);
};

// Static-initialisation time or main thread; returns true.
bool RegisterHostExtension(const HostExtension& extension);
const std::vector<HostExtension>& RegisteredHostExtensions();

}  // namespace host
