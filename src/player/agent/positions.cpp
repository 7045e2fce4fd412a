// Strategic positions for any player and ball, the offside limit, and the
// immediate saying of the world map.

#include <algorithm>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/encrypt.h"

namespace {

// Positions keep this far behind the offside line.
const float kOffsideMargin = 4.0f;
const int kMapSaySize = 1024;
}  // namespace

TPoint TCore::get_position() { return get_position(info_snapshot.unum, world->ball.pos); }
TPoint TCore::get_position(int unum) { return get_position(unum, world->ball.pos); }
TPoint TCore::get_position(TPoint ball) { return get_position(info_snapshot.unum, ball); }

TPoint TCore::get_position(int unum, TPoint ball) {
    TPoint p = positioning.get_position(unum, ball);
    p.X = limit_offside(static_cast<float>(p.X));
    return p;
}

// The ball, the centre line or the second-last known opponent, whichever is
// furthest forward.
float TCore::offside_line() const {
    float line = std::max(0.0f, static_cast<float>(world->ball.pos.X));
    const int last = world->farthest_opponent();
    for (int u = 1; u <= 11; ++u) {
        const TPlayer &o = world->opponents[u];
        if (u != last && o.pos_chance > 0.5f && o.pos.X > line)
            line = static_cast<float>(o.pos.X);
    }
    return line;
}

float TCore::limit_offside(float x) const { return std::min(x, offside_line() - kOffsideMargin); }

int TCore::say_map_now() {
    if (!map_encoder)
        return -1;
    char map[kMapSaySize];
    if (!map_encoder->get_map_string(map, info_snapshot.unum))
        return -1;
    char text[kMapSaySize + 8];
    snprintf(text, sizeof text, "(say %s)", map);
    return net->send_message(text);
}

TPoint TCore::calc_pos_by_attraction() { return calc_pos_by_attraction(info_snapshot.unum, world->ball.pos); }
TPoint TCore::calc_pos_by_attraction(TPoint ball) { return calc_pos_by_attraction(info_snapshot.unum, ball); }
TPoint TCore::calc_pos_by_attraction(int unum) { return calc_pos_by_attraction(unum, world->ball.pos); }

TPoint TCore::calc_pos_by_attraction(int unum, TPoint ball) {
    return formation_table.position_by_attraction(unum, ball);
}

float TCore::limit_min_max(float x) { return limit_min_max(x, info_snapshot.unum); }

float TCore::limit_min_max(float x, int unum) {
    return formation_table.limit_min_max(x, unum);
}
