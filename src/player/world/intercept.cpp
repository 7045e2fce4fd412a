// The interception search: where and after how many cycles a player reaches
// the ball. My own search runs the motion model over my dash and turn options;
// other players get a coarse reach model. Results are cached per cycle.

#include <algorithm>
#include <cmath>
#include <mutex>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/world.h"

namespace {

const float kDegToRad = static_cast<float>(kPi / 180);
const float kRadToDeg = static_cast<float>(180 / kPi);
const double kMeetDist = 1.01;        // a predicted run this close to the ball meets it
const double kFarMeeting = 10.0;      // beyond this a moving ball is met one cycle further on
const double kSameDirection = 0.001;  // radians
const int kUnusedCheck = 10;          // any non-zero has_ball_check runs the reach model
// My own search predicts afresh for every candidate cycle, so its cost grows
// with the square of its limit; 1000 cycles are far beyond any run across the pitch.
const int kMaxSearchCycles = 1000;

// Guards the two caches: worker threads of one group may store the same entry at once.
std::mutex cache_mutex;

struct Ball_State {
    TPoint pos, vel;
};

// The ball velocity to predict with: still when its velocity is not known.
TPoint usable_velocity(const TBall &ball) { return ball.know_vel() ? ball.vel : TPoint(0, 0); }

// One cycle of the ball's motion: move, then decay.
void move_ball(Ball_State &b) {
    b.pos += b.vel;
    b.vel *= core->ball_decay;
}

// The own search takes a ball beyond the pitch (its centre shifted by 2 m) to stop there.
void stop_if_out(Ball_State &b) {
    if (std::fabs(b.pos.X - 2.0) > core->SP_pitch_length / 2 || std::fabs(b.pos.Y - 2.0) > core->SP_pitch_width / 2)
        b.vel = TPoint(0, 0);
}

void advance_ball(Ball_State &b, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        stop_if_out(b);
        move_ball(b);
    }
}

// Distance a ball starting at speed covers in n cycles of decay.
double decayed_run(double speed, int n) {
    const double decay = core->ball_decay;
    if (decay == 1)
        return speed * n;
    return speed * (std::pow(decay, n) - 1) / (decay - 1);
}

// The quick bound: even with the ball rolling straight at the player and the
// player running flat out, dist is not covered in n cycles.
bool out_of_reach(double ball_speed, float run_speed, float kickable, double dist, int n) {
    return decayed_run(ball_speed, n) + run_speed * n + kickable < dist;
}

float direction_deg(TPoint to, TPoint from) { return static_cast<float>(to.relative_ang(from)) * kRadToDeg; }

// Whether a and b lie in the same direction seen from `from`.
bool same_direction(TPoint from, TPoint a, TPoint b) {
    return std::fabs(std::remainder(a.relative_ang(from) - b.relative_ang(from), 2 * kPi)) < kSameDirection;
}

bool valid_unum(int unum) { return unum >= 1 && unum <= 11; }

Ball_Intercept_Info fresh_result(int max_cycles, float power) {
    Ball_Intercept_Info r;
    r.cycle = core->real_cycle;
    r.max_cycles = max_cycles;
    r.dash_power = power;
    return r;
}

Ball_Intercept_Info with_kind(Ball_Intercept_Info r, int kind, const char *log_text, int level) {
    core->rlog(level, log_text);
    r.kind = kind;
    return r;
}

// What my own search works from: my options and the ball one cycle ahead.
struct Own_Search {
    explicit Own_Search(const TWorld_Model &world) : w(world) {}
    const TWorld_Model &w;
    float power = 0;
    float acc = 0;                // the acceleration of a dash with power
    float body = 0;               // my body direction, degrees
    TPoint me_next;               // me next cycle without a dash
    Ball_State ball_next;         // the ball next cycle
};

// One dash along my body line to where the ball will be next cycle.
bool one_dash(const Own_Search &s, Ball_Intercept_Info &r) {
    const TPoint heading = polar_2_point(1, s.body * kDegToRad);
    const TLine path(s.me_next, s.me_next + heading);
    const float radius = core->player_size + core->ball_size + core->collision_buffer;
    TPoint p1, p2;
    const int hits = line_circle_intersect(path, radius, s.ball_next.pos, &p1, &p2);
    if (hits < 1)
        return false;
    TPoint target = p1;
    if (hits >= 2 && std::fabs(get_normal_angle_deg(direction_deg(p2, s.w.ball.pos) - s.body)) < 90)
        target = p2;

    float d = core->dash_power_rate > 0 ? static_cast<float>(s.me_next.dist(target)) / core->dash_power_rate
                                        : core->maxpower;
    if (std::fabs(s.w.body_angle_from_point(target)) > 90)
        d = -d;
    d = std::max(core->minpower, std::min(d, core->maxpower));
    if (!(s.w.my_predicted_position(1, d, 0).dist(s.ball_next.pos) < core->kickable_area))
        return false;
    r.kind = 3;
    r.cycles = 1;
    r.dash_power = d;
    r.point = s.me_next + polar_2_point(d < 0 ? -s.acc : s.acc, s.body * kDegToRad);
    core->rlog(35, "best_point_to_ball : a one cycle solution found.");
    return true;
}

// A turn towards where the ball will be in two cycles, then a dash.
bool turn_and_dash(const Own_Search &s, TPoint ball_in_two, Ball_Intercept_Info &r) {
    const float a = direction_deg(ball_in_two, s.w.my_predicted_position(2, 0, 0));
    if (!(std::fabs(a - s.body) > core->go_to_point_ignore_angle))
        return false;
    const TPoint p = s.w.my_predicted_position_with_turn(get_normal_angle_deg(a - s.body), 2, s.power, true, 0);
    if (!(p.dist(ball_in_two) < core->kickable_area))
        return false;
    r.kind = 4;
    r.cycles = 2;
    r.dash_power = s.power;
    r.point = s.me_next + polar_2_point(s.acc, a * kDegToRad);
    core->rlog(35, "best_point_to_ball : a solution found: a turn and a dash.");
    return true;
}

bool two_dashes(const Own_Search &s, TPoint ball_in_two, Ball_Intercept_Info &r) {
    if (!(s.w.my_predicted_position(2, s.power, 0).dist(ball_in_two) < core->kickable_area))
        return false;
    r.kind = 3;
    r.cycles = 2;
    r.dash_power = s.power;
    core->rlog(35, "best_point_to_ball: with two dashes I will get the ball.");
    return true;
}

// After a turn was planned: the point ahead where the ball's path crosses my
// present body line, when the ball at its speed covers the way from my found
// position to it within no_turn_max_cycle_diff cycles; there I need no turn.
bool straight_run_point(const Own_Search &s, const Ball_State &b, TPoint found, float turn, Ball_Intercept_Info &r) {
    if (!(core->no_turn_max_cycle_diff > -1) || turn == 0 || !(b.vel.abs() > core->max_ignore_vel))
        return false;
    const TPoint me_pos = s.w.me->pos;
    const TPoint ball_on = b.pos + b.vel;
    const TPoint ahead = s.me_next + polar_2_point(1, s.body * kDegToRad);
    const TPoint cross = TLine(b.pos, ball_on).accident_point(TLine(me_pos, ahead));
    if (cross.is_point_QUAZIL() || !same_direction(b.pos, cross, ball_on) || !same_direction(me_pos, cross, ahead))
        return false;
    const float k =
        calc_cycles(static_cast<float>(b.vel.abs()), core->ball_decay, static_cast<float>(found.dist(cross)));
    if (!(k >= 0 && k <= core->no_turn_max_cycle_diff))
        return false;
    r.kind = 4;
    r.point = cross;
    core->rlog(35, "best_point_to_ball: a better solution found.");
    return true;
}

// The meeting point of a find: where the ball was when my run passed it, else
// where it is, moved on by a cycle when it is far and I have to turn first.
TPoint meeting_point(const Own_Search &s, const Ball_State &b, const Ball_State &before, bool passed, float turn) {
    if (passed)
        return before.pos;
    const bool far = core->info_snapshot.unum != 1 && s.w.ball_dist_from_body() > kFarMeeting &&
                     s.w.me->pos.dist(b.pos) > kFarMeeting && turn != 0;
    return far ? b.pos + b.vel : b.pos;
}

// Cycle by cycle (or by my_intercept_step cycles, refined once found): the
// first cycle in which my run reaches the ball or passes it.
bool search_cycle_by_cycle(const Own_Search &s, int max_cycles, Ball_Intercept_Info &r) {
    const TPoint me_pos = s.w.me->pos;
    Ball_State b = s.ball_next;
    Ball_State before = b;
    int step = std::clamp(core->my_intercept_step, 1, std::max(1, max_cycles));
    for (int i = 1; i <= max_cycles;) {
        stop_if_out(b);
        float turn = get_normal_angle_deg(direction_deg(b.pos, me_pos) - s.body);
        if (std::fabs(turn) < core->go_to_point_ignore_angle)
            turn = 0;
        const TPoint p = s.w.my_predicted_position_with_turn(turn, i, s.power, turn != 0, 0);
        const bool passed = s.me_next.dist(p) > s.me_next.dist(b.pos) + core->kickable_area;
        if (!(b.pos.dist(p) <= kMeetDist || passed)) {
            before = b;
            advance_ball(b, step);
            i += step;
            continue;
        }
        if (step > 1 && i != 1) {   // go back to the last miss and refine cycle by cycle
            i -= step;
            step = 1;
            b = before;
            advance_ball(b, 1);
            i += 1;
            continue;
        }
        r.cycles = i;
        if (!straight_run_point(s, b, p, turn, r)) {
            r.kind = 4;
            r.point = meeting_point(s, b, before, passed, turn);
            core->rlog(35, "best_point_to_ball: an intersection with ball found", i);
        }
        return true;
    }
    return false;
}

// The entry when it was computed from this world update; else compute() stored into it.
template <class Compute>
Ball_Intercept_Info cached(Ball_Intercept_Info &entry, int update, Compute compute) {
    {
        std::lock_guard<std::mutex> lock(cache_mutex);
        if (entry.update == update)
            return entry;
    }
    Ball_Intercept_Info fresh = compute();
    fresh.update = update;
    std::lock_guard<std::mutex> lock(cache_mutex);
    entry = fresh;
    return fresh;
}

Ball_Intercept_Info player_entry(const TWorld_Model &w, Ball_Intercept_Info *cache, int unum, bool teammate,
                                 int max_cycles) {
    auto compute = [&] { return w.calc_player_best_point_to_ball(unum, teammate, max_cycles, kUnusedCheck); };
    if (!valid_unum(unum))
        return compute();
    Ball_Intercept_Info r = cached(cache[unum], w.update_count, compute);
    std::lock_guard<std::mutex> lock(cache_mutex);
    cache[unum].max_cycles = r.max_cycles = max_cycles;
    return r;
}

}  // namespace

Ball_Intercept_Info TWorld_Model::best_point_to_ball(float power, int max_cycles) {
    auto compute = [&] { return calc_best_point_to_ball(power, max_cycles); };
    const int unum = core->info_snapshot.unum;
    return valid_unum(unum) ? cached(teammates_intercept[unum], update_count, compute) : compute();
}

Ball_Intercept_Info TWorld_Model::teammate_best_point_to_ball(int unum, int max_cycles) {
    return player_entry(*this, teammates_intercept, unum, true, max_cycles);
}

Ball_Intercept_Info TWorld_Model::opponent_best_point_to_ball(int unum, int max_cycles) {
    return player_entry(*this, opponents_intercept, unum, false, max_cycles);
}

Ball_Intercept_Info TWorld_Model::calc_best_point_to_ball(float power, int max_cycles, int) const {
    Ball_Intercept_Info r = fresh_result(max_cycles, power);
    if (!ball.know_pos())
        return with_kind(r, 1, "calc_best_point_to_ball: I don't know ball position", 30);
    if (core->ball_is_kickable())
        return with_kind(r, 2, "calc_best_point_to_ball: I have ball", 30);
    const int n = std::clamp(max_cycles, 0, kMaxSearchCycles);
    if (out_of_reach(ball.vel.abs(), core->player_speed_max, core->kickable_area, ball_dist_from_body(), n))
        return with_kind(r, 0, "calc_best_point_to_ball : Can't go to ball any way!", 35);

    Own_Search s(*this);
    s.power = power;
    s.acc = std::min(power * core->dash_power_rate, core->player_accel_max);
    s.body = me->body;
    s.me_next = my_predicted_position(1, 0, 0);
    s.ball_next = Ball_State{ball.pos, usable_velocity(ball)};
    move_ball(s.ball_next);
    Ball_State in_two = s.ball_next;
    move_ball(in_two);
    if (one_dash(s, r) || turn_and_dash(s, in_two.pos, r) || two_dashes(s, in_two.pos, r) ||
        search_cycle_by_cycle(s, n, r))
        return r;
    r.kind = 0;
    return r;
}

Ball_Intercept_Info TWorld_Model::calc_player_best_point_to_ball(int unum, bool teammate, int max_cycles,
                                                                 int has_ball_check) const {
    if (teammate && unum == core->info_snapshot.unum)
        return calc_best_point_to_ball(core->maxpower, 200, kUnusedCheck);
    Ball_Intercept_Info r = fresh_result(max_cycles, core->maxpower);
    if (!ball.know_pos())
        return with_kind(r, 1, "calc_best_player_point_to_ball: I don't know ball position", 30);
    if (has_ball_check == 0)
        return with_kind(r, 2, "calc_best_player_point_to_ball: He has ball", 30);
    const TPlayer *player = valid_unum(unum) ? &(teammate ? teammates : opponents)[unum] : nullptr;
    if (!player || player->pos_chance < 0.5f)
        return with_kind(r, 1, "calc_best_player_point_to_ball: I don't know player position", 30);
    if (out_of_reach(ball.vel.abs(), player->player_speed_max, player->kickable_area, player->pos.dist(ball.pos),
                     clamp_cycles(max_cycles)))
        return with_kind(r, 0, "calc_best_player_point_to_ball : Can't go to ball any way!", 35);

    // The player stands for three cycles, then runs straight at the ball: its
    // reach grows by its speed, which grows by acc up to its speed maximum.
    const double acc = std::min(core->maxpower * player->dash_power_rate, core->player_accel_max);
    Ball_State b{ball.pos, usable_velocity(ball)};
    TPoint pos = player->pos;
    TPoint vel = player->vel_chance >= 0.5f ? player->vel : TPoint(0, 0);
    int k = -3;
    double reach = 0, speed = 0;
    for (int steps = 0; b.pos.dist(pos) >= reach + player->kickable_area; ++steps) {
        if (steps >= kMaxPredictCycles)
            return with_kind(r, 0, "calc_best_player_point_to_ball : Can't go to ball any way!", 35);
        pos += vel;
        vel *= player->player_decay;
        b.pos += b.vel;
        if (std::fabs(b.pos.X) > core->SP_pitch_length / 2 || std::fabs(b.pos.Y) > core->SP_pitch_width / 2)
            b.vel = TPoint(0, 0);
        b.vel *= core->ball_decay;
        if (++k > 0) {
            const double w = std::min(speed + acc, static_cast<double>(player->player_speed_max));
            reach += w;
            speed = w * player->player_decay;
        }
    }
    r.kind = 4;
    r.point = b.pos;
    r.cycles = k;
    return r;
}
