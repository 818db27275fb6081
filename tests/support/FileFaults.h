#pragma once
// File-system faults for tests, undone when they go out of scope.
// ReadOnlyFolder: a folder whose files can be read but nothing written; a
// read-only bind mount of the folder onto itself wherever the test may mount
// (as root, or in the user namespace of TestIsolation.cpp, where permissions
// do not stop the test either), otherwise the mode bits of everything in it.
// FullDisk: a folder on a file system with no space left; a small tmpfs
// filled to the last byte where the test may mount, otherwise a file-size
// limit (RLIMIT_FSIZE, SIGXFSZ ignored) so that any write past `limit` bytes
// fails. Active() is false where neither works.

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path) : path_(std::move(path))
    {
        mounted_ = mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) == 0;
        active_ = mounted_ ? mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0
                           : geteuid() != 0 && setModes(0444, 0555);
    }
    ~ReadOnlyFolder()
    {
        if (mounted_)
            umount2(path_.c_str(), MNT_DETACH);
        else if (active_)
            setModes(0644, 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Active() const { return active_; }

private:
    // A folder of mode 0555 can still be listed, so the order does not matter.
    bool setModes(mode_t fileMode, mode_t folderMode) const
    {
        std::error_code error;
        bool changed = chmod(path_.c_str(), folderMode) == 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error))
            changed = chmod(entry.path().c_str(), entry.is_directory() ? folderMode : fileMode) == 0 && changed;
        return changed && !error;
    }

    std::string path_;
    bool mounted_ = false, active_ = false;
};

class FullDisk {
public:
    // path: an empty folder; the test puts its files there while space is
    // left, then Fill() takes the rest.
    FullDisk(std::string path, long limit) : path_(std::move(path)), limit_(limit)
    {
        mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullDisk()
    {
        Lift();
        if (mounted_)
            umount2(path_.c_str(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Takes the space left: fills the tmpfs, or limits the size of files written.
    bool Fill()
    {
        if (mounted_) {
            // Ever smaller blocks, unbuffered, until not one byte more fits.
            const std::vector<char> block(4096, 'x');
            for (size_t size = block.size(); size > 0; size /= 2) {
                FILE* filler = std::fopen((path_ + "/.filler-" + std::to_string(size)).c_str(), "wb");
                if (!filler)
                    return size < block.size();
                std::setvbuf(filler, nullptr, _IONBF, 0);
                while (std::fwrite(block.data(), 1, size, filler) == size) {
                }
                std::fclose(filler);
            }
            return true;
        }
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit limited {static_cast<rlim_t>(limit_), saved_.rlim_max};
        return limited_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }

    // Lifts a file-size limit (the tmpfs stays, and stays full).
    void Lift()
    {
        if (limited_) {
            setrlimit(RLIMIT_FSIZE, &saved_);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        limited_ = false;
    }

private:
    std::string path_;
    long limit_;
    bool mounted_ = false, limited_ = false;
    rlimit saved_ {};
};

}  // namespace testsupport
