#pragma once
// The player's picture of the field: itself, the ball and every other player,
// each estimate with a confidence in [0, 1] and the cycle it refers to. All
// positions are in the team frame (our goal at x = -52.5).

#include "common/geometry.h"

class TConfig;

const int kPlayerSlots = 22;   // index = uniform number 1..11; 12..21 seen without number

struct TPlayer {
    const char *team = nullptr;   // team name of the see entry it was last seen in
    int goalie = 0;
    int type = 0;                 // heterogeneous player type id
    float stamina_inc_max = 0, player_speed_max = 0, player_decay = 0, inertia_moment = 0;
    float dash_power_rate = 0, player_size = 0, kickable_margin = 0, kick_rand = 0;
    float extra_stamina = 0, effort_min = 0, effort_max = 0;
    float kickable_area = 0;
    TPoint pos, vel;
    int vel_cycle = 0, pos_cycle = 0;
    float head = 0, body = 0, neck = 0;
    float pos_chance = 0, vel_chance = 0;
    float source_dist = 0;

    bool know_pos() const { return pos_chance > 0.4f; }
    void set_type_values(const float values[11], float ball_size);
};

struct TBall {
    bool position_based = false;
    int pos_cycle = 0, vel_cycle = 0;
    TPoint pos, prev_seen_pos, vel;
    int prev_seen_cycle = 0;
    float pos_chance = 0, vel_chance = 0;
    float source_dist = 0;

    bool know_pos() const { return pos_chance > 0.57f; }
    bool know_vel() const { return vel_chance >= 0.5f; }
};

class TWorld_Model {
public:
    TWorld_Model();

    TPlayer *me = nullptr;
    TPlayer teammates[kPlayerSlots];
    TPlayer opponents[kPlayerSlots];
    TPlayer unknown[kPlayerSlots];
    TBall ball;

    // Once per cycle: takes over the freshly parsed sensor record.
    void update();
    // The referee stopped the game: the next update holds the ball still.
    void ball_exactly_stopped() { exactly_stopped = true; }

    // Kick power rate for a ball at dist metres and dir degrees from my body.
    float get_kick_rate(float dist, float dir) const;
    float ball_kick_rate() const;

    bool know_my_pos() const { return me && me->pos_chance >= 0.7f; }
    bool know_my_vel() const { return me && me->vel_chance >= 0.4f; }

private:
    bool exactly_stopped = false;
};
