#pragma once
// The player's process-wide singletons and its signal-driven cycle. The signal
// handlers only note what is due: SIGIO that datagrams wait, SIGALRM a tick of
// the millisecond clock (and a silent server). The main thread does the work
// between signals, holding the world lock for writing: it parses every
// datagram, and at the predicted moment updates the world and starts the
// round of assessments that the worker threads then run.

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

// Main thread: does the due work as the handlers note it, until the agent
// shuts down; mask is the one init_handler returned.
void serve(const sigset_t &mask);
// Its steps. Receives and parses every waiting datagram; a sense_body starts a
// cycle and ends the round of the last one.
void read_messages();
// At the predicted moment: the world update, the evaluator's update, the coach
// messages' ageing, and the new round with its group woken.
void timer_step();
