#include "player/runtime/client.h"

#include <atomic>
#include <cstring>
#include <pthread.h>
#include <sys/time.h>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/clang/clangutils.h"
#include "player/runtime/parser.h"
#include "player/runtime/thr_utils.h"
#include "player/skills/evaluator.h"

TTransfer *net = nullptr;
TParser *parser = nullptr;
TCore *core = nullptr;
TCoach_Parser *c_parser = nullptr;
Cycle_Timing timing;

void Cycle_Timing::on_sense_body(int msec) {
    sum_senses += msec - last_sense_msec;
    last_sense_msec = msec;
    if (num_senses > 0)
        send_time = msec + static_cast<int>(sum_senses / (1.8 * num_senses));
    ++num_senses;
}

bool Cycle_Timing::act_now(int msec) {
    if (num_senses <= 2 || send_time == 0 || msec < send_time)
        return false;
    send_time = 0;
    return true;
}

namespace {

std::atomic<bool> io_due{false};
std::atomic<bool> tick_due{false};

// Datagrams received in one go before they are parsed, each with its arrival time.
const int kInboxSize = 8;
struct Received {
    char text[kMessageSize + 1];
    int msec;
};
Received inbox[kInboxSize];

bool is_sense_body(const char *text) { return strncmp(text, "(sense_body", 11) == 0; }

// Takes up to kInboxSize waiting datagrams from the socket. A sense_body means
// that the server's next cycle has begun: the round in progress is over.
int receive_messages() {
    int n = 0;
    while (n < kInboxSize && net->receive_message(inbox[n].text, kMessageSize) == 1) {
        core->silent_ticks = 0;
        inbox[n].msec = core->msec;
        if (is_sense_body(inbox[n].text))
            core->close_round();
        ++n;
    }
    return n;
}

// Parses one message; a sense_body moves the prediction and the cycle counters.
void take_message(char *text, int arrival_msec) {
    parser->parse_message(text);
    if (core->info.message_kind != MK_SENSE)
        return;
    core->rlog(45, "a sense_body received!");
    timing.on_sense_body(arrival_msec);
    if (core->info_snapshot.sense.time == 1)
        core->game_stopped = false;
    core->update();
    core->cycle = core->info.sense.time;
}

}  // namespace

void sigio_handler(int) { io_due = true; }

void sigalrm_handler(int) {
    core->msec += core->interval;
    if (++core->silent_ticks > kMaxSilentTicks)
        core->alive = false;
    tick_due = true;
}

void read_messages() {
    for (;;) {
        const int n = receive_messages();
        if (n > 0) {
            World_Write_Lock world;
            for (int i = 0; i < n; ++i)
                take_message(inbox[i].text, inbox[i].msec);
        }
        if (n < kInboxSize)
            return;
    }
}

void timer_step() {
    if (!timing.act_now(core->msec))
        return;
    core->close_round();
    World_Write_Lock world;
    if (core->world) {
        core->world->update();
        core->world->send_to_monitor();
    }
    core->rlog(20, "Updating evaluator information...");
    if (core->evaluator)
        core->evaluator->update();
    decrease_coach_message_TTLs();
    core->reset_objects();
}

void serve(const sigset_t &mask) {
    sigset_t both;
    sigemptyset(&both);
    sigaddset(&both, SIGIO);
    sigaddset(&both, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &both, nullptr);
    while (core->alive) {
        // Blocked while checking, so that no signal slips in before the wait.
        while (core->alive && !io_due && !tick_due)
            sigsuspend(&mask);
        // The handlers touch only atomics: they may run during the work, so
        // that the clock keeps its ticks while the work waits for the world lock.
        pthread_sigmask(SIG_UNBLOCK, &both, nullptr);
        if (io_due.exchange(false))
            read_messages();
        if (tick_due.exchange(false))
            timer_step();
        pthread_sigmask(SIG_BLOCK, &both, nullptr);
    }
    pthread_sigmask(SIG_UNBLOCK, &both, nullptr);
}

void set_timer() {
    itimerval t{};
    t.it_interval.tv_sec = core->interval / 1000;
    t.it_interval.tv_usec = (core->interval % 1000) * 1000;
    t.it_value = t.it_interval;
    setitimer(ITIMER_REAL, &t, nullptr);
}

static void install(int sig, void (*handler)(int), int blocked) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, blocked);
    action.sa_flags = 0;
    sigaction(sig, &action, nullptr);
}

sigset_t init_handler() {
    install(SIGIO, sigio_handler, SIGALRM);
    install(SIGALRM, sigalrm_handler, SIGIO);
    set_timer();
    sigset_t both;
    sigemptyset(&both);
    sigaddset(&both, SIGIO);
    sigaddset(&both, SIGALRM);
    sigset_t mask;
    pthread_sigmask(SIG_UNBLOCK, &both, &mask);
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    return mask;
}
