#include "coach/core.h"

#include "coach/parser.h"
#include "coach/sbe.h"
#include "common/transfer.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <sys/time.h>

TTransfer *net = nullptr;
TCore *core = nullptr;
TInfo *inf = nullptr;
sigset_t sigiomask;
sigset_t sigalrmask;


TCore::TCore(TTransfer *server_link) : link(server_link) {
    err_fd = fopen("/errors/default.err", "a");
    log_fd = fopen("/logs/default.log", "a");
    init_config(server_link);
}

TCore::~TCore() {
    for (FILE *file : {err_fd, log_fd, sbe_fd})
        if (file)
            fclose(file);
}

static bool has_argument(int argc, char **argv, const char *word) {
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], word) == 0)
            return true;
    return false;
}

// The timer period is a tenth of the simulator step, at least a millisecond:
// a period of 0 would disarm the timer, and the silence watch with it.
void TCore::get_config(int argc, char **argv) {
    TConfig::get_config(argc, argv);
    offline = has_argument(argc, argv, "-offline");
    interval = SP_simulator_step / 10;
    if (interval < 1)
        interval = 1;
}

void TCore::replace_file(FILE **file, const char *name, const char *mode) {
    if (*file)
        fclose(*file);
    *file = fopen(name, mode);
}

void TCore::set_log_files() {
    char name[kTextSize + 16];
    snprintf(name, sizeof name, "%s%d", log_file, 1);
    replace_file(&log_fd, name, "w");
    snprintf(name, sizeof name, "%s%d", err_file, 1);
    replace_file(&err_fd, name, "w");
    rlog("Corvane team - an coach log file\n");
    rlog("configuration :");
    rlog(" server name : ", server_host());
    rlog(" port : ", server_port());
    rlog(" team name : ", team_name);
    rlog("init info : ");
}

void TCore::init() {
    if (link)
        link->init_connection();
    if (offline)
        send_formatted("(init (version 7.10))");
    else
        send_formatted("(init %s (version 7.10))", team_name);
    rlog("Corvane standard coach already initialized with version 7.10\n", true);
}

static void set_blocked(int signal_number, int how) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal_number);
    sigprocmask(how, &set, nullptr);
}

static void install(int signal_number, void (*handler)(int), const sigset_t &handler_mask) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = handler_mask;
    action.sa_flags = 0;
    sigaction(signal_number, &action, nullptr);
}

sigset_t init_handler() {
    sigemptyset(&sigalrmask);
    sigaddset(&sigalrmask, SIGALRM);
    sigemptyset(&sigiomask);
    sigaddset(&sigiomask, SIGIO);
    install(SIGIO, sigio_handler, sigiomask);
    install(SIGALRM, sigalrm_handler, sigalrmask);
    set_timer();
    set_blocked(SIGIO, SIG_UNBLOCK);
    set_blocked(SIGALRM, SIG_UNBLOCK);
    sigset_t current;
    sigprocmask(SIG_BLOCK, nullptr, &current);
    return current;
}

// Periods of a second or more are split, as the microsecond field stays below a million.
void set_timer() {
    core->rlog("interval : ", core->interval);
    itimerval timer{};
    timer.it_interval.tv_sec = core->interval / 1000;
    timer.it_interval.tv_usec = (core->interval % 1000) * 1000;
    timer.it_value = timer.it_interval;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

void stop_handlers() {
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigset_t both;
    sigemptyset(&both);
    sigaddset(&both, SIGIO);
    sigaddset(&both, SIGALRM);
    sigprocmask(SIG_BLOCK, &both, nullptr);
}

// Reads and parses waiting datagrams until one leaves a decision due: a
// see_global message, a look reply, or a reply that follows them before the
// next hear. The behaviour model takes in that message's state at once; the
// rest waits in the socket until the decision is made, so that each decision
// sees the state of its own message. True when a decision is due.
static bool read_until_decision() {
    static char message[kCoachTextSize + 1];   // the link writes a terminator after the text
    while (net->receive_message(message, kCoachTextSize) >= 1) {
        core->cycles_after_last_input = 0;
        parser->parse_message(message);
        if (inf->last_message == MT_SEE) {
            if (core->SBE)
                core->SBE->update_behavior_model();
            return true;
        }
    }
    return false;
}

// Reads while no decision is owed; one that is owed is made by the main loop,
// outside the handler, which then reads on.
void sigio_handler(int) {
    const int saved_errno = errno;
    set_blocked(SIGALRM, SIG_BLOCK);
    if (!core->decision_due)
        core->decision_due = read_until_decision();
    set_blocked(SIGALRM, SIG_UNBLOCK);
    errno = saved_errno;
}

void make_due_decisions() {
    set_blocked(SIGIO, SIG_BLOCK);
    set_blocked(SIGALRM, SIG_BLOCK);
    while (core->decision_due) {
        core->dec.decision();
        core->decision_due = read_until_decision();
    }
    set_blocked(SIGALRM, SIG_UNBLOCK);
    set_blocked(SIGIO, SIG_UNBLOCK);
}

// Counts a tick without input; too many in a row mean the server has gone.
void sigalrm_handler(int) {
    const int saved_errno = errno;
    set_blocked(SIGIO, SIG_BLOCK);
    core->cycles_after_last_input = core->cycles_after_last_input + 1;
    if (core->cycles_after_last_input > TCore::kSilentTicksMax)
        core->server_alive = false;
    core->real_time += core->interval;
    set_blocked(SIGIO, SIG_UNBLOCK);
    errno = saved_errno;
}
