// Dribbling: the core's skill that carries the ball towards dribble_point by
// small kicks ahead of the body and dashes, and the dribble assessor with its
// cycle-by-cycle model of kicking the ball ahead and running after it.

#include "player/skills/dribble.h"

#include <algorithm>
#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const float kRadPerDeg = static_cast<float>(kPi / 180);
const float kKickableBuffer = 0.08f;   // margin of the skill's kickable forecasts
const float kFarBall = 10;             // a ball farther from my body starts no dribble
const float kArrivalMargin = 1;        // added to the arrival distance of dribble_params[1]
const float kKickAgainAngle = 10;      // degrees the ball may lie off the dribble line before a kick
const float kFullDash = 100;

// The assessor's targets, mirrored to the ball's side of the field.
const TPoint kCornerTarget(48, 25);
const TPoint kPenaltyAreaTarget(30, 20);
const float kWing = 20;                // |y| beyond which the ball is on a wing
const float kPenaltyAreaFrom = 15, kPenaltyAreaTo = 30;
const float kPathHalfWidth = 20;       // degrees either side of the dribble direction
const float kPathLength = 30;          // opponents farther from the ball do not block
const float kShortestRun = 1.3f;       // a shorter dribble is no dribble
const float kSafeChance = 0.7f;
const float kShortRunFactor = 0.9f;    // applied below each of the two lengths
const float kShortRun = 10, kVeryShortRun = 6;
const float kGoalkeeperExtraReach = 0.5f;

const int kMaxRunCycles = 100;         // longest simulated run
const int kNever = kMaxRunCycles + 1;  // an opponent who does not reach the ball during the run

float deg_of(TPoint v) { return static_cast<float>(v.ang()) / kRadPerDeg; }
TPoint polar_deg(float r, float dir) { return polar_2_point(r, dir * kRadPerDeg); }
float collision_dist(const TConfig &c) { return c.player_size + c.ball_size + c.collision_buffer; }

// The dash power of dribble_params[2] cut to a whole number within the server's range.
int whole_power(const TConfig &c, float p) {
    if (!(p == p))
        return 0;
    return static_cast<int>(std::min(c.maxpower, std::max(c.minpower, p)));
}

// The kick would run the ball into me: turn it to dir, then to the front.
void turn_ball_clear(TCore &c, float dir) {
    c.rlog(20, "dribble_kick: desired kick makes a collision");
    c.rlog(25, "dribble_kick: can turnball help me?");
    const Turn_Dir r = c.rot_to_avoid_opponent(c.world->my_body_abs_angle() + dir);
    const int t = c.turnball_kick(dir, r, false);
    if (t == 1 || t == 3) {
        c.rlog(25, "dribble_kick: turn ball to front");
        c.turnball_kick(0, r, false);
    }
}

// A dash would lose or hit the ball: kick it now instead, when it is kickable.
bool kick_instead(TCore &c, TPoint point, int power, float dir) {
    if (!c.ball_is_kickable())
        return false;
    c.dribble_kick_now(point, power, dir);
    return true;
}

bool dribble_can_start(const TCore &c) {
    if (!c.world->know_my_pos()) {
        c.rerror("safe_dribble: what must I do when my position is not known?");
        return false;
    }
    if (!c.world->ball.know_pos()) {
        c.rerror("safe_dribble: what must I do when ball position is not known?");
        return false;
    }
    if (c.world->ball_dist_from_body() > kFarBall) {
        c.rerror("safe_dribble: Ball is too far for starting a dribble");
        return false;
    }
    return true;
}

// The point lies off my body direction by t degrees: turn while the ball stays
// near, else stop it, else chase it.
void face_dribble_point(TCore &c, float t, int power) {
    const TWorld_Model &w = *c.world;
    if (w.ball_will_be_kickable(1, 0, kKickableBuffer) || w.ball_will_be_kickable(2, 0, 0)) {
        c.rlog(25, "safe_dribble: turning to point", t);
        c.turn(t, false);
    } else if (c.ball_is_kickable()) {
        c.rlog(25, "safe_dribble: stopping the ball...");
        c.do_kick(0, 0, 1.0f, nullptr, nullptr, nullptr, false);
    } else {
        c.dribble_dash(c.dribble_point, power, c.dribble_params[0]);
    }
}

// Whether, after a dash, the ball lies more than kKickAgainAngle off the dribble
// direction, seen along the line from the ball to me.
bool ball_off_dribble_line(const TCore &c, int power) {
    const TWorld_Model &w = *c.world;
    TPoint e = w.my_predicted_position(1, power, 0) - w.ball_predicted_position(1);
    e.rotate(-w.my_body_abs_angle() * kRadPerDeg);
    c.rlog(25, "estimated angle :", deg_of(e));
    return std::fabs(get_normal_angle_deg(deg_of(e) - c.dribble_params[0])) > kKickAgainAngle;
}

// ---- the assessor's run model ----

// My positions of a simulated run, [0] the start, and the cycle that left the field box.
struct Run_Track {
    TPoint pos[kMaxRunCycles + 1];
    int exit = kMaxRunCycles;
};

// Turn commands needed to face the absolute direction dir: 0, 1 or 2.
int turns_to_face(float dir) {
    const float off = std::fabs(get_normal_angle_deg(dir - core->world->my_body_abs_angle()));
    if (off < core->go_to_point_ignore_angle)
        return 0;
    return off > core->max_effective_turn(core->my_speed() * core->player_decay) ? 2 : 1;
}

// The field box shrinks as the run grows; only moving outward crosses it.
bool leaves_field(TPoint p, float run, float dir) {
    const bool short_run = run / 4 <= 2.5f;
    const double x_limit = short_run ? 50 : 52.5 - run / 4;
    const double y_limit = short_run ? 31.5 : 34 - run / 4;
    const double dx = std::cos(dir * kRadPerDeg), dy = std::sin(dir * kRadPerDeg);
    return (p.X > x_limit && dx > 0) || (p.X < -x_limit && dx < 0) || (p.Y > y_limit && dy > 0) ||
           (p.Y < -y_limit && dy < 0);
}

// The kick cycle and the turns stand still, then full dashes, each corrected for stamina.
Run_Track simulate_run(float dir, int turns) {
    const TWorld_Model &w = *core->world;
    Run_Track t;
    t.pos[0] = w.my_pos();
    float speed = core->my_speed(), stamina = core->my_stamina(), effort = core->my_effort();
    float recovery = w.recovery;
    for (int k = 1; k <= kMaxRunCycles; ++k) {
        const float power = core->correct_dash_power_for_stamina(k <= turns + 1 ? 0 : kFullDash, stamina);
        speed = power * core->dash_power_rate + speed * core->player_decay;
        speed = std::min(std::max(speed, 0.0f), core->player_speed_max);
        t.pos[k] = t.pos[k - 1] + polar_deg(speed, dir);
        w.update_predicted_stamina_with_dash(&stamina, &effort, &recovery, power);
        core->rlog(54, "cycle", k, "dash power", power, "my speed", speed, "my pos", t.pos[k].X, t.pos[k].Y,
                   "my stamina:", stamina);
        if (leaves_field(t.pos[k], static_cast<float>(t.pos[k].dist(t.pos[0])), dir)) {
            t.exit = k;
            break;
        }
    }
    return t;
}

// How far from his body an opponent takes the ball: the goalkeeper catches it.
float reach_of(const TPlayer &op) {
    if (op.goalie)
        return std::hypot(core->catchable_area_l, core->catchable_area_w) + kGoalkeeperExtraReach;
    return core->kickable_area;
}

// The first cycle at which the opponent, running from standstill, reaches the
// ball that keeps offset from me along the track; kNever when he does not.
int opponent_cycles(const TPlayer &op, const Run_Track &t, TPoint offset) {
    const float gain = core->dash_power_rate * kFullDash, reach = reach_of(op);
    float speed = 0, covered = 0;
    for (int k = 1; k <= t.exit; ++k) {
        speed = std::min(speed + gain, core->player_speed_max);
        covered += speed;
        core->rlog(54, "op speed", speed, "op pos", covered);
        if (covered + reach >= op.pos.dist(t.pos[k] + offset))
            return k;
    }
    return kNever;
}

// The kick speed that lets the ball roll dist in the given number of cycles.
float rolling_speed(float dist, int cycles) {
    const float d = core->ball_decay;
    const float sum = d == 1 ? cycles : (1 - std::pow(d, cycles)) / (1 - d);
    return dist / sum;
}

// Where a dribble from the ball heads; false where none is tried.
bool dribble_target(TPoint ball, TPoint *target) {
    const double s = ball.Y >= 0 ? 1 : -1;
    if (std::fabs(ball.Y) > kWing && ball.X > 0)
        *target = TPoint(kCornerTarget.X, kCornerTarget.Y * s);
    else if (ball.X > kPenaltyAreaFrom && ball.X < kPenaltyAreaTo)
        *target = TPoint(kPenaltyAreaTarget.X, kPenaltyAreaTarget.Y * s);
    else
        return false;
    return true;
}

// No known opponent near the ball close to the dribble direction (a plain
// difference of directions, as the targets lie ahead).
bool dribble_path_is_free(TPoint ball, float dir) {
    for (int i = 1; i <= 11; ++i) {
        const TPlayer &op = core->world->opponents[i];
        if (op.know_pos() && std::fabs(dir - deg_of(op.pos - ball)) < kPathHalfWidth &&
            op.pos.dist(ball) < kPathLength)
            return false;
    }
    return true;
}

float dribble_chance(bool safe, float run) {
    float chance = safe ? kSafeChance : 0;
    if (run < kVeryShortRun)
        chance *= kShortRunFactor;
    if (run < kShortRun)
        chance *= kShortRunFactor;
    return chance;
}

}  // namespace

// ---- the skill ----

void TCore::calc_dribble_kick(TPoint me_next, float dir, float *speed, float *angle) const {
    const float a = world->my_body_abs_angle() + dir;
    const TPoint target = me_next + polar_deg(safe_dribble_ball_dist, a);
    const TPoint v = (target - world->ball.pos) / (1 + ball_decay);
    *speed = static_cast<float>(v.abs());
    *angle = deg_of(v);
}

void TCore::dribble_kick(TPoint point, int power, float dir) {
    if (!ball_is_kickable()) {
        rerror("dribble_kick: called but ball is not kickable.", true);
        dribble_dash(point, power, dir);
        return;
    }
    dribble_kick_now(point, power, dir);
}

void TCore::dribble_kick_now(TPoint point, int power, float dir) {
    const TPoint me = world->my_pos();
    TPoint me2 = world->my_predicted_position(2, static_cast<float>(power), 1);
    if (point.dist(me) < me2.dist(me))
        me2 = point;
    float speed = 0, angle = 0;
    calc_dribble_kick(me2, dir, &speed, &angle);
    TPoint est = world->ball.pos + polar_deg(speed, angle);
    if (world->ball.know_vel())
        est += world->ball.vel;
    rlog(25, "dribble_kick: my pred pos after 2 cycle with dash", me2.X, me2.Y);
    rlog(25, "dribble_kick: estimated ball pos", est.X, est.Y);
    if (est.dist(world->my_predicted_position(1, 0, 0)) <= collision_dist(*this)) {
        turn_ball_clear(*this, dir);
        return;
    }
    rlog(25, "dribble_kick: doing the kick...");
    do_kick(angle - world->my_body_abs_angle(), speed, 1.0f, nullptr, nullptr, nullptr, false);
}

// Never calls dribble_kick: a ball that needs kicking is kicked here, so the two
// cannot call each other.
bool TCore::dribble_dash(TPoint point, int power, float dir) {
    rlog(35, "dribble_dash is in progress");
    const float p = static_cast<float>(power);
    if (!world->ball_will_be_kickable(1, p, kKickableBuffer)) {
        rlog(25, "dribble_dash: next ball is not kickable.");
        if (kick_instead(*this, point, power, dir)) {
            rlog(25, "dribble_dash: it's better to dashing to now");
            return true;
        }
        if (!world->ball_will_be_kickable(2, p, kKickableBuffer) &&
            !world->ball_will_be_kickable(3, p, kKickableBuffer)) {
            rlog(20, "dribble_dash: ball lost!");
            return false;
        }
        rlog(25, "dribble_dash: but it's OK!");
    }
    if (world->ball_predicted_position(1).dist(world->my_predicted_position(1, p, 0)) < collision_dist(*this)) {
        rlog(20, "dribble_dash: if I dash, a collision will happen");
        if (kick_instead(*this, point, power, dir)) {
            rlog(25, "dribble_dash: it;s better to kick now!");
            return true;
        }
        rlog(25, "dribble_dash: Ball is not kickable, what must I do?");
    }
    return dash(p, true) != 0;
}

void TCore::safe_dribble() {
    if (!dribble_can_start(*this))
        return;
    change_view(VW_NARROW, VQ_HIGH, true);
    if (!(world->my_pos().dist(dribble_point) > dribble_params[1] + kArrivalMargin))
        return;
    const float t = world->body_angle_from_point(dribble_point);
    rlog(25, "turn_angle :", t);
    rlog(25, "ball_dist_from_body :", world->ball_dist_from_body());
    rlog(25, "ball_angle_from_body :", world->ball_angle_from_body());
    const int power = whole_power(*this, dribble_params[2]);
    if (std::fabs(t) > go_to_point_ignore_angle)
        face_dribble_point(*this, t, power);
    else if (ball_is_kickable() && ball_off_dribble_line(*this, power))
        dribble_kick(dribble_point, power, dribble_params[0]);
    else
        dribble_dash(dribble_point, power, dribble_params[0]);
}

// ---- the assessor ----

void TDribble::assess() {
    make_empty();
    float abs_dir = 0, speed = 0;
    get_best_dribble(&abs_dir, &speed, &work.chance);
    core->rlog(121, "abs_dir", abs_dir);
    core->rlog(121, "speed  ", speed);
    core->rlog(121, "chance ", work.chance);
    kick(abs_dir, speed, KM_3, TD_AWAY_FROM_OPPONENT);
    fill_final();
}

void TDribble::get_best_dribble(float *abs_dir, float *speed, float *chance) {
    *abs_dir = *speed = *chance = 0;
    const TPoint ball = core->world->ball.pos;
    TPoint target;
    if (!dribble_target(ball, &target))
        return;
    *abs_dir = deg_of(target - ball);
    TPoint end;
    *speed = direction_dribble_speed(*abs_dir, &end);
    const float run = static_cast<float>(ball.dist(end));
    *chance = dribble_chance(dribble_path_is_free(ball, *abs_dir) && run >= kShortestRun, run);
}

float TDribble::direction_dribble_speed(float dir, TPoint *end) {
    const TWorld_Model &w = *core->world;
    core->rlog(54, "dribble angle :", dir);
    const int turns = turns_to_face(dir);
    core->rlog(54, "my turns: ", turns);
    const Run_Track track = simulate_run(dir, turns);
    const TPoint offset = w.ball.pos - track.pos[0];
    int cycles = track.exit - turns;
    for (int i = 1; i <= 11; ++i) {
        const TPlayer &op = w.opponents[i];
        if (!op.know_pos())
            continue;
        core->rlog(54, "op", i);
        const int op_cycles = opponent_cycles(op, track, offset);
        core->rlog(54, "op cycles", op_cycles);
        if (op_cycles - turns < cycles) {
            core->rlog(54, "op is dangerous");
            cycles = op_cycles - turns;
        }
    }
    cycles = std::max(1, std::min(cycles, track.exit));   // at least the kick's own cycle
    *end = track.pos[cycles] + offset;
    return rolling_speed(static_cast<float>(end->dist(w.ball.pos)), cycles);
}

// The zones are tried in order; every bound is strict, and the directions are
// mirrored to the ball's side of the field.
void TDribble::get_dribble_direction(float *a1, float *a2, float *a3, float *a4) {
    const TPoint ball = core->world->ball.pos;
    const float x = static_cast<float>(ball.X);
    const float h = static_cast<float>(std::fabs(ball.Y));
    const float s = ball.Y >= 0 ? 1.0f : -1.0f;
    const auto dir = [&ball](float px, float py) { return deg_of(TPoint(px, py) - ball); };
    const auto set = [=](float d1, float d2, float d3, float d4) {
        *a1 = d1;
        *a2 = d2;
        *a3 = d3;
        *a4 = d4;
    };
    if (x < -30 && h < 20) {
        set(dir(-20, 30 * s), 90 * s, 0, dir(-20, -30 * s));
    } else if (x < 0 && h < 20) {
        set(dir(20, 34 * s), 0, dir(20, -20 * s), 0);
    } else if (h > 20 && x < 0) {
        set(0, dir(20, 0), 10 * s, -80 * s);
    } else if (x < 30 && h > 20) {
        const float goal = dir(52.5f, 0);
        set(0, goal - 10 * s, goal + 10 * s, -80 * s);
    } else if (x > 30 && h > 20) {
        set(dir(50, 17 * s), dir(40, 0), -90 * s, 0);
    } else if (x < 15 && h > 10) {
        set(0, dir(30, -10 * s), dir(30, 30 * s), 0);
    } else if (x < 30 && h > 10) {
        set(0, -80 * s, dir(50, 25 * s), -100 * s);
    } else if (x < 15 && h < 10) {
        set(0, dir(40, -10 * s), dir(40, 20 * s), dir(40, -30 * s));
    } else if (x < 30 && h < 10) {
        set(dir(50, -10 * s), dir(50, 10 * s), dir(40, 14 * s), dir(40, -14 * s));
    } else if (x > 30 && h < 20) {
        set(0, dir(50, -7 * s), dir(50, 7 * s), -100 * s);
    } else {
        set(0, 0, 0, 0);
        core->rerror("How I must dribble when ball is out of field?");
    }
}
