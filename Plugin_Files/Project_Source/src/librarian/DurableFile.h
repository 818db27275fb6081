#pragma once
// Changes to the editor's files that survive a kill -9 or a power cut: after
// any of them the file is either the old one or the new one, whole. Bank
// saves, imports, the scan's pieces and converted banks, and the UI settings
// all write through here.
//
// Temporary files are hidden files beside their target, named after it and
// the writing process (".NAME.PID.writing"), so a start-up can tell the
// leftovers of a dead process from the work of one still running.
//
// Main thread (the scan, the writers, the settings commands); no lock.

#include <functional>
#include <string>
#include <vector>

namespace durable {

// Replaces the file at path with bytes: a temporary file beside it, flushed
// to the disk, renamed over it, the folder flushed. A symbolic link is
// followed, so the file it leads to is replaced and the link stays; a file
// that exists keeps its permission bits. False when any step failed: the file
// is then as it was and nothing is left beside it.
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Removes the file and flushes its folder; false when it could not be removed.
bool removeFile(const std::string& path);

// Creates the folder when it is missing and flushes the folder above it.
bool makeFolder(const std::string& path);

// The path a chain of symbolic links at path ends at (path itself when it is
// no link); the end need not exist.
std::string followLinks(const std::string& path);

// ".NAME.PID.SUFFIX": a hidden file of this process that belongs to NAME.
std::string hiddenFileName(const std::string& name, const std::string& suffix);

// True for a hidden file with that suffix whose process no longer runs:
// ".NAME.PID.SUFFIX" with PID gone, or ".NAME.SUFFIX" of an earlier version.
bool isLeftover(const std::string& fileName, const std::string& suffix);

// True for a temporary file of writeFile whose writer died.
bool isAbandonedTemporary(const std::string& fileName);

// The full paths of the entries of folder (one level) whose name passes test.
std::vector<std::string> filesWhere(const std::string& folder,
                                    const std::function<bool(const std::string& name)>& test);

// Removes the temporary files that dead writers left in folder.
void removeAbandonedTemporaries(const std::string& folder);

// Tests only: hook runs before every step that changes the disk, so a test
// can end the process between any two of them. Null removes it.
void setStepHook(void (*hook)());

}  // namespace durable
