#include "player/runtime/thr_utils.h"

#include "player/agent/core.h"
#include "player/runtime/client.h"

sigset_t catch_sig_usr1() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return set;
}

void wait_for_send_action(const sigset_t &set) {
    const int remembered = core->real_cycle;
    int sig = 0;
    while (core->alive && (core->action_is_update() || core->real_cycle == remembered))
        sigwait(&set, &sig);
}

template <int (*Lock)(pthread_rwlock_t *)>
World_Lock<Lock>::World_Lock() {
    Lock(&core->world_lock);
}

template <int (*Lock)(pthread_rwlock_t *)>
World_Lock<Lock>::~World_Lock() {
    pthread_rwlock_unlock(&core->world_lock);
}

template class World_Lock<pthread_rwlock_rdlock>;
template class World_Lock<pthread_rwlock_wrlock>;
