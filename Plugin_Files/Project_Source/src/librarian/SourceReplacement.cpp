#include "SourceReplacement.h"

#include "DurableFile.h"
#include "LibraryFileSystem.h"

namespace sourcereplacement {

namespace {

constexpr const char* kNoteSuffix = "replacing";
constexpr const char* kConvertedFolder = "Converted Banks";

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string relativeTo(const std::string& folder, const std::string& path)
{
    const std::string prefix = folder + "/";
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

std::string absoluteIn(const std::string& folder, const std::string& path)
{
    return !path.empty() && path.front() == '/' ? path : folder + "/" + path;
}

// Strictly below folder, without "." or ".." on the way: a note must never
// make the scan remove a file elsewhere.
bool isBelow(const std::string& folder, const std::string& path)
{
    const std::string prefix = folder + "/";
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t start = prefix.size();
    for (;;) {
        const size_t cut = path.find('/', start);
        const std::string part = path.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (cut == std::string::npos)
            return true;
        start = cut + 1;
    }
}

std::string fileNameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

bool sameContents(const std::string& a, const std::string& b)
{
    Bytes first, second;
    return libraryfs::readFile(a, first) && libraryfs::readFile(b, second) && first == second;
}

// Removes what a replacement wrote besides the source itself.
void undo(const Plan& plan)
{
    for (const std::string& piece : plan.pieces)
        if (piece != plan.source && libraryfs::exists(piece))
            durable::removeFile(piece);
    if (libraryfs::exists(plan.copy))
        durable::removeFile(plan.copy);
}

// The copy is written before any piece and equals the source until the
// source is replaced or removed, so the files on disk tell how far it got.
void settle(const Plan& plan)
{
    if (!libraryfs::exists(plan.copy))
        return;  // no piece was written yet
    if (libraryfs::exists(plan.source) && sameContents(plan.source, plan.copy))
        undo(plan);
}

bool isNote(const std::string& name)
{
    return durable::isLeftover(name, kNoteSuffix);
}

}  // namespace

std::string noteText(const Plan& plan, const std::string& dataFolder)
{
    const std::string folder = withoutTrailingSeparators(dataFolder);
    std::string text = "source\t" + relativeTo(folder, plan.source) + "\ncopy\t" + relativeTo(folder, plan.copy) + "\n";
    for (const std::string& piece : plan.pieces)
        text += "piece\t" + relativeTo(folder, piece) + "\n";
    return text;
}

bool readNote(const std::string& text, const std::string& dataFolder, const std::string& libraryFolder, Plan& plan)
{
    const std::string folder = withoutTrailingSeparators(dataFolder);
    Plan read;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return false;
        const std::string key = line.substr(0, tab);
        const std::string path = absoluteIn(folder, line.substr(tab + 1));
        if (key == "piece")
            read.pieces.push_back(path);
        else if (key == "source" && read.source.empty())
            read.source = path;
        else if (key == "copy" && read.copy.empty())
            read.copy = path;
        else
            return false;
    }
    const std::string library = withoutTrailingSeparators(libraryFolder);
    if (!isBelow(library, read.source) || !isBelow(folder + "/" + kConvertedFolder, read.copy) || read.pieces.empty())
        return false;
    for (const std::string& piece : read.pieces)
        if (!isBelow(library, piece))
            return false;
    plan = std::move(read);
    return true;
}

bool replace(const Plan& plan, const Bytes& sourceBytes, const std::vector<Bytes>& pieceBytes,
             const std::string& dataFolder)
{
    std::vector<std::string> paths = plan.pieces;
    paths.insert(paths.end(), {plan.source, plan.copy});
    for (const std::string& path : paths)
        if (path.find('\n') != std::string::npos)
            return false;  // a note line could not hold it
    if (pieceBytes.size() != plan.pieces.size() || !durable::makeFolder(folderOf(plan.copy)))
        return false;

    const std::string note =
        withoutTrailingSeparators(dataFolder) + "/" + durable::hiddenFileName(fileNameOf(plan.source), kNoteSuffix);
    const std::string text = noteText(plan, dataFolder);
    if (!durable::writeFile(note, Bytes(text.begin(), text.end())))
        return false;
    bool done = durable::writeFile(plan.copy, sourceBytes);
    bool sourceReplaced = false;
    for (size_t i = 0; done && i < plan.pieces.size(); ++i) {
        done = durable::writeFile(plan.pieces[i], pieceBytes[i]);
        sourceReplaced = sourceReplaced || plan.pieces[i] == plan.source;
    }
    if (done && !sourceReplaced)
        done = durable::removeFile(plan.source);
    if (!done)
        undo(plan);
    durable::removeFile(note);
    return done;
}

void finishInterrupted(const std::string& dataFolder, const std::string& libraryFolder)
{
    const std::string folder = withoutTrailingSeparators(dataFolder);
    const std::vector<std::string> found = durable::filesWhere(
        folder, [](const std::string& name) { return isNote(name) || durable::isAbandonedTemporary(name); });
    bool noteFound = false;
    for (const std::string& path : found) {
        Bytes bytes;
        Plan plan;
        if (isNote(fileNameOf(path))) {
            noteFound = true;
            if (libraryfs::readFile(path, bytes) &&
                readNote(std::string(bytes.begin(), bytes.end()), dataFolder, libraryFolder, plan))
                settle(plan);
        }
        durable::removeFile(path);
    }
    // The copy that a killed replacement was writing.
    if (noteFound)
        durable::removeAbandonedTemporaries(folder + "/" + kConvertedFolder);
}

}  // namespace sourcereplacement
