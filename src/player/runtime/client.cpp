#include "player/runtime/client.h"

#include <cerrno>
#include <pthread.h>
#include <sys/time.h>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/clang/clangutils.h"
#include "player/runtime/parser.h"
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

// Drains the socket: every datagram is parsed; a sense_body message starts a cycle.
void sigio_handler(int) {
    const int saved_errno = errno;
    static char buffer[kMessageSize + 1];
    while (net->receive_message(buffer, kMessageSize) == 1) {
        core->silent_ticks = 0;
        parser->parse_message(buffer);
        if (core->info.message_kind != MK_SENSE)
            continue;
        core->rlog(45, "a sense_body received!");
        timing.on_sense_body(core->msec);
        if (core->info_snapshot.sense.time == 1)
            core->game_stopped = false;
        core->update();
        core->cycle = core->info.sense.time;
    }
    errno = saved_errno;
}

// Keeps the clock, watches for a silent server and starts the cycle's work.
void sigalrm_handler(int) {
    const int saved_errno = errno;
    core->msec += core->interval;
    if (++core->silent_ticks > kMaxSilentTicks)
        core->alive = false;
    if (timing.act_now(core->msec)) {
        if (core->world)
            core->world->update();
        core->rlog(20, "Updating evaluator information...");
        if (core->evaluator)
            core->evaluator->update();
        decrease_coach_message_TTLs();
        core->reset_objects();
    }
    errno = saved_errno;
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
