#pragma once
// The player's picture of the field: itself, the ball and every other player,
// each estimate with a confidence in [0, 1] and the cycle it refers to. All
// positions are in the team frame (our goal at x = -52.5).

#include "common/geometry.h"
#include "player/runtime/info.h"
#include "player/runtime/netif.h"

class TConfig;

const int kPlayerSlots = 22;   // index = uniform number 1..11; 12..21 seen without number

struct TPlayer {
    const char *team = nullptr;   // team name of the see entry it was last seen in
    int goalie = 0;
    int type = 0;                 // heterogeneous player type id
    float stamina_inc_max = 0, player_speed_max = 0, player_decay = 0, inertia_moment = 0;
    float dash_power_rate = 0, player_size = 0, kickable_margin = 0, kick_rand = 0;
    float extra_stamina = 0, effort_min = 0, effort_max = 0;
    float kickable_area = 0;
    TPoint pos, vel;
    int vel_cycle = 0, pos_cycle = 0;
    float head = 0, body = 0, neck = 0;
    float pos_chance = 0, vel_chance = 0;
    float source_dist = 0;
    // What the last see that showed the player gave (localisation and tracking):
    // its distance from me, and the real_cycle of that see (-1 before the first).
    float seen_dist = 0;
    int seen_cycle = -1;

    bool know_pos() const { return pos_chance > 0.4f; }
    void set_type_values(const float values[11], float ball_size);
};

struct TBall {
    bool position_based = false;
    int pos_cycle = 0, vel_cycle = 0;
    TPoint pos, prev_seen_pos, vel;
    int prev_seen_cycle = 0;
    float pos_chance = 0, vel_chance = 0;
    float source_dist = 0;

    bool know_pos() const { return pos_chance > 0.57f; }
    bool know_vel() const { return vel_chance >= 0.5f; }

    // motion model (predict.cpp): position after n cycles when accel is added
    // to the velocity now; the speed cap and the decay act before each move.
    TPoint estimate_future_pos(int n, TPoint accel) const;
};

// interception search (intercept.cpp): one result, copied by value.
// kind: 0 out of reach within max_cycles, 1 ball or player position unknown,
// 2 already kickable, 3 reached by dashing straight on, 4 reached after a turn
// or by the cycle-by-cycle search (point is the meeting point).
struct Ball_Intercept_Info {
    int cycle = -1;               // real_cycle of the computation
    int update = -1;              // the world update it was computed from; the cache key
    TPoint point;
    int cycles = 0;
    int max_cycles = 0;
    int kind = 0;
    float dash_power = 0;
};

// localisation (world.cpp): one landmark of the field, its name as the server
// writes it, its position and whether the current see marked it.
struct TFlag {
    char text[36] = {};
    Flag_Info marks;              // the marks a seen flag of this landmark carries
    TPoint pos;
    bool seen = false;
    Flag_Info seen_flag;          // a copy of the seen record while seen
};

class TWorld_Model {
public:
    TWorld_Model();

    TPlayer *me = nullptr;
    TPlayer teammates[kPlayerSlots];
    TPlayer opponents[kPlayerSlots];
    TPlayer unknown[kPlayerSlots];
    TBall ball;

    // Once per cycle: takes over the freshly parsed sensor record.
    void update();
    int update_count = 0;         // updates so far; what a cached result belongs to
    // The referee stopped the game: the next update holds the ball still.
    void ball_exactly_stopped() { exactly_stopped = true; }

    // Kick power rate for a ball at dist metres and dir degrees from my body.
    float get_kick_rate(float dist, float dir) const;
    float ball_kick_rate() const;

    bool know_my_pos() const { return me && me->pos_chance >= 0.7f; }
    bool know_my_vel() const { return me && me->vel_chance >= 0.4f; }

    // ---- localisation and tracking (world.cpp) ----
    void merge_heard_maps();
    void note_fastest_player();
    void tell_map();
    static const int kFlagCount = 55;       // 53 flags and the two goal centres
    static const int kHeadHistory = 7;

    int cycles_in_collision = 0;            // consecutive updates with a player touching me
    bool ball_kickable = false;             // the core's ball_is_kickable() as the update began
    TPoint coordinate_frame_correction;     // seen minus reckoned position at the last see
    int correction_cycle = -1;              // see time of that correction
    float head_history[kHeadHistory] = {};  // my absolute head direction, newest first
    float recovery = 1.0f;
    int recovery_cycle = -1;                // real_cycle of the last recovery update
    TFlag flags[kFlagCount];
    char their_team_name[32] = {};          // as the last see wrote it

    // Lowers the recovery once per real_cycle while my stamina is low.
    void update_recovery();

    // Self-localisation: head direction from the farthest seen line, position
    // from the nearest identified flag, dead reckoning in between.
    void set_flags_info();
    int get_desired_line() const;
    bool fill_line_info(int index, TLine *line) const;
    // Copies marks (and distance, direction) into flag with the landmark's
    // position; false when the marks name no landmark.
    bool fill_flag(Flag_Info *flag, const Flag_Info &marks) const;
    bool fill_flag(Flag_Info *flag) const { return fill_flag(flag, *flag); }
    bool fill_flag(Flag_Info *flag, int index) const;   // seen flag index of the snapshot
    bool fill_flag(int index);                          // that seen flag itself gets its position
    static bool is_equal_flag(const Flag_Info &a, const Flag_Info &b);
    // Two seen flags whose directions lie nearest to 90 degrees apart; -1 when there are none.
    int get_flags(Flag_Info *first, Flag_Info *second, const Flag_Info &excluded) const;
    void set_my_position_with_see();
    void set_my_position_with_estimate();
    void set_positions();

    // Ball and player tracking.
    void set_ball_position();
    void set_ball_position_with_see();
    void set_ball_position_with_estimate();
    void set_other_players();
    void set_other_players_with_see();
    void set_other_players_with_estimate();
    void update_players_vel_with_see();
    void update_players_vel_with_estimate();
    // Whether p lies in my view cone (or within the visible distance); the
    // careless forms demand a margin inside the cone.
    bool must_be_in_sight(TPoint p) const;
    bool must_be_in_sight_with_no_care(TPoint p) const;
    bool ball_must_be_in_sight_with_no_care() const;

private:
    void fill_flag_table();
    int find_flag(const Flag_Info &marks) const;
    float head_from_line(int index) const;
    int nearest_identified_flag() const;
    void take_velocity_from_sense();
    bool in_view_cone(TPoint p, float margin, float near) const;
    TPlayer *slot_for(const Seen_Player &seen);
    TPlayer *numbered_entry(const Seen_Player &seen);
    void note_team(TPlayer &player, const Seen_Player &seen);
    bool check_seen_ball(TPoint predicted, int see_time);
    bool position_based_ball_velocity(int see_time);
    void update_head_history();
    void count_collisions();
    void find_ball_holder();
    void place_kick_off_ball();

public:

    // ---- queries (queries.cpp) ----
    // Views of the model for the behaviours. Queries that find nothing give kNoAnswer for
    // distances and angles, -1 or 0 for uniform numbers, kInvalidPoint for points.
    TPoint my_pos() const { return me->pos; }
    TPoint my_vel() const { return me->vel; }
    float my_body_abs_angle() const { return me->body; }
    bool new_sight() const;

    float ball_dist_from_body() const;
    float ball_angle_from_body() const;   // 60 while the ball position is not known
    TPoint ball_rel_to_head_position() const;
    TPoint ball_rel_to_body_position() const;
    TPoint ball_rel_to_body_velocity() const;
    float ball_rel_to_body_heading() const;
    bool can_see_ball_with_neck() const;

    float body_angle_from_point(TPoint p) const;   // degrees in [-180, 180]
    TPoint global_2_relative_to_body(TPoint p) const;
    int closest_teammate_to(TPoint p) const;
    int closest_opponent_to(TPoint p) const;
    int closest_opponent() const { return closest_opponent_to(my_pos()); }
    int closest_unknown_to(TPoint p) const;
    float opponent_dist(int i) const;
    float opponent_angle_from_body(int i) const;
    float unknown_dist(int i) const;
    float unknown_angle_from_body(int i) const;
    int farthest_opponent() const;
    // Who reaches the ball first, by the interception search (cached per cycle).
    int fastest_teammate_to_ball();   // me when nobody can, or when I am at most one cycle slower
    int fastest_opponent_to_ball();   // 0 when no opponent can
    void fastest_player_to_ball(int *number, bool *is_teammate);   // a tie goes to the opponent
    // Counts of the last see, written by the tracking: players of unknown team
    // (unknown slots 0..), teammates and opponents without number (slots 12..).
    int unknown_count = 0, teammates_without_number = 0, opponents_without_number = 0;

    // ---- motion model (predict.cpp) ----
    // Where the ball and I will be after n cycles. Nothing here changes the
    // model; cycle counts are clamped to [0, kMaxPredictCycles].
    static constexpr int kMaxPredictCycles = 6000;
    static int clamp_cycles(int n) { return n < 0 ? 0 : n > kMaxPredictCycles ? kMaxPredictCycles : n; }

    TPoint ball_predicted_position(int n, float power, float dir) const;   // kick now, dir body-relative
    TPoint ball_predicted_position(int n) const;
    TPoint ball_predicted_position_with_queued_actions(int n) const;
    TPoint my_predicted_position_with_turn(float turn, int n, float power, bool turn_first, int wait) const;
    TPoint my_predicted_position(int n, float power, int wait) const;
    TPoint my_predicted_position_with_queued_actions() const;
    float my_predicted_body_angle_with_queued_actions() const;
    float predicted_point_rel_angle_from_body_with_queued_actions(TPoint p) const;
    float predicted_ball_angle_from_body_with_queued_actions() const;
    // One cycle of the server's stamina model, in place.
    void update_predicted_stamina_with_dash(float *stamina, float *effort, float *recovery, float power) const;
    bool ball_will_be_kickable(int n, float power, float buffer) const;
    TPoint predicted_player_move(TPoint pos, TPoint vel, int n, TPoint accel) const;
    // Speed to give the ball at my position so that it reaches p with speed v.
    float vel_at_point_2_vel_at_foot(TPoint p, float v) const;

    // ---- interception search (intercept.cpp) ----
    // Where and after how many cycles a player reaches the ball, cached per
    // uniform number and cycle; a second ask in a cycle returns the cached entry.
    Ball_Intercept_Info best_point_to_ball(float power, int max_cycles);
    Ball_Intercept_Info teammate_best_point_to_ball(int unum, int max_cycles);
    Ball_Intercept_Info opponent_best_point_to_ball(int unum, int max_cycles);
    Ball_Intercept_Info calc_best_point_to_ball(float power, int max_cycles, int unused = 0) const;
    Ball_Intercept_Info calc_player_best_point_to_ball(int unum, bool teammate, int max_cycles,
                                                       int has_ball_check) const;
    Ball_Intercept_Info teammates_intercept[12];
    Ball_Intercept_Info opponents_intercept[12];

    // ---- display monitor (monitor.cpp) ----
    // Opens the monitor port and waits until a monitor registers (or the agent shuts down).
    void init_monitor();
    // Sends the world model to the monitor as a display record; nothing without
    // a monitor. It neither allocates nor blocks.
    void send_to_monitor();
    Port monitor_port;
    dispinfo_t display{};
    const Monitor_Address *monitor = nullptr;

private:
    bool exactly_stopped = false;
};
