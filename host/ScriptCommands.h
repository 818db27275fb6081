#pragma once
// The host's script mode: one command a line, one answer line each, "ok ..."
// or "error CODE text". Commands live in a table that other files add to
// (the window commands of the GUI back end register themselves the same way).

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace host {

class ScriptCommands {
public:
    // Gets the words after the command name.
    using Handler = std::function<HostStatus(const std::vector<std::string>& args)>;

    // Adds a command, replacing one of the same name.
    void add(const std::string& name, Handler handler);
    bool has(const std::string& name) const { return mCommands.count(name) > 0; }

    // Runs one line into *answer; false for a blank or '#' comment line,
    // which gets no answer.
    bool runLine(const std::string& line, std::string* answer);
    // Runs lines until the input ends or a command asks to quit; returns 0.
    int runScript(std::istream& in, std::ostream& out);

    void requestQuit() { mQuit = true; }
    bool quitRequested() const { return mQuit; }

private:
    std::map<std::string, Handler> mCommands;
    bool mQuit = false;
};

// "ok text" or "error CODE text" (no trailing blank for an empty text).
std::string FormatAnswer(const HostStatus& status);
// Words like "90", "3C" or "0x64" as bytes; false on anything else.
bool ParseHexBytes(const std::vector<std::string>& words, std::vector<uint8_t>* bytes);
// words[first..] joined by single blanks: an argument that may hold blanks.
std::string JoinWords(const std::vector<std::string>& words, size_t first);

// param, set, tempo, play, stop, render, wait, midi, save, load, quit.
void AddCoreCommands(ScriptCommands& commands, PluginHost& host);

}  // namespace host
