#include "player/skills/short_pass.h"

#include <cmath>
#include <cstdlib>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const float kRadToDeg = static_cast<float>(180 / kPi);
const float kBlindSpeed = 2.7f;       // kick speed towards a teammate of unknown place
const float kBlindChance = 0.1f;
const float kAgeDecay = 0.9f;         // confidence factor of one cycle without a sighting
const float kLeadShare = 0.84f;       // of the way he has gone since last seen
const float kSeenInWay = 0.3f;        // confidence of an opponent the pass turns away from
const float kWayCone = 45;            // degrees about the teammate's direction
const int kTurnSearch = 10;           // whole degrees tried on each side
const float kBeyondTeammate = 2.0f;   // the pass is rated this far past him
const TPoint kLeftPost(52.5, -7.0), kRightPost(52.5, 7.0);

// A factor by the first bound the value lies below; the last factor at or above all.
struct Steps {
    int count;
    float bounds[5];
    float factors[6];

    float of(float v) const {
        int i = 0;
        while (i < count && !(v < bounds[i]))
            ++i;
        return factors[i];
    }
};

const Steps kDistanceEffect = {5, {7, 13, 20, 30, 40}, {0.8f, 0.95f, 1.1f, 1.0f, 0.7f, 0.5f}};
const Steps kCornerDeltaX = {4, {-20, -10, 0, 10}, {0.5f, 0.6f, 0.9f, 0.8f, 0.7f}};
const Steps kOwnHalfDeltaX = {5, {-27, -17, -9, -2, 10}, {0.1f, 0.2f, 0.3f, 0.35f, 0.85f, 1.0f}};
const Steps kFieldDeltaX = {5, {-27, -17, -9, -2, 10}, {0.2f, 0.4f, 0.5f, 0.65f, 0.9f, 1.0f}};
const Steps kShotCover = {4, {10, 20, 30, 40}, {0.8f, 0.84f, 0.9f, 0.92f, 1.0f}};

float delta_x_effect(float delta_x, TPoint ball) {
    if (ball.X > 32 && std::fabs(ball.Y) > 20)
        return kCornerDeltaX.of(delta_x);
    return ball.X < 5 ? kOwnHalfDeltaX.of(delta_x) : kFieldDeltaX.of(delta_x);
}

float score_effect(float his, float mine) {
    if (his > 1.5f * mine)
        return 1.3f;
    if (his > mine)
        return 1.0f;
    return his > mine / 2 ? 0.9f : 0.76f;
}

bool known_teammate(int unum) {
    return unum >= 1 && unum <= kTeamSize && core->world->teammates[unum].know_pos();
}

float direction_deg(TPoint to, TPoint from) { return static_cast<float>(to.relative_ang(from)) * kRadToDeg; }

// The turn k (whole degrees) that keeps the pass off the opponents' directions
// while staying near `angle`. Opponents share a weight of 3 in whole parts, so
// four or more weigh nothing.
int turn_away_from(float angle, const float *dirs, int n) {
    const float weight = n > 0 ? static_cast<float>(3 / n) : 0;
    float best = 1000;
    int chosen = 0;
    for (int k = -kTurnSearch; k < kTurnSearch; ++k) {
        float score = -2.5f / static_cast<float>(std::abs(k) + 1);
        for (int i = 0; i < n; ++i) {
            const float off = 1 + std::fabs(get_normal_angle_deg(dirs[i] - (angle + k)));
            score += weight / (off * off);
        }
        if (score < best) {
            best = score;
            chosen = k;
        }
    }
    return chosen;
}

}  // namespace

TShort_Pass::TShort_Pass() { skip_teammates = true; }

void TShort_Pass::assess() {
    core->rlog(21, "assessing short pass");
    make_empty();
    float angle = 0, speed = 0, best = 0;
    get_best_pass(&angle, &speed, &best);
    kick(angle, speed, KM_2, TD_AWAY_FROM_OPPONENT);
    work.chance = core->world->my_pos().X <= -25 ? best / 3.2f : best / 1.6f;
    fill_final();
}

void TShort_Pass::get_best_pass(float *angle, float *speed, float *chance) {
    float angles[kTeamSize + 1] = {}, speeds[kTeamSize + 1] = {}, chances[kTeamSize + 1] = {};
    const TWorld_Model &w = *core->world;
    const int me = core->info_snapshot.unum;
    const float my_score = direction_chance(w.my_pos());
    for (int u = 1; u <= kTeamSize; ++u) {
        core->rlog(24, "@@@@@ chnace of teammate for qualify:", u);
        if (u == me || !known_teammate(u))
            continue;   // his chance stays 0
        get_best_pass_to_player(u, &angles[u], &speeds[u], &chances[u]);
        core->rlog(24, "teammate Hurriyet :", chances[u]);
        chances[u] *= qualification(w.teammates[u].pos, my_score);
        core->rlog(24, "final chance:", chances[u]);
    }
    *angle = 0;
    *speed = 0;
    *chance = 0;
    int chosen = 0;
    for (int u = 1; u <= kTeamSize; ++u) {
        // A teammate or ball at a position that is not a number gives no usable kick.
        if (chances[u] > *chance && std::isfinite(angles[u]) && std::isfinite(speeds[u])) {
            *chance = chances[u];
            *angle = angles[u];
            *speed = speeds[u];
            chosen = u;
        }
    }
    if (std::fabs(*angle) > 150)
        *speed *= 0.5f;
    else if (std::fabs(*angle) > 110)
        *speed *= 0.7f;
    core->rlog(24, "final teammate :", chosen);
    core->rlog(24, "to angle :", *angle);
    core->rlog(24, "by speed :", *speed);
    core->rlog(24, "by chance :", *chance);
}

float TShort_Pass::qualification(TPoint teammate, float my_score) const {
    const TPoint ball = core->world->ball.pos;
    const float dist = static_cast<float>(teammate.dist(ball));
    const float delta_x = static_cast<float>(teammate.X - ball.X);
    const float score = direction_chance(teammate);
    const float by_dist = kDistanceEffect.of(dist);
    const float by_delta_x = delta_x_effect(delta_x, ball);
    const float by_score = score_effect(score, my_score);
    core->rlog(24, "teammate distance :", dist);
    core->rlog(24, "distance effect:", by_dist);
    core->rlog(24, "teammate deltaX :", delta_x);
    core->rlog(24, "deltaX effect:", by_delta_x);
    core->rlog(24, "teammate score_chance :", score);
    core->rlog(24, "score_chance effect:", by_score);
    return by_dist * by_delta_x * by_score;
}

void TShort_Pass::get_best_pass_to_player(int unum, float *angle, float *speed, float *chance) {
    const TWorld_Model &w = *core->world;
    if (!known_teammate(unum)) {
        *angle = w.body_angle_from_point(TPoint(52.5, 0));
        *speed = kBlindSpeed;
        *chance = kBlindChance;
        return;
    }
    const TPoint ball = w.ball.pos;
    const TPoint mate = w.teammates[unum].pos;
    const float mate_dir = direction_deg(mate, ball);
    const double mate_dist = ball.dist(mate);
    get_pass_to_player(unum, angle, speed);
    float dirs[kTeamSize] = {};
    int n = 0;
    for (int u = 1; u <= kTeamSize; ++u) {
        const TPlayer &o = w.opponents[u];
        if (!(o.pos_chance > kSeenInWay) || !(ball.dist(o.pos) < mate_dist))
            continue;
        const float dir = direction_deg(o.pos, ball);
        if (std::fabs(get_normal_angle_deg(dir - mate_dir)) < kWayCone)
            dirs[n++] = dir;
    }
    *angle = get_normal_angle_deg(*angle + turn_away_from(*angle, dirs, n));
    const float rated_dist = static_cast<float>(mate_dist) + kBeyondTeammate;
    *chance = get_chance_of_pass(ball + polar_2_point(rated_dist, *angle / kRadToDeg));
}

void TShort_Pass::get_pass_to_player(int unum, float *angle, float *speed) {
    if (!known_teammate(unum) || unum == 1) {
        *angle = 0;
        *speed = kBlindSpeed;
        return;
    }
    const TPlayer &mate = core->world->teammates[unum];
    const TPoint ball = core->world->ball.pos;
    // Cycles since he was seen, from how far his confidence has fallen.
    const double age = std::fmax(0.0, std::log(mate.pos_chance) / std::log(kAgeDecay));
    const TPoint way = core->get_position(unum) - mate.pos;
    const double way_len = way.abs();
    const double gone = kLeadShare * std::fmin(age, way_len);
    const TPoint lead = mate.pos + way * (gone / (way_len + 0.01));
    *angle = direction_deg(lead, ball);
    *speed = get_speed(static_cast<float>(ball.dist(lead)));
}

float TShort_Pass::get_speed(float dist) const { return (1 - core->ball_decay) * dist + dist / 5; }

// Aims between the posts towards the nearer one: the straighter and nearer,
// the better, less for each opponent near the line of the shot.
float TShort_Pass::direction_chance(TPoint p) const {
    const double d1 = p.dist(kLeftPost), d2 = p.dist(kRightPost);
    const TPoint aim(52.5, 7 * (d1 - d2) / (d1 + d2));
    const float aim_dir = static_cast<float>(aim.relative_ang(p));
    const double aim_dist = p.dist(aim);
    float v = static_cast<float>(std::cos(aim_dir) * 40 / (aim_dist + 1));
    for (int u = 1; u <= kTeamSize; ++u) {
        const TPoint o = core->world->opponents[u].pos;
        if (!(p.dist(o) <= aim_dist + 10))
            continue;
        v *= kShotCover.of(std::fabs(get_normal_angle_deg(direction_deg(o, p) - aim_dir * kRadToDeg)));
    }
    return v;
}
