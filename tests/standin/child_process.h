#pragma once
// Runs a program as a child process for tests: in its own process group and
// working directory, with its standard output and error captured in a file.
// A child still running when the object goes is killed with its whole group.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A new, empty directory under the temporary directory; empty text on failure.
std::string make_work_dir();

class ChildProcess {
public:
    static constexpr int kTimedOut = -1;      // wait_exit: still running
    static constexpr int kNotStarted = -2;    // wait_exit: nothing to wait for

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts program (a path; a relative one counts from the current directory)
    // with args in work_dir; output goes to output_file, or to "output.txt" in
    // work_dir when that is empty; standard input comes from input_file, or
    // from /dev/null when that is empty. False when it cannot run.
    bool start(const std::string &program, const std::vector<std::string> &args,
               const std::string &work_dir, const std::string &output_file = std::string(),
               const std::string &input_file = std::string());

    // The exit code, 128 + the signal number when a signal ended it, or kTimedOut.
    int wait_exit(std::chrono::milliseconds timeout);
    void kill();                          // SIGKILL to the group, then reaps the child
    void signal(int sig);                 // sig to the group, as a terminal's Ctrl-C does
    bool running();                       // reaps the child when it has ended
    pid_t pid() const;
    std::string output() const;           // what the child has written so far

private:
    pid_t pid_ = -1;                      // -1 when no child is running
    int status_ = kNotStarted;
    std::string output_file_;
};
