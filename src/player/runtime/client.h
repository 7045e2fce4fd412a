#pragma once
// The player's process-wide singletons and its signal-driven cycle: the SIGIO
// handler parses every datagram, the SIGALRM handler keeps the clock, watches
// for a silent server and starts the cycle's work at the predicted moment.

#include <csignal>

class TTransfer;
class TParser;
class TCore;
class TCoach_Parser;

extern TTransfer *net;
extern TParser *parser;
extern TCore *core;
extern TCoach_Parser *c_parser;

// Predicts, from the spacing of sense_body messages, the moment in each cycle
// at which the agent acts: the mean interval divided by 1.8 after the message.
struct Cycle_Timing {
    int num_senses = 0;
    int sum_senses = 0;
    int last_sense_msec = 0;
    int send_time = 0;            // 0: no moment pending

    void on_sense_body(int msec);
    // True once, at the first tick at or after a pending moment (from the third message on).
    bool act_now(int msec);
};

extern Cycle_Timing timing;

// Ticks without any datagram after which the server counts as dead.
const int kMaxSilentTicks = 50;

void sigio_handler(int);
void sigalrm_handler(int);
void set_timer();
// Installs both handlers, starts the timer, unblocks SIGIO and SIGALRM and
// returns the resulting signal mask (the one to pass to sigsuspend).
sigset_t init_handler();
