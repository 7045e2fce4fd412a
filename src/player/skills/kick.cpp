// The kick skills of the core: the single kick that corrects for the ball's
// motion and the power limit, turning the ball around the body, and the hard
// shots that run over one or two cycles.

#include <cmath>

#include "common/geometry.h"
#include "common/utils.h"
#include "player/agent/core.h"

namespace {

const float kRadPerDeg = static_cast<float>(kPi / 180);
const float kBackAngle = 175;        // where the run-up of a hard kick starts, from the target
const float kBackTolerance = 10;     // the ball is at the back position within this angle
const float kHardKickSpeed = 3.0f;   // wanted speed of the hardest shot
const float kSameHeading = 15;       // degrees between the ball's motion and the shot
const float kKickableBuffer = 0.08f;
const float kTwoKickGain = 0.1f;     // the run-up must add this much speed to be worth it

float deg_of(TPoint v) { return static_cast<float>(v.ang()) / kRadPerDeg; }
TPoint polar_deg(float r, float dir) { return polar_2_point(r, dir * kRadPerDeg); }
bool finite(float x) { return std::isfinite(x); }

// A vector of the field frame seen from a body turned by body degrees.
TPoint into_body_frame(TPoint v, float body) {
    v.rotate(-body * kRadPerDeg);
    return v;
}

// do_kick's result as turnball_kick reports it.
int turnball_result(int kick_result) { return kick_result == 0 ? 3 : kick_result == 3 ? 1 : 2; }

// turnball_kick's result as the hard kicks report it.
int hard_turnball_result(int t) { return (t == 3 || t == 5) ? 0 : t == 1 ? 3 : 1; }

// The ray from origin through another, cut with the circle (centre, radius).
int cut_ray(TPoint origin, TPoint another, TPoint centre, float radius, TPoint *p1, TPoint *p2) {
    return ray_circle_intersect(origin, another, TLine(origin, another), TCircle(centre, radius), p1, p2);
}

}  // namespace

int TCore::do_kick(float dir, float dist, float dist_factor) {
    return do_kick(dir, dist, dist_factor, nullptr, nullptr, nullptr, false);
}

int TCore::do_kick(float dir, float dist, float dist_factor, bool *ok, float *power, float *kick_dir,
                   bool only_compute) {
    if (ok)
        *ok = true;
    rlog(30, "dokick :", "         dist : ", dist, "         dir : ", dir, "         dist_factor : ", dist_factor);
    const float want = dist * dist_factor;
    dir = get_normal_angle_deg(dir);
    if (!finite(dir) || !finite(want)) {
        rerror("dokick: the wanted kick has no direction or length");
        return 0;
    }
    if (!ball_is_kickable()) {
        rerror("dokick: I want to kick but ball is not kickable!");
        return 0;
    }
    const float rate = world->ball_kick_rate();
    if (!(rate > 0)) {
        rerror("dokick : how I must shoot when ball kick rate is zero?!");
        return 0;
    }
    const TBall &ball = world->ball;
    const bool moving = ball.know_vel() && ball.vel.abs() >= max_ignore_vel;
    if (!ball.know_vel())
        rlog(35, "I don't know ball velocity; for me it's zero!");
    float p = want / rate, k = dir;
    if (!moving) {
        rlog(35, "dokick: ball velocity is 0");
    } else {
        const TPoint a = polar_deg(want, dir) - world->ball_rel_to_body_velocity();
        k = deg_of(a);
        p = static_cast<float>(a.abs()) / rate;
        rlog(35, "dokcik: kick corrected for ball velocity:", "        power :", p, "        kick_dir :", k);
    }
    if (p > maxpower && !limit_to_max_power(dir, dist, want, rate, moving, ok, &p, &k))
        return 0;
    p = std::fmin(round(p, 2), maxpower);
    k = round(get_normal_angle_deg(k), 2);
    if (power)
        *power = p;
    if (kick_dir)
        *kick_dir = k;
    if (only_compute)
        return 3;
    return kick(p, k, true);
}

// The kick of do_kick when the wish needs more than maxpower: the reachable
// ball position on the wanted line, or a stop against the ball's heading.
bool TCore::limit_to_max_power(float dir, float dist, float want, float rate, bool moving, bool *ok, float *p,
                               float *k) {
    rlog(35, "dokick: trying to kick over max_power!");
    *p = maxpower;
    if (!moving) {
        rlog(35, "dokick: only power limited.");
        return true;
    }
    const float against = get_normal_angle_deg(180 + world->ball_rel_to_body_heading());
    if (dist == 0) {
        rlog(35, "dokick: ok! you want to stop the ball? I will use my hardest kick!");
        *k = against;
        return true;
    }
    const TPoint ball = world->ball_rel_to_body_position();
    const TPoint next = world->global_2_relative_to_body(world->ball_predicted_position(1));
    TPoint s1, s2, target;
    const int n = cut_ray(ball, ball + polar_deg(1, dir), next, rate * maxpower, &s1, &s2);
    if (n == 0) {
        rlog(35, "dokick: I can't navigate ball as you want :-(");
        *k = against;
        if (ok)
            *ok = false;
        return true;
    }
    if (n > 2) {
        rerror("dokick: Ohhhh! a ray intersects a circle in more than two point!!");
        return false;
    }
    target = s1;
    if (n == 2) {
        rlog(35, "selecting from to point: ", "      sol1.x :", s1.X, "      sol1.y :", s1.Y, "      sol2.x :", s2.X,
             "      sol2.y :", s2.Y);
        const TPoint wanted = ball + polar_deg(want, dir);
        if (s2.dist(wanted) < s1.dist(wanted))
            target = s2;
    }
    const TPoint a = target - next;
    *p = static_cast<float>(a.abs()) / rate;
    *k = deg_of(a);
    rlog(35, "dokick: kick corrected for ball velocity and max_power limit");
    return true;
}

void TCore::player_movement_correction(float *dir, float *dist) const {
    const TPoint drift = world->my_predicted_position(1, 0, 0) - world->my_pos();
    const TPoint v = polar_deg(*dist, *dir) + into_body_frame(drift, world->my_body_abs_angle());
    *dir = deg_of(v);
    *dist = static_cast<float>(v.abs());
}

Turn_Dir TCore::rot_closest(float dir) const {
    const float rel = dir - world->my_body_abs_angle();
    const float ball = world->ball_angle_from_body();
    float a = get_normal_angle_deg(rel - ball), b = get_normal_angle_deg(ball - rel);
    if (a < 0)
        a += 360;
    if (b < 0)
        b += 360;
    return a <= b ? TD_CLOCKWISE : TD_COUNTER_CLOCKWISE;
}

Turn_Dir TCore::rot_to_avoid_opponent(float dir) const {
    const int i = world->closest_opponent();
    if (i < 1 || i >= kPlayerSlots || world->my_pos().dist(world->opponents[i].pos) > turnball_worry_dist)
        return TD_CLOSEST_WAY;
    const float rel = dir - world->my_body_abs_angle();
    const float a1 = get_normal_angle_deg(rel - world->ball_angle_from_body());
    const float a2 = get_normal_angle_deg(rel - world->body_angle_from_point(world->opponents[i].pos));
    if (a1 * a2 < 0)
        return TD_CLOSEST_WAY;
    return a1 < a2 ? TD_CLOCKWISE : TD_COUNTER_CLOCKWISE;
}

Turn_Dir TCore::kick_rotation_direction_abs(float dir, Turn_Dir rot) const {
    if (rot == TD_AWAY_FROM_OPPONENT)
        rot = rot_to_avoid_opponent(dir);
    if (rot == TD_CLOSEST_WAY)
        rot = rot_closest(dir);
    if (rot != TD_CLOCKWISE && rot != TD_COUNTER_CLOCKWISE) {
        rerror("kick_rotation_direction_abs : rot must be TURN_CW or TURN_CCW.");
        rot = TD_CLOCKWISE;
    }
    return rot;
}

bool TCore::is_straight_kick(float dir, float dist, float margin) const {
    const TPoint ball = world->ball_rel_to_body_position();
    const TPoint d = polar_deg(dist, dir) - ball;
    const float b = static_cast<float>(ball.abs()), path = static_cast<float>(d.abs());
    // No path, or the ball at my centre: it stays where it is now.
    if (!(b * path > 0))
        return margin < b;
    const float theta = ACos((dist * dist - path * path - b * b) / (-2 * b * path));
    if (std::fabs(theta) > 90) {
        rlog(35, "is_straight_kick: the angle is large enough :", theta);
        return true;
    }
    return margin < std::fabs(std::sin(theta * kRadPerDeg) * b);
}

int TCore::turnball_kick(float angle, Turn_Dir dir, bool) {
    return turnball_kick(angle, dir, false, hard_kick_ball_dist, closest_margin, 1.0f);
}

int TCore::turnball_kick(float dir, Turn_Dir rot, bool stop, float end_dist, float close_marg, float factor) {
    rlog(30, "turnball_kick: ", "              target_dir :", dir, "              rotate :", rot,
         "              end_dist :", end_dist, "              close_marg :", close_marg,
         "              kick_factor :", factor);
    dir = get_normal_angle_deg(dir);
    if (!ball_is_kickable()) {
        rlog(33, "turnball_kick: I lost the ball :-(");
        return 5;
    }
    if (!finite(dir))
        return 3;
    if (!world->ball.know_vel()) {
        rlog(35, "turnball_kick: ball velocity is not valid, I want know it...");
        look_for_ball_velocity(180);
        return 4;
    }
    const float ball_dir = world->ball_angle_from_body();
    if (std::fabs(get_normal_angle_deg(dir - ball_dir)) < kick_min_dir) {
        if (stop && world->ball.vel.abs() >= max_ignore_vel) {
            rlog(35, "turnball_kick: only stopping the ball; as you need!");
            return turnball_result(do_kick(0, 0, 1.0f));
        }
        return 3;
    }
    rot = kick_rotation_direction_abs(world->my_body_abs_angle() + dir, rot);
    const float b = world->ball_dist_from_body();
    float k = 0, d = 0;
    if (is_straight_kick(dir, end_dist, close_marg)) {
        const TPoint v = polar_deg(end_dist, dir) - world->ball_rel_to_body_position();
        const float rate = world->ball_kick_rate();
        k = deg_of(v);
        d = std::fmin(static_cast<float>(v.abs()) / rate, max_turn_kick_pow) * rate;
        rlog(35, "turnball_kick: using a straight kick:", "         dir  :", k, "         dist :", d);
    } else if (b < close_marg) {
        rlog(35, "turnball_kick: ball is too close to body, must be far before kick.", "               kick 90 degree. . .");
        k = ball_dir - 90 * rot;
        d = std::sqrt(ball_ctrl_dist * ball_ctrl_dist - b * b);
    } else {
        k = ball_dir + 180 + rot * ASin(close_marg / b);
        d = std::sqrt(b * b - close_marg * close_marg) + std::sqrt(ball_ctrl_dist * ball_ctrl_dist - close_marg * close_marg);
        rlog(35, "making tangent", "  dist :", d, "  dir  :", k);
    }
    player_movement_correction(&k, &d);
    return turnball_result(do_kick(k, d, factor));
}

// Without the ball's velocity: a stopping kick while the neck shows the ball,
// else turn body and neck towards it; a ball beyond one turn gets a body turn
// of far_turn (with the ball's sign) and the neck makes up the rest.
int TCore::look_for_ball_velocity(float far_turn) {
    const float a = world->ball_angle_from_body();
    if (world->can_see_ball_with_neck()) {
        turn_neck_to_relative_ang(a, true);
        return kick(static_cast<float>(ball_stop_power), round(get_normal_angle_deg(a + 180), 2), true);
    }
    const float m = std::copysign(max_effective_turn(), a);
    if (std::fabs(a) > std::fabs(m)) {
        turn_neck_to_relative_ang(a - m, true);
        return turn(std::copysign(far_turn, a), true);
    }
    turn_neck_to_relative_ang(0, true);
    return turn(a, true);
}

int TCore::hard_kick_turnball(float dir, Turn_Dir rot, bool stop) {
    return turnball_kick(dir - world->my_body_abs_angle(), rot, stop, hard_kick_ball_dist, closest_margin, kick_factor);
}

bool TCore::is_hard_kick_coll(float dir, TPoint *ball_next, float speed, bool *ok) {
    float p = 0, k = 0;
    do_kick(dir - world->my_body_abs_angle(), speed, 1.0f, ok, &p, &k, true);
    *ball_next = world->ball_predicted_position(1, p, k);
    return ball_next->dist(world->my_predicted_position(1, 0, 0)) <= player_size + ball_size + hard_kick_dist_buffer;
}

// The ball's wanted displacement to p (field frame), kicked now.
int TCore::kick_ball_to(TPoint p) {
    const TPoint v = into_body_frame(p - world->ball.pos, world->my_body_abs_angle());
    return do_kick(deg_of(v), static_cast<float>(v.abs()), 1.0f);
}

int TCore::kick_hard_moderate(float dir, float speed, Turn_Dir rot) {
    TPoint next;
    bool ok = true;
    if (is_hard_kick_coll(dir, &next, speed, &ok))
        return solve_hard_kick_collision(dir, speed, rot, next, ok);
    const float rel = dir - world->my_body_abs_angle();
    const TPoint me_next = world->my_predicted_position(1, 0, 0);
    const float controlled = kickable_area - hard_kick_dist_buffer;
    if (next.dist(me_next) <= controlled) {
        rlog(35, "kick_hard_moderate: doing a kick....");
        return do_kick(rel, speed, 1.0f);
    }
    TPoint base = me_next;
    float r0 = controlled;
    if (!world->ball_will_be_kickable(1, 0, kKickableBuffer)) {
        if (std::fabs(deg_of(world->ball.vel) - dir) < kSameHeading) {
            rlog(35, "kick_hard_moderate: doing a kick...");
            return do_kick(rel, speed, 1.0f);
        }
        base = world->my_pos();
        r0 = stop_ball_dist_buffer;
    }
    const float s1 = std::fmin(ball_speed_max, static_cast<float>(world->ball.pos.dist(next)));
    rlog(35, "kick_hard_moderate: one_kick_vel:", s1);
    if (speed <= s1) {
        rlog(35, "One kick creates required ball speed");
        return do_kick(rel, speed, 1.0f);
    }
    TPoint run_up;
    const float s2 = two_kick_speed(base, next, me_next, r0, &run_up);
    if (s2 <= s1 + kTwoKickGain || s2 == 0) {
        rlog(35, "kick_hard_moderate: selected one kick method");
        return do_kick(rel, speed, 1.0f);
    }
    rlog(35, "kick_hard_moderate: selected two kick method");
    return kick_ball_to(run_up);
}

// The speed a run-up through *run_up (on the ray from base through next, r0
// from me next cycle) gives; 0 when there is no usable run-up point.
float TCore::two_kick_speed(TPoint base, TPoint next, TPoint me_next, float r0, TPoint *run_up) const {
    TPoint p1, p2;
    const int n = cut_ray(base, next, me_next, r0, &p1, &p2);
    if (n == 0) {
        rerror("kick_hard_moderate: no ray intersection");
        return 0;
    }
    if (n > 2)
        rerror("kick_hard_moderate: ray_circle_intersect found more than two solution!");
    const TPoint &ball = world->ball.pos;
    *run_up = (n >= 2 && ball.dist(p2) > ball.dist(p1)) ? p2 : p1;
    if (run_up->dist(me_next) < player_size + hard_kick_dist_buffer) {
        rlog(35, "kick_hard_moderate: two kick: ball collids with me");
        return 0;
    }
    const TPoint rel = *run_up - me_next;
    const float rate = world->get_kick_rate(static_cast<float>(rel.abs()), deg_of(rel) - world->my_body_abs_angle());
    const float s2 = std::fmin(ball_speed_max, rate * maxpower + static_cast<float>(ball.dist(*run_up)) * ball_decay);
    rlog(35, "kick_hard_moderate: two_kick_vel:", s2);
    return s2;
}

int TCore::solve_hard_kick_collision(float dir, float speed, Turn_Dir rot, TPoint next, bool ok) {
    rlog(35, "kick_hard_moderate: collision problem,  try to solve");
    if (world->ball_dist_from_body() < player_size + hard_kick_dist_buffer) {
        rlog(35, "kick_hard_moderate: ball is in collision now! can turnball help me?");
        return hard_turnball_result(hard_kick_turnball(dir, rot, false));
    }
    if (!ok) {
        rlog(35, "kick_hard_moderate: I can't solve the problem.");
        return do_kick(dir - world->my_body_abs_angle(), speed, 1.0f);
    }
    TPoint q1, q2;
    const int n = cut_ray(world->ball.pos, next, world->my_predicted_position(1, 0, 0),
                          player_size + ball_size + hard_kick_dist_buffer, &q1, &q2);
    if (n == 0) {
        rlog(35, "kick_hard_moderate: any solution not found?!!");
        return hard_turnball_result(hard_kick_turnball(dir, rot, false));
    }
    if (n > 2)
        rerror("Huhhhhh? a ray intersects a circle in more than two point?!");
    return kick_ball_to(n >= 2 ? q2 : q1);
}

void TCore::hard_kick(float dir, Turn_Dir rot, bool use_turnball) {
    if (!world->know_my_pos()) {
        rerror("hard_kick: what must I do when my position is not known?");
        return;
    }
    if (!world->ball.know_pos()) {
        rerror("hard_kick: what must I do when ball position is not known?");
        return;
    }
    if (!ball_is_kickable()) {
        rerror("hard_kick: what must I do when ball is not kickable?");
        return;
    }
    const bool consecutive = hard_kick_cycle == cycle - 1;
    if (consecutive)
        rot = hard_kick_rot;
    if (rot != TD_CLOCKWISE && rot != TD_COUNTER_CLOCKWISE) {
        rerror("hard_kick: must kick, but turn ball is CW or CCW.", rot);
        rot = kick_rotation_direction_abs(dir, rot);
    }
    hard_kick_rot = rot;
    const float body = world->my_body_abs_angle();
    const float back = dir + kBackAngle * rot;
    const float off = std::fabs(get_normal_angle_deg(back - body - world->ball_angle_from_body()));
    rlog(30, "hard_kick: turn_dir : ", back, "ang dist: ", off);
    if (off <= kBackTolerance || (hard_kick_continuing && consecutive)) {
        hard_kick_continuing = true;
        kick_hard_moderate(dir, kHardKickSpeed, rot);
    } else {
        hard_kick_continuing = false;
        rlog(30, "hard_kick: turning ball to back...");
        if (use_turnball) {
            hard_kick_turnball(back, rot, true);
        } else {
            const TPoint t = world->my_predicted_position(1, 0, 0) + polar_deg(0.8f, back);
            const TPoint v = t - world->ball_predicted_position(1);
            do_kick(deg_of(v) - body, static_cast<float>(v.abs()), 1.0f);
        }
    }
    hard_kick_cycle = cycle;
}

int TCore::smart_kick_hard_abs(float dir, Kick_Mode mode, float speed, Turn_Dir rot) {
    rlog(30, "smart kick hard to an absolute direction. . .with mode:", mode, "  want to hard kick to angle :", dir);
    if (!world->ball.know_pos()) {
        rerror("must shoot but I don't know ball position!");
        return 0;
    }
    if (!ball_is_kickable()) {
        rerror("how shoot when ball is not kickable?");
        return 0;
    }
    if (!world->ball.know_vel()) {
        rlog(35, "smart_kick_hard: turning to face ball...");
        if (!world->can_see_ball_with_neck())
            return look_for_ball_velocity(max_effective_turn());
        rlog(35, "smart_kick_hard: just turning neck.");
        look_for_ball_velocity(max_effective_turn());
    }
    if (rot != TD_CLOCKWISE && rot != TD_COUNTER_CLOCKWISE && rot != TD_CLOSEST_WAY && rot != TD_AWAY_FROM_OPPONENT)
        rot = TD_AWAY_FROM_OPPONENT;
    rot = kick_rotation_direction_abs(dir, rot);
    bool neck = true;
    const int result = smart_kick_by_mode(dir, mode, speed, rot, &neck);
    if (neck)
        neck_after_kick();
    return result;
}

int TCore::smart_kick_by_mode(float dir, Kick_Mode mode, float speed, Turn_Dir rot, bool *neck) {
    switch (mode) {
    case KM_0:
    case KM_1:
        hard_kick(dir, rot, mode == KM_0);
        return action_is_update() ? 1 : 0;
    case KM_2: return kick_hard_moderate(dir, speed, rot);
    default: break;
    }
    const float rel = dir - world->my_body_abs_angle();
    TPoint next;
    bool ok = true;
    if (!is_hard_kick_coll(dir, &next, speed, &ok)) {
        if (mode == KM_3 && world->ball_will_be_kickable(1, 0, kKickableBuffer) &&
            std::fabs(world->ball_angle_from_body()) > quick_kick_max_angle) {
            rlog(35, "smart_kick_hard: quick mode: turn to shoot harder");
            turn_neck_to_relative_ang(0, true);
            return turn(world->body_angle_from_point(world->ball_predicted_position(1)), true);
        }
        rlog(35, "smart_kick_hard: I want to do an straight shoot.");
        return do_kick(rel, speed, 1.0f);
    }
    rlog(35, "smart_kick_hard: collision problem :-(");
    if (!ok) {
        rlog(35, "smart_kick_hard: can't solve the problem");
        return do_kick(rel, speed, 1.0f);
    }
    rlog(35, "smart_kick_hard: want help from turnball");
    const int t = hard_kick_turnball(dir, rot, false);
    if (t == 3 || t == 5) {
        *neck = false;                  // nothing done: the neck stays too
        return 0;
    }
    return 1;
}

// Points the head at where the ball will be, unless a neck turn is queued already.
void TCore::neck_after_kick() {
    if (turn_neck_is_update())
        return;
    rlog(32, "doing a turn_neck only for doing");
    const TPoint ball = world->ball_predicted_position_with_queued_actions(1);
    float a = deg_of(ball - world->my_predicted_position(1, 0, 0)) - world->me->head;
    if (action_is_update() && body_com.type == BC_TURN)
        a -= body_com.direction;
    turn_neck(a, true);
}

int TCore::smart_pass(TPoint p, float speed, Kick_Mode mode, Turn_Dir rot) {
    const float dir = static_cast<float>(p.relative_ang(world->my_pos())) / kRadPerDeg;
    return smart_kick_hard_abs(dir, mode, world->vel_at_point_2_vel_at_foot(p, speed), rot);
}
