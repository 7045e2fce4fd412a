#include "player/goalie/goalie_position.h"

#include <algorithm>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const double kGoalLineX = -52.5;
const double kGuardRadius = 5.5;       // the keeper's circle around our goal's centre
const double kAimOffset = 2.0;         // the line aims this far to the ball's side of the centre
const float kNearTarget = 0.7f;        // within this the keeper only faces the ball
const float kRunBuffer = 2.0f;
const float kRunChance = 0.59f;
const double kBehindBall = 1.0;        // how far behind the ball the keeper's table keeps it

}  // namespace

TGoalie_Position::TGoalie_Position() { goal_circle.insert(goal_circle.Center, kGuardRadius); }

// Stateless: the target follows the ball from cycle to cycle.
void TGoalie_Position::assess() {
    make_empty();
    const TPoint target = core->world->ball.know_pos() ? guard_point(core->world->ball.pos) : kInvalidPoint;
    if (usable_target(target))
        take_position(target, kNearTarget, kRunBuffer, kRunChance);
    else
        scan_field();
    fill_final();
}

// The aim point lies inside the circle, so the line meets it twice; on a
// vertical line (ball on the goal line) both points are on the goal line and
// the first is taken.
TPoint TGoalie_Position::guard_point(TPoint ball) const {
    const TPoint aim(kGoalLineX, ball.Y >= 0 ? kAimOffset : -kAimOffset);
    TLine line;
    line.line_from_2_points(ball, aim);
    TPoint p1, p2;
    goal_circle.accident_points(line, &p1, &p2);
    return p2.X > kGoalLineX ? p2 : p1;
}

TPoint TGoalie_Position::get_position() {
    TPoint pos = calc_pos_by_attraction();
    pos.X = limit_offside(limit_min_max(static_cast<float>(pos.X)));
    return pos;
}

TPoint TGoalie_Position::calc_pos_by_attraction() {
    TPoint pos = TPosition::calc_pos_by_attraction();
    const int unum = core->info_snapshot.unum;
    const double limit = core->world->ball.pos.X - kBehindBall;
    if (unum >= 1 && unum <= 11 && formation.behind_ball[unum] && pos.X > limit)
        pos.X = limit;
    return pos;
}

// The keeper's limit is the offside line itself, without the field players' margin.
float TGoalie_Position::limit_offside(float x) { return std::min(x, core->offside_line()); }
