#include "player/skills/pass.h"

#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"

float closeness_weight(float dist) {
    if (dist < 3)
        return 1.8f;
    if (dist < 5)
        return 1.5f;
    if (dist < 7)
        return 1.2f;
    return 1.0f;
}

namespace {

const double kRadToDeg = 180 / kPi;
const float kMaxFootSpeed = 2.7f;
const float kSeenOnLine = 0.5f;         // confidence of a player that counts for a pass
const float kSeenForAngle = 0.4f;       // confidence of an opponent the pass direction avoids
const float kNearTarget = 5.0f;         // a player this near the target counts once
const float kNearMe = 5.0f;             // a teammate this near me does not cover the line
const float kReachFactor = 1.1f;        // players beyond this many pass lengths do not matter
const float kDangerScale = 40;          // danger that makes a pass hopeless
const int kAngleSearch = 6;             // degrees tried on each side of the pass direction

// Danger of a player near the pass line by r = |sin| of his angle off it:
// the first row whose bound r is below.
struct Ladder_Step {
    float bound, opponent, teammate;
};
const Ladder_Step kLadder[] = {
    {0.05f, 32, 19}, {0.065f, 17, 17}, {0.08f, 13, 13}, {0.1f, 10, 10}, {0.13f, 8, 8}, {0.15f, 6, 6},
    {0.2f, 5, 5},    {0.26f, 4, 4},    {0.3f, 3, 3},    {0.4f, 2, 2},   {0.5f, 1, 1},
};

float ladder(float r, bool teammate) {
    for (const Ladder_Step &s : kLadder)
        if (r < s.bound)
            return teammate ? s.teammate : s.opponent;
    return 0;
}

// The fixed points the pass assessor tries, rated as it goes: `first` takes a
// point whatever its chance, `then` only a point that rates strictly higher.
class Pass_Choice {
public:
    Pass_Choice(const TPass &rater, int unum) : rater_(rater), unum_(unum) {}

    void first(TPoint p, int zero_for = 0) {
        target = p;
        best = rate(p, zero_for);
    }
    bool then(TPoint p, int zero_for = 0) {
        const float chance = rate(p, zero_for);
        if (!(chance > best))
            return false;
        target = p;
        best = chance;
        return true;
    }
    bool i_am(int a, int b = 0) const { return unum_ == a || unum_ == b; }

    TPoint target;
    float best = 0;

private:
    // zero_for: the uniform number that never passes there.
    float rate(TPoint p, int zero_for) const { return unum_ == zero_for ? 0 : rater_.get_chance_of_pass(p); }

    const TPass &rater_;
    int unum_ = 0;
};

// The zones by my x; ay is |my y|, s the sign of my y.
void near_our_goal(Pass_Choice &c, double ay, double s) {
    if (ay > 16) {
        c.then(TPoint(0, 27 * s));
        return;
    }
    c.first(TPoint(-20, 2 * s));
    c.then(TPoint(-20, 10 * s));
    c.then(TPoint(0, 24 * s));
}

void our_third(Pass_Choice &c, double ay, double s) {
    if (ay > 12) {
        c.first(TPoint(0, 5 * s));
        if (!c.i_am(10, 11))
            c.then(TPoint(20, 26 * s));
        c.then(TPoint(20, 2 * s));
        return;
    }
    c.first(TPoint(20, 2 * s));
    if (!c.i_am(8))
        c.then(TPoint(20, 25 * s));
    c.then(TPoint(-5, 24 * s));
}

void our_half(Pass_Choice &c, double ay, double s) {
    if (ay > 18) {
        c.first(TPoint(20, 6 * s), 9);
        if (!c.i_am(10, 11))
            c.then(TPoint(20, 26 * s));
        return;
    }
    c.first(TPoint(20, 2 * s), 9);
    if (!c.i_am(10))
        c.then(TPoint(20, 26));
    if (!c.i_am(11))
        c.then(TPoint(20, -26));
}

void their_half(Pass_Choice &c, double s, double ball_y, float *arrival) {
    c.first(TPoint(40, -27 * s));
    if (c.then(TPoint(32, -2 * s), 9))
        *arrival = 0.8f;
    if (c.then(TPoint(40, 23 * s)) && ((c.i_am(10) && ball_y > 0) || (c.i_am(11) && ball_y < 0)))
        *arrival = 0.4f;
}

void near_their_goal(Pass_Choice &c, double ay, double s, float *arrival) {
    if (!(ay > 18))
        return;
    c.first(TPoint(30, 5 * s));
    c.target = TPoint(34, 5 * s);   // rated at 30, played a little deeper
    c.then(TPoint(30, 2 * s));
    *arrival = 0.8f;
}

void choose_fixed_point(Pass_Choice &c, float *arrival) {
    const TPoint me = core->world->my_pos();
    const double ay = std::fabs(me.Y);
    const double s = me.Y >= 0 ? 1 : -1;
    if (me.X < -37)
        near_our_goal(c, ay, s);
    else if (me.X < -20)
        our_third(c, ay, s);
    else if (me.X < 0)
        our_half(c, ay, s);
    else if (me.X < 30)
        their_half(c, s, core->world->ball.pos.Y, arrival);
    else
        near_their_goal(c, ay, s, arrival);
}

// A pass whose ball would still roll when leaving x < 50, |y| < 32 is cut to
// the last point inside, to arrive there at rest.
void keep_in_field(TPoint *target, float *arrival) {
    const TPoint ball = core->world->ball.pos;
    const float speed = TPass::foot_speed_for(*target, *arrival);
    Ball_Roll roll(ball, polar_2_point(speed, static_cast<float>(target->relative_ang(ball))));
    while (roll.rolling() && roll.pos.X < 50 && std::fabs(roll.pos.Y) < 32)
        roll.step(core->ball_decay);
    if (roll.cut_while_rolling()) {
        *target = roll.last;
        *arrival = 0;
    }
}

}  // namespace

void Ball_Roll::step(float decay) {
    last = pos;
    pos += vel;
    vel *= decay;
    ++steps;
}

float TPass::foot_speed_for(TPoint target, float arrival) {
    const float foot = core->world->vel_at_point_2_vel_at_foot(target, arrival);
    return foot > kMaxFootSpeed ? kMaxFootSpeed : foot;
}

void TPass::assess() {
    make_empty();
    Pass_Choice c(*this, core->info_snapshot.unum);
    float arrival = 1.0f;
    choose_fixed_point(c, &arrival);
    core->rlog(20, "TPass: Pass point I choosed:", c.target);
    core->rlog(20, "TPass: I think chance of pass is", c.best);
    keep_in_field(&c.target, &arrival);
    pass(c.target, arrival, KM_2, TD_AWAY_FROM_OPPONENT);
    work.chance = c.best * 0.65f;
    if (core->world->my_pos().X < -20)
        work.chance *= 0.7f;
    fill_final();
}

float TPass::get_chance_of_pass(TPoint p) const {
    const TPoint me = core->world->my_pos();
    const float reach = kReachFactor * static_cast<float>(me.dist(p));
    const double dir = p.relative_ang(me);
    float danger = side_danger(p, reach, dir, false);
    if (!skip_teammates)
        danger -= side_danger(p, reach, dir, true);
    return 1 - danger / kDangerScale;
}

// The danger the known players of one side bring to the pass to p; teammates
// count with the same sign (the caller subtracts them).
float TPass::side_danger(TPoint p, float reach, double dir, bool teammates) const {
    const TWorld_Model &w = *core->world;
    const TPlayer *players = teammates ? w.teammates : w.opponents;
    float danger = 0;
    for (int u = 1; u <= kTeamSize; ++u) {
        const TPlayer &pl = players[u];
        if (&pl == w.me || !(pl.pos_chance > kSeenOnLine))
            continue;
        if (pl.pos.dist(p) < kNearTarget)
            danger += 1;
        danger += line_danger(pl.pos, reach, dir, teammates);
    }
    return danger;
}

// A player within reach and close to the line of the pass (an opponent within
// 45 degrees of it, a teammate at least 5 m from me within 90 degrees).
float TPass::line_danger(TPoint who, float reach, double dir, bool teammate) const {
    const TPoint me = core->world->my_pos();
    const float dist = static_cast<float>(who.dist(me));
    if (dist > reach || (teammate && dist < kNearMe))
        return 0;
    const float off = get_normal_angle_rad(static_cast<float>(who.relative_ang(me) - dir));
    const double cone = teammate ? kPi / 2 : kPi / 4;
    if (!(std::fabs(off) < cone))
        return 0;
    const float r = std::fabs(std::sin(off));
    return teammate ? ladder(r, true) : closeness_weight(dist) * ladder(r, false);
}

float TPass::best_angle_to_pass(TPoint p) const {
    const TWorld_Model &w = *core->world;
    const TPoint me = w.my_pos();
    float dirs[kTeamSize] = {};
    int n = 0;
    for (int u = 1; u <= kTeamSize; ++u)
        if (w.opponents[u].pos_chance > kSeenForAngle)
            dirs[n++] = static_cast<float>(w.opponents[u].pos.relative_ang(me) * kRadToDeg);
    const float base = static_cast<float>(p.relative_ang(me) * kRadToDeg);
    float best = -2.0f, result = 0;
    for (int k = 0; k <= kAngleSearch; ++k) {
        for (int sign : {1, -1}) {
            float clearance = 2.0f;   // the smallest |sin| towards an opponent
            for (int i = 0; i < n; ++i)
                clearance = std::fmin(clearance, std::fabs(std::sin((base + sign * k - dirs[i]) / kRadToDeg)));
            if (clearance > best) {
                best = clearance;
                result = std::trunc(base) + sign * k;
            }
        }
    }
    return result;
}
