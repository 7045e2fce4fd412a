#include "player/agent/pos.h"

#include <algorithm>
#include <cstdio>

namespace {

const TPoint kNoSlotAttraction(0, 52.0);
const TPoint kNoSlotPosition(-50.0, 0);

}  // namespace

bool TPositioning::set_team_mode(Integrity mode) {
    if (mode < IM_BASE || mode > IM_H_EXPANDED)
        return false;
    team_mode = mode;
    return true;
}

TPoint TPositioning::get_current_base(int slot) const {
    switch (team_mode) {
    case IM_INTEGRATED: return integrated_base_pos(slot);
    case IM_V_INTEGRATED: return v_integrated_base_pos(slot);
    case IM_H_INTEGRATED: return h_integrated_base_pos(slot);
    case IM_EXPANDED: return expanded_base_pos(slot);
    case IM_V_EXPANDED: return v_expanded_base_pos(slot);
    case IM_H_EXPANDED: return h_expanded_base_pos(slot);
    default: return base_pos(slot);
    }
}

TPoint TPositioning::calc_position_by_attraction(int slot, TPoint ball) const {
    return calc_position_by_attraction(slot, ball, get_current_base(slot));
}

// The ball pulls the player by the front factors in their half, else by the back ones.
TPoint TPositioning::calc_position_by_attraction(int slot, TPoint ball, TPoint base) const {
    if (!is_slot(slot))
        return kNoSlotAttraction;
    const Post &p = slot_post(slot);
    const TPoint att = ball.X > 0 ? p.front_attraction : p.back_attraction;
    return ball * att + base;
}

// The lower bound first; the upper one wins when the two cross.
float TPositioning::limit_min_max(int slot, float x) const {
    if (!is_slot(slot))
        return x;
    printf("TPositioning::limit_min_max, num = %d\n", slot);
    const float r = std::max(x, min_x(slot));
    return r < max_x(slot) ? r : max_x(slot);
}

TPoint TPositioning::get_position(int slot, TPoint ball) const {
    return get_position(slot, ball, get_current_base(slot));
}

TPoint TPositioning::get_position(int slot, TPoint ball, TPoint base) const {
    if (!is_slot(slot))
        return kNoSlotPosition;
    printf("TPositioning::get_position, num = %d\n", slot);
    TPoint pos = calc_position_by_attraction(slot, ball, base);
    pos.X = limit_min_max(slot, static_cast<float>(pos.X));
    if (behind_ball(slot))
        pos.X = std::min(pos.X, ball.X);
    return pos;
}

bool TPositioning::is_post(Player_Post p) const {
    const TFormation &f = formations[current_formation];
    for (int slot = 0; slot < kFormationSlots; ++slot)
        if (f.post_pointers[slot] && f.posts[slot] == p)
            return true;
    return false;
}

TLQP::TLQP(const char *posts_path, const char *formation_path)
    : TPositioning(posts_path, formation_path) {
    for (int u = 1; u <= 11; ++u)
        tasks[u] = u - 2;
}

TPoint TLQP::calc_position_by_attraction(int u, TPoint ball) const {
    return is_field_player(u) ? TPositioning::calc_position_by_attraction(tasks[u], ball)
                              : kNoSlotPosition;
}

TPoint TLQP::get_position(int u, TPoint ball) const {
    return is_field_player(u) ? TPositioning::get_position(tasks[u], ball) : kNoSlotPosition;
}

TPoint TLQP::get_position(int u, TPoint ball, TPoint base) const {
    return is_field_player(u) ? TPositioning::get_position(tasks[u], ball, base) : kNoSlotPosition;
}

TPoint TLQP::get_current_base(int u) const {
    return is_field_player(u) ? TPositioning::get_current_base(tasks[u]) : kNoSlotPosition;
}

float TLQP::limit_min_max(int u, float x) const {
    return is_field_player(u) ? TPositioning::limit_min_max(tasks[u], x) : x;
}

Post TLQP::post(int u) const { return TForm_Config::post(u >= 1 && u <= 11 ? tasks[u] : 0); }

void TLQP::change_task(int a, int b) {
    if (a >= 1 && a <= 11 && b >= 1 && b <= 11)
        std::swap(tasks[a], tasks[b]);
}
