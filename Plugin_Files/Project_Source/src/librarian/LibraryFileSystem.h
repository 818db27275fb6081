#pragma once
// The librarian's only door to the file system. POCO is used here and nowhere
// else in the library; its exceptions end at this border as false or empty
// results, so no file-system error ever stops a scan.
//
// All functions are called from the host's main thread (scan and writers).
// Writing and removing files is DurableFile.h's.

#include <cstdint>
#include <string>
#include <vector>

namespace libraryfs {

struct Entry {
    std::string path;
    bool isFile = false;
    int64_t size = -1;  // -1 when it could not be read
};

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
// Makes the folder and every missing folder above it; true when it exists after.
bool createFolders(const std::string& path);
// Whether a new file can be made in the folder (it exists and may be written).
bool folderWritable(const std::string& folder);

// The entries of folder, one level, in the order the system gives them.
// False (and nothing appended) when the folder cannot be listed.
bool listEntries(const std::string& folder, std::vector<Entry>& out);

// Appends the full path of every folder below folder, each after the folders
// below it. A folder reached twice through links is listed once, so a link
// cycle cannot recurse.
void listFoldersBelow(const std::string& folder, std::vector<std::string>& out);

// The text after the last "." of the file name, in lower case.
std::string lowerExtension(const std::string& path);

// The whole file in one read; false when it cannot be opened or read.
bool readFile(const std::string& path, std::vector<unsigned char>& out);

// A stamp of bytes (a hash of them, never 0): equal bytes, equal stamps.
uint64_t contentStamp(const std::vector<unsigned char>& bytes);

// True when the file at path holds other bytes than those stamped; false when
// it holds them or cannot be read (nothing there to keep).
bool changedSince(const std::string& path, uint64_t stamp);

// path itself when nothing exists there, else "base (2).ext", "base (3).ext", ...
std::string freePathFor(const std::string& path);

// Splits at the last "/" or "\": the part before it (without the separator)
// and the part after it. No separator: empty folder, the whole text as file.
void splitPath(const std::string& path, std::string& folder, std::string& file);

}  // namespace libraryfs
