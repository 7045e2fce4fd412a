// The motion model: ball and own-body positions some cycles ahead under a
// kick, a dash or a turn, and one cycle of the server's stamina model.

#include <algorithm>
#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/world.h"

namespace {

const float kDegToRad = static_cast<float>(kPi / 180);
const float kRadToDeg = static_cast<float>(180 / kPi);

// v cut to length max when longer (the direction kept).
TPoint cap_length(TPoint v, double max) {
    const double len = v.abs();
    return len > max ? v * (max / len) : v;
}

}  // namespace

TPoint TBall::estimate_future_pos(int n, TPoint accel) const {
    TPoint v = (know_vel() ? vel : TPoint(0, 0)) + accel;
    TPoint p = pos;
    for (int i = TWorld_Model::clamp_cycles(n); i > 0; --i) {
        v = cap_length(v, core->ball_speed_max) * core->ball_decay;
        p += v;
    }
    return p;
}

TPoint TWorld_Model::ball_predicted_position(int n, float power, float dir) const {
    const float direction = get_normal_angle_rad((me->body + dir) * kDegToRad);
    const TPoint accel = cap_length(polar_2_point(power * ball_kick_rate(), direction), core->ball_accel_max);
    return ball.estimate_future_pos(n, accel);
}

TPoint TWorld_Model::ball_predicted_position(int n) const { return ball.estimate_future_pos(n, TPoint(0, 0)); }

TPoint TWorld_Model::ball_predicted_position_with_queued_actions(int n) const {
    const Body_Command &queued = core->body_com;
    if (core->action_is_update() && queued.type == BC_KICK)
        return ball_predicted_position(n, queued.power, queued.direction);
    return ball_predicted_position(n);
}

TPoint TWorld_Model::my_predicted_position_with_turn(float turn, int n, float power, bool turn_first,
                                                     int wait) const {
    if (!know_my_pos())
        core->rerror("Can't predict future if don't know present");
    if (!know_my_vel())
        core->rlog(35, "my_predicted_position_with_turn: I don't know my velocity!");
    float remaining = turn, dash = power;
    float stamina = core->my_stamina(), effort = core->my_effort(), rec = recovery;
    float body = me->body;
    TPoint pos = me->pos, vel = me->vel;
    const int cycles = clamp_cycles(n);
    for (int i = 0; i < cycles; ++i) {
        dash = core->correct_dash_power_for_stamina(dash, stamina);
        float applied = 0;   // wait and turn cycles stand still
        if (i >= wait && turn_first && (i == 0 || remaining != 0)) {
            const float m = std::fabs(core->max_effective_turn());
            const float t = std::max(-m, std::min(remaining, m));
            body += t;
            remaining -= t;
        } else if (i >= wait) {
            applied = std::fabs(dash) > stamina ? std::copysign(stamina, dash) : dash;
        }
        vel += polar_2_point(applied * effort * core->dash_power_rate, body * kDegToRad);
        vel = cap_length(vel, core->player_speed_max);
        pos += vel;
        vel *= core->player_decay;
        update_predicted_stamina_with_dash(&stamina, &effort, &rec, dash);
    }
    return pos;
}

TPoint TWorld_Model::my_predicted_position(int n, float power, int wait) const {
    return my_predicted_position_with_turn(0, n, power, false, wait);
}

TPoint TWorld_Model::my_predicted_position_with_queued_actions() const {
    const Body_Command &queued = core->body_com;
    const bool dash = core->action_is_update() && queued.type == BC_DASH;
    return my_predicted_position(1, dash ? queued.power : 0, 0);
}

float TWorld_Model::my_predicted_body_angle_with_queued_actions() const {
    const Body_Command &queued = core->body_com;
    if (core->action_is_update() && queued.type == BC_TURN)
        return get_normal_angle_deg(me->body + queued.direction);
    return me->body;
}

float TWorld_Model::predicted_point_rel_angle_from_body_with_queued_actions(TPoint p) const {
    const TPoint from = my_predicted_position_with_queued_actions();
    const float body = my_predicted_body_angle_with_queued_actions();
    float angle = static_cast<float>(p.relative_ang(from)) * kRadToDeg - body;
    normalize_angle_deg(&angle);
    return angle;
}

float TWorld_Model::predicted_ball_angle_from_body_with_queued_actions() const {
    return predicted_point_rel_angle_from_body_with_queued_actions(ball_predicted_position_with_queued_actions(1));
}

void TWorld_Model::update_predicted_stamina_with_dash(float *stamina, float *effort, float *rec,
                                                      float power) const {
    float &s = *stamina, &e = *effort, &r = *rec;
    s -= power >= 0 ? power : -2 * power;   // a backward dash costs twice
    s = std::max(s, 0.0f);
    if (s <= core->recover_dec_stamina && r > core->recover_min)
        r -= core->recover_dec;
    if (s <= core->effort_dec_stamina && e > core->effort_min)
        e -= core->effort_dec;
    if (s >= core->effort_inc_stamina && e < 1.0f)
        e = std::min(e + core->effort_inc, 1.0f);
    s = std::min(s + r * core->stamina_inc_max, core->stamina_max);
}

bool TWorld_Model::ball_will_be_kickable(int n, float power, float buffer) const {
    if (!know_my_pos() || !ball.know_pos()) {
        core->rerror("ball_will_be_kickable: I don't know present");
        return false;
    }
    const TPoint b = ball_predicted_position(n);
    const TPoint m = my_predicted_position(n, power, 0);
    const double noise = ball.vel.abs() * core->ball_rand * 1.4142135;
    return m.dist(b) <= core->kickable_area - (buffer + noise);
}

TPoint TWorld_Model::predicted_player_move(TPoint pos, TPoint vel, int n, TPoint accel) const {
    for (int k = clamp_cycles(n); k > 0; --k) {
        vel += accel;
        pos += vel;
        vel *= core->player_decay;
    }
    return pos;
}

float TWorld_Model::vel_at_point_2_vel_at_foot(TPoint p, float v) const {
    const float decay = core->ball_decay;
    const float dist = static_cast<float>(me->pos.dist(p));
    if (!(v >= 0.01f))   // also a NaN speed: roll out and stop at p
        return dist * (1 - decay);
    if (!(decay > 0))    // the ball stops at once: nothing to make up for
        return v;
    const float k = calc_cycles(v, 1 / decay, dist);
    if (k == -1)
        return v * decay;
    return v * static_cast<float>(std::pow(1.0 / decay, k));
}
