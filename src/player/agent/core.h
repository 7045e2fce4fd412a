#pragma once
// The agent core: the one object of a player process (global `core`). It owns
// the configuration, the two sensor records, the world model, the command
// slots that collect this cycle's commands, the action mutex, the kick history
// and the behaviour objects with their worker threads.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <pthread.h>

#include "player/agent/objects.h"
#include "player/agent/pos.h"
#include "player/clang/clangutils.h"
#include "player/runtime/config.h"
#include "player/runtime/info.h"
#include "player/world/world.h"

class TMap_Encrypt;
class TWith_Ball_Evaluator;

const int kEmptySlot = -35;    // cycle stamp of an empty slot or entry
const int kSentSlot = -1;      // cycle stamp of a sent command
const int kWithBallObjects = 4;
const int kWithoutBallObjects = 3;
const int kMaxPlayerTypes = 32;    // heterogeneous types kept; the server announces how many it has
const int kPlayerTypeValues = 11;

// The coach language between the server and this player: the server passes
// our coach's advice on only after we asked for it and it agreed.
enum Clang_State { CLANG_NOT_ASKED = 0, CLANG_ASKED = 1, CLANG_ON = 2, CLANG_REFUSED = 3 };

// Command-slot types of the body command.
enum Body_Command_Type { BC_DASH = 0, BC_KICK = 1, BC_TURN = 2, BC_CATCH = 3 };

struct Body_Command {
    int time = kEmptySlot;
    float direction = 0, power = 0;
    int type = BC_DASH;
    char text[kMessageSize] = {};
};

struct Turn_Neck_Command {
    int time = kEmptySlot;
    float angle = 0;
    char text[kMessageSize] = {};
};

struct Change_View_Command {
    int time = kEmptySlot;
    V_Quality quality = VQ_HIGH;
    V_Width width = VW_NORMAL;
    char text[kMessageSize] = {};
};

struct Say_Command {
    int time = kEmptySlot;
    char text[kMessageSize] = {};
};

// The assessment round of one world update: opened once the world is updated
// and the active group woken, closed when the next cycle's sense_body arrives or
// the next update begins. Only an open round decides, once. Guarded by action_mutex.
struct Assessment_Round {
    int update = -1;              // the world update it assesses
    char group = 0;               // 'b' with-ball, 'n' without-ball, 0 nobody woken
    bool open = false;
    bool decided = false;
};

// Work that came too late for its round: assessments whose round had closed,
// and rounds that closed undecided.
struct Late_Counts {
    int assessments = 0;
    int decisions = 0;
};

struct Kick_Save_Info {
    int cycle = kEmptySlot;
    float direction = 0;          // absolute degrees
    float power = 0;
    TPoint acceleration;          // the ball acceleration the kick should give
};

class TCore : public TConfig {
public:
    TCore();
    virtual ~TCore();

    virtual int init();
    virtual void decision();
    virtual int kick(float power, float direction, bool locked);

    void get_config(int argc, char **argv);
    int move(float x, float y);
    int reconnect(int number);
    void bye();
    void move_to_home();
    void load_formations();       // the table of "formation.rf" in the working directory
    int my_post() const { return positioning.post(info_snapshot.unum).id; }
    void set_log_files();
    void run_objects();
    void update();

    // Command primitives: 1 queued, 3 ignored, 0 invalid.
    int turn(float angle, bool locked);
    int dash(float power, bool locked);
    int turn_neck(float angle, bool locked);
    int change_view(V_Width width, V_Quality quality, bool locked);
    int say(const char *text);
    int run(float power, float ignored);
    int kick_to(float power, float direction);
    int turn_neck_to_relative_ang(float angle, bool locked);

    bool action_is_update() const { return body_com.time == real_cycle; }
    bool turn_neck_is_update() const { return turn_neck_com.time == real_cycle; }
    bool change_view_is_update() const { return change_view_com.time == real_cycle; }
    bool say_is_update() const { return say_com.time == real_cycle; }
    bool an_action_sent() const { return last_body_com.time >= real_cycle - 1; }
    bool a_turn_neck_sent() const { return real_cycle == last_turn_neck_com.time + 1; }
    bool a_change_view_sent() const { return real_cycle == last_change_view_com.time + 1; }
    bool a_say_sent() const { return real_cycle == last_say_com.time + 1; }

    bool turn_angle_is_correct(float a) const;
    bool turn_neck_angle_is_correct(float a) const;
    bool dash_power_is_correct(float p) const;
    float make_power_in_range(float p) const;
    bool can_face_angle_from_body_with_neck(float a) const;
    float correct_dash_power(float p) const;
    float correct_dash_power_for_stamina(float power, float stamina) const;
    float correct_kick_power(float p) const { return p; }
    float effective_turn(float moment, float speed) const;
    float effective_turn(float moment) const { return effective_turn(moment, my_speed()); }
    float max_effective_turn(float speed) const { return effective_turn(maxmoment, speed); }
    float max_effective_turn() const { return max_effective_turn(my_speed()); }
    float min_effective_turn(float speed) const { return effective_turn(minmoment, speed); }
    float min_effective_turn() const { return min_effective_turn(my_speed()); }

    void decide_and_send_actions();

    // ---- movement and set-play restrictions (movement.cpp) ----
    // Moves of the body and neck; results as the primitives (1 queued, 3 nothing
    // to do, 0 not done). A 0 from go_to_point and the penalty-area moves means the
    // point was reached or is forbidden now; the player has then faced it.
    float run_mode_power(Run_Mode mode) const;   // the dash power cap of a run mode
    int dash_to_point(TPoint point, Run_Mode mode, bool unused = false);
    int face_to_point(TPoint point, bool locked);
    int face_to_rel_angle(float angle, bool locked);
    int face_angle(float angle, bool locked, bool by_angle);   // the rule of both forms above
    int face_to_ball(bool locked);
    int go_to_ball(Run_Mode mode);
    // Keeps the opponents' set-play distances and sidesteps a player I am stuck against.
    int go_to_point(TPoint point, Run_Mode mode, float buffer, bool flag);
    // Places of p against the opponents' penalty area: x 1 inside its depth, else 2;
    // y 1 beside it at negative y, 3 at positive y, else 2.
    void get_AB_place(TPoint p, int *y_place, int *x_place) const;
    int go_to_penalty_area_corner(bool negative_y, Run_Mode mode);
    int go_to_closest_penalty_area_corner(Run_Mode mode);
    int go_to_y_by_point(TPoint point, Run_Mode mode);
    int go_to_x_by_point(TPoint point, Run_Mode mode);
    // Helpers of go_to_point.
    int stop_facing(TPoint point);               // faces point, neck straight; 0
    void neck_to_ball_after_queued_actions();
    bool dodge_if_stuck();
    int closest_other_teammate() const;          // -1 when no other teammate is known
    bool move_at_our_play(TPoint point, Run_Mode mode, bool flag);
    bool move_at_their_play(TPoint point, Run_Mode mode);
    bool move_at_their_goal_kick(TPoint point, Run_Mode mode);
    bool move_at_their_free_kick(TPoint point, Run_Mode mode);
    bool keep_out_of_kick_off(TPoint point, Run_Mode mode, bool flag);
    bool moved_or_stop(int nested_result, TPoint point);


    // ---- decision (decision.cpp) ----
    // The steps of decision(): view mode, choice among the published proposals, execution.
    void choose_view();
    int choose_with_ball(Ball_Behavior_Info *chosen);       // index, -1 when none; consumes the stamps
    int choose_without_ball(No_Ball_Behavior_Info *chosen);
    void decide_with_ball();
    void decide_without_ball();
    void act_without_ball(const No_Ball_Behavior_Info &r);
    void act_with_ball(const Ball_Behavior_Info &r);   // runs the record's `behave`
    int shoot();
    int clear_the_ball();
    int face_as_proposed(const Face_Info &face);
    void finish_proposal(const No_Ball_Behavior_Info &r, bool point_the_neck);

    // ---- neck and view control (neck.cpp) ----
    static const int kSectors = 36;           // 10-degree absolute directions
    // The neck angle (relative to the body) that shows what matters and is least recently seen.
    float new_neck_theta();
    void fill_points_attention(float *weights) const;   // ten weights, one per look point
    void update_sector_scores(const float *weights);
    float best_window(float ball_dir) const;  // absolute head direction that keeps the ball in view
    int turn_to_scan_field();
    int turn_neck_to_abs_ang_with_queued_actions(float angle);
    bool can_face_to_abs_ang_with_neck_after_actions(float angle, float margin) const;
    // Looks where the player, about to pass, has not looked for longest.
    void turn_neck_to_best_angle_for_pass();
    // Low scores mark directions that matter and have gone unseen long; kept for the process's life.
    float sector_scores[kSectors] = {};


    // ---- kick primitive and multi-cycle kicks (skills/kick.cpp) ----
    // Directions relative to the body unless named absolute; distances are the
    // ball's wanted displacement next cycle. do_kick: 0 refused, 3 only computed,
    // else the kick command's result. turnball_kick: 1 ignored, 2 kicked, 3 done
    // or refused, 4 turned or stopped to learn the ball's velocity, 5 ball lost.
    int do_kick(float dir, float dist, float dist_factor);
    int do_kick(float dir, float dist, float dist_factor, bool *ok, float *power, float *kick_dir,
                bool only_compute);
    bool limit_to_max_power(float dir, float dist, float want, float rate, bool moving, bool *ok, float *p,
                            float *k);
    void player_movement_correction(float *dir, float *dist) const;
    Turn_Dir rot_to_avoid_opponent(float dir) const;     // dir absolute
    Turn_Dir rot_closest(float dir) const;               // dir absolute
    Turn_Dir kick_rotation_direction_abs(float dir, Turn_Dir rot) const;
    bool is_straight_kick(float dir, float dist, float margin) const;
    int turnball_kick(float angle, Turn_Dir dir, bool locked);
    int turnball_kick(float dir, Turn_Dir rot, bool stop, float end_dist, float close_marg, float factor);
    int look_for_ball_velocity(float far_turn);
    // The rest take absolute directions.
    int hard_kick_turnball(float dir, Turn_Dir rot, bool stop);
    bool is_hard_kick_coll(float dir, TPoint *ball_next, float speed, bool *ok);
    int kick_ball_to(TPoint p);
    int kick_hard_moderate(float dir, float speed, Turn_Dir rot);
    float two_kick_speed(TPoint base, TPoint next, TPoint me_next, float r0, TPoint *run_up) const;
    int solve_hard_kick_collision(float dir, float speed, Turn_Dir rot, TPoint next, bool ok);
    void hard_kick(float dir, Turn_Dir rot, bool use_turnball);
    int smart_kick_hard_abs(float dir, Kick_Mode mode, float speed, Turn_Dir rot);
    // The kick of one mode; *neck is cleared when the kick gives up without the neck step.
    int smart_kick_by_mode(float dir, Kick_Mode mode, float speed, Turn_Dir rot, bool *neck);
    void neck_after_kick();
    int smart_pass(TPoint p, float speed, Kick_Mode mode, Turn_Dir rot);
    // A hard kick in progress: the cycle of its last kick, whether the run-up
    // has started, and the rotation sense it keeps while called every cycle.
    int hard_kick_cycle = kEmptySlot;
    bool hard_kick_continuing = false;
    Turn_Dir hard_kick_rot = TD_CLOCKWISE;

    // ---- dribble (skills/dribble.cpp) ----
    // Carries the ball towards dribble_point by small kicks ahead of the body and
    // dashes. dribble_params: [0] direction relative to the body, [1] distance
    // from the point that counts as arrived (plus 1 m), [2] dash power.
    void safe_dribble();
    // The kick (absolute angle, ball speed) that puts the ball safe_dribble_ball_dist
    // ahead of me_next in dir (relative to the body) two cycles from now.
    void calc_dribble_kick(TPoint me_next, float dir, float *speed, float *angle) const;
    void dribble_kick(TPoint point, int power, float dir);     // dashes when the ball is out of reach
    bool dribble_dash(TPoint point, int power, float dir);     // false: the ball is lost, nothing sent
    void dribble_kick_now(TPoint point, int power, float dir); // the kick itself; the ball is kickable
    float dribble_params[3] = {};
    TPoint dribble_point;

    // ---- coach language (clang/) ----
    // What the coach has said: written by c_parser as the main thread parses
    // the server's messages, read by the advice step under its mutex.
    Coach_Message coach_message;
    std::atomic<int> clang_state{CLANG_NOT_ASKED};   // a Clang_State
    // The advice step (clang/coachable.cpp), run after decision(): follows the
    // applicable advice token's directives for this player, replacing the
    // decision's queued commands. Each returns true when it queued commands.
    bool do_coach_advices();
    bool do_coach_with_ball_advice(Directive **list, int n);
    bool do_coach_without_ball_advice(Directive **list, int n);
    bool go_to_position(Directive **list, int n);
    bool mark_players(Directive **list, int n);
    void remove_unacceptable_assessors(Directive *directive);   // "dont" directives: no effect
    // Copies of the "do" directives for me of the advice token to follow now
    // (conditions hold, greatest time, the later one on a tie); empty when none.
    std::vector<Directive> my_coach_directives();

    // ---- positions, offside limit and map saying (positions.cpp) ----
    // Strategic positions from the formation, kept onside.
    TPoint get_position();
    TPoint get_position(int unum);
    TPoint get_position(TPoint ball);
    TPoint get_position(int unum, TPoint ball);
    float offside_line() const;
    float limit_offside(float x) const;   // kept a margin behind the offside line
    int say_map_now();            // tells the world map at once, outside the say slot
    // Positions from the working-directory formation table.
    TPoint calc_pos_by_attraction();
    TPoint calc_pos_by_attraction(TPoint ball);
    TPoint calc_pos_by_attraction(int unum);
    TPoint calc_pos_by_attraction(int unum, TPoint ball);
    float limit_min_max(float x);
    float limit_min_max(float x, int unum);

    void inform_assess();
    void reset_objects();
    // The round a worker of group may assess for world update `update`: 1 yes,
    // 0 it is not its group's, -1 its round has closed (counted as late).
    int enter_round(char group, int update);
    void close_round();           // main thread: the round's time is over
    // The group the current round was opened for: the decision follows it, as
    // a message parsed since may have changed whether the ball is mine.
    char round_group();
    Late_Counts late_counts();

    // The referee's offside events name the field side; these are the ones
    // against our team and against the opponents.
    int our_offside_event() const { return info_snapshot.side == 'r' ? EV_OFFSIDE_RIGHT : EV_OFFSIDE_LEFT; }
    int their_offside_event() const { return info_snapshot.side == 'r' ? EV_OFFSIDE_LEFT : EV_OFFSIDE_RIGHT; }

    float my_speed() const { return info_snapshot.sense.speed; }
    float my_stamina() const { return static_cast<float>(info_snapshot.sense.stamina); }
    float my_effort() const { return info_snapshot.sense.effort; }
    float my_head_angle() const { return info_snapshot.sense.head_angle; }
    int my_view_width() const { return info.sense.view_width; }
    int my_view_quality() const { return info.sense.view_quality; }
    int see_interval() const;
    bool ball_is_kickable() const;
    bool ball_is_mine() const { return ball_is_kickable(); }
    TPoint last_kick_effect() const;
    // Whether an action thread competes with the decision, and whether a
    // value beats it by more than 0.05 (any value does while none competes).
    bool is_action_thread() const { return action_thread_chance > 0; }
    bool better_than_thread(float x) const { return !is_action_thread() || x - action_thread_chance > 0.05f; }

    // Diagnostics: the final writing step is empty in the player programs.
    template <class... Value>
    void rlog(int, const char *, const Value &...) const {}
    template <class... Value>
    void rerror(const char *, const Value &...) const {}

    int chosen_object = -1;
    int ball_holder = 0;
    int is_goalie = 0;
    FILE *err_stream = nullptr;
    FILE *log_stream = nullptr;
    int side = 1;                 // +1 playing from the left, -1 from the right
    float action_thread_chance = 0;   // nothing sets it: no action thread runs

    pthread_t main_thread = pthread_self();   // the thread that built the core
    std::atomic<bool> alive{true};
    std::atomic<bool> game_stopped{true};
    bool their_set_play = false;
    std::atomic<int> cycle{0};
    std::atomic<int> real_cycle{0};
    std::atomic<int> silent_ticks{0};
    std::atomic<int> msec{0};
    int last_see_msec = 0;        // msec when the last see message was parsed
    int last_body_send_cycle = -1;
    int dash_count = 0, kick_count = 0, turn_count = 0, turn_neck_count = 0, say_count = 0;

    int interval = 20;            // timer step, milliseconds
    float effort_dec_stamina = 0, effort_inc_stamina = 0, recover_dec_stamina = 0;

    Info info;                    // written by the parser
    Info info_snapshot;           // the per-cycle copy everybody else reads

    TWorld_Model *world = nullptr;
    TMap_Encrypt *map_encoder = nullptr;
    TLQP positioning;             // posts and formations of "./data"
    TWith_Ball_Evaluator *evaluator = nullptr;

    Body_Command body_com, last_body_com;
    Turn_Neck_Command turn_neck_com, last_turn_neck_com;
    Change_View_Command change_view_com, last_change_view_com;
    Say_Command say_com, last_say_com;
    int body_send_msec = 0, neck_send_msec = 0;
    TPlayer me_at_send;

    pthread_mutex_t action_mutex = PTHREAD_MUTEX_INITIALIZER;
    // The world lock: the main thread holds it for writing while it parses a
    // message or updates the world; a worker holds it for reading from the start
    // of its assessment to the end of the decision it may run. So an assessment
    // round and its decision see one world, and no update overlaps them.
    pthread_rwlock_t world_lock = PTHREAD_RWLOCK_INITIALIZER;
    Assessment_Round current_round;
    float best_value = 0;
    float tan_half_degree = 0.0087268678f;
    float quantize_spread = 0;
    Kick_Save_Info kick_history[4];

    TWith_Ball *with_ball_objects[kWithBallObjects] = {};
    TWithout_Ball *without_ball_objects[kWithoutBallObjects] = {};
    pthread_t with_ball_threads[kWithBallObjects] = {};
    pthread_t without_ball_threads[kWithoutBallObjects] = {};

    int catch_state = 0;          // 1 our goalkeeper holds the ball, 2 theirs does
    int play_mode_cycle = 0;
    // The heterogeneous types, as many as player_param announces (`player_types`,
    // bounded by kMaxPlayerTypes); a row is known once its player_type message came.
    float player_type_table[kMaxPlayerTypes][kPlayerTypeValues] = {};
    bool player_type_known[kMaxPlayerTypes] = {};
    int player_type_count() const { return std::clamp(player_types, 0, kMaxPlayerTypes); }
    Formation_Table formation_table;

protected:
    // Connects, sends the init text and waits for a usable reply, moves home and
    // asks for the coach language: 0, or -1 with a message on stderr.
    int connect_and_announce(const char *init_text);

private:
    void derive_members();
    void send_body_command();
    void empty_slot(int &time, bool locked);
    void log_replaced_body_command() const;
    void queue_body_command(int type, float power, float direction, const char *text, bool locked);
    void remember_me();           // own record at the moment of sending
    void add_kick_history(float power, float direction);
    // Worker threads are created with this process's signals blocked.
    bool start_thread(pthread_t *id, char *name);
    void wake_thread(int slot);   // slots 0..3 with-ball threads, 4..6 without-ball threads
    void stop_threads();

    char log_buffer[BUFSIZ] = {};
    char err_buffer[BUFSIZ] = {};
    char thread_names[kWithBallObjects + kWithoutBallObjects][8] = {};
    std::atomic<bool> thread_started[kWithBallObjects + kWithoutBallObjects] = {};
    Late_Counts late;             // guarded by action_mutex
};
