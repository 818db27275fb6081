#include "DurableFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace durable {

namespace {

void (*stepHook)() = nullptr;

void step()
{
    if (stepHook)
        stepHook();
}

void splitAtLastSeparator(const std::string& path, std::string& folder, std::string& name)
{
    const size_t cut = path.find_last_of('/');
    folder = cut == std::string::npos ? std::string() : cut == 0 ? std::string("/") : path.substr(0, cut);
    name = cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path)
{
    std::string folder, name;
    splitAtLastSeparator(path, folder, name);
    return folder;
}

// A rename or removal is only on the disk once its folder is: without this a
// power cut can bring back the old name after the new file was reported saved.
void flushFolder(const std::string& folder)
{
    step();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(int fd, const std::vector<unsigned char>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

bool processRuns(long pid)
{
    if (pid <= 0 || pid != static_cast<long>(static_cast<pid_t>(pid)))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string followLinks(const std::string& path)
{
    std::string current = path;
    // As many hops as the system itself follows; a longer chain is a loop.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::string target(static_cast<size_t>(status.st_size > 0 ? status.st_size : 4096), '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0)
            return current;
        target.resize(static_cast<size_t>(length));
        if (target.front() != '/') {
            const std::string folder = folderOf(current);
            target = (folder.empty() ? std::string() : folder + "/") + target;
        }
        current = target;
    }
    return current;
}

std::string hiddenFileName(const std::string& name, const std::string& suffix)
{
    return "." + name + "." + std::to_string(static_cast<long>(::getpid())) + "." + suffix;
}

bool isLeftover(const std::string& fileName, const std::string& suffix)
{
    const std::string ending = "." + suffix;
    if (fileName.size() <= ending.size() + 1 || fileName.front() != '.' ||
        fileName.compare(fileName.size() - ending.size(), ending.size(), ending) != 0)
        return false;
    const std::string stem = fileName.substr(0, fileName.size() - ending.size());
    const size_t dot = stem.rfind('.');
    const std::string last = dot == std::string::npos || dot == 0 ? std::string() : stem.substr(dot + 1);
    if (last.empty() || last.find_first_not_of("0123456789") != std::string::npos || last.size() > 9)
        return true;  // no process number: written by an earlier version, whose writer is long gone
    return !processRuns(std::strtol(last.c_str(), nullptr, 10));
}

bool isAbandonedTemporary(const std::string& fileName)
{
    return isLeftover(fileName, "writing");
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string target = followLinks(path);
    std::string folder, name;
    splitAtLastSeparator(target, folder, name);
    const std::string temporary = (folder.empty() ? std::string() : folder + "/") + hiddenFileName(name, "writing");

    step();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat old;
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    step();
    bool written = writeAll(fd, bytes);
    step();
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    step();
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    flushFolder(folder);
    return true;
}

bool removeFile(const std::string& path)
{
    step();
    if (::unlink(path.c_str()) != 0)
        return false;
    flushFolder(folderOf(path));
    return true;
}

bool makeFolder(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode);
    step();
    if (::mkdir(path.c_str(), 0777) != 0)
        return false;
    flushFolder(folderOf(path));
    return true;
}

std::vector<std::string> filesWhere(const std::string& folder,
                                    const std::function<bool(const std::string& name)>& test)
{
    std::vector<std::string> paths;
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!listing)
        return paths;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && test(name))
            paths.push_back(folder + "/" + name);
    }
    ::closedir(listing);
    return paths;
}

void removeAbandonedTemporaries(const std::string& folder)
{
    for (const std::string& path : filesWhere(folder, isAbandonedTemporary))
        removeFile(path);
}

void setStepHook(void (*hook)())
{
    stepHook = hook;
}

}  // namespace durable
