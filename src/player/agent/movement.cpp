// Moving the player: dashing and turning towards points, facing with body and
// neck, running to the ball, and going to a point while keeping the distances
// that the opponents' set plays demand.

#include <algorithm>
#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"

namespace {

const float kRadToDeg = static_cast<float>(180 / kPi);
const int kLogLevel = 40;
const double kArrivedDist = 0.2;       // dash_to_point does nothing this close
const int kStuckCycles = 4;            // collisions in a row before we sidestep
const double kDodgeDist = 10.0;
const double kKickOffLineX = -0.5;     // targets beyond this leave our half at a kick-off
const double kKickOffWaitX = -1.0;
const float kKickOffBuffer = 0.4f;
const double kOffsideBehindBall = 1.0; // targets this close to the ball at their offside kick
const double kOffsideWaitBehind = 2.0;

bool is_set_play(int play_mode) {
    return play_mode >= PM_CORNER_KICK_OURS && play_mode <= PM_KICK_IN_THEIRS;
}

}  // namespace

float TCore::run_mode_power(Run_Mode mode) const {
    const float caps[] = {slowest_dash_power, slow_dash_power, moderate_dash_power, fast_dash_power,
                          fastest_dash_power};
    const int i = std::clamp(static_cast<int>(mode), static_cast<int>(RM_SLOWEST), static_cast<int>(RM_FASTEST));
    return caps[i];
}

int TCore::dash_to_point(TPoint point, Run_Mode mode, bool) {
    const TPoint me = world->my_pos();
    const double dist = me.dist(point);
    if (dist <= kArrivedDist)
        return 3;
    const float angle = world->body_angle_from_point(point);
    if (!std::isfinite(dist) || !std::isfinite(angle)) {
        rerror("dash_to_point: no direction to the point");
        return 0;
    }
    if (std::fabs(angle) > go_to_point_ignore_angle)
        return turn(angle, false);
    // Dash no harder than it takes to get there in one cycle.
    const double left = point.dist(world->my_predicted_position(1, 0, 0));
    float power = run_mode_power(mode);
    if (dash_power_rate > 0 && left / dash_power_rate < power)
        power = static_cast<float>(left / dash_power_rate);
    return dash(power, false);
}

int TCore::face_to_point(TPoint point, bool locked) {
    return face_angle(world->predicted_point_rel_angle_from_body_with_queued_actions(point), locked, false);
}

int TCore::face_to_rel_angle(float angle, bool locked) { return face_angle(angle, locked, true); }

int TCore::face_to_ball(bool locked) {
    return face_to_point(world->ball_predicted_position_with_queued_actions(1), locked);
}

// The neck alone covers angles within its range; beyond, the body turns as far as
// it can and the neck takes the rest, on the same side. The relative-angle
// form (by_angle) differs in three points: the neck is queued before the body
// slot is emptied, an angle below the body's reach (any negative one among
// them) is left to the body alone, and beyond it the body turns by its reach.
int TCore::face_angle(float angle, bool locked, bool by_angle) {
    const float a = get_normal_angle_deg(angle);
    if (!std::isfinite(a))
        return 0;
    if (std::fabs(get_normal_angle_deg(world->me->neck - a)) < 1) {
        turn(0, true);
        turn_neck(0, true);
        return 3;
    }
    if (can_face_angle_from_body_with_neck(a)) {
        if (by_angle)
            turn_neck_to_relative_ang(a, true);
        turn(0, true);
        if (!by_angle)
            turn_neck_to_relative_ang(a, true);
        return 3;
    }
    const float m = max_effective_turn();
    if (by_angle ? a < m : std::fabs(a) < m) {
        turn(a, locked);
        return 1;
    }
    turn(by_angle ? m : a, locked);
    const float rest = a - std::copysign(m, a);
    turn_neck_to_relative_ang(std::clamp(rest, minneckang, maxneckang), true);
    return 1;
}

int TCore::go_to_ball(Run_Mode mode) {
    const int pm = info_snapshot.play_mode;
    if ((is_set_play(pm) && pm % 2 == 1) || info_snapshot.event == their_offside_event())
        mode = RM_SLOWEST;
    else if (is_set_play(pm))
        mode = RM_FAST;
    const Ball_Intercept_Info best = world->best_point_to_ball(100.0f, 6000);
    int result = 0;
    switch (best.kind) {
    case 3:
        rlog(kLogLevel, "go_to_ball: only dash...");
        result = dash(best.dash_power, false);
        break;
    case 4:
        rlog(kLogLevel, "go_to_ball: I found a point...");
        result = go_to_point(best.point, mode, 0.0f, false);
        break;
    case 2:
        rlog(kLogLevel, "go_to_ball: It's realy for me!");
        result = 3;
        break;
    default:
        rlog(kLogLevel, "go_to_ball: Can't go to ball in max cycles!");
        break;
    }
    neck_to_ball_after_queued_actions();
    return result;
}

int TCore::go_to_point(TPoint point, Run_Mode mode, float buffer, bool flag) {
    if (game_stopped) {
        rerror("go_to_point: I called by you when game stopped.");
        return 0;
    }
    if (dodge_if_stuck())
        return 1;
    if (world->my_pos().dist(point) <= buffer)
        return stop_facing(point);
    const bool theirs = their_set_play || info_snapshot.event == their_offside_event();
    if (!(theirs ? move_at_their_play(point, mode) : move_at_our_play(point, mode, flag)))
        return 0;
    neck_to_ball_after_queued_actions();
    return 1;
}

int TCore::stop_facing(TPoint point) {
    turn(world->body_angle_from_point(point), true);
    turn_neck_to_relative_ang(0, true);
    return 0;
}

void TCore::neck_to_ball_after_queued_actions() {
    turn_neck_to_relative_ang(world->predicted_ball_angle_from_body_with_queued_actions(), true);
}

// After several cycles pressed against a player, step aside at right angles to him.
bool TCore::dodge_if_stuck() {
    if (world->cycles_in_collision < kStuckCycles)
        return false;
    const TPoint me = world->my_pos();
    const double reach = 2 * player_size + 0.1;
    const TPlayer *other = nullptr;
    const int opponent = world->closest_opponent_to(me);
    const int teammate = closest_other_teammate();
    if (opponent > 0 && world->opponents[opponent].pos.dist(me) <= reach)
        other = &world->opponents[opponent];
    else if (teammate > 0 && world->teammates[teammate].pos.dist(me) <= reach)
        other = &world->teammates[teammate];
    if (!other)
        return false;
    rlog(kLogLevel, "Dodging...");
    const float aside = static_cast<float>(other->pos.relative_ang(me) + kPi / 2);
    dash_to_point(me + polar_2_point(static_cast<float>(kDodgeDist), aside), RM_FASTEST);
    const TPoint ball = world->ball_predicted_position(1);
    const TPoint from = world->my_predicted_position_with_queued_actions();
    const float to_ball = static_cast<float>(ball.relative_ang(from)) * kRadToDeg - world->my_body_abs_angle();
    turn_neck_to_relative_ang(get_normal_angle_deg(to_ball), true);
    return true;
}

// The world model's closest teammate to my position is myself; skip my own slot.
int TCore::closest_other_teammate() const {
    const TPoint me = world->my_pos();
    int best = -1;
    double best_dist = 0;
    for (int i = 1; i <= 11; ++i) {
        const TPlayer &t = world->teammates[i];
        if (&t == world->me || !t.know_pos())
            continue;
        const double d = t.pos.dist(me);
        if (best < 0 || d < best_dist) {
            best = i;
            best_dist = d;
        }
    }
    return best;
}

// The moves below return false when the player stopped and faced its target
// (go_to_point then gives 0), true when it moved on.
bool TCore::moved_or_stop(int nested_result, TPoint point) {
    if (nested_result != 0)
        return true;
    stop_facing(point);
    return false;
}

bool TCore::keep_out_of_kick_off(TPoint point, Run_Mode mode, bool flag) {
    return moved_or_stop(go_to_point(TPoint(kKickOffWaitX, point.Y), mode, kKickOffBuffer, flag), point);
}

bool TCore::move_at_our_play(TPoint point, Run_Mode mode, bool flag) {
    if (info_snapshot.play_mode == PM_KICK_OFF_OURS && point.X > kKickOffLineX) {
        rlog(kLogLevel, "go_to_point: kick off teammates");
        return keep_out_of_kick_off(point, mode, flag);
    }
    dash_to_point(point, mode);
    return true;
}

bool TCore::move_at_their_play(TPoint point, Run_Mode mode) {
    rlog(kLogLevel, "go_to_point: ball is theirs!");
    if (info_snapshot.play_mode == PM_GOAL_KICK_THEIRS)
        return move_at_their_goal_kick(point, mode);
    if (info_snapshot.play_mode == PM_KICK_OFF_THEIRS && point.X > kKickOffLineX) {
        rlog(kLogLevel, "go_to_point: kick off opponents");
        return keep_out_of_kick_off(point, mode, false);
    }
    return move_at_their_free_kick(point, mode);
}

// At their goal kick nobody may be in their penalty area: leave it, and go round it.
bool TCore::move_at_their_goal_kick(TPoint point, Run_Mode mode) {
    rlog(kLogLevel, "go_to_point: a goal kick for opponents");
    int my_y = 0, my_x = 0, to_y = 0, to_x = 0;
    get_AB_place(world->my_pos(), &my_y, &my_x);
    get_AB_place(point, &to_y, &to_x);
    if (my_y == 2 && my_x == 1) {
        stop_facing(point);
        return false;
    }
    if (to_y == 2 && to_x == 1)
        return moved_or_stop(go_to_y_by_point(point, mode), point);
    if ((my_x == 2 && to_x == 2) || my_y == to_y) {
        dash_to_point(point, mode);
        return true;
    }
    if (my_x == 1)
        return moved_or_stop(go_to_closest_penalty_area_corner(mode), point);
    return moved_or_stop(go_to_y_by_point(point, mode), point);
}

// At their free kicks (and the like) keep the free-kick distance from the ball.
bool TCore::move_at_their_free_kick(TPoint point, Run_Mode mode) {
    const TPoint ball = world->ball.pos;
    const TPoint me = world->my_pos();
    if (info_snapshot.event == their_offside_event() && point.X > ball.X - kOffsideBehindBall)
        return go_to_point(TPoint(ball.X - kOffsideWaitBehind, point.Y), mode, kKickOffBuffer, false) != 0;
    const double keep = SP_free_kick_buffer;
    if (point.dist(ball) < keep) {
        rlog(kLogLevel, "go_to_point: opponents have a free kick and point is forbidden");
        if (me.dist(ball) < keep + 0.2) {
            stop_facing(point);
            return false;
        }
        dash_to_point(point, mode);
        return true;
    }
    if (me.dist(ball) < keep + 1) {
        rlog(kLogLevel, "go_to_point: opponents have a free kick");
        const double y = ball.Y > me.Y ? ball.Y - (keep + 1) : ball.Y + (keep + 1);
        dash_to_point(TPoint(me.X, y), mode);
        return true;
    }
    dash_to_point(point, mode);
    return true;
}

void TCore::get_AB_place(TPoint p, int *y_place, int *x_place) const {
    const double x_edge = SP_pitch_length / 2 - SP_penalty_area_length + 0.5;
    const double y_edge = SP_penalty_area_width / 2 - 0.5;
    *x_place = p.X > x_edge ? 1 : 2;
    *y_place = p.Y > y_edge ? 3 : p.Y < -y_edge ? 1 : 2;
}

int TCore::go_to_penalty_area_corner(bool negative_y, Run_Mode mode) {
    const double x = SP_pitch_length / 2 - SP_penalty_area_length - 1;
    const double y = SP_penalty_area_width / 2 + 1;
    return go_to_point(TPoint(x, negative_y ? -y : y), mode, 0.2f, false);
}

int TCore::go_to_closest_penalty_area_corner(Run_Mode mode) {
    const double x = SP_pitch_length / 2 - SP_penalty_area_length;
    const double y = SP_penalty_area_width / 2;
    const TPoint me = world->my_pos();
    return go_to_penalty_area_corner(me.dist(TPoint(x, y)) > me.dist(TPoint(x, -y)), mode);
}

int TCore::go_to_y_by_point(TPoint point, Run_Mode mode) {
    const double x = SP_pitch_length / 2 - SP_penalty_area_length - 1;
    return go_to_point(TPoint(x, point.Y), mode, 1.0f, false);
}

int TCore::go_to_x_by_point(TPoint point, Run_Mode mode) {
    const double h = (SP_pitch_width - SP_penalty_area_width) / 2;
    const double y = world->my_pos().Y < h ? -h - 0.5 : h + 0.5;
    return go_to_point(TPoint(point.X, y), mode, 0.2f, false);
}
