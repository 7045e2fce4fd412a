#pragma once
// The with-ball evaluator in use: the decision hands it each with-ball action it
// carries out, and once per cycle it watches who gets the ball, the play mode,
// the referee's events and the goalkeepers' catches until the outcome is clear,
// then raises or lowers the acting object's decency.
//
// `evaluate` runs on the worker thread that makes the decision, holding the
// world lock for reading; `update` runs in the timer step, holding it for
// writing. So the two never overlap, and the action is handed over in a plain
// one-record mailbox.

#include "player/agent/objects.h"
#include "player/skills/evaluator.h"

// The action under evaluation.
struct Eval_Data {
    int ID = -1;                  // assessor ID
    int cycle = 0;                // the core's cycle when the action was carried out
    int behave = 0;               // 0 pass, 1 hard kick, 2 dribble, 3 shoot, 4 clear
    Ball_Behavior_Info action;
};

class TLow_Level_With_Ball_Evaluator : public TWith_Ball_Evaluator {
public:
    // Cycles an interception of a shot may last before the shot is punished.
    static const int kPunishWait = 10;

    // 0 accepted, 1 bad assessor ID, 2 bad action. Replaces a pending action.
    int evaluate(int id, Ball_Behavior_Info *action) override;
    void update() override;

    void save_world_information();
    void evaluate_dribble_action(TWith_Ball *object, float x);

    bool unevaluated() const { return unevaluated_; }
    bool punish_pending() const { return punish_pending_; }

private:
    // A handed-over action and the dribble's second-best value at hand-over.
    struct Handover {
        Eval_Data data;
        float second_best = 0;
    };
    void take_handed_over_action();
    bool mine() const;
    bool both() const { return opponent_on_ball && teammate_on_ball && !mine(); }
    // True (and logged) while the ball still sits at the acting player's feet.
    bool still_at_feet(const char *waiting, const char *gone);
    void finish() { unevaluated_ = false; }
    void update_dribble(TWith_Ball *a, float x);
    void update_kick(TWith_Ball *a, float x);
    void update_shoot(TWith_Ball *a, float x);
    bool shoot_ended(TWith_Ball *a, float x);
    void shoot_taken(TWith_Ball *a, float x);
    void defer_punishment(TWith_Ball *a, float x);

    // Written by `evaluate`, taken by `update`.
    Handover mailbox;
    bool handed_over = false;

    // The rest belongs to `update`.
    bool unevaluated_ = false;
    bool opponent_on_ball = false, teammate_on_ball = false;
    int teammate_number = 0, opponent_number = 0;
    bool ball_left = false;       // the ball has left the acting player's feet
    float second_best = 0;
    TWith_Ball *punish_target = nullptr;
    bool punish_pending_ = false;
    int punish_cycle = 0;
    float punish_amount = 0;      // decency change still to apply (negative)
    Eval_Data data;
};
