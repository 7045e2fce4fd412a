#include "player/skills/kvel.h"

#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const float kRadToDeg = static_cast<float>(180 / kPi);
const float kArcArrival = 1.3f;      // ball speed wanted at the target before the post cases
const float kArcRadius = 30.0f;
const float kArcStep = 2.5f;         // degrees
const float kArcLastAngle = 50.0f;   // degrees towards the far side
const double kMaxArcX = 45.0;
const double kMaxCornerLineX = 37.0;
const int kCornerLineHalfWidth = 20;
const float kKeptShare = 0.7f;       // of the best rating, published as the chance
const float kNoNewPointShare = 0.6f; // in the corner, when its line finds nothing better
const double kRollOutX = 49;         // a ball still rolling here is stopped short
const double kTouchLineY = 31;
const double kCentralY = 15;         // a ball this near the middle rolls to either side

bool in_their_penalty_area_front(TPoint q) {
    const double x = core->SP_pitch_length / 2 - core->SP_penalty_area_length - 5;
    return q.X > x && std::fabs(q.Y) < core->SP_penalty_area_width / 2;
}

}  // namespace

TKVEL::TKVEL() { skip_teammates = true; }

void TKVEL::assess() {
    make_empty();
    float best = 0, arrival = kArcArrival;
    TPoint target(0, 0);
    scan_arc(&target, &best);
    scan_corner_line(&target, &best);
    core->rlog(20, "+pass point ", target);
    slow_down_for_post(target, &best, &arrival);
    keep_out_of_trouble(&target, &arrival);
    core->rlog(20, "TKVEL: Pass point I choosed:", target);
    core->rlog(20, "TKVEL: Pass speed I choosed:", arrival);
    core->rlog(20, "TKVEL: I think chance of pass is", best);
    pass(target, arrival, KM_2, TD_AWAY_FROM_OPPONENT);
    work.chance = best * kKeptShare;
    fill_final();
}

// From 45 - 1.5 |my y| degrees towards my touch line round to 50 degrees
// towards the other one; angle 0 points at their goal line.
void TKVEL::scan_arc(TPoint *target, float *best) const {
    const TPoint me = core->world->my_pos();
    const float n = me.Y >= 0 ? -1.0f : 1.0f;
    for (float t = static_cast<float>(std::fabs(me.Y)) * 1.5f - 45; t <= kArcLastAngle; t += kArcStep) {
        core->rlog(20, "t*n =", n * t);
        TPoint cp = me + polar_2_point(kArcRadius, n * t / kRadToDeg);
        if (cp.X > kMaxArcX)
            cp.X = kMaxArcX;
        const float chance = get_chance_of_pass(cp);
        core->rlog(20, "check_point ", cp);
        core->rlog(20, "chance = ", chance);
        if (chance > *best) {
            *best = chance;
            *target = cp;
        }
    }
}

// Wide near their corner: a line across the front of their goal, where
// teammates count as well.
void TKVEL::scan_corner_line(TPoint *target, float *best) {
    const TPoint me = core->world->my_pos();
    if (!(me.X > 28 && std::fabs(me.Y) > 20))
        return;
    const float arc_best = *best;
    const double x = me.X - 0.5 < kMaxCornerLineX ? me.X - 0.5 : kMaxCornerLineX;
    skip_teammates = false;
    for (int y = -kCornerLineHalfWidth; y <= kCornerLineHalfWidth; ++y) {
        const float chance = get_chance_of_pass(TPoint(x, y));
        if (chance > *best) {
            *best = chance;
            *target = TPoint(x, y);
        }
    }
    skip_teammates = true;
    if (*best == arc_best && me.X > 30)
        *best *= kNoNewPointShare;
}

// Forwards get the ball slower into their path; from a ball behind x = 25
// such a pass is not theirs to play.
void TKVEL::slow_down_for_post(TPoint target, float *best, float *arrival) const {
    if (!(target.X > 20))
        return;
    const bool ball_behind = core->world->ball.pos.X < 25;
    auto slow_down = [&](float by, const char *text) {
        if (ball_behind)
            *best = 0;
        *arrival -= by;
        core->rlog(20, text, *arrival);
    };
    if (target.Y < -12 && plays_forward(left_wing, left_wing_attack, left_wing_attack))
        slow_down(0.4f, "case 1: ball_sp = ");
    if (target.Y > 12 && plays_forward(right_wing, right_wing_attack, right_wing_attack))
        slow_down(0.4f, "case 2: ball_sp = ");
    if (std::fabs(target.Y) < 13 && plays_forward(attacking_midfield, center_attack, striker))
        slow_down(0.5f, "case 3: ball_sp = ");
}

bool TKVEL::plays_forward(Player_Post base_post, Player_Post attack_a, Player_Post attack_b) const {
    const int post = core->my_post();
    if (post == attack_a || post == attack_b)
        return true;
    const TLQP &formation = core->positioning;
    return post == base_post && !formation.is_post(attack_a) && !formation.is_post(attack_b);
}

// Follows the pass's free roll; a ball still rolling at x = 49, over a touch
// line it rolls towards, or (when I play from outside) into the front of their
// penalty area is stopped at the last point before.
void TKVEL::keep_out_of_trouble(TPoint *target, float *arrival) const {
    const TWorld_Model &w = *core->world;
    const TPoint ball = w.ball.pos;
    const float dir = static_cast<float>(target->relative_ang(ball));
    core->rlog(20, "path_ang = ", dir * kRadToDeg);
    const float foot = foot_speed_for(*target, *arrival);
    core->rlog(20, "foot_ball_sp = ", foot);
    Ball_Roll roll(ball, polar_2_point(foot, dir));
    core->rlog(20, "bv = ", roll.vel);
    const bool near_side =
        (roll.vel.Y >= 0 && ball.Y >= 0) || (roll.vel.Y < 0 && ball.Y < 0) || std::fabs(ball.Y) < kCentralY;
    const bool attacking = w.my_pos().X < 32;
    while (roll.pos.X < kRollOutX) {
        if ((std::fabs(roll.pos.Y) >= kTouchLineY && near_side) || !roll.rolling())
            break;
        roll.step(core->ball_decay);
        core->rlog(20, "+bp = ", roll.pos);
        core->rlog(20, "+bv = ", roll.vel);
        if (attacking && in_their_penalty_area_front(roll.pos)) {
            core->rlog(20, "ball goes to penalty area");
            break;
        }
    }
    core->rlog(20, "bv.abs() = ", roll.vel.abs());
    if (roll.cut_while_rolling()) {
        core->rlog(20, "overwriting the pass_point with old_bp ", roll.last);
        *target = roll.last;
        *arrival = 0;
    }
}
