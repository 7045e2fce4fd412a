#include "player/agent/core.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "common/transfer.h"
#include "common/utils.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/runtime/thread.h"

namespace {

// How long init() waits for the server's reply to the init message.
const int kInitReplyWaitMsec = 5000;
const int kInitPollMsec = 10;
// The coach-language versions we read; the server answers "(ok clang (ver 7 7))".
const char *const kClangRequest = "(clang (ver 7 7))";

void sleep_msec(int ms) {
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

// The streams get their buffers up front, so that writing to them allocates nothing.
FILE *open_log(const char *name, const char *mode, char *buffer, size_t size) {
    FILE *f = fopen(name, mode);
    if (f)
        setvbuf(f, buffer, _IOFBF, size);
    return f;
}

void close_log(FILE *&f) {
    if (f)
        fclose(f);
    f = nullptr;
}

}  // namespace

TCore::TCore() {
    err_stream = open_log("default.err", "a", err_buffer, sizeof err_buffer);
    log_stream = open_log("default.log", "a", log_buffer, sizeof log_buffer);
    init_config();
    derive_members();
    load_formations();
}

TCore::~TCore() {
    close_log(err_stream);
    close_log(log_stream);
}

void TCore::derive_members() {
    interval = simulator_step / 5;
    if (interval < 1)
        interval = 1;   // a zero step would disarm the timer
    effort_dec_stamina = stamina_max * effort_dec_thr;
    effort_inc_stamina = stamina_max * effort_inc_thr;
    recover_dec_stamina = stamina_max * recover_dec_thr;
    quantize_spread = std::exp(quantize_step / 2) - std::exp(-quantize_step / 2);
    tan_half_degree = std::tan(0.5 * M_PI / 180.0);
}

void TCore::get_config(int argc, char **argv) {
    TConfig::get_config(argc, argv);
    derive_members();
}

// An init reply with a uniform number we can use: "(init l 7 before_kick_off)".
static bool is_init_reply(const Info &info) {
    return info.message_kind == MK_INIT && info.unum >= 1 && info.unum <= 11;
}

int TCore::init() {
    char text[kMessageSize];
    snprintf(text, sizeof text, "(init %s (version 7.10))", team_name);
    return connect_and_announce(text);
}

int TCore::connect_and_announce(const char *init_text) {
    net->init_connection();
    if (net->sock.socketfd < 0) {
        fprintf(stderr, "cannot open a connection to the server %s:%d\n", net->server, net->port);
        return -1;
    }
    net->send_message(init_text);

    char reply[kMessageSize + 1];
    for (int waited = 0; !is_init_reply(info); waited += kInitPollMsec) {
        if (waited >= kInitReplyWaitMsec) {
            fprintf(stderr, "no reply to the init message from %s:%d\n", net->server, net->port);
            return -1;
        }
        int got = net->receive_message(reply, kMessageSize);
        if (got < 0)
            break;
        if (got == 0) {
            sleep_msec(kInitPollMsec);
            continue;
        }
        if (strncmp(reply, "(error", 6) == 0) {
            fprintf(stderr, "the server refused the init message: %s\n", reply);
            return -1;
        }
        parser->parse_message(reply);
    }
    if (!is_init_reply(info)) {
        fprintf(stderr, "cannot read from the server %s:%d\n", net->server, net->port);
        return -1;
    }
    info_snapshot = info;
    side = info_snapshot.side == 'l' ? 1 : -1;
    if (world)
        world->me = &world->teammates[info_snapshot.unum];
    set_log_files();
    move_to_home();
    net->send_message(kClangRequest);
    clang_state = CLANG_ASKED;
    return 0;
}

int TCore::move(float x, float y) {
    char text[64];
    snprintf(text, sizeof text, "(move %.2f %.2f)", x, y);
    return net->send_message(text);
}

int TCore::reconnect(int number) {
    char text[96];
    snprintf(text, sizeof text, "(reconnect %s %d)", team_name, number);
    return net->send_message(text);
}

// The main thread says "(bye)", ends the workers and closes the link. Another
// thread (the kill handler) only asks for it: the main thread's loop then ends
// and its shut-down does the rest, so no other thread touches the link meanwhile.
void TCore::bye() {
    if (!pthread_equal(pthread_self(), main_thread)) {
        alive = false;
        return;
    }
    net->send_message("(bye)");
    stop_threads();
    net->close_connection();
}

void TCore::set_log_files() {
    close_log(err_stream);
    close_log(log_stream);
    char name[64];
    snprintf(name, sizeof name, "%s%d", rlog_file, info_snapshot.unum);
    log_stream = open_log(name, "w", log_buffer, sizeof log_buffer);
    snprintf(name, sizeof name, "%s%d", rerr_file, info_snapshot.unum);
    err_stream = open_log(name, "w", err_buffer, sizeof err_buffer);
}

void TCore::move_to_home() {
    TPoint home(-45, 0);
    if (is_goalie != 1) {
        home = positioning.get_current_base(info_snapshot.unum);
        home.X = std::min(home.X, -1.0);
    }
    TPoint here = world && world->me ? world->me->pos : TPoint(0, 0);
    if (here.dist(home) > 2.0 || cycle == 0)
        move(static_cast<float>(home.X), static_cast<float>(home.Y));
}

void TCore::load_formations() { formation_table.load("formation.rf"); }

void TCore::update() {
    ++real_cycle;
    if (!game_stopped) {
        if (log_stream)
            fputc('\n', log_stream);
        ++cycle;
    }
}

int TCore::see_interval() const {
    double step = send_step;
    if (my_view_width() == VW_NARROW)
        step /= 2;
    else if (my_view_width() == VW_WIDE)
        step *= 2;
    if (my_view_quality() == VQ_LOW)
        step /= 2;
    return static_cast<int>(std::floor((step + 0.5) / 10 + 0.5)) * 10;
}

bool TCore::ball_is_kickable() const {
    if (!world || !world->me || !world->ball.know_pos())
        return false;
    return world->ball.pos.dist(world->me->pos) < kickable_area && ball_holder == info_snapshot.unum;
}

TPoint TCore::last_kick_effect() const {
    const Kick_Save_Info &newest = kick_history[3];
    return newest.cycle < 0 ? TPoint(0, 0) : newest.acceleration;
}

void TCore::run_objects() {
    for (int i = 0; i < kWithBallObjects; ++i) {
        snprintf(thread_names[i], sizeof thread_names[i], "b %d", i);
        thread_started[i] = start_thread(&with_ball_threads[i], thread_names[i]);
    }
    for (int i = 0; i < kWithoutBallObjects; ++i) {
        int slot = kWithBallObjects + i;
        snprintf(thread_names[slot], sizeof thread_names[slot], "n %d", i);
        thread_started[slot] = start_thread(&without_ball_threads[i], thread_names[slot]);
    }
}

bool TCore::start_thread(pthread_t *id, char *name) {
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGIO);
    sigaddset(&blocked, SIGALRM);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    bool started = pthread_create(id, nullptr, thread, name) == 0;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return started;
}

void TCore::wake_thread(int slot) {
    pthread_t id = slot < kWithBallObjects ? with_ball_threads[slot]
                                           : without_ball_threads[slot - kWithBallObjects];
    if (thread_started[slot])
        pthread_kill(id, SIGUSR1);
}

void TCore::stop_threads() {
    alive = false;
    const int threads = kWithBallObjects + kWithoutBallObjects;
    for (int slot = 0; slot < threads; ++slot)
        wake_thread(slot);
    for (int slot = 0; slot < threads; ++slot) {
        if (!thread_started[slot])
            continue;
        pthread_join(slot < kWithBallObjects ? with_ball_threads[slot]
                                             : without_ball_threads[slot - kWithBallObjects],
                     nullptr);
        thread_started[slot] = false;
    }
}
