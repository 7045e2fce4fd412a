#pragma once
// The coach core: the configuration, the run's counters and clock, the log
// files and the server commands of the online coach, together with the two
// signal handlers that do all of the coach's work.

#include "coach/config.h"
#include "coach/decision.h"
#include "coach/stdtypes.h"
#include "coach/types.h"
#include "common/geometry.h"

#include <csignal>
#include <cstdio>

class TTransfer;
class TCoach_Parser;
class TSBE;

// One heterogeneous player type as the server announces it.
struct Player_Type {
    int id = 0;
    float player_speed_max = 0;
    float stamina_inc_max = 0;
    float player_decay = 0;
    float inertia_moment = 0;
    float dash_power_rate = 0;
    float player_size = 0;
    float kickable_margin = 0;
    float kick_rand = 0;
    float extra_stamina = 0;
    float effort_max = 0;
    float effort_min = 0;
};

const int kPlayerTypeCount = 7;

class TCore : public TConfig {
public:
    static const int kSilentTicksMax = 100;   // more silent timer ticks end the run

    explicit TCore(TTransfer *link);
    ~TCore();
    TCore(const TCore &) = delete;
    TCore &operator=(const TCore &) = delete;

    // Reads the configuration and "-offline"; the timer period follows the
    // simulator step.
    void get_config(int argc, char **argv);
    void set_log_files();
    void init();

    // Server commands; each returns what the link's send returned (0 when
    // sent), -1 when the command could not be formed.
    int switch_eye(Eye_Status status);
    int say(const char *message);
    int check_ball();
    int look();
    int change_player_type(int unum, int type);
    int move_ball(float x, float y);
    int move_ball(float x, float y, float dir);
    int move_ball(float x, float y, float dir, float vx, float vy);
    int move_player(Team_Value team, int unum, float x, float y);
    int move_player(Team_Value team, int unum, float x, float y, float dir);
    int move_player(Team_Value team, int unum, float x, float y, float dir, float vx, float vy);
    int change_mode(Play_Mode mode);

    // Diagnostics: the final writing step is empty, so nothing is formatted.
    template <class... Value>
    void rlog(const char *, const Value &...) const {}
    template <class... Value>
    void rerror(const char *, const Value &...) const {}

    TDecision dec;                     // what to say after each look; constructed first
    volatile sig_atomic_t server_alive = true;
    bool game_stopped = true;          // set from referee messages; nothing decides on it
    bool offline = false;              // "-offline": the init names no team
    int cycle = 0;                     // of the last see_global or look reply
    int real_cycle = 0;                // not maintained
    volatile sig_atomic_t cycles_after_last_input = 0;
    long time = 0;                     // not used
    long real_time = 0;                // milliseconds counted by the timer
    long last_action_time = -1;        // not used
    int interval = 10;                 // timer period, milliseconds
    float action_thread_chance = 0;    // not used
    float effort_dec_threshold = 0;
    float effort_inc_threshold = 0;
    float recovery_dec_threshold = 0;
    FILE *err_fd = nullptr;
    FILE *log_fd = nullptr;
    FILE *sbe_fd = nullptr;            // not used
    TSBE *SBE = nullptr;               // the behaviour model, created by main
    // A decision is owed for the last message read; the main loop makes it
    // outside the handler, as building advice allocates, and reads on.
    volatile sig_atomic_t decision_due = 0;
    sigset_t *mask = nullptr;          // the mask main passes to sigsuspend
    Player_Type player_types[kPlayerTypeCount];
    int ball_clearing_said = 0;        // ball-clearing advices said so far

private:
    int send_formatted(const char *format, ...) __attribute__((format(printf, 2, 3)));
    int send_command(const char *command);
    void replace_file(FILE **file, const char *name, const char *mode);
    const char *team_of(Team_Value team) const;

    TTransfer *link = nullptr;
};

// Process globals, each set once by the main routine.
extern TTransfer *net;
extern TCoach_Parser *parser;
extern TCore *core;
extern sigset_t sigiomask;
extern sigset_t sigalrmask;

// Installs both handlers and starts the timer; the mask in force afterwards.
sigset_t init_handler();
void set_timer();
// Stops the timer and blocks both signals, so that no handler runs while the
// objects it uses are taken down.
void stop_handlers();
void sigio_handler(int);
// Makes the decision the handler has left and every one that the messages
// still waiting make due, each before the next message is read, with the
// handlers' signals blocked; called by the main loop after each signal.
void make_due_decisions();
void sigalrm_handler(int);

