#include "LibraryFileSystem.h"

#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>
#include <Poco/File.h>
#include <Poco/Path.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace libraryfs {

bool exists(const std::string& path)
{
    try {
        return Poco::File(path).exists();
    } catch (const Poco::Exception&) {
        return false;
    }
}

bool isDirectory(const std::string& path)
{
    try {
        Poco::File file(path);
        return file.exists() && file.isDirectory();
    } catch (const Poco::Exception&) {
        return false;
    }
}

bool createFolders(const std::string& path)
{
    try {
        Poco::File(path).createDirectories();
    } catch (const Poco::Exception&) {
        // Told by the answer below.
    }
    return isDirectory(path);
}

bool folderWritable(const std::string& folder)
{
    return isDirectory(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool listEntries(const std::string& folder, std::vector<Entry>& out)
{
    std::vector<Poco::File> files;
    try {
        Poco::File(folder).list(files);
    } catch (const Poco::Exception&) {
        return false;
    }
    for (const Poco::File& file : files) {
        Entry entry;
        entry.path = file.path();
        // One stat answers both questions (a scan lists every bank file).
        struct stat status;
        if (::stat(entry.path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            entry.isFile = true;
            entry.size = static_cast<int64_t>(status.st_size);
        }
        out.push_back(std::move(entry));
    }
    return true;
}

namespace {

std::string canonicalPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// A linked folder is followed like any folder; one whose real folder was
// already walked is skipped, so a link cycle cannot recurse.
void listFoldersBelow(const std::string& folder, std::vector<std::string>& out, std::set<std::string>& walked)
{
    try {
        Poco::DirectoryIterator end;
        for (Poco::DirectoryIterator it(folder); it != end; ++it) {
            try {
                if (!it->isDirectory())
                    continue;
            } catch (const Poco::Exception&) {
                continue;
            }
            const std::string child = it->path();
            if (!walked.insert(canonicalPath(child)).second)
                continue;
            listFoldersBelow(child, out, walked);
            out.push_back(child);
        }
    } catch (const Poco::Exception&) {
        // A folder that cannot be listed contributes nothing.
    }
}

}  // namespace

void listFoldersBelow(const std::string& folder, std::vector<std::string>& out)
{
    std::set<std::string> walked{canonicalPath(folder)};
    listFoldersBelow(folder, out, walked);
}

std::string lowerExtension(const std::string& path)
{
    std::string extension;
    try {
        extension = Poco::Path(path).getExtension();
    } catch (const Poco::Exception&) {
        return std::string();
    }
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool readFile(const std::string& path, std::vector<unsigned char>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size))
        return false;
    return true;
}

uint64_t contentStamp(const std::vector<unsigned char>& bytes)
{
    // The scan stamps every bank it reads: a hash that takes the bytes a word
    // at a time, not one by one.
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const uint64_t hash = std::hash<std::string_view>()(view);
    return hash == 0 ? 1 : hash;
}

bool changedSince(const std::string& path, uint64_t stamp)
{
    std::vector<unsigned char> bytes;
    return readFile(path, bytes) && contentStamp(bytes) != stamp;
}

std::string freePathFor(const std::string& path)
{
    if (!exists(path))
        return path;
    std::string folder, file;
    splitPath(path, folder, file);
    const size_t dot = file.rfind('.');
    const std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : file.substr(dot);
    const std::string prefix = folder.empty() ? std::string() : folder + "/";
    for (int n = 2;; ++n) {
        std::string candidate = prefix + base + " (" + std::to_string(n) + ")" + extension;
        if (!exists(candidate))
            return candidate;
    }
}

void splitPath(const std::string& path, std::string& folder, std::string& file)
{
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) {
        folder.clear();
        file = path;
        return;
    }
    folder = path.substr(0, cut);
    file = path.substr(cut + 1);
}

}  // namespace libraryfs
