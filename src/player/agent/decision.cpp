// The once-a-cycle decision: the view mode, the choice among the published
// proposals of the active group of behaviour objects, and their execution.

#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/skills/cautious.h"
#include "player/skills/evaluator.h"

namespace {

const int kHomeCycles = 3000;      // every so many cycles the player walks home once
const float kNearBall = 40.0f;     // a ball nearer than this is watched with a narrow view
const int kSoonCycles = 9;         // a ball I reach within so many cycles is watched narrowly
const float kInterceptPower = 100.0f;
const int kInterceptCycles = 100;

// Consumes every proposal published from `oldest` to `now` and copies the best
// one (value strictly above *best, so ties keep the lower index) into *chosen.
// Returns its index, -1 when none beats *best. The caller holds the action mutex.
template <class Object, class Record, int N, class Value>
int choose_object(const TCore &c, Object *(&objects)[N], int oldest, int now, Value value,
                  float *best, Record *chosen, const char *stale) {
    int index = -1;
    for (int i = 0; i < N; ++i) {
        Object *o = objects[i];
        if (!o)
            continue;
        if (o->stamp < 0 || o->stamp < oldest || o->stamp > now) {
            c.rlog(30, stale, i);
            continue;
        }
        o->stamp = -1;
        const float v = value(*o);
        if (v > *best) {
            *best = v;
            index = i;
            *chosen = o->final;
        }
    }
    return index;
}

bool reaches_soon(const Ball_Intercept_Info &r) { return r.kind >= 2 && r.kind <= 4 && r.cycles <= kSoonCycles; }

}  // namespace

void TCore::decision() {
    if (cycle % kHomeCycles == 0 && cycle != 0) {
        move_to_home();
        return;
    }
    choose_view();
    const int previous = chosen_object;
    chosen_object = -1;
    best_value = -1;
    if (round_group() == 'b')
        decide_with_ball();
    else
        decide_without_ball();
    if (best_value <= 0)
        chosen_object = previous;
}

// Narrow while the ball is near, mine to fetch or unknown; normal otherwise.
void TCore::choose_view() {
    const Ball_Intercept_Info reach = world->best_point_to_ball(kInterceptPower, kInterceptCycles);
    bool narrow = true;
    if (world->ball.know_pos())
        narrow = world->ball_dist_from_body() < kNearBall ||
                 world->fastest_teammate_to_ball() == info_snapshot.unum || reaches_soon(reach);
    change_view(narrow ? VW_NARROW : VW_NORMAL, VQ_HIGH, true);
}

int TCore::choose_with_ball(Ball_Behavior_Info *chosen) {
    pthread_mutex_lock(&action_mutex);
    const int now = real_cycle;
    const int index = choose_object(
        *this, with_ball_objects, now - 1, now,
        [](const TWith_Ball &o) { return o.decency() * o.final.chance; }, &best_value, chosen,
        "the object is not up to date - With_Ball");
    pthread_mutex_unlock(&action_mutex);
    return index;
}

int TCore::choose_without_ball(No_Ball_Behavior_Info *chosen) {
    pthread_mutex_lock(&action_mutex);
    const int now = real_cycle;
    const int index = choose_object(
        *this, without_ball_objects, now, now, [](const TWithout_Ball &o) { return o.final.chance; },
        &best_value, chosen, "the object is not up to date - Without_Ball");
    pthread_mutex_unlock(&action_mutex);
    return index;
}

void TCore::decide_with_ball() {
    Ball_Behavior_Info chosen;
    chosen_object = choose_with_ball(&chosen);
    if (best_value <= 0)
        return;
    rlog(30, "With ball object number %d with chance %f choosed.", chosen_object, best_value);
    if (chosen.no_ball_action) {
        act_without_ball(chosen);
        return;
    }
    rlog(30, "Calling evaluator....");
    if (evaluator)
        evaluator->evaluate(with_ball_objects[chosen_object]->ID(), &chosen);
    act_with_ball(chosen);
    finish_proposal(chosen, true);
}

void TCore::act_with_ball(const Ball_Behavior_Info &r) {
    switch (r.behave) {
    case 0: smart_pass(r.pass.point, r.pass.speed, r.pass.mode, r.pass.dir); break;
    case 1: smart_kick_hard_abs(r.kick_dir, r.kick_mode, r.kick_speed, r.kick_turn); break;
    case 2:
        dribble_params[0] = r.dribble.second;
        dribble_params[1] = r.dribble.third;
        dribble_params[2] = r.dribble.first;
        dribble_point = r.dribble.point;
        safe_dribble();
        break;
    case 3: shoot(); break;
    case 4: clear_the_ball(); break;
    default: rerror("unknown with ball action: ", r.behave);
    }
}

// A hard kick at the widest free part of the goal mouth, away from the closest opponent.
int TCore::shoot() { return smart_kick_hard_abs(get_cautious_best_target(1.0f), KM_2, 3.0f, TD_AWAY_FROM_OPPONENT); }

// Straight towards the opponents' goal line at the ball's top speed.
int TCore::clear_the_ball() { return smart_kick_hard_abs(0, KM_4, ball_speed_max, TD_AWAY_FROM_OPPONENT); }

void TCore::decide_without_ball() {
    No_Ball_Behavior_Info chosen;
    chosen_object = choose_without_ball(&chosen);
    if (best_value <= 0)
        return;
    rlog(30, "Without ball object number %d with chance %f choosed.", chosen_object, best_value);
    act_without_ball(chosen);
}

void TCore::act_without_ball(const No_Ball_Behavior_Info &r) {
    switch (r.kind) {
    case 0: go_to_point(r.run.point, r.run.mode, r.run.buffer, r.run.flag1); break;
    case 1: go_to_ball(RM_FASTEST); break;
    case 2: face_to_ball(true); break;
    case 3: face_as_proposed(r.face); break;
    default: rerror("unknown without ball action kind: ", r.kind);
    }
    finish_proposal(r, r.kind != 2 && !turn_neck_is_update());
}

// A face angle of kNoAnswer asks to face the face point instead of turning by it.
int TCore::face_as_proposed(const Face_Info &face) {
    if (std::fabs(face.angle) < kNoAnswer)
        return turn(face.angle, true);
    return turn(world->body_angle_from_point(face.point), true);
}

// The proposal's say, the neck and the proposal's view change, in that order.
void TCore::finish_proposal(const No_Ball_Behavior_Info &r, bool point_the_neck) {
    if (r.say)
        say(r.say_text);
    if (point_the_neck)
        turn_neck_to_relative_ang(new_neck_theta(), true);
    if (r.change_view)
        change_view(r.width, r.quality, true);
}
