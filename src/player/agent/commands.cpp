// The command primitives: each validates its arguments and queues the command
// text in its slot; decide_and_send_actions sends what the slots hold, once a cycle.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/transfer.h"
#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

// Takes the action mutex unless the caller already runs serialised.
class Slot_Lock {
public:
    Slot_Lock(pthread_mutex_t *m, bool locked) : mutex(locked ? nullptr : m) {
        if (mutex)
            pthread_mutex_lock(mutex);
    }
    ~Slot_Lock() {
        if (mutex)
            pthread_mutex_unlock(mutex);
    }

private:
    pthread_mutex_t *mutex;
};

const char *width_text(V_Width w) { return w == VW_NARROW ? "narrow" : w == VW_WIDE ? "wide" : "normal"; }
const char *quality_text(V_Quality q) { return q == VQ_LOW ? "low" : "high"; }

}  // namespace

void TCore::empty_slot(int &time, bool locked) {
    Slot_Lock lock(&action_mutex, locked);
    time = kEmptySlot;
}

void TCore::log_replaced_body_command() const {
    if (!action_is_update())
        return;
    static const char *const replaced[] = {"DELETE: a dash action was in queue",
                                           "DELETE: a kick action was in queue",
                                           "DELETE: a turn action was in queue"};
    if (body_com.type >= BC_DASH && body_com.type <= BC_TURN)
        rlog(30, replaced[body_com.type]);
}

void TCore::queue_body_command(int type, float power, float direction, const char *text, bool locked) {
    Slot_Lock lock(&action_mutex, locked);
    body_com.type = type;
    body_com.power = power;
    body_com.direction = direction;
    snprintf(body_com.text, sizeof body_com.text, "%s", text);
    body_com.time = real_cycle;
}

int TCore::turn(float angle, bool locked) {
    if (angle == 0) {
        rlog(30, "turn with zero angle!");
        empty_slot(body_com.time, locked);
        return 3;
    }
    angle = get_normal_angle_deg(angle);
    if (!turn_angle_is_correct(angle)) {
        rerror("turn angle is not correct : ", angle);
        empty_slot(body_com.time, locked);
        return 0;
    }
    float moment = angle;
    if (world && world->know_my_vel())
        moment = angle * (1 + my_speed() * inertia_moment);
    moment = std::min(maxmoment, std::max(minmoment, moment));
    log_replaced_body_command();
    char text[32];
    snprintf(text, sizeof text, "(turn %.1f)", moment);
    queue_body_command(BC_TURN, 0, effective_turn(moment), text, locked);
    return 1;
}

int TCore::dash(float power, bool locked) {
    if (game_stopped)
        return 3;
    if (power == 0) {
        rlog(30, "dash with zero power!");
        empty_slot(body_com.time, locked);
        return 3;
    }
    log_replaced_body_command();
    float p = correct_dash_power(power);
    if (p == 0) {
        rlog(30, "dash power corrected to zero!");
        empty_slot(body_com.time, locked);
        return 3;
    }
    char text[32];
    snprintf(text, sizeof text, "(dash %.1f)", p);
    queue_body_command(BC_DASH, p, 0, text, locked);
    return 1;
}

int TCore::kick(float power, float direction, bool locked) {
    if (game_stopped)
        return 3;
    if (catch_state == 1 && is_goalie != 1)
        return 1;
    if (!turn_angle_is_correct(direction)) {
        rerror("kick angle is not correct : ", direction);
        empty_slot(body_com.time, locked);
        return 0;
    }
    if (power == 0) {
        rlog(30, "kick with zero power!");
        empty_slot(body_com.time, locked);
        return 3;
    }
    log_replaced_body_command();
    // The server takes directions in [-180, 180].
    direction = get_normal_angle_deg(direction);
    char text[48];
    snprintf(text, sizeof text, "(kick %.1f %.1f)", power, direction);
    queue_body_command(BC_KICK, power, direction, text, locked);
    return 1;
}

int TCore::turn_neck(float angle, bool locked) {
    angle = get_normal_angle_deg(angle);
    if (!turn_neck_angle_is_correct(angle)) {
        rerror("turn_neck angle is not correct :", angle);
        empty_slot(turn_neck_com.time, locked);
        return 0;
    }
    if (std::fabs(angle) < 1) {
        rlog(30, "turn_neck angle is too small!");
        empty_slot(turn_neck_com.time, locked);
        return 3;
    }
    if (turn_neck_is_update())
        rlog(30, "DELETE: a turn_neck was in queue.");
    Slot_Lock lock(&action_mutex, locked);
    turn_neck_com.angle = angle;
    snprintf(turn_neck_com.text, sizeof turn_neck_com.text, "(turn_neck %.1f)", angle);
    turn_neck_com.time = real_cycle;
    return 1;
}

int TCore::change_view(V_Width width, V_Quality quality, bool locked) {
    if (width == info_snapshot.sense.view_width && quality == info_snapshot.sense.view_quality) {
        empty_slot(change_view_com.time, locked);
        return 3;
    }
    if (change_view_is_update())
        rlog(30, "DELETE: a change_view was in queue.");
    Slot_Lock lock(&action_mutex, locked);
    change_view_com.quality = quality;
    change_view_com.width = width;
    snprintf(change_view_com.text, sizeof change_view_com.text, "(change_view %s %s)",
             width_text(width), quality_text(quality));
    change_view_com.time = real_cycle;
    return 1;
}

int TCore::say(const char *text) {
    snprintf(say_com.text, sizeof say_com.text, "(say %s)", text);
    say_com.time = real_cycle;
    return 1;
}

int TCore::run(float power, float) { return dash(power, true); }

int TCore::kick_to(float power, float direction) { return kick(power, direction, true); }

int TCore::turn_neck_to_relative_ang(float angle, bool locked) {
    return turn_neck(get_normal_angle_deg(angle - my_head_angle()), locked);
}

bool TCore::turn_angle_is_correct(float a) const {
    a = get_normal_angle_deg(a);
    return a >= minmoment && a <= maxmoment;
}

bool TCore::turn_neck_angle_is_correct(float a) const {
    a = get_normal_angle_deg(a);
    return a >= minneckmoment && a <= maxneckmoment;
}

bool TCore::dash_power_is_correct(float p) const { return p >= minpower && p <= maxpower; }

float TCore::make_power_in_range(float p) const { return std::min(maxpower, std::max(minpower, p)); }

bool TCore::can_face_angle_from_body_with_neck(float a) const { return a >= minneckang && a <= maxneckang; }

float TCore::correct_dash_power(float p) const { return correct_dash_power_for_stamina(p, my_stamina()); }

// Keeps enough stamina in reserve that effort and recovery never drop.
float TCore::correct_dash_power_for_stamina(float power, float stamina) const {
    const float margin = std::max(effort_dec_stamina, recover_dec_stamina) + power_buffer;
    if (power >= 0) {
        float p = std::min(power, stamina - margin);
        return p >= 0 ? p : 0;
    }
    float m = std::min(-power, stamina - margin / 2);
    return m > 0 ? -m : 0;
}

float TCore::effective_turn(float moment, float speed) const {
    return moment / (1 + speed * inertia_moment);
}

void TCore::add_kick_history(float power, float direction) {
    std::copy(kick_history + 1, kick_history + 4, kick_history);
    Kick_Save_Info &newest = kick_history[3];
    newest.cycle = cycle;
    newest.power = power;
    const float body = world && world->me ? world->me->body : 0;
    newest.direction = get_normal_angle_deg(body + direction);
    const float rate = world ? world->ball_kick_rate() : kick_power_rate;
    newest.acceleration = polar_2_point(rate * power, newest.direction * static_cast<float>(M_PI / 180));
}

void TCore::remember_me() {
    if (world && world->me)
        me_at_send = *world->me;
}

void TCore::send_body_command() {
    if (!action_is_update() || last_body_send_cycle == real_cycle)
        return;
    net->send_message(body_com.text);
    body_send_msec = msec;
    last_body_com = body_com;
    last_body_com.time = real_cycle;
    remember_me();
    body_com.time = kSentSlot;
    last_body_send_cycle = real_cycle;
    switch (last_body_com.type) {
    case BC_DASH: ++dash_count; break;
    case BC_TURN: ++turn_count; break;
    case BC_CATCH: break;
    case BC_KICK:
        ++kick_count;
        add_kick_history(last_body_com.power, last_body_com.direction);
        break;
    default: rerror("Huhhhhhhhh2 ?!");
    }
}

// Sends a queued slot and keeps its last-sent copy.
template <class Slot>
static bool send_slot(Slot &slot, Slot &last, int now) {
    if (slot.time != now)
        return false;
    net->send_message(slot.text);
    last = slot;
    last.time = now;
    slot.time = kSentSlot;
    return true;
}

// Runs on the worker thread that completed the round, under its read hold of
// the world lock: rounds never overlap, so neither do two of these steps.
void TCore::decide_and_send_actions() {
    decision();
    do_coach_advices();
    send_body_command();
    const int now = real_cycle;
    if (send_slot(say_com, last_say_com, now))
        ++say_count;
    if (send_slot(turn_neck_com, last_turn_neck_com, now)) {
        remember_me();
        neck_send_msec = msec;
        ++turn_neck_count;
    }
    send_slot(change_view_com, last_change_view_com, now);
}
