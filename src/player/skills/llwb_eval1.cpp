#include "player/skills/llwb_eval1.h"

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const int kLastUniform = 11;
const float kOnBallChance = 0.5f;   // least position confidence of a player counted on the ball

// The last of players 1..11 known to stand within the kickable area of the ball; 0 when none.
int last_on_ball(const TPlayer *players, TPoint ball, float reach) {
    int number = 0;
    for (int i = 1; i <= kLastUniform; i++)
        if (players[i].pos_chance >= kOnBallChance && players[i].pos.dist(ball) <= reach)
            number = i;
    return number;
}

}  // namespace

int TLow_Level_With_Ball_Evaluator::evaluate(int id, Ball_Behavior_Info *action) {
    if (id > last_index || id < 0) {
        core->rlog(30, "Eval:Invalid assessor ID:", id);
        return 1;
    }
    if (!action || action->behave < 0 || action->behave > 4 || action->no_ball_action) {
        core->rlog(30, "Eval:Invalid beavior:", action ? action->behave : -1);
        return 2;
    }
    Handover next;
    next.data.ID = id;
    next.data.cycle = core->cycle;
    next.data.behave = action->behave;
    next.data.action = *action;
    core->rlog(30, "Eval:evaluating");
    if (action->behave == 2) {
        core->rlog(30, "Eval:Last action is dribble");
        next.second_best = best_weighted_chance(id);
        core->rlog(30, "Eval:second big probability:", next.second_best);
    }
    mailbox = next;
    handed_over = true;
    return 0;
}

// A newly handed-over action replaces the pending one and cancels its deferred punishment.
void TLow_Level_With_Ball_Evaluator::take_handed_over_action() {
    if (!handed_over)
        return;
    data = mailbox.data;
    second_best = mailbox.second_best;
    handed_over = false;
    ball_left = false;
    punish_pending_ = false;
    punish_target = nullptr;
    punish_amount = 0;
    core->rlog(30, "Eval:unevaluated is true now");
    unevaluated_ = true;
}

void TLow_Level_With_Ball_Evaluator::save_world_information() {
    const TWorld_Model &w = *core->world;
    opponent_number = last_on_ball(w.opponents, w.ball.pos, core->kickable_area);
    teammate_number = last_on_ball(w.teammates, w.ball.pos, core->kickable_area);
    opponent_on_ball = opponent_number != 0;
    teammate_on_ball = teammate_number != 0;
    if (teammate_on_ball)
        core->rlog(30, "Teammate on ball uniform:", teammate_number);
    if (opponent_on_ball)
        core->rlog(30, "Opponent on ball uniform:", opponent_number);
}

bool TLow_Level_With_Ball_Evaluator::mine() const {
    return teammate_on_ball && teammate_number == core->info_snapshot.unum;
}

bool TLow_Level_With_Ball_Evaluator::still_at_feet(const char *waiting, const char *gone) {
    if (mine() && !ball_left) {
        core->rlog(30, waiting);
        return true;
    }
    core->rlog(30, gone);
    ball_left = true;
    return false;
}

void TLow_Level_With_Ball_Evaluator::update() {
    take_handed_over_action();
    if (!unevaluated_) {
        core->rlog(30, "Unevaluated no found returning...");
        return;
    }
    core->rlog(30, "Eval:Entering evaluator update...with behave:", data.behave);
    save_world_information();
    TWith_Ball *a = assessors[data.ID];
    const float x = data.action.chance;
    switch (data.behave) {
    case 0:
    case 1:
        update_kick(a, x);
        break;
    case 2:
        update_dribble(a, x);
        break;
    case 3:
        update_shoot(a, x);
        break;
    default:   // clearing the ball has no rule; it waits for the next action
        break;
    }
}

void TLow_Level_With_Ball_Evaluator::update_dribble(TWith_Ball *a, float x) {
    core->rlog(30, "EvalDribble:entering dribble section...");
    if (still_at_feet("EvalDribble:ball has not went out from sender feet yet",
                      "EvalDribble:ball went out from his feet"))
        return;
    const int mode = core->info_snapshot.play_mode;
    if (both()) {
        core->rlog(30, "EvalDribble:ball went to both hands and kicked");
        semi_decrease_decency(a, x);
    } else if (opponent_on_ball) {
        core->rlog(30, "EvalDribble:ball went to opponent hand and kicked");
        full_decrease_decency(a, x);
    } else if (mine()) {
        core->rlog(30, "EvalDribble:ball went to our hand again:success dribble");
        evaluate_dribble_action(a, x);
    } else if (teammate_on_ball) {
        core->rlog(30, "EvalDribble:ball went to teammate hand and kicked");
        semi_increase_decency(a, x);
    } else if (mode == PM_KICK_IN_THEIRS) {
        core->rlog(30, "EvalDribble:ball is their_kick_in");
        full_decrease_decency(a, x);
    } else if (mode == PM_GOAL_KICK_THEIRS) {
        core->rlog(30, "EvalDribble:play mode is goal_kick");
        full_decrease_decency(a, x);
    } else {
        return;
    }
    finish();
}

void TLow_Level_With_Ball_Evaluator::update_kick(TWith_Ball *a, float x) {
    core->rlog(30, "EvalKick:entering kick section.");
    if (still_at_feet("EvalPass:ball has not went out from sender feet yet", "EvalPass:ball went out from his feet"))
        return;
    const int mode = core->info_snapshot.play_mode;
    const int event = core->info_snapshot.event;
    if (event == EV_GOAL_BY_US) {
        core->rlog(30, "EvalPass:ball goaled");
        semi_increase_decency(a, x);
    } else if (event == core->our_offside_event()) {
        core->rlog(30, "EvalPass:ball offsided...");
    } else if (core->catch_state == 2) {
        core->rlog(30, "EvalPass:ball caught our pass...");
        full_decrease_decency(a, x);
    } else if (mode == PM_GOAL_KICK_THEIRS || mode == PM_KICK_IN_THEIRS) {
        core->rlog(30, "EvalPass:ball went out or offsided");
    } else if (both()) {
        core->rlog(30, "EvalPass:ball went to both hands and kicked");
        semi_decrease_decency(a, x);
    } else if (opponent_on_ball) {
        core->rlog(30, "EvalPass:ball went to opponent hand and kicked uni:", opponent_number);
        full_decrease_decency(a, x);
    } else if (teammate_on_ball && !mine()) {
        core->rlog(30, "EvalPass:ball went to teammate hand and kicked", teammate_number);
        full_increase_decency(a, x);
    } else {
        return;
    }
    finish();
}

void TLow_Level_With_Ball_Evaluator::update_shoot(TWith_Ball *a, float x) {
    core->rlog(30, "EvalShoot:shoot behave case");
    if (still_at_feet("EvalShoot:ball has not went out from sender feet yet", "EvalShoot:ball went out from his feet"))
        return;
    if (shoot_ended(a, x)) {
        punish_pending_ = false;
        finish();
    } else if (!punish_pending_) {
        shoot_taken(a, x);
    } else if (core->cycle - punish_cycle > kPunishWait) {
        // The interception stood: the deferred decrease is applied, once.
        punish_pending_ = false;
        punish_target->set_decency(kept_in_range(punish_target->decency() + punish_amount, punish_target->decency()));
        core->rlog(30, "Yes...We must punish that player before...");
        finish();
    }
}

// Caught, out or scored: the shot's outcome is known (true).
bool TLow_Level_With_Ball_Evaluator::shoot_ended(TWith_Ball *a, float x) {
    const int mode = core->info_snapshot.play_mode;
    if (core->catch_state == 2) {
        core->rlog(30, "EvalShoot:Goalie catched our shoot");
        full_decrease_decency(a, x);
    } else if (mode == PM_GOAL_KICK_THEIRS || mode == PM_FREE_KICK_THEIRS) {
        core->rlog(30, "EvalShoot:Ball went out");
    } else if (core->info_snapshot.event == EV_GOAL_BY_US) {
        core->rlog(30, "EvalShoot:ball goaled");
        full_increase_decency(a, x);
    } else {
        return false;
    }
    return true;
}

// Someone took the ball after the shot: a teammate or a contested ball ends the
// evaluation; an interception is punished only if it still stands after a while.
void TLow_Level_With_Ball_Evaluator::shoot_taken(TWith_Ball *a, float x) {
    if (both()) {
        core->rlog(30, "EvalShoot:ball went to both tm & op hands and kicked");
        semi_decrease_decency(a, x);
        finish();
    } else if (opponent_on_ball) {
        core->rlog(30, "EvalShoot:ball went to opp hand and kicked and went to punish wait class");
        defer_punishment(a, x);
    } else if (teammate_on_ball && !mine()) {
        core->rlog(30, "EvalShoot:ball went to teammate hands and kicked");
        semi_increase_decency(a, x);
        finish();
    }
}

void TLow_Level_With_Ball_Evaluator::defer_punishment(TWith_Ball *a, float x) {
    punish_amount = decreased_decency(a->decency(), a->normal_change_rate(), x) - a->decency();
    punish_target = a;
    punish_cycle = core->cycle;
    punish_pending_ = true;
}

void TLow_Level_With_Ball_Evaluator::evaluate_dribble_action(TWith_Ball *object, float x) {
    if (second_best < best_weighted_chance(-1))
        full_increase_decency(object, x);
}
