#include "standin/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::chrono::milliseconds kWaitStep{5};

int decoded_status(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return ChildProcess::kTimedOut;
}

// In the forked child: a clean signal state, the group, the directory and the
// output file, then the program. Only async-signal-safe calls are made here.
// On failure the errno goes down the pipe and the child ends.
[[noreturn]] void exec_child(const char *program, char *const argv[], const char *work_dir,
                             const char *output_file, const char *input_file, int error_pipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, &plain, nullptr);
    setpgid(0, 0);
    int out = -1;
    if (chdir(work_dir) == 0)
        out = open(output_file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open(input_file, O_RDONLY);
    if (out >= 0 && in >= 0 && dup2(in, 0) >= 0 && dup2(out, 1) >= 0 && dup2(out, 2) >= 0)
        execv(program, argv);
    const int error = errno;
    ssize_t ignored = write(error_pipe, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

// A path made independent of the current directory.
std::string absolute(const std::string &path) {
    if (path.empty() || path[0] == '/')
        return path;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

}  // namespace

std::string make_work_dir() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/standin-XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    if (!mkdtemp(path.data()))
        return std::string();
    return path.data();
}

// A program built with a sanitizer reports what it found on its standard error;
// any such report fails the test that ran it.
ChildProcess::~ChildProcess() {
    kill();
    if (output_file_.empty())
        return;
    const std::string text = output();
    for (const char *report : {"ThreadSanitizer:", "AddressSanitizer:", "LeakSanitizer:", "runtime error:"})
        if (text.find(report) != std::string::npos)
            ADD_FAILURE() << "a sanitizer report in the output of a program:\n" << text;
}

bool ChildProcess::start(const std::string &program, const std::vector<std::string> &args,
                         const std::string &work_dir, const std::string &output_file,
                         const std::string &input_file) {
    if (running())
        return false;
    output_file_ = output_file.empty() ? work_dir + "/output.txt" : absolute(output_file);
    const std::string path = absolute(program);      // the child changes directory first
    const std::string input = input_file.empty() ? "/dev/null" : absolute(input_file);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);

    int error_pipe[2] = {-1, -1};
    if (pipe2(error_pipe, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0)
        exec_child(path.c_str(), argv.data(), work_dir.c_str(), output_file_.c_str(), input.c_str(), error_pipe[1]);
    close(error_pipe[1]);
    if (pid < 0) {
        close(error_pipe[0]);
        return false;
    }
    setpgid(pid, pid);                     // also here, so that kill() finds the group at once
    int error = 0;
    ssize_t got = -1;
    do
        got = read(error_pipe[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    close(error_pipe[0]);
    pid_ = pid;
    status_ = kTimedOut;
    if (got == 0)                          // the pipe closed on exec: the program runs
        return true;
    wait_exit(std::chrono::milliseconds(60000));
    status_ = kNotStarted;
    return false;
}

int ChildProcess::wait_exit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR)) {
            status_ = done == pid_ ? decoded_status(status) : kNotStarted;
            pid_ = -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return kTimedOut;
        std::this_thread::sleep_for(kWaitStep);
    }
    return status_;
}

void ChildProcess::kill() {
    if (pid_ <= 0)
        return;
    killpg(pid_, SIGKILL);
    int status = 0;
    pid_t done = -1;
    do
        done = waitpid(pid_, &status, 0);
    while (done < 0 && errno == EINTR);
    status_ = done == pid_ ? decoded_status(status) : kNotStarted;
    pid_ = -1;
}

void ChildProcess::signal(int sig) {
    if (pid_ > 0)
        killpg(pid_, sig);
}

bool ChildProcess::running() {
    return wait_exit(std::chrono::milliseconds(0)) == kTimedOut;
}

pid_t ChildProcess::pid() const {
    return pid_;
}

std::string ChildProcess::output() const {
    std::ifstream in(output_file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
