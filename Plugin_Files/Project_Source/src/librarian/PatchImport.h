#pragma once
// Single sounds read from a file the user imports: each one found is
// completed to a 137-byte current-model sound dump, older-model sounds
// converted. Pure over the bytes, so it can be tested and fuzzed.

#include <string>
#include <vector>

namespace patchimport {

using Bytes = std::vector<unsigned char>;

// Takes the next single sound from position and appends it to sounds when one
// is complete; returns the position to continue from, 0 or less at the end
// of the data. The sound is named from the file name in path when the dump
// carries no name of its own.
int readSingleSound(const Bytes& data, int& position, const std::string& path, bool olderModel,
    std::vector<Bytes>& sounds);
int readSingleSound(const unsigned char* data, int length, int& position, const std::string& path, bool olderModel,
    std::vector<Bytes>& sounds);

// Every sound of data, in file order.
std::vector<Bytes> readSingleSounds(const Bytes& data, const std::string& path, bool olderModel);

// The 14-character name made from the file name of path (extension removed,
// characters outside 0x20..0x7E made blanks, blank-padded), or
// "IMPORTEDSINGLE" for an empty path.
std::string nameFromFilePath(const std::string& path);

}  // namespace patchimport
