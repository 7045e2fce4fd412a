#pragma once
// The kill handler: a thread that waits for the signals that ask a player to
// end (Ctrl-C, Ctrl-Z, quit, abort, terminate) and ends it in order.

// Blocks those signals in the calling thread, so in every thread it starts
// later, and starts the handler's thread, which alone takes them. Call it
// before any other thread starts. SIGIO and SIGALRM stay with the caller.
void handle_kill_signal();

// The handler's body: for each signal, its lines in the log, then the core's bye().
void *kill_handler(void *);
