#include "player/world/world.h"

#include <cmath>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"

void TPlayer::set_type_values(const float v[11], float ball_size) {
    player_speed_max = v[0];
    stamina_inc_max = v[1];
    player_decay = v[2];
    inertia_moment = v[3];
    dash_power_rate = v[4];
    player_size = v[5];
    kickable_margin = v[6];
    kick_rand = v[7];
    extra_stamina = v[8];
    effort_max = v[9];
    effort_min = v[10];
    kickable_area = player_size + ball_size + kickable_margin;
}

TWorld_Model::TWorld_Model() {
    const float own[11] = {core->player_speed_max, core->stamina_inc_max, core->player_decay,
                           core->inertia_moment,   core->dash_power_rate, core->player_size,
                           core->kickable_margin,  core->kick_rand,       core->extra_stamina,
                           core->effort_max,       core->effort_min};
    for (int u = 1; u <= 11; ++u) {
        teammates[u].set_type_values(own, core->ball_size);
        opponents[u].set_type_values(own, core->ball_size);
    }
}

void TWorld_Model::update() {
    Info &snapshot = core->info_snapshot;
    const int now = core->real_cycle;
    if (snapshot.see_cycle == now)
        return;

    core->info_snapshot = core->info;
    core->info.hear_index = -1;
    snapshot.hear_index = -1;

    if (++snapshot.sense.cycle != now)
        core->rerror("World_Model::update --> this cycle we haven't sense body.");
    if (snapshot.see_cycle != now)
        ++snapshot.see_cycle;
    parser->see_free(&core->info);

    if (exactly_stopped) {
        ball.vel = TPoint(0, 0);
        ball.vel_chance = 1.0f;
        exactly_stopped = false;
    }
    if (core->game_stopped)
        ball.vel = TPoint(0, 0);
}

float TWorld_Model::get_kick_rate(float dist, float dir) const {
    dir = get_normal_angle_deg(dir);
    return core->kick_power_rate *
           (1 - 0.25f * std::fabs(dir) / 180 -
            0.25f * (dist - core->player_size - core->ball_size) / core->kickable_margin);
}

float TWorld_Model::ball_kick_rate() const {
    if (!me)
        return core->kick_power_rate;
    const float dist = static_cast<float>(ball.pos.dist(me->pos));
    const float dir = static_cast<float>(ball.pos.relative_ang(me->pos) * 180 / M_PI) - me->body;
    return get_kick_rate(dist, dir);
}
