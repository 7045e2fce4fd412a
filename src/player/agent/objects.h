#pragma once
// The bases of the behaviour objects. Each object runs on a worker thread of its
// own: its `assess()` fills the `work` record with what it would do and how
// good that would be, and `fill_final` publishes it for the cycle's decision.

#include <atomic>
#include <cfloat>

#include "common/geometry.h"

enum Run_Mode { RM_SLOWEST = 0, RM_SLOW = 1, RM_MODERATE = 2, RM_FAST = 3, RM_FASTEST = 4 };
enum Kick_Mode { KM_0 = 0, KM_1 = 1, KM_2 = 2, KM_3 = 3, KM_4 = 4 };
enum Turn_Dir { TD_CLOCKWISE = -1, TD_COUNTER_CLOCKWISE = 1, TD_CLOSEST_WAY = 10, TD_AWAY_FROM_OPPONENT = 11 };
enum V_Width { VW_NARROW = 45, VW_NORMAL = 90, VW_WIDE = 180 };
enum V_Quality { VQ_LOW = 0, VQ_HIGH = 1 };

const int kSayTextSize = 512;

struct Run_Info {
    Run_Mode mode = RM_SLOWEST;
    TPoint point;
    float buffer = 0;             // distance within which the point counts as reached
    bool flag1 = false, flag2 = false, flag3 = false;
};

struct Face_Info {
    float angle = 0;              // relative to the body; FLT_MAX: face `point` (or the ball)
    TPoint point;
};

struct Pass_Info {
    TPoint point;
    float speed = 0;              // ball speed wanted at the target
    Kick_Mode mode = KM_0;
    Turn_Dir dir = TD_CLOSEST_WAY;
};

struct Dribble_Info {
    TPoint point;
    float third = 0, second = 0, first = 0;   // the dribble arguments, last first
};

struct No_Ball_Behavior_Info {
    bool request = false;
    int word = 0;
    bool change_view = false;
    V_Quality quality = VQ_HIGH;
    V_Width width = VW_NORMAL;
    bool say = false;
    char say_text[kSayTextSize] = {};
    Run_Info run;
    Face_Info face;
    int kind = 0;                 // 0 go to point, 1 go to ball, 2 face ball, 3 turn
    float chance = 0;
};

struct Ball_Behavior_Info : No_Ball_Behavior_Info {
    float kick_dir = 0, kick_speed = 0;
    Kick_Mode kick_mode = KM_0;
    Turn_Dir kick_turn = TD_CLOSEST_WAY;
    Pass_Info pass;
    Dribble_Info dribble;
    int behave = 0;               // 0 pass, 1 hard kick, 2 dribble, 3 shoot, 4 clear
    bool no_ball_action = false;  // the proposal is a without-ball action (see `kind`)
};

// The setters common to both bases, on a work record of either kind.
template <class Record>
class TBehavior_Object {
public:
    virtual ~TBehavior_Object() = default;
    virtual void assess() {}

    void make_empty();
    void say(const char *text);
    void change_view(V_Quality quality, V_Width width);
    void fill_final();            // publishes `work` as this cycle's `final`

    bool claimed = false;         // taken by a worker thread
    int stamp = -1;               // real_cycle of the last publication; -1 once consumed
    Record work, final;
};

class TWith_Ball : public TBehavior_Object<Ball_Behavior_Info> {
public:
    void face_ball();
    void turn(float angle);
    void turn(TPoint point);
    void turn_to_scan_field();
    void go_to_ball();
    void go_to_point(TPoint point, Run_Mode mode, float buffer, bool flag1, bool flag2, bool flag3);
    void shoot();
    void dribble(TPoint point, float first, float second, float third);
    void kick(float dir, float speed, Kick_Mode mode, Turn_Dir turn);
    void pass(TPoint point, float speed, Kick_Mode mode, Turn_Dir dir);

    float decency() const { return decency_; }
    void set_decency(float d) { decency_ = d; }
    float semi_change_rate() const { return semi_change_rate_; }
    void set_semi_change_rate(float r) { semi_change_rate_ = r; }
    float normal_change_rate() const { return normal_change_rate_; }
    void set_normal_change_rate(float r) { normal_change_rate_ = r; }
    int ID() const { return id_; }
    void set_ID(int id) { id_ = id; }

private:
    void no_ball(int kind);
    std::atomic<float> decency_{0};   // changed by the evaluator in the timer step
    float semi_change_rate_ = 0, normal_change_rate_ = 0;
    int id_ = 0;
};

class TWithout_Ball : public TBehavior_Object<No_Ball_Behavior_Info> {
public:
    void face_ball();
    void turn(float angle);
    void turn(TPoint point);
    void turn_to_scan_field();
    void go_to_ball();
    void go_to_point(TPoint point, Run_Mode mode, float buffer, bool flag1, bool flag2, bool flag3);
};
