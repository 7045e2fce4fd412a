#include "player/skills/cautious.h"

#include <algorithm>
#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/best_dir.h"
#include "player/skills/shoot.h"

namespace {

const Distance_Step kCautiousSteps[kDistanceSteps] = {{22, 0.9f}, {17, 1.0f}, {12, 1.1f}, {7, 1.3f}};

// The widest of the two post cones and the gaps between opponents.
float largest_free_part(Goal_Cone *c) {
    sort_dangerous(c);
    float top = 0, down = 0;
    free_edge_cones(c, false, &top, &down);
    int k = -1;
    return std::max({top, down, widest_gap(*c, &k)});
}

float covered_goal_chance(Goal_Cone *c, float factor) {
    const float w = std::max(0.0f, largest_free_part(c));
    const float chance = std::pow(w * 1.9f, 1.9875f) / 1000 * factor * 0.8f;
    core->rlog(20, c->count == 1 ? "One enemy, shoot chance is " : "Theres many enemy, shoot chance is ", chance);
    return chance;
}

}  // namespace

float get_cautious_best_target(float margin) { return find_shot_target(margin, Target_Rule()); }

void TCautious_Shoot::assess() {
    make_empty();
    shoot();
    const float d = static_cast<float>(core->world->my_pos().dist(kTheirGoalCentre));
    if (!(d <= kShootRange))
        return publish_shot(this, 0);
    const float factor = shot_distance_factor(d, kCautiousSteps);
    Goal_Cone c = scan_goal_cone(kShootPostMargin, Target_Rule());
    publish_shot(this, c.count == 0 ? open_goal_chance(c, factor) : covered_goal_chance(&c, factor));
}
