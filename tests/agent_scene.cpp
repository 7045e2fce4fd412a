#include "agent_scene.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/world/encrypt.h"
#include "standin/child_process.h"

void link_data(const std::string &dir) {
    ASSERT_EQ(symlink(DATA_DIR, (dir + "/data").c_str()), 0);
    ASSERT_EQ(symlink(DATA_DIR "/wd-formation.rf", (dir + "/formation.rf").c_str()), 0);
}

void enter_scene(bool with_data) {
    const std::string dir = make_work_dir();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    if (with_data)
        link_data(dir);
}

std::string program_dir(int port, const std::string &team, bool with_data) {
    const std::string dir = make_work_dir();
    if (with_data)
        link_data(dir);
    std::ofstream(dir + "/agent.conf") << "server 127.0.0.1\nport " << port << "\nteam_name " << team << "\n"
                                       << (with_data ? "eval_conf ./data/evaluator.conf\n" : "");
    return dir;
}

void attach_agent(TCore *agent, int unum) {
    if (!net)
        net = new TTransfer();
    if (!parser)
        parser = new TParser();
    core = agent;
    core->world = new TWorld_Model();
    core->world->me = &core->world->teammates[unum];
    core->map_encoder = new TMap_Encrypt(core->world->teammates, core->world->opponents,
                                         &core->world->ball, core->team_name);
    core->info.unum = unum;
    core->info_snapshot.unum = unum;
}

template <class Object, int N>
static void delete_all(Object *(&objects)[N]) {
    for (Object *&o : objects) {
        delete o;
        o = nullptr;
    }
}

void destroy_agent() {
    delete_all(core->with_ball_objects);
    delete_all(core->without_ball_objects);
    delete core->map_encoder;
    delete core->world;
    delete core;
    delete parser;
    delete net;
    core = nullptr;
    parser = nullptr;
    net = nullptr;
}

void place_me(TPoint pos, float body) {
    TPlayer &me = *core->world->me;
    me.pos = pos;
    me.vel = TPoint(0, 0);
    me.body = me.head = body;
    me.pos_chance = me.vel_chance = 1.0f;
}

void place_ball(TPoint pos, TPoint vel) {
    TBall &ball = core->world->ball;
    ball.pos = pos;
    ball.vel = vel;
    ball.pos_chance = ball.vel_chance = 1.0f;
}

void enter_ball_at_my_feet() {
    make_agent<TCore>(7);
    core->real_cycle = 10;
    core->cycle = 10;
    core->game_stopped = false;
    core->ball_holder = 7;
    place_me(TPoint(0, 0), 0);
    place_ball(TPoint(0.5, 0));
}
