#include "player/runtime/thread.h"

#include <cstdio>

#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/thr_utils.h"

namespace {

struct Claim {
    char kind = 0;
    int number = 0;
};

// Claims the object the thread's name designates when it is free, else the first
// free object (with-ball ones first). Claims are made under the action mutex.
template <class Object>
bool claim_at(Object *const *objects, int count, char kind, int i, Claim *claim) {
    if (i < 0 || i >= count || !objects[i] || objects[i]->claimed)
        return false;
    objects[i]->claimed = true;
    claim->kind = kind;
    claim->number = i;
    return true;
}

template <class Object>
bool claim_first_free(Object *const *objects, int count, char kind, Claim *claim) {
    for (int i = 0; i < count; ++i)
        if (claim_at(objects, count, kind, i, claim))
            return true;
    return false;
}

void claim_object(Claim *claim) {
    pthread_mutex_lock(&core->action_mutex);
    const Claim named = *claim;
    const bool mine = named.kind == 'b'
                          ? claim_at(core->with_ball_objects, kWithBallObjects, 'b', named.number, claim)
                          : claim_at(core->without_ball_objects, kWithoutBallObjects, 'n', named.number, claim);
    if (!mine && !claim_first_free(core->with_ball_objects, kWithBallObjects, 'b', claim) &&
        !claim_first_free(core->without_ball_objects, kWithoutBallObjects, 'n', claim))
        *claim = named;   // nothing free: the thread keeps the object of its name
    pthread_mutex_unlock(&core->action_mutex);
    core->rlog(10, "choosed ", claim->number);
}

// Assesses the world as it stands, once per world update, while the round of
// that update is open for the thread's group. The read hold of the world lock
// lasts from the start of the assessment to the end of the decision it may run.
template <class Object>
void assess_in_round(Object *object, char group, int *assessed) {
    World_Read_Lock world;
    const int update = core->world->update_count;
    if (!core->alive || update == *assessed)
        return;
    const int entry = core->enter_round(group, update);
    if (entry == 0)
        return;
    *assessed = update;
    if (entry > 0)
        object->assess();
}

// Assesses in every round of its group, woken by SIGUSR1, until the agent shuts down.
template <class Object>
void assess_loop(Object *object, char group) {
    const sigset_t set = catch_sig_usr1();
    int assessed = -1;
    while (core->alive) {
        assess_in_round(object, group, &assessed);
        int sig = 0;
        if (core->alive)
            sigwait(&set, &sig);
    }
}

void *end_thread(const char *message, int number) {
    core->rerror(message, number);
    core->rlog(2, "     thread killed because of error");
    return nullptr;
}

}  // namespace

void *thread(void *arg) {
    const char *name = static_cast<const char *>(arg);
    Claim claim;
    if (sscanf(name, "%c %d", &claim.kind, &claim.number) != 2 ||
        (claim.kind != 'b' && claim.kind != 'n')) {
        core->rerror("invalid thread arguman :", name);
        core->rlog(2, "     thread killed because of error");
        return arg;
    }
    claim_object(&claim);
    if (claim.kind == 'b') {
        if (claim.number < 0 || claim.number >= kWithBallObjects || !core->with_ball_objects[claim.number])
            end_thread("invalid object number ", claim.number);
        else
            assess_loop(core->with_ball_objects[claim.number], 'b');
    } else {
        if (claim.number < 0 || claim.number >= kWithoutBallObjects || !core->without_ball_objects[claim.number])
            end_thread("invalid object number ", claim.number);
        else
            assess_loop(core->without_ball_objects[claim.number], 'n');
    }
    return arg;
}
