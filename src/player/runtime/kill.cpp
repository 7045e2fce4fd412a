#include "player/runtime/kill.h"

#include <csignal>
#include <pthread.h>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

// SIGKILL cannot be waited for, and a fault's SIGSEGV goes to the thread that
// faulted, so neither is in the set; SIGTERM is what start.sh stops its group with.
const int kKillSignals[] = {SIGINT, SIGTSTP, SIGQUIT, SIGABRT, SIGTERM};

sigset_t kill_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kKillSignals)
        sigaddset(&set, sig);
    return set;
}

void log_lines(const char *const *lines, int count) {
    for (int i = 0; i < count; ++i)
        core->rlog(1, lines[i]);
}

void log_signal(int sig) {
    static const char *const ctrl_z[] = {"*********Corvane Kill Handler*********", " Ctrl-Z pushed ! ",
                                         " killing all existing processes . . .",
                                         "**************************************"};
    static const char *const ctrl_c[] = {"********Corvane Kill Handler**********", " Ctrl-C pushed ! ",
                                         " killing all existing processes . . .",
                                         "**************************************"};
    static const char *const other[] = {"********Corvane Kill Handler**********", " Termination signal received ! ",
                                        " killing all existing processes . . .",
                                        "************************************"};
    if (sig == SIGTSTP)
        log_lines(ctrl_z, 4);
    else if (sig == SIGINT)
        log_lines(ctrl_c, 4);
    else
        log_lines(other, 4);
}

}  // namespace

void *kill_handler(void *) {
    const sigset_t set = kill_signals();
    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0)
            continue;
        log_signal(sig);
        core->bye();
    }
    return nullptr;
}

void handle_kill_signal() {
    const sigset_t set = kill_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A program started in the background by a script inherits SIGINT and
    // SIGQUIT ignored, and an ignored signal never waits for sigwait.
    for (int sig : kKillSignals)
        signal(sig, SIG_DFL);
    // The handler's thread starts with every signal blocked: it takes its own
    // by sigwait and never the main thread's SIGIO or SIGALRM.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    pthread_t id;
    if (pthread_create(&id, nullptr, kill_handler, nullptr) == 0)
        pthread_detach(id);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
