#include "player/agent/objects.h"

#include <algorithm>
#include <cstdio>

#include "player/agent/core.h"
#include "player/runtime/client.h"

template <class Record>
void TBehavior_Object<Record>::make_empty() {
    work.request = false;
    work.change_view = false;
    work.say = false;
    work.run.flag2 = false;
    work.run.flag3 = false;
}

template <class Record>
void TBehavior_Object<Record>::say(const char *text) {
    work.say = true;
    snprintf(work.say_text, sizeof work.say_text, "%s", text);
}

template <class Record>
void TBehavior_Object<Record>::change_view(V_Quality quality, V_Width width) {
    work.change_view = true;
    work.quality = quality;
    work.width = width;
}

template <class Record>
void TBehavior_Object<Record>::fill_final() {
    pthread_mutex_lock(&core->action_mutex);
    stamp = core->real_cycle;
    final = work;
    final.chance = std::min(1.0f, std::max(0.0f, final.chance));
    pthread_mutex_unlock(&core->action_mutex);
    core->inform_assess();
}

template class TBehavior_Object<Ball_Behavior_Info>;
template class TBehavior_Object<No_Ball_Behavior_Info>;

// Both bases propose the same without-ball actions into their work record.
template <class Record>
static void face_angle(Record &r, float angle, int kind) {
    r.face.angle = angle;
    r.kind = kind;
}

template <class Record>
static void face_point(Record &r, TPoint point) {
    r.face.angle = FLT_MAX;
    r.face.point = point;
    r.kind = 3;
}

template <class Record>
static void run_to(Record &r, TPoint point, Run_Mode mode, float buffer, bool f1, bool f2, bool f3) {
    r.run.mode = mode;
    r.run.point = point;
    r.run.buffer = buffer;
    r.run.flag1 = f1;
    r.run.flag2 = f2;
    r.run.flag3 = f3;
    r.kind = 0;
}

void TWith_Ball::no_ball(int kind) {
    work.no_ball_action = true;
    work.kind = kind;
}

void TWith_Ball::face_ball() {
    no_ball(2);
    work.face.angle = FLT_MAX;
}

void TWith_Ball::turn(float angle) {
    no_ball(3);
    work.face.angle = angle;
}

void TWith_Ball::turn(TPoint point) {
    work.no_ball_action = true;
    face_point(work, point);
}

// Widest scan the body can make this cycle: 120, 72, 51, 40, ... degrees, doubled.
void TWith_Ball::turn_to_scan_field() {
    no_ball(3);
    float angle = work.face.angle;
    const float max_turn = core->max_effective_turn();
    for (int k = 0; k < 1000 && angle < core->my_view_width() && 2 * angle < max_turn;) {
        ++k;
        angle = static_cast<float>(360 / (2 * k + 1));
    }
    work.face.angle = 2 * angle;
}

void TWith_Ball::go_to_ball() { no_ball(1); }

void TWith_Ball::go_to_point(TPoint point, Run_Mode mode, float buffer, bool f1, bool f2, bool f3) {
    work.no_ball_action = true;
    run_to(work, point, mode, buffer, f1, f2, f3);
}

void TWith_Ball::shoot() {
    work.no_ball_action = false;
    work.behave = 3;
}

void TWith_Ball::dribble(TPoint point, float first, float second, float third) {
    work.no_ball_action = false;
    work.behave = 2;
    work.dribble.point = point;
    work.dribble.first = first;
    work.dribble.second = second;
    work.dribble.third = third;
}

void TWith_Ball::kick(float dir, float speed, Kick_Mode mode, Turn_Dir turn) {
    work.no_ball_action = false;
    work.behave = 1;
    work.kick_dir = dir;
    work.kick_speed = speed;
    work.kick_mode = mode;
    work.kick_turn = turn;
}

void TWith_Ball::pass(TPoint point, float speed, Kick_Mode mode, Turn_Dir dir) {
    work.no_ball_action = false;
    work.behave = 0;
    work.pass.point = point;
    work.pass.speed = speed;
    work.pass.mode = mode;
    work.pass.dir = dir;
}

void TWithout_Ball::face_ball() { face_angle(work, FLT_MAX, 2); }
void TWithout_Ball::turn(float angle) { face_angle(work, angle, 3); }
void TWithout_Ball::turn(TPoint point) { face_point(work, point); }
void TWithout_Ball::turn_to_scan_field() {
    face_angle(work, static_cast<float>(std::min(50, core->my_view_width())), 3);
}
void TWithout_Ball::go_to_ball() { work.kind = 1; }
void TWithout_Ball::go_to_point(TPoint point, Run_Mode mode, float buffer, bool f1, bool f2, bool f3) {
    run_to(work, point, mode, buffer, f1, f2, f3);
}

// Called after each publication: the thread whose object completes the active
// group of an open round claims its decision, so exactly one decision runs per
// round. A publication after its round closed is late and decides nothing.
void TCore::inform_assess() {
    pthread_mutex_lock(&action_mutex);
    const bool current = world && current_round.update == world->update_count;
    if (current && !current_round.open)
        ++late.assessments;
    bool complete = current && current_round.open && !current_round.decided;
    const int now = real_cycle;
    if (current_round.group == 'b') {
        for (int i = 0; i < kWithBallObjects && complete; ++i)
            complete = with_ball_objects[i] && with_ball_objects[i]->stamp == now;
    } else {
        for (int i = 0; i < kWithoutBallObjects && complete; ++i)
            complete = without_ball_objects[i] && without_ball_objects[i]->stamp == now;
    }
    if (complete)
        current_round.decided = true;
    pthread_mutex_unlock(&action_mutex);
    if (complete)
        decide_and_send_actions();
}

// Opens the round of the world just updated and wakes its group: the with-ball
// threads when the ball is mine and play goes on, the without-ball threads when
// it is not mine, nobody when it is mine while play is stopped.
void TCore::reset_objects() {
    const bool mine = ball_is_mine();
    const char group = !mine ? 'n' : game_stopped ? 0 : 'b';
    pthread_mutex_lock(&action_mutex);
    current_round.update = world ? world->update_count : current_round.update + 1;
    current_round.group = group;
    current_round.open = group != 0;
    current_round.decided = false;
    pthread_mutex_unlock(&action_mutex);
    if (group == 'b') {
        for (int i = 0; i < kWithBallObjects; ++i)
            wake_thread(i);
    } else if (group == 'n') {
        for (int i = 0; i < kWithoutBallObjects; ++i)
            wake_thread(kWithBallObjects + i);
    }
}

int TCore::enter_round(char group, int update) {
    pthread_mutex_lock(&action_mutex);
    int entry = 0;
    if (current_round.update == update && current_round.group == group)
        entry = current_round.open ? 1 : -1;
    if (entry < 0)
        ++late.assessments;
    pthread_mutex_unlock(&action_mutex);
    return entry;
}

void TCore::close_round() {
    pthread_mutex_lock(&action_mutex);
    if (current_round.open && !current_round.decided)
        ++late.decisions;
    current_round.open = false;
    pthread_mutex_unlock(&action_mutex);
}

char TCore::round_group() {
    pthread_mutex_lock(&action_mutex);
    const char group = current_round.group;
    pthread_mutex_unlock(&action_mutex);
    return group;
}

Late_Counts TCore::late_counts() {
    pthread_mutex_lock(&action_mutex);
    const Late_Counts counts = late;
    pthread_mutex_unlock(&action_mutex);
    return counts;
}
