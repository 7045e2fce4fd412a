#pragma once
// Small signal routines of the worker threads.

#include <csignal>

// Blocks SIGUSR1 in the calling thread; returns {SIGUSR1} for sigwait.
sigset_t catch_sig_usr1();

// Waits for SIGUSR1 until no body command is queued for this cycle and a new cycle began.
void wait_for_send_action(const sigset_t &set);
