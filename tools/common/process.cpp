#include "process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace trx::tools {
namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Both ends close on exec, so a child never inherits the other pipes of its parent.
void makePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
}

}  // namespace

ChildProcess::~ChildProcess() {
    kill();
    closeFd(m_in);
    closeFd(m_out);
}

void ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnv, bool mergeError) {
    int toChild[2];
    int fromChild[2];
    makePipe(toChild);
    try {
        makePipe(fromChild);
    } catch (...) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        throw;
    }

    std::vector<std::string> envStrings;
    for (char** e = environ; e && *e; ++e) envStrings.emplace_back(*e);
    for (const auto& e : extraEnv) envStrings.push_back(e);
    std::vector<char*> env;
    for (auto& e : envStrings) env.push_back(e.data());
    env.push_back(nullptr);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    // dup2 onto 0 and 1 clears close-on-exec for those two only.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    if (mergeError) posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDERR_FILENO);
    // The child starts with default signal dispositions, whatever this process ignores.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    // A group of its own: a grandchild holding our pipe dies with the child. (Ctrl-C at a
    // terminal then reaches only this process, which passes it on.)
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (rc != 0) {
        ::close(toChild[1]);
        ::close(fromChild[0]);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
    m_pid = pid;
    m_in = toChild[1];
    m_out = fromChild[0];
    m_ended = false;
    m_stopped = false;
    m_groupKilled = false;
    m_status = 0;
}

void ChildProcess::closeInput() { closeFd(m_in); }

bool ChildProcess::wait(int timeoutMs) {
    if (m_pid <= 0 || m_ended) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (r == m_pid) {
            m_ended = true;
            m_status = status;
            return true;
        }
        if (r < 0 && errno != EINTR) {  // not our child any more: nothing left to wait for
            m_ended = true;
            return true;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
        if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::kill() {
    if (m_pid <= 0) return;
    // Once per child: after that the group id may, in principle, be someone else's.
    if (!m_groupKilled) {
        wait(0);  // one that died on its own is not said to be stopped by us
        if (running()) m_stopped = true;
        ::kill(-m_pid, SIGKILL);
        m_groupKilled = true;
    }
    wait(-1);
}

void ChildProcess::terminate() {
    if (wait(0)) return;
    m_stopped = true;
    ::kill(-m_pid, SIGTERM);
}

std::string ChildProcess::describe() const {
    if (running()) return "still running";
    if (WIFEXITED(m_status)) return "exited with status " + std::to_string(WEXITSTATUS(m_status));
    if (WIFSIGNALED(m_status)) {
        const int sig = WTERMSIG(m_status);
        if (m_stopped && (sig == SIGKILL || sig == SIGTERM)) return "stopped by this program";
        return "killed by signal " + std::to_string(sig) + " (" + strsignal(sig) + ")";
    }
    return "ended with wait status " + std::to_string(m_status);
}

int RunResult::exitCode() const { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& extraEnv, int timeoutMs) {
    ChildProcess child;
    child.start(program, args, extraEnv, true);
    child.closeInput();
    RunResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            result.timedOut = true;
            break;
        }
        pollfd p{child.output(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::read(child.output(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.out.append(buf, static_cast<std::size_t>(n));
    }
    if (result.timedOut || !child.wait(timeoutMs)) {
        result.timedOut = true;
        child.kill();
    }
    result.status = child.status();
    return result;
}

void onStopSignals(void (*handler)(int)) {
    struct sigaction stop {};
    stop.sa_handler = handler;
    sigemptyset(&stop.sa_mask);
    sigaddset(&stop.sa_mask, SIGINT);
    sigaddset(&stop.sa_mask, SIGTERM);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
}

}  // namespace trx::tools
