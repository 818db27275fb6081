// The UI settings file "Zelto2X Editor UI.txt" in the data folder: five lines
// (colour scheme, size, first-run notification seen, two kept as they are),
// read once at start-up and rewritten by the size and notification commands.
// The editor never creates the file; the installer's first run does.

#include "Zelto2X.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "ControlLayer.h"
#include "IControl.h"

namespace {

constexpr const char* kTrailingBlanks = " \t\r\n";

}  // namespace

void Zelto2X::readUISettings()
{
    std::ifstream file(uiSettingsFilePath, std::ios::binary);
    std::string line;
    for (std::string& setting : uiSettings) {
        if (!file || !std::getline(file, line))
            break;
        const size_t last = line.find_last_not_of(kTrailingBlanks);
        setting = last == std::string::npos ? std::string() : line.substr(0, last + 1);
    }
    const std::string& size = uiSettings[1];
    if (size == "small")
        guiScale = 0.75;
    else if (size == "large")
        guiScale = 1.25;
    else if (size == "normal")
        guiScale = 1.0;
    if (uiSettings[0] == "normal")
        colorScheme = 0;
    else if (uiSettings[0] == "black")
        colorScheme = 1;
}

// Writes the five lines to a new file beside the settings file and renames it
// over it, so a failed write never leaves the settings empty. False, with the
// file unchanged, when it is missing or cannot be replaced.
bool Zelto2X::rewriteUISettings(const char* consoleFormat, const std::string& shown)
{
    if (access(uiSettingsFilePath.c_str(), F_OK) != 0)
        return false;
    std::string temporary = uiSettingsFilePath + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    const std::string text =
        uiSettings[0] + "\n" + uiSettings[1] + "\n" + uiSettings[2] + "\n" + uiSettings[3] + "\n" + uiSettings[4];
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), uiSettingsFilePath.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    std::printf(consoleFormat, shown.c_str());
    return true;
}

namespace {

// The writers change nothing, not even the editor's fields, without the file.
bool reportMissingFile(Zelto2X* editor)
{
    if (access(editor->uiSettingsFilePath.c_str(), F_OK) == 0)
        return false;
    editor->showStatusLines("Zelto2X Editor UI.txt MISSING!", "Contact support");
    return true;
}

// A settings file that is there but cannot be replaced (a read-only data
// folder): the change lasts until the editor closes.
void reportUnwritableSettings(Zelto2X* editor)
{
    editor->showStatusLines("Zelto2X Editor UI.txt NOT SAVED!", "Check folder rights");
    std::printf("Build LOG: \t Could not write %s\n", editor->uiSettingsFilePath.c_str());
}

}  // namespace

void Zelto2X::userInterfaceSizeChanged(int value)
{
    if (reportMissingFile(this))
        return;
    static const std::pair<const char*, double> kSizes[] = {{"small", 0.75}, {"normal", 1.0}, {"large", 1.25}};
    if (value >= 0 && value <= 2) {
        uiSettings[1] = kSizes[value].first;
        guiScale = kSizes[value].second;
    }
    // The surface keeps its size: the new scale applies at the next start.
    if (rewriteUISettings("Build LOG: \t Size changed to %s\n", uiSettings[1]))
        showStatusLines("Size changes applied...", "Reload project!");
    else
        reportUnwritableSettings(this);
}

void Zelto2X::firstRunExitChanged(double value)
{
    if (static_cast<int>(value) == 0 || reportMissingFile(this))
        return;
    if (value == 1.0) {
        uiSettings[2] = "yes";
        showStatusLines("Set MIDI In and MIDI Out", nullptr);
    }
    if (!rewriteUISettings("Build LOG: \t Is Notification seen? %s\n", uiSettings[2]))
        reportUnwritableSettings(this);
    if (ControlLayer* notification = findLayer("firstRunNotification"))
        notification->Hide(true);
    DisplayProcessingIndicator(true);
    DisplayProcessingIndicator(false);
}
