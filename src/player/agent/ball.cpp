#include "player/agent/ball.h"

#include <cmath>
#include <cstdio>

#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

const float kMyInterceptPower = 100.0f;
const int kMyInterceptCycles = 100;
const int kTeammateInterceptCycles = 30;
const float kSetPlayChance = 0.4f;      // their set play: the ball may not be played yet
const float kPlayOnChance = 1.0f;
const float kStoppedChance = 0.6f;
const float kSecondChance = 0.9f;       // not the fastest, but as fast
const float kComingDist = 4.0f;         // a ball this near comes to me
const int kRollCycles = 20;
const float kPassSpeed = 0.3f;          // slower balls are no pass
const int kPassAge = 8;                 // cycles a kick counts as just made
const float kPassDirTolerance = 20.0f;  // degrees between the kick and the ball's motion
const float kMateDirTolerance = 10.0f;  // degrees between a teammate and the ball
const float kSureMate = 0.8f;

float angle_between_deg(double a_rad, double b_rad) {
    return std::fabs(get_normal_angle_deg(static_cast<float>((a_rad - b_rad) * 180 / kPi)));
}

}  // namespace

bool TGet_Ball::reaches_no_later(const Ball_Intercept_Info &mine, const Ball_Intercept_Info &theirs) {
    return (mine.kind == 3 || mine.kind == 4) && mine.cycles - 1 < theirs.cycles;
}

void TGet_Ball::assess() {
    make_empty();
    if (restart_is_theirs()) {
        work.chance = 0;
        fill_final();
        return;
    }
    TWorld_Model &w = *core->world;
    const Ball_Intercept_Info mine = w.best_point_to_ball(kMyInterceptPower, kMyInterceptCycles);
    const int fastest = w.fastest_teammate_to_ball();
    core->rlog(20, "fastest teammate to ball is", fastest);
    core->rlog(20, "my intercept cycles", mine.cycles);
    if (fastest == core->info_snapshot.unum) {
        go_to_ball();
        work.chance = chance_as_fastest();
    } else {
        const Ball_Intercept_Info theirs = w.teammate_best_point_to_ball(fastest, kTeammateInterceptCycles);
        core->rlog(20, "teammate intercept cycles", theirs.cycles);
        work.chance = 0;
        if (reaches_no_later(mine, theirs)) {
            go_to_ball();
            work.chance = kSecondChance;
        }
    }
    printf("ball assessor\n");
    fill_final();
}

float TGet_Ball::chance_as_fastest() const {
    if (core->their_set_play)
        return kSetPlayChance;
    return core->info_snapshot.play_mode == PM_PLAY_ON ? kPlayOnChance : kStoppedChance;
}

// After our foul or our offside the ball is theirs to play.
bool TGet_Ball::restart_is_theirs() const {
    const int event = core->info_snapshot.event;
    return event == EV_FOUL_BY_US || event == core->our_offside_event();
}

bool TGet_Ball::ball_goes_for_me(TPoint *p) const {
    const TWorld_Model &w = *core->world;
    const TPoint me = w.my_pos();
    TPoint pos = w.ball.pos, vel = w.ball.vel;
    for (int i = 0; i < kRollCycles && !(pos.dist(me) <= kComingDist); ++i) {
        pos += vel;
        vel *= core->ball_decay;
    }
    *p = pos;
    return pos.dist(me) <= kComingDist;
}

bool TGet_Ball::I_passed() const {
    const TWorld_Model &w = *core->world;
    const Kick_Save_Info &kick = core->kick_history[3];
    if (!(w.ball.vel.abs() > kPassSpeed) || core->cycle - kick.cycle > kPassAge)
        return false;
    const double kick_rad = kick.direction * kPi / 180;
    if (!(angle_between_deg(w.ball.vel.ang(), kick_rad) < kPassDirTolerance))
        return false;
    const TPoint me = w.my_pos();
    const double to_ball = w.ball.pos.relative_ang(me);
    for (int u = 1; u <= 11; ++u) {
        const TPlayer &mate = w.teammates[u];
        if (u == core->info_snapshot.unum || !(mate.pos_chance > kSureMate))
            continue;
        if (!(angle_between_deg(mate.pos.relative_ang(me), to_ball) <= kMateDirTolerance))
            return false;
    }
    return true;
}
