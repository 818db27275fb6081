// The UI settings file "Zelto2X Editor UI.txt" in the data folder: five lines
// (colour scheme, size, first-run notification seen, two kept as they are),
// read once at start-up and rewritten by the size and notification commands.
// The editor never creates the file; the installer's first run does.

#include "Zelto2X.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "ControlLayer.h"
#include "DurableFile.h"
#include "IControl.h"
#include "LibraryFileSystem.h"

namespace {

constexpr const char* kTrailingBlanks = " \t\r\n";

// The earlier writer's temporary file, left by a kill: NAME and six letters or
// digits, private to the user (0600).
bool isEarlierTemporary(const std::string& folder, const std::string& name, const std::string& candidate)
{
    constexpr size_t kRandomPart = 6;
    if (candidate.size() != name.size() + 1 + kRandomPart || candidate.compare(0, name.size() + 1, name + ".") != 0)
        return false;
    for (size_t i = name.size() + 1; i < candidate.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(candidate[i])))
            return false;
    struct stat status;
    return ::lstat((folder + "/" + candidate).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        (status.st_mode & 07777) == 0600;
}

// What killed writers of the settings left: ours beside the file the settings
// path leads to, the earlier writer's beside the path itself.
void removeSettingsLeftovers(const std::string& settingsPath)
{
    std::string folder, name, realFolder, realName;
    libraryfs::splitPath(settingsPath, folder, name);
    libraryfs::splitPath(durable::followLinks(settingsPath), realFolder, realName);
    const auto leftover = [&](const std::string& candidate) {
        return durable::isAbandonedTemporary(candidate) || isEarlierTemporary(folder, name, candidate);
    };
    for (const std::string& path : durable::filesWhere(folder, leftover))
        durable::removeFile(path);
    if (realFolder != folder)
        durable::removeAbandonedTemporaries(realFolder);
}

}  // namespace

void Zelto2X::readUISettings()
{
    removeSettingsLeftovers(uiSettingsFilePath);
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

// Replaces the file as a whole (through a symbolic link, keeping its mode),
// so a failed write or a kill never leaves the settings empty. False, with the
// file unchanged, when it is missing or cannot be replaced.
bool Zelto2X::rewriteUISettings(const char* consoleFormat, const std::string& shown)
{
    if (access(uiSettingsFilePath.c_str(), F_OK) != 0)
        return false;
    const std::string text =
        uiSettings[0] + "\n" + uiSettings[1] + "\n" + uiSettings[2] + "\n" + uiSettings[3] + "\n" + uiSettings[4];
    if (!durable::writeFile(uiSettingsFilePath, std::vector<unsigned char>(text.begin(), text.end())))
        return false;
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
    std::printf("Could not write %s\n", editor->uiSettingsFilePath.c_str());
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
