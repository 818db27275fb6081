#include "support/Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace testsupport {

namespace {

void closeAll(std::initializer_list<int> fds)
{
    for (int fd : fds)
        if (fd >= 0)
            close(fd);
}

// NAME=value strings as execve takes them; the strings must outlive the result.
std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

// A restarted process is read anew: the lines of its earlier run are not its answers.
void LineCollector::Start(int fd)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
        closed_ = false;
    }
    thread_ = std::thread([this, fd] { Run(fd); });
}

void LineCollector::Run(int fd)
{
    std::string pending;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
        pending.append(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
        for (size_t newline; (newline = pending.find('\n')) != std::string::npos; pending.erase(0, newline + 1)) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(pending.substr(0, newline));
            changed_.notify_all();
        }
    }
    close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pending.empty())
        lines_.push_back(pending);
    closed_ = true;
    changed_.notify_all();
}

std::vector<std::string> LineCollector::Lines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool LineCollector::WaitForLines(const std::function<bool(const std::vector<std::string>&)>& done,
    std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(lines_) || closed_; }) && done(lines_);
}

bool Subprocess::Start(const Options& options, std::string* error)
{
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    if ((options.pipeStdin && pipe2(in, O_CLOEXEC) != 0) || (options.collectStdout && pipe2(out, O_CLOEXEC) != 0)
        || (options.collectStderr && pipe2(err, O_CLOEXEC) != 0)) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    // The extra variables replace the inherited ones of their names.
    std::vector<std::string> environment = options.extraEnvironment, args = options.argv;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(options.extraEnvironment.begin(), options.extraEnvironment.end(),
                [&](const std::string& extra) { return extra.compare(0, name.size(), name) == 0; }))
            environment.push_back(entry);
    }
    const std::vector<char*> envp = pointers(environment), argv = pointers(args);

    // Opened before forking: the child may only make system calls.
    const char* sink = options.outputFile.empty() ? "/dev/null" : options.outputFile.c_str();
    const int sinkFd = open(sink, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int nullFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // A test that dies (a sanitizer stop, a crash) takes its servers and
        // synths with it instead of leaving them running.
        prctl(PR_SET_PDEATHSIG, options.parentDeathSignal);
        if (getppid() != parent)
            _exit(127);
        dup2(options.pipeStdin ? in[0] : nullFd, 0);
        dup2(options.collectStdout ? out[1] : sinkFd, 1);
        dup2(options.collectStderr ? err[1] : sinkFd, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    const int forkError = errno;
    closeAll({in[0], out[1], err[1], sinkFd, nullFd});
    if (pid_ < 0 || access(argv[0], X_OK) != 0) {
        const int reason = pid_ < 0 ? forkError : errno;
        if (pid_ > 0)
            WaitExit(std::chrono::seconds(5), nullptr);
        pid_ = -1;
        *error = "cannot start " + options.argv[0] + ": " + std::strerror(reason);
        closeAll({in[1], out[0], err[0]});
        return false;
    }
    stdinFd_ = in[1];
    if (out[0] >= 0)
        stdout_.Start(out[0]);
    if (err[0] >= 0)
        stderr_.Start(err[0]);
    return true;
}

bool Subprocess::WriteLine(const std::string& line)
{
    const std::string text = line + "\n";
    size_t written = 0;
    while (stdinFd_ >= 0 && written < text.size()) {
        const ssize_t n = write(stdinFd_, text.data() + written, text.size() - written);
        if (n > 0)
            written += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            return false;
    }
    return written == text.size();
}

void Subprocess::CloseStdin()
{
    closeAll({stdinFd_});
    stdinFd_ = -1;
}

bool Subprocess::WaitExit(std::chrono::milliseconds timeout, int* status)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (int ignored = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        const pid_t done = waitpid(pid_, status ? status : &ignored, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

bool Subprocess::StillRunning()
{
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_)
        return pid_ > 0;
    pid_ = -1;
    CloseStdin();
    stdout_.Join();
    stderr_.Join();
    return false;
}

int Subprocess::Stop(int signal, std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return -1;
    CloseStdin();
    Signal(signal);
    return WaitForExit(timeout);
}

int Subprocess::WaitForExit(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return -1;
    int status = -1;
    if (!WaitExit(timeout, &status)) {
        kill(pid_, SIGKILL);
        WaitExit(std::chrono::seconds(5), &status);
        status = -1;
    }
    pid_ = -1;
    CloseStdin();
    stdout_.Join();
    stderr_.Join();
    return status;
}

}  // namespace testsupport
