#include "player/goalie/goalie_core.h"

#include <cmath>

#include "common/utils.h"

TGoalie_Core::TGoalie_Core() { is_goalie = 1; }

int TGoalie_Core::init() {
    char text[kMessageSize];
    snprintf(text, sizeof text, "(init %s (version 7.10) (goalie))", team_name);
    return connect_and_announce(text);
}

int TGoalie_Core::kick(float power, float direction, bool locked) {
    released = true;
    return TCore::kick(power, direction, locked);
}

bool TGoalie_Core::ball_is_catchable(float) const {
    if (!world || !world->me || !world->ball.know_pos())
        return false;
    const TPoint me = world->me->pos;
    const bool in_penalty_area = me.X <= -SP_pitch_length / 2 + SP_penalty_area_length &&
                                 std::fabs(me.Y) <= SP_penalty_area_width / 2;
    const double reach = TPoint(catchable_area_l / 2, catchable_area_w / 2).abs();
    return real_cycle - last_catch_cycle >= catch_ban_cycle && in_penalty_area &&
           world->ball.pos.dist(me) < reach;
}

void TGoalie_Core::catch_(bool locked) {
    rlog(30, "catch_ : catching the ball");
    last_catch_cycle = real_cycle;
    moved = false;
    // The catch area is a rectangle ahead of the body: aim along its diagonal.
    const float delta = static_cast<float>(std::atan2(catchable_area_w, catchable_area_l) * 180 / M_PI);
    const float angle = get_normal_angle_deg(world->ball_angle_from_body() + delta);
    char text[32];
    snprintf(text, sizeof text, "(catch %.1f)", angle);
    if (!locked)
        pthread_mutex_lock(&action_mutex);
    body_com.type = BC_CATCH;
    body_com.power = 0;
    body_com.direction = angle;
    snprintf(body_com.text, sizeof body_com.text, "%s", text);
    body_com.time = real_cycle;
    if (!locked)
        pthread_mutex_unlock(&action_mutex);
}

// Turns about a full circle while holding the ball, then moves once to a side
// of the penalty area away from where it stands.
bool TGoalie_Core::hold_ball() {
    const int end = last_catch_cycle + kHoldCycles;
    if (real_cycle >= end) {
        if (moved)
            return false;
        rlog(35, "Timout! goalie moving...");
        const bool below = world && world->me && world->me->pos.Y >= 0;
        move(-38, below ? -15 : 15);
        set = false;
        moved = true;
        return true;
    }
    if (!set) {
        const float body = world && world->me ? world->me->body : 0;
        set = true;
        theta = body >= 0 ? -(body + 360) : 360 - body;
    }
    const int left = end - real_cycle;
    const float step = theta / left;
    theta -= step;
    turn(step, true);
    return true;
}

void TGoalie_Core::decision() {
    if (!ball_is_kickable())
        released = false;
    if (ball_is_catched()) {
        if (hold_ball())
            return;
    } else if (ball_is_catchable(0.01f) && !released) {
        catch_(true);
        return;
    }
    TCore::decision();
}
