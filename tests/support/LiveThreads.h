#pragma once
// The threads of this process that still run. A thread's join returns while
// the kernel is still taking the thread down, so /proc/self/task may list a
// joined thread for a moment after; such a thread is already marked as
// exiting (PF_EXITING in its stat flags, set before the join can return) and
// is left out, so a count taken right after a join is exact.

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace testsupport {

// (thread id, name) of every thread of this process that is not exiting.
inline std::set<std::pair<std::string, std::string>> LiveThreads()
{
    constexpr unsigned long kExiting = 0x4;  // PF_EXITING
    std::set<std::pair<std::string, std::string>> live;
    std::error_code gone;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", gone)) {
        std::string stat, name;
        std::getline(std::ifstream(task.path() / "stat"), stat);
        const size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos)
            continue;  // gone meanwhile
        // After the name: state, parent, group, session, terminal, terminal group, flags.
        std::istringstream fields(stat.substr(nameEnd + 1));
        std::string field;
        unsigned long flags = 0;
        for (int i = 0; i < 7 && fields >> field; ++i)
            flags = i == 6 ? std::stoul(field) : flags;
        if (flags & kExiting)
            continue;
        std::getline(std::ifstream(task.path() / "comm"), name);
        live.emplace(task.path().filename().string(), name);
    }
    return live;
}

inline int LiveThreadCount()
{
    return static_cast<int>(LiveThreads().size());
}

}  // namespace testsupport
