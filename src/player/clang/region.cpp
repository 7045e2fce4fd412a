#include "player/clang/region.h"

#include <algorithm>
#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const double kRadPerDeg = kPi / 180;
const double kMinQuadArea = 1e-6;   // square metres; less is a line or a point

// Player n (1 to 11) of a team as the world model has it, whatever its confidence.
TPoint player_position(Team_Value team, int n) {
    if (n < 1 || n > 11)
        return kInvalidPoint;
    const TPlayer *players = team == TV_OPP ? core->world->opponents : core->world->teammates;
    return players[n].pos;
}

// Twice the signed area of the corners in their order.
double doubled_area(const TQuadrangle &q) {
    const TPoint c[4] = {q.P1, q.P2, q.P3, q.P4};
    double sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += c[i].X * c[(i + 1) % 4].Y - c[(i + 1) % 4].X * c[i].Y;
    return sum;
}

bool has_invalid_corner(const TQuadrangle &q) {
    return q.P1.is_point_QUAZIL() || q.P2.is_point_QUAZIL() || q.P3.is_point_QUAZIL() || q.P4.is_point_QUAZIL();
}

// The corner opposite p2 of the parallelogram p1, p2, p3: for the corners of a
// rectangle in order, the one left out.
TPoint parallelogram_corner(TPoint p1, TPoint p2, TPoint p3) {
    if (p1.is_point_QUAZIL() || p2.is_point_QUAZIL() || p3.is_point_QUAZIL())
        return kInvalidPoint;
    return p1 + p3 - p2;
}

bool is_point_in_quad(TPoint p, const Reg_Quad &reg_quad) {
    const TQuadrangle quad = calc_reg_quad(reg_quad);
    core->rlog(20, "Coachable:checking weather point is in quad", p);
    core->rlog(20, "Coachable:point1:", quad.P1);
    core->rlog(20, "Coachable:point2:", quad.P2);
    core->rlog(20, "Coachable:point3:", quad.P3);
    core->rlog(20, "Coachable:point4:", quad.P4);
    const bool in = !has_invalid_corner(quad) && std::fabs(doubled_area(quad)) / 2 >= kMinQuadArea &&
                    quad.is_point_in_the_quadrangle(p);
    core->rlog(20, in ? "Coachable:point is in the region" : "Coachable:point is not in the region");
    return in;
}

bool is_point_in_arc(TPoint p, const Reg_Arc &reg_arc) {
    const TArc arc = calc_reg_arc(reg_arc);
    return !arc.Center.is_point_QUAZIL() && arc.is_point_in_the_arc(p);
}

bool is_point_in_union(TPoint p, const Region_List &list) {
    for (int i = 0; i < list.count(); ++i)
        if (is_point_in_region(p, list.get(i)))
            return true;
    return false;
}

}  // namespace

TPoint calc_reg_point_position(const Reg_Point &point, bool mirror) {
    const double sign = mirror && core->info_snapshot.side == 'r' ? -1 : 1;
    const TPoint offset(sign * point.X, sign * point.Y);
    if (point.type == PT_BALL)
        return core->world->ball.pos;
    if (point.type == PT_PLAYER)
        return player_position(point.team, point.uniform);
    if (!point.related || !point.rel_point)
        return offset;
    const TPoint base = calc_reg_point_position(*point.rel_point, false);
    return base.is_point_QUAZIL() ? kInvalidPoint : offset + base;
}

TQuadrangle calc_reg_quad(const Reg_Quad &quad) {
    const TPoint p1 = calc_reg_point_position(quad.P1, true);
    const TPoint p2 = calc_reg_point_position(quad.P2, true);
    const TPoint p3 = calc_reg_point_position(quad.P3, true);
    const TPoint p4 = quad.corners == 3 ? parallelogram_corner(p1, p2, p3) : calc_reg_point_position(quad.P4, true);
    return TQuadrangle(p1, p2, p3, p4);
}

// The coach gives the sector by its first edge and its opening; the arc
// figure wants the middle direction and half the opening, in radians. On the
// right-hand side the coach's directions turn by a half circle, as its points
// are mirrored.
TArc calc_reg_arc(const Reg_Arc &arc) {
    const double opening = std::min(std::fabs(static_cast<double>(arc.rotate_ang)), 360.0);
    const double turn = core->info_snapshot.side == 'r' ? 180 : 0;
    const double middle =
        std::remainder(static_cast<double>(arc.start_ang) + arc.rotate_ang / 2.0 + turn, 360.0);
    return TArc(calc_reg_point_position(arc.point, true), arc.small_radius, arc.big_radius,
                static_cast<float>(middle * kRadPerDeg), static_cast<float>(opening / 2 * kRadPerDeg));
}

TPoint quad_center(const TQuadrangle &quad) {
    const TPoint center = quad.center();
    return center.is_point_QUAZIL() ? quad.middle() : center;
}

bool is_point_in_region(TPoint p, const Region *region) {
    core->rlog(20, "Coachable:ClangUtils:checking weather point is in the region");
    if (p.is_point_QUAZIL())
        return false;
    switch (region->type) {
    case RT_NULL:
        core->rlog(20, "Coachable:ClangUtils:region is null");
        return true;
    case RT_POINT: {
        const TPoint point = calc_reg_point_position(region->point, true);
        return !point.is_point_QUAZIL() && p == point;
    }
    case RT_QUAD: return is_point_in_quad(p, region->quad);
    case RT_ARC: return is_point_in_arc(p, region->arc);
    case RT_COMBINE: return is_point_in_union(p, region->list);
    default: return false;
    }
}

bool is_player_pos(const Cond_Player_Pos *c) {
    int count = 0;
    for (int n = 1; n <= 11; ++n)
        if (c->player_list.players[n] && is_point_in_region(player_position(c->team, n), &c->region))
            ++count;
    return c->min <= count && count <= c->max;
}

bool is_ball_pos(const Cond_Ball_Pos *c) { return is_point_in_region(core->world->ball.pos, &c->region); }

bool is_ball_owner(const Cond_Ball_Owner *c) {
    const TPoint ball = core->world->ball.pos;
    bool owner = true;
    for (int n = 1; n <= 11; ++n) {
        if (!c->player_list.players[n])
            continue;
        if (!(player_position(c->team, n).dist(ball) <= core->kickable_area))
            owner = false;
        else if (c->player_list.players[0])
            return true;
    }
    return owner;
}

bool is_play_mode(const Cond_Play_Mode *c) {
    // The snapshot's play mode each coach mode stands for, from CPM_BKO to CPM_GK_OPP.
    static const int kModes[] = {PM_BEFORE_KICK_OFF,     PM_TIME_OVER,       PM_PLAY_ON,
                                 PM_KICK_OFF_OURS,       PM_KICK_OFF_THEIRS, PM_KICK_IN_OURS,
                                 PM_KICK_IN_THEIRS,      PM_FREE_KICK_OURS,  PM_FREE_KICK_THEIRS,
                                 PM_CORNER_KICK_OURS,    PM_CORNER_KICK_THEIRS, PM_GOAL_KICK_OURS,
                                 PM_GOAL_KICK_THEIRS};
    const Info &now = core->info_snapshot;
    if (c->mode >= CPM_BKO && c->mode <= CPM_GK_OPP)
        return now.play_mode == kModes[c->mode];
    // A goalkeeper's catch: it holds the ball until play goes on.
    if (c->mode == CPM_GC_OUR)
        return core->catch_state == 1;
    if (c->mode == CPM_GC_OPP)
        return core->catch_state == 2;
    if (c->mode == CPM_AG_OUR)
        return now.event == EV_GOAL_BY_US;
    if (c->mode == CPM_AG_OPP)
        return now.event == EV_GOAL_BY_THEM;
    return false;
}

bool is_logic(const Condition_List *list, unsigned short logic) {
    for (int i = 0; i < list->count(); ++i) {
        const bool holds = is_condition(list->get(i));
        if (logic == CLT_AND && !holds)
            return false;
        if (logic == CLT_OR && holds)
            return true;
        if (logic == CLT_NOT && !holds)
            return true;
    }
    return logic == CLT_AND;
}

bool is_condition(const Condition *c) {
    switch (c->type) {
    case CT_TRUE: return true;
    case CT_PPOS: return is_player_pos(&c->ppos);
    case CT_BPOS: return is_ball_pos(&c->bpos);
    case CT_BOWNER: return is_ball_owner(&c->bowner);
    case CT_PMODE: return is_play_mode(&c->pmode);
    case CT_AND: return is_logic(&c->logic_list, CLT_AND);
    case CT_OR: return is_logic(&c->logic_list, CLT_OR);
    case CT_NOT: return is_logic(&c->logic_list, CLT_NOT);
    default: return false;
    }
}
