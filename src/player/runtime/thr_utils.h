#pragma once
// Small signal and locking routines of the worker threads and the main thread.

#include <csignal>
#include <pthread.h>

// Blocks SIGUSR1 in the calling thread; returns {SIGUSR1} for sigwait.
sigset_t catch_sig_usr1();

// Waits for SIGUSR1 until no body command is queued for this cycle and a new cycle began.
void wait_for_send_action(const sigset_t &set);

// Holds the core's world lock for a scope: for reading (an assessment and its
// decision) or for writing (parsing a message, updating the world).
template <int (*Lock)(pthread_rwlock_t *)>
class World_Lock {
public:
    World_Lock();
    ~World_Lock();
    World_Lock(const World_Lock &) = delete;
    World_Lock &operator=(const World_Lock &) = delete;
};

using World_Read_Lock = World_Lock<pthread_rwlock_rdlock>;
using World_Write_Lock = World_Lock<pthread_rwlock_wrlock>;
