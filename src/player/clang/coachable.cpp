#include "player/clang/coachable.h"

#include <cmath>
#include <limits>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/clang/region.h"
#include "player/runtime/client.h"
#include "player/skills/pass.h"

namespace {

const float kPassSpeed = 2.7f;         // ball speed wanted at the target
const double kTargetCrowd = 5;         // metres: a player this near the target counts once
const double kMateLineMin = 5;         // metres: nearer teammates do not cover the pass line
const double kDangerScale = 30;        // the danger that makes a pass hopeless
const double kPositionReached = 0.5;   // metres
const double kBallNear = 5;            // metres: this near the ball, go for the ball itself

// How much a player that far off the pass line (|sin| of its angle from the
// line, 1 behind me) endangers or covers the pass.
float line_danger(double s) {
    static const double kBelow[] = {0.05, 0.065, 0.08, 0.1, 0.13, 0.15, 0.2, 0.26, 0.3, 0.4, 0.5};
    static const float kValue[] = {20, 17, 13, 10, 8, 6, 5, 4, 3, 2, 1};
    for (int i = 0; i < 11; ++i)
        if (s < kBelow[i])
            return kValue[i];
    return 0;
}

double off_line_sine(TPoint from, double along, TPoint p) {
    float e = static_cast<float>(p.relative_ang(from) - along);
    normalize_angle_rad(&e);
    return std::fabs(e) < kPi / 2 ? std::fabs(std::sin(e)) : 1;
}

bool is_send(Coach_Action_Type type) { return type == CAT_BTO_REGIONAL || type == CAT_BTO_UNIFORMAL; }

bool is_without_ball_kind(Coach_Action_Type type) {
    return type == CAT_POS || type == CAT_HOME || type == CAT_MARK || type == CAT_MARKL_UNIFORMAL ||
           type == CAT_MARKL_REGIONAL || type == CAT_OLINE;
}

bool is_position_kind(Coach_Action_Type type) { return type == CAT_POS || type == CAT_HOME; }

bool is_mark_kind(Coach_Action_Type type) {
    return type == CAT_MARK || type == CAT_MARKL_UNIFORMAL || type == CAT_MARKL_REGIONAL;
}

bool has_kind(Directive **list, int n, bool (*kind)(Coach_Action_Type)) {
    for (int i = 0; i < n; ++i)
        if (kind(list[i]->action.type))
            return true;
    return false;
}

std::vector<Directive *> select(std::vector<Directive> &all, bool (*kind)(Coach_Action_Type)) {
    std::vector<Directive *> chosen;
    for (Directive &d : all)
        if (kind(d.action.type))
            chosen.push_back(&d);
    return chosen;
}

bool is_me(int n) { return &core->world->teammates[n] == core->world->me; }

// The pass target with the best chance so far; none until a chance above -1.
struct Pass_Choice {
    float best = -1;
    TPoint target = kInvalidPoint;

    bool offer(TPoint p, float chance) {
        if (p.is_point_QUAZIL() || !(chance > best))
            return false;
        best = chance;
        target = p;
        return true;
    }
};

void offer_region(const Region &region, Pass_Choice *choice) {
    TPoint p = kInvalidPoint;
    switch (region.type) {
    case RT_POINT:
        p = calc_reg_point_position(region.point, true);
        choice->offer(p, get_chance_of_pass_to_point(p));
        break;
    case RT_QUAD:
    case RT_ARC: {
        const float chance = get_best_point_of_region_for_pass(region, &p);
        choice->offer(p, chance);
        break;
    }
    case RT_NULL: core->rlog(20, "Coachable->It's not a wise coach that tell me to pass anywhere!"); break;
    default: break;
    }
}

// Known teammates of the set other than me: passing to where I stand, or to
// the place of a teammate never seen, sends the ball nowhere.
void offer_players(const Uniform_List &players, Pass_Choice *choice) {
    for (int n = 1; n <= 11; ++n)
        if (players.players[n])
            core->rlog(20, "Coachable->player is in pass list:", n);
    for (int n = 1; n <= 11; ++n) {
        if (!players.players[n] || is_me(n) || !core->world->teammates[n].know_pos())
            continue;
        const TPoint p = core->world->teammates[n].pos;
        if (choice->offer(p, get_chance_of_pass_to_point(p)))
            core->rlog(20, "Coachable:currently wants to pass to uniform:", n);
    }
}

}  // namespace

float get_chance_of_pass_to_point(TPoint target) {
    const TWorld_Model &world = *core->world;
    const TPoint me = world.my_pos();
    const double reach = 1.1 * me.dist(target);
    const double along = target.relative_ang(me);
    double danger = 0;
    for (int n = 1; n <= 11; ++n) {
        const TPlayer &opp = world.opponents[n];
        if (!(opp.pos_chance > 0.5f))
            continue;
        if (opp.pos.dist(target) < kTargetCrowd) {
            core->rlog(20, "P it's near the target");
            danger += 1;
        }
        const double r = opp.pos.dist(me);
        if (r <= reach)
            danger += closeness_weight(static_cast<float>(r)) * line_danger(off_line_sine(me, along, opp.pos));
    }
    for (int n = 1; n <= 11; ++n) {
        const TPlayer &mate = world.teammates[n];
        if (is_me(n) || !(mate.pos_chance > 0.5f))
            continue;
        if (mate.pos.dist(target) < kTargetCrowd)
            danger -= 1;
        const double r = mate.pos.dist(me);
        if (r <= reach && r >= kMateLineMin)
            danger -= line_danger(off_line_sine(me, along, mate.pos));
    }
    return static_cast<float>(1 - danger / kDangerScale);
}

float get_best_point_of_region_for_pass(const Region &region, TPoint *out) {
    bool found = false;
    float best = -1;
    for (int n = 1; n <= 11; ++n) {
        const TPoint p = core->world->teammates[n].pos;
        if (is_me(n) || !core->world->teammates[n].know_pos() || !is_point_in_region(p, &region))
            continue;
        const float chance = get_chance_of_pass_to_point(p);
        if (!found || chance > best) {
            best = chance;
            *out = p;
        }
        found = true;
    }
    if (found)
        return best;
    TPoint center = kInvalidPoint;
    if (region.type == RT_QUAD)
        center = quad_center(calc_reg_quad(region.quad));
    else if (region.type == RT_ARC)
        center = calc_reg_point_position(region.arc.point, true);
    if (center.is_point_QUAZIL())
        return -1;
    *out = center;
    return get_chance_of_pass_to_point(center);
}

void get_best_point_of_region_to_go(const Region &region, TPoint *out) {
    if (region.type == RT_POINT) {
        *out = calc_reg_point_position(region.point, true);
    } else if (region.type == RT_ARC) {
        *out = calc_reg_point_position(region.arc.point, true);
    } else if (region.type == RT_QUAD) {
        core->rlog(20, "Coachable:Quad pos");
        const TQuadrangle quad = calc_reg_quad(region.quad);
        core->rlog(20, "Poiny", quad.P1, quad.P2, quad.P3, quad.P4);
        *out = quad_center(quad);
        core->rlog(20, "Center", *out);
    }
}

// ---- the advice step of the agent core ----

std::vector<Directive> TCore::my_coach_directives() {
    std::vector<Directive> mine;
    const int unum = info_snapshot.unum;
    std::lock_guard<std::mutex> hold(coach_message.mutex);
    const Advice_Message &advice = coach_message.advice;
    const AI_Token *chosen = nullptr;
    int held = 0, chosen_place = -1;
    for (int i = 0; i < advice.count(); ++i) {
        const AI_Token *token = advice.get(i);
        if (!is_condition(&token->condition))
            continue;
        rlog(20, "Coachable:condition is correct number", i);
        if (!chosen || token->time >= chosen->time) {
            chosen = token;
            chosen_place = held;
        }
        ++held;
    }
    rlog(20, "Coachable:number of available advices:", held);
    if (!chosen || unum < 1 || unum > 11)
        return mine;
    rlog(20, "Coachable:Chose token index", chosen_place);
    const Directive_List &list = chosen->directive_list;
    for (int i = 0; i < list.count(); ++i) {
        Directive *d = list.get(i);
        if (d->type == DAT_NEGATIVE)
            remove_unacceptable_assessors(d);
        else if (d->team == TV_OUR && d->player_list.players[unum])
            mine.push_back(*d);
    }
    return mine;
}

bool TCore::do_coach_advices() {
    rlog(20, "Coachable:Doing coach advice");
    std::vector<Directive> mine = my_coach_directives();
    if (mine.empty())
        return false;
    if (ball_is_kickable()) {
        std::vector<Directive *> sends = select(mine, is_send);
        if (sends.empty())
            return false;
        rlog(20, "Coachable:Quantity with ball advices now is:", sends.size());
        return do_coach_with_ball_advice(sends.data(), static_cast<int>(sends.size()));
    }
    std::vector<Directive *> moves = select(mine, is_without_ball_kind);
    if (moves.empty())
        return false;
    rlog(20, "Coachable:Quantity without ball advices now is:", moves.size());
    return do_coach_without_ball_advice(moves.data(), static_cast<int>(moves.size()));
}

bool TCore::do_coach_with_ball_advice(Directive **list, int n) {
    Pass_Choice choice;
    for (int i = 0; i < n; ++i) {
        const Coach_Action &action = list[i]->action;
        if (!is_send(action.type))
            continue;
        rlog(20, "Coachable->A BTO_REGIONAL action.");
        if (action.type == CAT_BTO_REGIONAL)
            offer_region(action.bto_regional.region, &choice);
        else
            offer_players(action.bto_uniformal.player_list, &choice);
    }
    rlog(20, "Coachable:going to execute action.", choice.target);
    if (choice.target.is_point_QUAZIL())
        return false;
    smart_pass(choice.target, kPassSpeed, KM_2, TD_AWAY_FROM_OPPONENT);
    return true;
}

bool TCore::do_coach_without_ball_advice(Directive **list, int n) {
    if (world->fastest_teammate_to_ball() == info_snapshot.unum) {
        go_to_ball(RM_FASTEST);
        return true;
    }
    const bool position = has_kind(list, n, is_position_kind);
    const bool mark = has_kind(list, n, is_mark_kind);
    if (position)
        rlog(20, "Coachable:pos action is available");
    if (mark)
        rlog(20, "Coachable:mark action is available");
    if (position && mark) {
        rlog(20, "Coachable:Multiple withoutball advices");
        int fastest = 0;
        bool teammate = false;
        world->fastest_player_to_ball(&fastest, &teammate);
        return teammate ? go_to_position(list, n) : mark_players(list, n);
    }
    if (position) {
        rlog(20, "Coachable:Going to position");
        return go_to_position(list, n);
    }
    return mark && mark_players(list, n);
}

// The nearest of the advised points (for home, my formation position based
// on it); nothing when I am there already.
bool TCore::go_to_position(Directive **list, int n) {
    const TPoint me = world->my_pos();
    const TPoint ball = world->ball.pos;
    TPoint best = kInvalidPoint;
    double best_dist = std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i) {
        const Coach_Action &action = list[i]->action;
        if (!is_position_kind(action.type))
            continue;
        const bool home = action.type == CAT_HOME;
        const Region &region = home ? action.home.region : action.pos.region;
        TPoint p = kInvalidPoint;
        if (region.type != RT_COMBINE)
            get_best_point_of_region_to_go(region, &p);
        if (p.is_point_QUAZIL() || !(p.dist(me) < best_dist))
            continue;
        rlog(20, "Coachable:chose a point to go", p);
        best = home ? positioning.get_position(info_snapshot.unum, ball, p) : p;
        best_dist = best.dist(me);
    }
    if (best.is_point_QUAZIL() || !(best_dist > kPositionReached))
        return false;
    if (best.dist(ball) > kBallNear)
        go_to_point(best, RM_FASTEST, static_cast<float>(kPositionReached), true);
    else
        go_to_ball(RM_FASTEST);
    return true;
}

bool TCore::mark_players(Directive **, int) { return false; }

void TCore::remove_unacceptable_assessors(Directive *) {}
