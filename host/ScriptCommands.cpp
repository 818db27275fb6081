#include "ScriptCommands.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <sstream>

#include "StopSignals.h"

namespace host {

namespace {

std::vector<std::string> splitWords(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool parseInt(const std::string& text, long* value)
{
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

bool parseDouble(const std::string& text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

HostStatus usage(const char* text) { return HostStatus::Error(kHostErrBadArgument, std::string("usage: ") + text); }

}  // namespace

std::string FormatAnswer(const HostStatus& status)
{
    if (status.ok())
        return status.text.empty() ? "ok" : "ok " + status.text;
    return "error " + std::to_string(status.code) + (status.text.empty() ? "" : " " + status.text);
}

bool ParseHexBytes(const std::vector<std::string>& words, std::vector<uint8_t>* bytes)
{
    bytes->clear();
    for (const std::string& word : words) {
        const std::string digits = word.rfind("0x", 0) == 0 || word.rfind("0X", 0) == 0 ? word.substr(2) : word;
        if (digits.empty() || digits.size() > 2)
            return false;
        char* end = nullptr;
        const long value = std::strtol(digits.c_str(), &end, 16);
        if (*end != '\0')
            return false;
        bytes->push_back(static_cast<uint8_t>(value));
    }
    return !bytes->empty();
}

std::string JoinWords(const std::vector<std::string>& words, size_t first)
{
    std::string joined;
    for (size_t i = first; i < words.size(); ++i)
        joined += (i == first ? "" : " ") + words[i];
    return joined;
}

void ScriptCommands::add(const std::string& name, Handler handler)
{
    mCommands[name] = std::move(handler);
}

bool ScriptCommands::runLine(const std::string& line, std::string* answer)
{
    std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return false;
    const std::string name = words[0];
    words.erase(words.begin());
    auto command = mCommands.find(name);
    *answer = command == mCommands.end()
                  ? FormatAnswer(HostStatus::Error(kHostErrBadArgument, "unknown command " + name))
                  : FormatAnswer(command->second(words));
    return true;
}

int ScriptCommands::runScript(std::istream& in, std::ostream& out)
{
    std::string line;
    // A line cut short by a stop signal is not run.
    while (!mQuit && std::getline(in, line) && !StopRequested()) {
        std::string answer;
        if (runLine(line, &answer))
            out << answer << std::endl;
    }
    return 0;
}

void AddCoreCommands(ScriptCommands& commands, PluginHost& host)
{
    commands.add("param", [&host](const std::vector<std::string>& args) {
        long idx = 0;
        if (args.size() != 1 || !parseInt(args[0], &idx))
            return usage("param INDEX");
        float value = 0.0f;
        HostStatus status = host.getParameter(static_cast<int>(idx), &value);
        if (!status.ok())
            return status;
        char text[48];
        std::snprintf(text, sizeof text, "%.9g", value);
        return HostStatus::Ok(text);
    });
    commands.add("set", [&host](const std::vector<std::string>& args) {
        long idx = 0;
        double value = 0.0;
        if (args.size() < 2 || !parseInt(args[0], &idx))
            return usage("set INDEX VALUE|TEXT");
        if (args.size() == 2 && parseDouble(args[1], &value))
            return host.setParameter(static_cast<int>(idx), static_cast<float>(value));
        // Entry names such as MIDI port names hold blanks: the rest of the line.
        return host.setParameterText(static_cast<int>(idx), JoinWords(args, 1));
    });
    commands.add("tempo", [&host](const std::vector<std::string>& args) {
        double bpm = 0.0;
        if (args.size() != 1 || !parseDouble(args[0], &bpm) || bpm <= 0.0)
            return usage("tempo BPM (above 0)");
        host.setTempo(bpm);
        return HostStatus::Ok();
    });
    commands.add("play", [&host](const std::vector<std::string>&) {
        host.setPlaying(true);
        return HostStatus::Ok();
    });
    commands.add("stop", [&host](const std::vector<std::string>&) {
        host.setPlaying(false);
        return HostStatus::Ok();
    });
    commands.add("render", [&host](const std::vector<std::string>& args) {
        long blocks = 0;
        if (args.size() != 1 || !parseInt(args[0], &blocks) || blocks < 0)
            return usage("render BLOCKS");
        HostStatus status = host.renderBlocks(static_cast<int>(blocks));
        return status.ok() ? HostStatus::Ok(args[0]) : status;
    });
    commands.add("wait", [](const std::vector<std::string>& args) {
        long ms = 0;
        if (args.size() != 1 || !parseInt(args[0], &ms) || ms < 0)
            return usage("wait MILLISECONDS");
        SleepUnlessStopped(static_cast<int>(std::min(ms, long(INT_MAX))));
        return HostStatus::Ok();
    });
    commands.add("midi", [&host](const std::vector<std::string>& args) {
        std::vector<std::string> hex = args;
        long offset = 0;
        if (!hex.empty() && hex.back()[0] == '@') {
            if (!parseInt(hex.back().substr(1), &offset))
                return usage("midi HEX... [@OFFSET]");
            hex.pop_back();
        }
        std::vector<uint8_t> bytes;
        if (!ParseHexBytes(hex, &bytes))
            return usage("midi HEX... [@OFFSET]");
        return host.queueMidi(bytes, static_cast<int>(offset));
    });
    commands.add("save", [&host](const std::vector<std::string>& args) {
        return args.size() == 1 ? host.saveState(args[0]) : usage("save FILE");
    });
    commands.add("load", [&host](const std::vector<std::string>& args) {
        return args.size() == 1 ? host.loadState(args[0]) : usage("load FILE");
    });
    commands.add("quit", [&commands](const std::vector<std::string>&) {
        commands.requestQuit();
        return HostStatus::Ok();
    });
}

}  // namespace host
