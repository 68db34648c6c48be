#pragma once

// A child process on two pipes: its standard input and output belong to the parent, its
// standard error is shared. The child leads a process group of its own, so that whatever
// it starts (and that may inherit its pipes) is stopped with it.

#include <string>
#include <sys/types.h>
#include <vector>

namespace trx::tools {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // kills the child's group, closes the pipes
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` (a path) with `args` through posix_spawn. The environment is this
    // process's, plus `extraEnv` entries of the form NAME=value. With mergeError the
    // child's standard error goes into the output pipe too. Throws std::runtime_error with
    // the system's reason when the program cannot be started.
    void start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& extraEnv = {}, bool mergeError = false);

    int input() const { return m_in; }    // write end: the child's standard input
    int output() const { return m_out; }  // read end: the child's standard output
    void closeInput();
    pid_t pid() const { return m_pid; }

    // Waits at most timeoutMs (negative: forever) for the child to end; true once it has.
    bool wait(int timeoutMs);
    // SIGKILL to the child's whole group, and reap the child. The group is signalled even
    // when the child has ended: what it started may still run.
    void kill();
    // SIGTERM to the child's whole group: a request to end, for a child that cleans up.
    void terminate();
    // True when kill() or terminate() reached a running child.
    bool stoppedByUs() const { return m_stopped; }
    bool running() const { return m_pid > 0 && !m_ended; }
    // The raw wait status, valid once the child has ended.
    int status() const { return m_status; }
    // "exited with status 0", "killed by signal 11 (Segmentation fault)", "still running";
    // "stopped by this program" when it ended by the signal it was sent here.
    std::string describe() const;

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    bool m_ended = false;
    bool m_stopped = false;
    bool m_groupKilled = false;
    int m_status = 0;
};

// A finished run of a program whose standard input is empty: what it wrote (standard
// output and error together) and how it ended.
struct RunResult {
    std::string out;
    int status = 0;  // raw wait status
    bool timedOut = false;
    int exitCode() const;  // -1 unless it exited normally
};
// Runs a program to its end, killing it after timeoutMs.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& extraEnv, int timeoutMs);

// Routes SIGINT and SIGTERM to `handler`, each blocking both while it runs. No SA_RESTART:
// a blocking read or wait ends at once, so the caller sees its stop flag promptly.
void onStopSignals(void (*handler)(int));

}  // namespace trx::tools
