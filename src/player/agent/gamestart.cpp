#include "player/agent/gamestart.h"

#include <cmath>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const TPoint kCatchBall(-30, -15);     // y on the side away from the ball
const float kAheadOfBall = 10.0f;
const float kWingAhead = 15.0f;
const float kWideY = 40.0f;            // a ball point this wide pulls players to the wing
const float kCornerBeyond = 15.0f;     // corner ball points lie this far beyond the goal line
const float kGoalKickX = -25.0f;
const float kGoalKickBackX = -32.0f;   // for the two centre backs

}  // namespace

void TGame_Start::assess() {
    make_empty();
    work.chance = 0;
    fill_final();
}

TPoint TGame_Start::get_my_pos(int pm) const {
    core->rlog(20, "get_my_pos");
    const TPoint b = core->world->ball.pos;
    const int u = core->info_snapshot.unum;
    const float s = b.Y >= 0 ? 1.0f : -1.0f;
    if (core->catch_state == 1)
        return core->get_position(TPoint(kCatchBall.X, kCatchBall.Y * s));
    switch (pm) {
    case PM_FREE_KICK_OURS:
        core->rlog(20, "our_free_kick");
        return free_kick_pos(b, u, s);
    case PM_CORNER_KICK_OURS:
        core->rlog(20, "our_corner_kick");
        return corner_kick_pos(b, u, s);
    case PM_GOAL_KICK_OURS:
        core->rlog(20, "our_goal_kick");
        return core->get_position(TPoint(u == 3 || u == 4 ? kGoalKickBackX : kGoalKickX, b.Y));
    case PM_KICK_IN_OURS:
        core->rlog(20, "our_kick_in");
        return core->get_position(TPoint(b.X + kAheadOfBall, kWideY * s));
    default:
        return kInvalidPoint;
    }
}

// Near their goal a winger moves to the far side; near ours a full back
// moves up its wing; everybody else keeps ahead of the ball.
TPoint TGame_Start::free_kick_pos(TPoint b, int u, float s) const {
    if ((b.Y < -22 && b.X > 30 && u == 11) || (b.Y > 22 && b.X > 30 && u == 10))
        return core->get_position(TPoint(b.X + kAheadOfBall, -b.Y));
    if ((b.Y < -10 && b.X < 10 && u == 5) || (b.Y > 10 && b.X < 10 && u == 2))
        return core->get_position(TPoint(b.X + kWingAhead, kWideY * s));
    return core->get_position(TPoint(b.X + kAheadOfBall, b.Y));
}

TPoint TGame_Start::corner_kick_pos(TPoint b, int u, float s) const {
    const float beyond = core->SP_pitch_length / 2 + kCornerBeyond;
    if (u == 10 || u == 11)
        return core->get_position(TPoint(beyond, kWideY * s));
    if (u == 6 || u == 7 || u == 8)
        return core->get_position(TPoint(beyond, -10 * s));
    // A full back on the ball's side takes the place its midfielder leaves.
    if (u == 5 && b.Y < 0)
        return core->get_position(8, TPoint(beyond, 10 * s));
    if (u == 2 && b.Y > 0)
        return core->get_position(7, TPoint(beyond, 10 * s));
    return core->get_position();
}

int TGame_Start::best_player_to_start(int pm) const {
    core->rlog(20, "best_player_to_start");
    const TPoint b = core->world->ball.pos;
    if (core->catch_state == 1)
        return 1;
    switch (pm) {
    case PM_GOAL_KICK_OURS: return 1;
    case PM_CORNER_KICK_OURS: return b.Y <= 0 ? 8 : 7;
    case PM_KICK_IN_OURS:
        if (b.X < 0)
            return b.Y < 0 ? 5 : 2;
        return b.Y < 0 ? 8 : 7;
    case PM_FREE_KICK_OURS: return free_kick_taker(b);
    default: return pm;
    }
}

int TGame_Start::free_kick_taker(TPoint b) {
    if (b.X < 15 && std::fabs(b.Y) > 20)
        return b.Y < -20 ? 5 : 2;
    if (b.X < 0)
        return b.Y < 0 ? 4 : 3;
    if (b.X < 35)
        return b.Y < -15 ? 8 : b.Y > 15 ? 7 : 6;
    if (b.Y < -22)
        return 8;
    if (b.Y > 22)
        return 7;
    if (b.Y < -5)
        return 11;
    return b.Y > 5 ? 10 : 9;
}
