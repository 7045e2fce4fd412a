#pragma once
// The coach's behaviour model: once per cycle it records the ball's state,
// decides who holds the ball and detects kicks, shots, passes and dribbles of
// both teams, kept per player (with grid cells) and as team counters.

#include "coach/stdtypes.h"
#include "coach/types.h"
#include "common/geometry.h"

#include <array>

enum Ball_Mode { BM_OUR = 0, BM_THEIR = 1, BM_ALONE = 2, BM_BOTH = 3 };

enum Shoot_Target_Info { STI_WENT_OUT = 0, STI_GOALED = 1, STI_OFFSIDE = 2, STI_CAUGHT = 3 };

enum Pass_Target_Info { PTI_WENT_OUT = 0, PTI_OFFSIDE = 1, PTI_CAUGHT = 2, PTI_TM = 3, PTI_OPP = 4 };

// One cycle of the ball's history.
struct Ball_State {
    TPoint pos;
    TPoint vel;
    Ball_Mode mode = BM_ALONE;
    int tp_bowner = 0;               // our owner's uniform, 0 for none
    int op_bowner = 0;               // their owner's uniform, 0 for none
    Play_Mode pmode = before_kick_off;
    int cycle = 0;
    bool empty_struct = true;        // not filled from a see message
};

// A cell of the field grid: cells of X by Y metres numbered row by row from
// the corner (-L/2, -W/2).
class TSBEGrid {
public:
    TSBEGrid() = default;
    TSBEGrid(int x, int y);
    explicit TSBEGrid(TPoint cell_size);   // coordinates truncated to ints

    void set_grid_coordinates(int x, int y);
    void set_grid_coordinates(TPoint cell_size);
    TPoint get_grid_coordinates() const { return TPoint(X, Y); }
    int get_grid_index() const { return point_index; }
    TPoint get_grid_point() const { return ungrid_point; }   // the point that was snapped
    int snap_to_grid(TPoint p);
    int snap_to_grid(double x, double y);

private:
    int X = 12;
    int Y = 5;
    int point_index = 0;
    TPoint ungrid_point;
};

struct Player_Info;

// Where a shot, pass or dribble started and ended, each point also snapped
// into its grid cell (of the configured size), and its place in its list.
struct SBE_Track {
    TPoint start_point;
    TPoint end_point;
    TSBEGrid start_grid;
    TSBEGrid end_grid;
    int index_ = 0;

    SBE_Track();
    void set_start_point(TPoint p);
    void set_end_point(TPoint p);
    TPoint get_start_point() const { return start_point; }
    TPoint get_end_point() const { return end_point; }
    const TSBEGrid &get_start_grid() const { return start_grid; }
    const TSBEGrid &get_end_grid() const { return end_grid; }
    int index() const { return index_; }
    void set_index(int i) { index_ = i; }
};

// One shot: where it started and ended and how it ended.
struct Shoot_Info : SBE_Track {
    Shoot_Target_Info target = STI_WENT_OUT;
    int shooter = 0;
    Player_Info *shooter_info = nullptr;

    void set_shooter_uniform(int u) { shooter = u; }
    void set_shooter(Player_Info *p) { shooter_info = p; }
    int get_shooter_uniform() const { return shooter; }
    Player_Info *get_shooter() const { return shooter_info; }
};

// One pass: sender, receiver, its points and how it ended.
struct Pass_Info : SBE_Track {
    Pass_Target_Info target = PTI_WENT_OUT;
    int sender = 0;
    int receiver = 0;
    Player_Info *sender_info = nullptr;

    void set_sender_uniform(int u) { sender = u; }
    void set_receiver_uniform(int u) { receiver = u; }
    void set_sender(Player_Info *p) { sender_info = p; }
    int get_sender_uniform() const { return sender; }
    int get_receiver_uniform() const { return receiver; }
    Player_Info *get_sender() const { return sender_info; }
};

// One dribble: a pass that came back to its passer.
struct Dribble_Info : SBE_Track {
    int time = 0;                    // the cycle it was detected
    int uniform = 0;
    Player_Info *dribbler_info = nullptr;

    void set_dribbler_uniform(int u) { uniform = u; }
    void set_dribbler(Player_Info *p) { dribbler_info = p; }
    Player_Info *get_sender() const { return dribbler_info; }
};

// An ordered list of records held in storage reserved once, so that adding
// never allocates and records never move. When the list is full, adding
// reuses the oldest record.
template <class Record>
class SBE_Collection {
public:
    static constexpr int kCapacity = 256;   // records kept per player and kind

    SBE_Collection();
    SBE_Collection(const SBE_Collection &) = delete;
    SBE_Collection &operator=(const SBE_Collection &) = delete;

    int count = 0;

    // The record the next add will reuse while the list is full, else none.
    const Record *next_reused() const;

protected:
    int add();                                  // a fresh record at the end; the new count
    Record *get(int i);                         // none when i is outside [0, count)
    const Record *get(int i) const;
    Record *last();
    void destroy(int i);
    void destroy(const Record *record);         // nothing when it is not in the list
    void destroy_all() { count = 0; }

private:
    std::array<Record, kCapacity> slots{};
    std::array<int, kCapacity> order{};         // slot of each list position; free slots after count
};

class Shoot_Collection : public SBE_Collection<Shoot_Info> {
public:
    int add_shoot() { return add(); }
    Shoot_Info *get_shoot(int i);
    const Shoot_Info *get_shoot(int i) const;
    Shoot_Info *last_shoot() { return last(); }
    void destroy_shoot(int i) { destroy(i); }
    void destroy_shoot(const Shoot_Info *s) { destroy(s); }
    void destroy_all_shoots() { destroy_all(); }
};

class Pass_Collection : public SBE_Collection<Pass_Info> {
public:
    int add_pass();
    Pass_Info *get_pass(int i) { return get(i); }
    const Pass_Info *get_pass(int i) const { return get(i); }
    Pass_Info *last_pass() { return last(); }
    void destroy_pass(int i) { destroy(i); }
    void destroy_pass(const Pass_Info *p) { destroy(p); }
    void destroy_all_passes() { destroy_all(); }
};

class Dribble_Collection : public SBE_Collection<Dribble_Info> {
public:
    int add_dribble() { return add(); }
    Dribble_Info *get_dribble(int i) { return get(i); }
    const Dribble_Info *get_dribble(int i) const { return get(i); }
    Dribble_Info *last_dribble() { return last(); }
    void destroy_dribble(int i) { destroy(i); }
    void destroy_all_dribbles() { destroy_all(); }
};

// One player's passes, shots and dribbles. Each count is the number of
// records the matching list holds.
struct Player_Info {
    Team_Value side = TV_OUR;
    int uniform = 0;
    Pass_Collection sent_pass_coll;
    Pass_Collection success_pass_coll;
    Pass_Collection received_pass_coll;
    Shoot_Collection shoot_coll;
    Dribble_Collection dribble_coll;

    Pass_Info *add_sent_pass();
    Pass_Info *add_success_pass();
    Pass_Info *add_received_pass();
    Shoot_Info *add_shoot();
    Dribble_Info *add_dribble();

    const Pass_Info *get_sent_pass(int i) const { return sent_pass_coll.get_pass(i); }
    const Pass_Info *get_success_pass(int i) const { return success_pass_coll.get_pass(i); }
    const Pass_Info *get_received_pass(int i) const { return received_pass_coll.get_pass(i); }
    const Shoot_Info *get_shoot(int i) const { return shoot_coll.get_shoot(i); }
    const Dribble_Info *get_dribble(int i) const { return dribble_coll.get_dribble(i); }

    int get_received_passes_count() const { return received_pass_coll.count; }
    int get_shoot_count() const { return shoot_coll.count; }
    int get_sent_passes_count() const { return sent_pass_coll.count; }
    int get_success_passes_count() const { return success_pass_coll.count; }
    int get_dribble_count() const { return dribble_coll.count; }

    // Remove one given record (a pass or shot that turned out otherwise).
    void delete_sent_pass(const Pass_Info *pass) { sent_pass_coll.destroy_pass(pass); }
    void delete_shoot(const Shoot_Info *shoot) { shoot_coll.destroy_shoot(shoot); }

    Team_Value get_side() const { return side; }
    int get_uniform() const { return uniform; }
    void set_side(Team_Value s) { side = s; }
    void set_uniform(int u) { uniform = u; }
    Team_Side get_side2() const;   // the field side of the player's team
};

// One team's counters.
class Team_Info {
public:
    int pass_count() const { return pass_count_; }
    int success_pass_count() const { return success_pass_count_; }
    int caught_shoot_count() const { return caught_shoot_count_; }
    int goaled_shoot_count() const { return goaled_shoot_count_; }
    int dribble_count() const { return dribble_count_; }
    int kickabled_w_kick() const { return kickabled_w_kick_; }
    int kickabled() const { return kickabled_; }
    int cycles_have_ball() const { return cycles_have_ball_; }

    void add_pass_count() { pass_count_++; }
    void add_success_pass_count() { success_pass_count_++; }
    void add_caught_shoot_count() { caught_shoot_count_++; }
    void add_goaled_shoot_count() { goaled_shoot_count_++; }
    void add_dribble_count() { dribble_count_++; }
    void add_kickabled_w_kick() { kickabled_w_kick_++; }
    void add_kickabled() { kickabled_++; }
    void add_cycles_have_ball() { cycles_have_ball_++; }
    void dec_pass() { pass_count_--; }

private:
    int pass_count_ = 0;
    int success_pass_count_ = 0;
    int caught_shoot_count_ = 0;
    int goaled_shoot_count_ = 0;
    int dribble_count_ = 0;
    int kickabled_w_kick_ = 0;
    int kickabled_ = 0;
    int cycles_have_ball_ = 0;
};

// The behaviour model of both teams, updated from the world state `inf` once
// per cycle by the SIGIO handler. Large: create it once, off the stack.
class TSBE {
public:
    static constexpr int kHistorySize = 50;

    TSBE();
    TSBE(const TSBE &) = delete;
    TSBE &operator=(const TSBE &) = delete;

    void update_behavior_model();
    Ball_State get_ball_state(int i) const;   // a fresh state outside [0, 49]

    int prev_cycle = 0;
    bool is_shoot_incomplete = false;
    int last_shoot_direction = 0;              // 1 towards the right end, -1 the left, 0 none
    Shoot_Info *last_shoot = nullptr;          // owned by the shooter's shoot_coll
    bool is_pass_incomplete = false;
    Pass_Info *last_pass = nullptr;            // owned by the sender's sent_pass_coll
    bool owner_effect_ball = false;            // an owner's kick counted since the owner changed
    Ball_State ball[kHistorySize];             // 0 is this cycle, 49 the oldest
    Player_Info tp[kTeamSize + 1];             // ours, by uniform 1 to 11
    Player_Info op[kTeamSize + 1];             // theirs, by uniform 1 to 11
    Team_Info our_team;
    Team_Info their_team;

    // The steps of one update, in the order update_behavior_model runs them.
    void update_ball_state();
    void shift_back_ball_state();
    bool is_ball_kicked() const;
    bool is_normal_change_of_ball_handler() const;
    bool is_pmode_ok_for_shoot() const;
    bool is_not_an_own_goal() const;
    int can_ball_reach_goal_with_buffer(float side_buffer, float end_buffer) const;
    bool is_valid_shoot_direction(float angle_buffer, int direction) const;
    void log_shoot_analysing(bool kicked, bool changed, bool reaches, bool pmode_ok, bool direction_ok,
                             bool not_own_goal) const;
    void save_shoot(int direction);
    void save_pass();
    bool finish_incomplete_shoot(int direction);
    void finish_incomplete_pass(bool shot_turned_into_pass);

private:
    // The shooter of a shot in this direction: ours towards their end, else theirs.
    Player_Info *shooter_for(int direction, int our_uniform, int their_uniform);
    Team_Info &team_of(Team_Value side);
    void finish_shoot(Shoot_Target_Info target);
    void drop_shoot(Player_Info *shooter);
    void turn_shoot_into_pass(Player_Info *shooter, int receiver, Team_Value receiving);
    void forget_pass();
    void receive_pass(Player_Info *sender);
    void end_pass_by_stop(Player_Info *sender);
    void count_ball_holding(bool kicked, bool changed);
    void count_possession();
};
