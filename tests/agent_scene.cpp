#include "agent_scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/world/encrypt.h"
#include "standin/child_process.h"

void enter_scene(bool with_data) {
    const std::string dir = make_work_dir();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    if (with_data) {
        ASSERT_EQ(symlink(DATA_DIR, "data"), 0);
        ASSERT_EQ(symlink(DATA_DIR "/wd-formation.rf", "formation.rf"), 0);
    }
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
