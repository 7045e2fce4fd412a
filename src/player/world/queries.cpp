// Queries on the world model: my own state, the ball relative to my
// body or head, the nearest players to a point and the fastest to the ball.

#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/world/world.h"

namespace {

const float kUnknownBallAngle = 60.0f;   // what the ball direction reads as while it is not known
const float kFarAway = 210.0f;           // beyond every distance on the field
const float kDegToRad = static_cast<float>(kPi / 180);
const float kRadToDeg = static_cast<float>(180 / kPi);

// v turned by minus the absolute direction dir (degrees): into a frame whose x
// axis points along dir.
TPoint rotated_into(TPoint v, float dir) {
    v.rotate(-dir * kDegToRad);
    return v;
}

// The slot nearest to p among players[from .. to) whose position is known and
// that lie strictly nearer than kFarAway; -1 when none.
int closest_known(const TPlayer *players, int from, int to, TPoint p) {
    int best = -1;
    double best_dist = kFarAway;
    for (int i = from; i < to; ++i) {
        if (!players[i].know_pos())
            continue;
        const double d = players[i].pos.dist(p);
        if (d < best_dist) {
            best_dist = d;
            best = i;
        }
    }
    return best;
}

// One past the last slot in use when the last see filled `count` slots from
// `first` on; never beyond the array, whatever the count.
int slots_end(int first, int count) {
    if (count < 0)
        count = 0;
    return count > kPlayerSlots - first ? kPlayerSlots : first + count;
}

const int kNoCycles = 6000;   // more cycles than any search looks ahead

bool reaches(const Ball_Intercept_Info &r) { return r.kind >= 2 && r.kind <= 4; }

// The uniform number of the player of one team (positions at least half sure)
// that reaches the ball in the fewest cycles, ties keeping the lower number;
// 0 when none does. *cycles receives its cycles.
int fastest_of_team(TWorld_Model &w, bool teammate, int max_cycles, int *cycles) {
    const TPlayer *players = teammate ? w.teammates : w.opponents;
    int number = 0;
    *cycles = kNoCycles;
    for (int i = 1; i <= 11; ++i) {
        if (players[i].pos_chance < 0.5f)
            continue;
        const Ball_Intercept_Info r = teammate ? w.teammate_best_point_to_ball(i, max_cycles)
                                               : w.opponent_best_point_to_ball(i, max_cycles);
        if (reaches(r) && r.cycles < *cycles) {
            *cycles = r.cycles;
            number = i;
        }
    }
    return number;
}

}  // namespace

bool TWorld_Model::new_sight() const { return core->info_snapshot.see_cycle == core->real_cycle; }

float TWorld_Model::ball_dist_from_body() const { return static_cast<float>(my_pos().dist(ball.pos)); }

float TWorld_Model::ball_angle_from_body() const {
    return ball.know_pos() ? body_angle_from_point(ball.pos) : kUnknownBallAngle;
}

TPoint TWorld_Model::ball_rel_to_head_position() const { return rotated_into(ball.pos - my_pos(), me->head); }

TPoint TWorld_Model::ball_rel_to_body_position() const { return global_2_relative_to_body(ball.pos); }

TPoint TWorld_Model::ball_rel_to_body_velocity() const {
    return ball.know_vel() ? rotated_into(ball.vel, my_body_abs_angle()) : kInvalidPoint;
}

float TWorld_Model::ball_rel_to_body_heading() const {
    if (!ball.know_vel())
        return 0;
    return static_cast<float>(ball.vel.ang()) * kRadToDeg - my_body_abs_angle();
}

bool TWorld_Model::can_see_ball_with_neck() const {
    return core->can_face_angle_from_body_with_neck(ball_angle_from_body());
}

float TWorld_Model::body_angle_from_point(TPoint p) const {
    const float dir = static_cast<float>(p.relative_ang(my_pos())) * kRadToDeg;
    return get_normal_angle_deg(dir - my_body_abs_angle());
}

TPoint TWorld_Model::global_2_relative_to_body(TPoint p) const {
    return rotated_into(p - my_pos(), my_body_abs_angle());
}

int TWorld_Model::closest_teammate_to(TPoint p) const { return closest_known(teammates, 1, 12, p); }

int TWorld_Model::closest_opponent_to(TPoint p) const { return closest_known(opponents, 1, 12, p); }

int TWorld_Model::closest_unknown_to(TPoint p) const {
    return closest_known(unknown, 0, slots_end(0, unknown_count), p);
}

float TWorld_Model::opponent_dist(int i) const {
    if (i < 1 || i >= slots_end(12, opponents_without_number))
        return kNoAnswer;
    // Seen in this cycle's see: the server's distance. An entry merely as sure
    // (merged from a teammate's map, or kept while play stands still) has none.
    const TPlayer &o = opponents[i];
    if (o.seen_cycle == core->real_cycle)
        return o.seen_dist;
    return o.know_pos() ? static_cast<float>(my_pos().dist(o.pos)) : kNoAnswer;
}

float TWorld_Model::opponent_angle_from_body(int i) const {
    if (i < 1 || i >= slots_end(12, opponents_without_number) || !opponents[i].know_pos())
        return kNoAnswer;
    return body_angle_from_point(opponents[i].pos);
}

float TWorld_Model::unknown_dist(int i) const {
    return i >= 0 && i < slots_end(0, unknown_count) ? unknown[i].seen_dist : kNoAnswer;
}

float TWorld_Model::unknown_angle_from_body(int i) const {
    return i >= 0 && i < slots_end(0, unknown_count) ? body_angle_from_point(unknown[i].pos) : kNoAnswer;
}

int TWorld_Model::farthest_opponent() const {
    int best = 0;
    double best_x = 0;
    for (int i = 1; i < slots_end(12, opponents_without_number); ++i) {
        const TPlayer &o = opponents[i];
        if (o.pos_chance > 0.6f && o.pos.X > best_x) {
            best_x = o.pos.X;
            best = i;
        }
    }
    return best;
}

int TWorld_Model::fastest_teammate_to_ball() {
    int best = kNoCycles;
    const int number = fastest_of_team(*this, true, 100, &best);
    const Ball_Intercept_Info mine = best_point_to_ball(100.0f, 100);
    // I go myself when nobody else can, or when I am at most one cycle slower.
    if (number < 1 || (reaches(mine) && mine.cycles <= best + 1))
        return core->info_snapshot.unum;
    return number;
}

int TWorld_Model::fastest_opponent_to_ball() {
    int best = kNoCycles;
    return fastest_of_team(*this, false, 30, &best);
}

void TWorld_Model::fastest_player_to_ball(int *number, bool *is_teammate) {
    const int o = fastest_opponent_to_ball();
    const int t = fastest_teammate_to_ball();
    *number = t;
    *is_teammate = true;
    if (o < 1)
        return;
    // A tie goes to the opponent; a teammate who cannot reach the ball never wins.
    const Ball_Intercept_Info mate = teammate_best_point_to_ball(t, 30);
    const int mate_cycles = reaches(mate) ? mate.cycles : kNoCycles;
    if (opponent_best_point_to_ball(o, 30).cycles <= mate_cycles) {
        *number = o;
        *is_teammate = false;
    }
}
