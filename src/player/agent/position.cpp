#include "player/agent/position.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const TPoint kOurGoalCentre(-52.5, 0);
const double kGoalCircleRadius = 9.0;
const float kNearTarget = 3.0f;        // within this I only face the ball
const float kRunBuffer = 1.0f;
const float kRunChance = 0.55f;
const float kFaceChance = 0.1f;
const float kScanChance = 1.0f;
const float kSideMargin = 10.0f;       // targets keep this far from the touch lines
const float kGoalieKeepRadius = 1.5f;  // a new target this close keeps the old one
const float kFieldKeepRadius = 4.0f;
const float kRestartShift = 15.0f;     // how far ahead of the ball we stand at our restarts
const float kCatchSideY = 16.0f;       // the side opposite the ball while our keeper holds it
}  // namespace

TPosition::TPosition() {
    load_formations();
    goal_circle.insert(kOurGoalCentre, kGoalCircleRadius);
    goal_circle.set_width(1);
}

// The core has read the same file at its construction and told what was
// wrong with it; this reading is silent.
void TPosition::load_formations() { formation.load("formation.rf", false); }

TPoint TPosition::get_position() {
    if (core->info_snapshot.play_mode != PM_GOAL_KICK_OURS && core->catch_state != 1)
        return core->get_position();
    TPoint ball = core->world->ball.pos;
    ball.X += kRestartShift;
    if (core->catch_state == 1)
        ball.Y = ball.Y >= 0 ? -kCatchSideY : kCatchSideY;
    return core->get_position(ball);
}

TPoint TPosition::calc_pos_by_attraction() {
    return formation.position_by_attraction(core->info_snapshot.unum, core->world->ball.pos);
}

float TPosition::limit_offside(float x) { return core->limit_offside(x); }

float TPosition::limit_min_max(float x) {
    return formation.limit_min_max(x, core->info_snapshot.unum);
}

void TPosition::assess() {
    make_empty();
    TPoint target = core->world->ball.know_pos() ? target_in_width(get_position()) : kInvalidPoint;
    if (usable_target(target)) {
        target = steady_target(target);
        take_position(target, kNearTarget, kRunBuffer, kRunChance);
    } else {
        scan_field();
    }
    printf("pos assessor");
    fill_final();
}

TPoint TPosition::target_in_width(TPoint target) const {
    const double limit = std::max(0.0f, core->SP_pitch_width / 2 - kSideMargin);
    target.Y = std::min(limit, std::max(-limit, target.Y));
    return target;
}

// A small shift of the target would make me turn away from a point I am
// already running to: keep the old one then.
TPoint TPosition::steady_target(TPoint target) {
    const TWorld_Model &w = *core->world;
    const float keep = core->info_snapshot.unum == 1 ? kGoalieKeepRadius : kFieldKeepRadius;
    const float ignore = core->go_to_point_ignore_angle;
    if (target.dist(remembered_target) < keep &&
        std::fabs(w.body_angle_from_point(remembered_target)) <= ignore &&
        std::fabs(w.body_angle_from_point(target)) > ignore)
        return remembered_target;
    remembered_target = target;
    return target;
}

bool TPosition::usable_target(TPoint target) {
    return std::isfinite(target.X) && std::isfinite(target.Y) && !target.is_point_QUAZIL();
}

void TPosition::scan_field() {
    turn_to_scan_field();
    work.chance = kScanChance;
}

void TPosition::take_position(TPoint target, float near_dist, float buffer, float run_chance) {
    const double d = core->world->my_pos().dist(target);
    core->rlog(20, "my distance to desired point is :", d);
    if (d <= near_dist) {
        face_ball();
        work.chance = kFaceChance;
    } else {
        go_to_point(target, RM_FASTEST, buffer, false, false, true);
        work.chance = run_chance;
    }
}
