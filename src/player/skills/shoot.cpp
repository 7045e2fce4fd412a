#include "player/skills/shoot.h"

#include <algorithm>
#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/best_dir.h"

namespace {

const Distance_Step kShootSteps[kDistanceSteps] = {{22, 0.75f}, {18, 0.9f}, {14, 1.0f}, {6, 1.1f}};
const float kMinFreeWidth = 2;     // degrees; narrower is no chance at all

struct Width_Step {
    float below, value;
};
const Width_Step kWidthSteps[] = {{3, 0.2f},  {4, 0.3f},  {5, 0.4f},  {6, 0.5f}, {9, 0.6f},
                                  {12, 0.7f}, {15, 0.8f}, {20, 0.9f}, {30, 1.0f}};
const float kWidestValue = 1.1f;

// Opponents count by their direction alone, cones as absolute angles.
Target_Rule shoot_rule() {
    Target_Rule r;
    r.min_chance = 0.5f;
    r.with_reach = false;
    r.absolute_cones = true;
    return r;
}

float one_opponent_chance(Goal_Cone *c, float factor) {
    float g1 = 0, g2 = 0;
    free_edge_cones(c, true, &g1, &g2);
    const float chance = std::pow(std::max(0.0f, std::max(g1, g2)) * 1.9f, 1.9f) / 1000 * factor * 0.65f;
    core->rlog(20, "One enemy, shoot chance is ", chance);
    return chance;
}

float many_opponents_chance(Goal_Cone *c, float factor) {
    sort_dangerous(c);
    float g1 = 0, g2 = 0;
    free_edge_cones(c, true, &g1, &g2);
    int k = -1;
    const float gap = widest_gap(*c, &k);
    const float chance = std::pow(std::max({gap, g1 * 1.9f, g2 * 1.9f}), 1.92f) / 1000 * factor;
    core->rlog(20, "Theres many enemy, shoot chance is ", chance);
    return chance;
}

float cone_chance(float factor) {
    Goal_Cone c = scan_goal_cone(kShootPostMargin, shoot_rule());
    if (c.count == 0)
        return open_goal_chance(c, factor);
    return c.count == 1 ? one_opponent_chance(&c, factor) : many_opponents_chance(&c, factor);
}

}  // namespace

void TShoot::assess() {
    make_empty();
    shoot();
    const float d = static_cast<float>(core->world->ball.pos.dist(kTheirGoalCentre));
    if (!(d <= kShootRange))
        return publish_shot(this, 0);
    publish_shot(this, cone_chance(shot_distance_factor(d, kShootSteps)));
}

float shot_distance_factor(float d, const Distance_Step (&steps)[kDistanceSteps]) {
    for (const Distance_Step &s : steps)
        if (d > s.beyond)
            return s.factor;
    return kClosestFactor;
}

float free_width_value(float w) {
    for (const Width_Step &s : kWidthSteps)
        if (w < s.below)
            return s.value;
    return kWidestValue;
}

float open_goal_chance(const Goal_Cone &c, float factor) {
    const float w = std::max(std::fabs(c.top_ang - c.near_top), std::fabs(c.down_ang - c.near_down));
    if (!(w >= kMinFreeWidth))
        return 0;
    const float chance = factor * free_width_value(w);
    core->rlog(20, "No Enemy, Shoot chance is ", chance);
    return chance;
}

void publish_shot(TWith_Ball *o, float chance) {
    o->work.chance = std::isfinite(chance) ? chance : 0;
    o->fill_final();
}
