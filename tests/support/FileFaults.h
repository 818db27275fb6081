#pragma once
// File-system faults for tests, undone when they go out of scope.
// ReadOnlyFolder: a folder whose files can be read but nothing written; as
// root (whom permissions do not stop) a read-only bind mount of the folder
// onto itself, otherwise the mode bits of everything in it. FullDisk: a folder on a file system
// with no space left; as root a small tmpfs filled to the last byte,
// otherwise a file-size limit (RLIMIT_FSIZE, SIGXFSZ ignored) so that any
// write past `limit` bytes fails. Active() is false where neither works.

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
        if (geteuid() != 0) {
            active_ = setModes(0444, 0555);
            return;
        }
        mounted_ = mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) == 0;
        active_ = mounted_ &&
            mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
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
    // Folders last on the way down, first on the way back, so each stays listable.
    bool setModes(mode_t fileMode, mode_t folderMode) const
    {
        std::error_code error;
        std::vector<std::filesystem::path> folders {path_};
        if (folderMode & S_IWUSR)
            chmod(path_.c_str(), folderMode);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
            if (entry.is_directory()) {
                if (folderMode & S_IWUSR)
                    chmod(entry.path().c_str(), folderMode);
                folders.push_back(entry.path());
            } else {
                chmod(entry.path().c_str(), fileMode);
            }
        }
        bool changed = !error;
        if (!(folderMode & S_IWUSR))
            for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
                changed = chmod(folder->c_str(), folderMode) == 0 && changed;
        return changed;
    }

    std::string path_;
    bool mounted_ = false;
    bool active_ = false;
};

class FullDisk {
public:
    // path: an empty folder; the test puts its files there while space is
    // left, then Fill() takes the rest.
    FullDisk(std::string path, long limit) : path_(std::move(path)), limit_(limit)
    {
        if (geteuid() == 0)
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
            FILE* filler = std::fopen((path_ + "/.filler").c_str(), "wb");
            if (!filler)
                return false;
            std::vector<char> block(4096, 'x');
            while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
            }
            // What the buffer could not flush is lost: the disk is full.
            std::fclose(filler);
            for (size_t size = 512; size > 0; size /= 2) {
                FILE* rest = std::fopen((path_ + "/.filler-" + std::to_string(size)).c_str(), "wb");
                if (!rest)
                    break;
                std::setvbuf(rest, nullptr, _IONBF, 0);
                while (std::fwrite(block.data(), 1, size, rest) == size) {
                }
                std::fclose(rest);
            }
            return true;
        }
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = static_cast<rlim_t>(limit_);
        limited_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
        return limited_;
    }

    // Lifts a file-size limit (the tmpfs stays, and stays full).
    void Lift()
    {
        if (!limited_)
            return;
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_DFL);
        limited_ = false;
    }

private:
    std::string path_;
    long limit_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit saved_ {};
};

}  // namespace testsupport
