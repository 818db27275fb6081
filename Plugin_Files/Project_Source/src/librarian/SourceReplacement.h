#pragma once
// Replacing a bank file of the library by the banks made from it (the pieces
// of a split, the converted copy of an older-model bank), so that a kill -9 or
// a power cut at any moment leaves each of its sounds in the library exactly
// once after the next start.
//
// A note in the data folder (".NAME.PID.replacing") names the source, its
// copy in "Converted Banks" and the pieces before any of them is written; the
// source leaves the library only once the copy and every piece are on the
// disk. The next scan finishes or undoes an interrupted replacement by that
// note: source gone, the work was done; source still there, the pieces and
// the copy go and the source is read again.
//
// Main thread (the scan); no lock.

#include <string>
#include <vector>

namespace sourcereplacement {

using Bytes = std::vector<unsigned char>;

struct Plan {
    std::string source;               // the bank file in the library
    std::string copy;                 // where the source is kept, in "Converted Banks"
    std::vector<std::string> pieces;  // the new bank files; one may be the source itself
};

// The note's text: one "source", one "copy" and one "piece" line per piece,
// each with a tab and the path, relative to dataFolder where it lies inside it.
std::string noteText(const Plan& plan, const std::string& dataFolder);

// Reads a note written by noteText back into plan. False for any text it did
// not write, or one naming the source or a piece outside libraryFolder, the
// copy outside "Converted Banks" of dataFolder, or a path through "..".
// Pure over the text: the note is outside bytes.
bool readNote(const std::string& text, const std::string& dataFolder, const std::string& libraryFolder,
              Plan& plan);

// Carries the plan out: the note, the copy of sourceBytes, every piece (its
// bytes in pieceBytes, in the order of plan.pieces), the source removed
// unless a piece replaced it, the note removed. False when any step failed;
// the library is then as it was (the source in place, no piece, no copy).
bool replace(const Plan& plan, const Bytes& sourceBytes, const std::vector<Bytes>& pieceBytes,
             const std::string& dataFolder);

// Finishes or undoes the replacements that a dead process left notes of.
// Called at the start of every scan, before any folder is listed.
void finishInterrupted(const std::string& dataFolder, const std::string& libraryFolder);

}  // namespace sourcereplacement
