#include "player_scene.h"

#include <cstdio>

#include "fuzz_input.h"
#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/clang/cparser.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/world/encrypt.h"

void make_player(int unum, char side) {
    net = new TTransfer();
    parser = new TParser();
    core = make_in_place<TCore>();
    snprintf(core->team_name, sizeof core->team_name, "%s", kFuzzTeam);
    core->world = make_in_place<TWorld_Model>();
    c_parser = new TCoach_Parser(&core->coach_message);
    core->map_encoder = new TMap_Encrypt(core->world->teammates, core->world->opponents,
                                         &core->world->ball, core->team_name);
    for (Info *info : {&core->info, &core->info_snapshot}) {
        info->side = side;
        info->their_side = side == 'l' ? 'r' : 'l';
        info->unum = unum;
    }
    core->side = side == 'l' ? 1 : -1;
    core->world->me = &core->world->teammates[unum];
}

void destroy_player() {
    delete core->map_encoder;
    delete c_parser;
    core->world->~TWorld_Model();
    core->~TCore();
    delete parser;
    delete net;
    c_parser = nullptr;
    core = nullptr;
    parser = nullptr;
    net = nullptr;
}

namespace {

void place(TPlayer &player, TPoint pos, float body, float chance) {
    player.pos = pos;
    player.vel = TPoint(0, 0);
    player.body = player.head = body;
    player.pos_chance = player.vel_chance = chance;
    player.pos_cycle = player.vel_cycle = player.seen_cycle = core->real_cycle;
}

}  // namespace

void place_fixed_world(bool ball_at_my_feet) {
    const TPoint kTeammates[12] = {{}, {-50, 0}, {-35, -20}, {-35, 20}, {-38, -7}, {-38, 7}, {-18, -14},
                                   {-5, 5},    {-18, 14},  {2, -22},   {2, 22},   {8, 0}};
    const TPoint kOpponents[12] = {{}, {50, 0}, {30, -15}, {30, 15}, {35, -5}, {35, 5}, {15, -12},
                                   {12, 0},   {15, 12},  {-5, -20}, {-5, 20}, {-10, 1}};
    core->real_cycle = core->cycle = 30;
    core->game_stopped = false;
    core->info.play_mode = core->info_snapshot.play_mode = PM_PLAY_ON;
    core->info_snapshot.sense.stamina = 4000;
    TWorld_Model &world = *core->world;
    for (int n = 1; n <= 11; ++n) {
        const float chance = n == 3 || n == 10 ? 0.3f : 1.0f;
        place(world.teammates[n], kTeammates[n], 0, chance);
        place(world.opponents[n], kOpponents[n], 180, chance);
    }
    const int me = core->info_snapshot.unum;
    place(world.teammates[me], TPoint(-5, 5), 0, 1.0f);
    TBall &ball = world.ball;
    ball.pos = ball_at_my_feet ? TPoint(-4.5, 5) : TPoint(20, -10);
    ball.vel = ball_at_my_feet ? TPoint(0, 0) : TPoint(0.8, 0.2);
    ball.pos_chance = ball.vel_chance = 1.0f;
    ball.pos_cycle = ball.vel_cycle = core->real_cycle;
    core->ball_holder = ball_at_my_feet ? me : 0;
}
