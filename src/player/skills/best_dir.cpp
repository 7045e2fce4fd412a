#include "player/skills/best_dir.h"

#include <algorithm>
#include <cmath>

#include "common/geometry.h"
#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const float kRadPerDeg = static_cast<float>(kPi / 180);
const float kEvenSides = 8;   // outside opponents this evenly placed leave the centre best
const float kStraightAtGoal = 0;   // the answer when the ball's place is no number

float direction(TPoint from, TPoint to) {
    return get_normal_angle_deg(static_cast<float>((to - from).ang()) / kRadPerDeg);
}

float reach_of(const TPlayer &p, bool with_reach) {
    if (!with_reach)
        return 0;
    if (p.goalie)
        return std::hypot(core->catchable_area_l / 2, core->catchable_area_w / 2);
    return core->kickable_area;
}

// Half the angle a reach covers at dist; a player the ball lies within reach of
// covers a right angle to each side.
float reach_angle(float reach, float dist) {
    if (reach <= 0)
        return 0;
    return dist > reach ? ASin(reach / dist) : 90;
}

void add_opponent(Goal_Cone *c, const Danger &o) {
    const bool inside = is_between_2_angles(c->top_ang, c->down_ang, true, o.ang_t) ||
                        is_between_2_angles(c->top_ang, c->down_ang, true, o.ang_d);
    if (inside) {
        core->rlog(30, "He's dangerous");
        if (c->count < kMaxDangerous)
            c->danger[c->count++] = o;
        return;
    }
    const float to_top = std::fabs(o.ang_d - c->top_ang);
    if (to_top < c->near_top_dist) {
        c->near_top = o.ang_d;
        c->near_top_dist = to_top;
    }
    const float to_down = std::fabs(o.ang_t - c->down_ang);
    if (to_down < c->near_down_dist) {
        c->near_down = o.ang_t;
        c->near_down_dist = to_down;
    }
}

float cone_between(float from, float to, bool absolute) {
    return get_normal_angle_deg(absolute ? std::fabs(to - from) : to - from);
}

// inward: +1 moves the post toward positive y, -1 toward negative y.
void narrow_post(float *post, float neighbour, float *cone, float inward, const char *seen_log,
                 const char *change_log) {
    if (neighbour == kNoNeighbour)
        return;
    const float tmp = std::fabs(*post - neighbour);
    core->rlog(30, seen_log, tmp);
    if (tmp < *cone) {
        *post += inward * (*cone - tmp) / 2;
        *cone = (*cone + tmp) / 2;
        core->rlog(30, change_log, *post);
    }
}

float target_without_danger(const Goal_Cone &c, bool need_both) {
    core->rlog(30, "no dangerous players");
    const float differ = std::fabs(c.top_ang - c.near_top) - std::fabs(c.down_ang - c.near_down);
    core->rlog(20, "differ: ", differ);
    const bool flanked = c.near_top != kNoNeighbour && c.near_down != kNoNeighbour;
    if (std::fabs(differ) <= kEvenSides || (need_both && !flanked))
        return c.centre_ang;
    return differ > 0 ? c.top_ang : c.down_ang;
}

float target_beside_one(Goal_Cone *c, bool absolute) {
    float top = 0, down = 0;
    free_edge_cones(c, absolute, &top, &down);
    core->rlog(30, "one dangerous players");
    return down < top ? c->top_ang : c->down_ang;
}

// The doubled post cones against the widest gap between opponents; when
// nothing is free anywhere the goal centre is as good as any.
float target_among_several(Goal_Cone *c, bool absolute) {
    sort_dangerous(c);
    float top = 0, down = 0;
    free_edge_cones(c, absolute, &top, &down);
    top *= 2;
    down *= 2;
    int k = -1;
    const float max_cone = widest_gap(*c, &k);
    core->rlog(30, "max_cone ", max_cone);
    if (down < max_cone) {
        if (top >= max_cone)
            return c->top_ang;
        return k >= 0 ? (c->danger[k + 1].ang_t + c->danger[k].ang_d) / 2 : c->centre_ang;
    }
    return top < down ? c->down_ang : c->top_ang;
}

}  // namespace

Goal_Cone scan_goal_cone(float margin, const Target_Rule &rule) {
    const TWorld_Model &w = *core->world;
    const TPoint ball = w.ball.pos;
    const float x = core->SP_pitch_length / 2, half = core->goal_width / 2;
    Goal_Cone c;
    c.top_ang = direction(ball, TPoint(x, -half + margin));
    c.down_ang = direction(ball, TPoint(x, half - margin));
    c.centre_ang = direction(ball, TPoint(x, 0));
    core->rlog(30, "top_ang :", c.top_ang, "down_ang :", c.down_ang);
    for (int i = 1; i <= 11; ++i) {
        const TPlayer &p = w.opponents[i];
        if (!(p.pos_chance >= rule.min_chance))
            continue;
        Danger o;
        o.centre = direction(ball, p.pos);
        o.dist = static_cast<float>(ball.dist(p.pos));
        core->rlog(20, "checking player", i, "ang =", o.centre, "dist =", o.dist);
        if (!std::isfinite(o.centre) || !std::isfinite(o.dist))
            continue;
        const float diff = reach_angle(reach_of(p, rule.with_reach), o.dist);
        o.ang_t = o.centre - diff;
        o.ang_d = o.centre + diff;
        add_opponent(&c, o);
    }
    return c;
}

void sort_dangerous(Goal_Cone *c) {
    std::sort(c->danger, c->danger + c->count,
              [](const Danger &a, const Danger &b) { return a.centre < b.centre; });
}

void free_edge_cones(Goal_Cone *c, bool absolute, float *top_cone, float *down_cone) {
    *top_cone = cone_between(c->top_ang, c->danger[0].ang_t, absolute);
    *down_cone = cone_between(c->danger[std::max(0, c->count - 1)].ang_d, c->down_ang, absolute);
    core->rlog(30, "top_cone is", *top_cone, "down_cone is", *down_cone);
    narrow_by_outside(c, top_cone, down_cone);
}

void narrow_by_outside(Goal_Cone *c, float *top_cone, float *down_cone) {
    narrow_post(&c->top_ang, c->near_top, top_cone, +1, "there is a player top of the goal, tmp",
                "changing the top_ang to");
    narrow_post(&c->down_ang, c->near_down, down_cone, -1, "there is a player down of the goal, tmp",
                "changing the down_ang to");
}

float widest_gap(const Goal_Cone &c, int *k) {
    *k = -1;
    float best = 0;
    for (int i = 0; i + 1 < c.count; ++i) {
        const float gap = c.danger[i + 1].ang_t - c.danger[i].ang_d;
        if (gap > best) {
            best = gap;
            *k = i;
        }
    }
    return best;
}

float find_shot_target(float margin, const Target_Rule &rule) {
    const TPoint ball = core->world->ball.pos;
    if (!std::isfinite(ball.X) || !std::isfinite(ball.Y))
        return kStraightAtGoal;
    Goal_Cone c = scan_goal_cone(margin, rule);
    float target = c.centre_ang;
    if (c.count == 0)
        target = target_without_danger(c, rule.need_both_neighbours);
    else if (c.count == 1)
        target = target_beside_one(&c, rule.absolute_cones);
    else
        target = target_among_several(&c, rule.absolute_cones);
    return std::isfinite(target) ? target : kStraightAtGoal;
}

float get_best_target(float margin) {
    core->rlog(30, "get_best_target");
    Target_Rule rule;
    rule.min_chance = 0.6f;
    rule.with_reach = false;
    rule.absolute_cones = true;
    rule.need_both_neighbours = false;
    return find_shot_target(margin, rule);
}
