#include "agent_scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "standin/child_process.h"

void build_agent(TCore *agent, int unum) {
    ASSERT_EQ(chdir(make_work_dir().c_str()), 0);
    net = new TTransfer();
    parser = new TParser();
    core = agent;
    core->world = new TWorld_Model();
    core->world->me = &core->world->teammates[unum];
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
    delete core->world;
    delete core;
    delete parser;
    delete net;
    core = nullptr;
    parser = nullptr;
    net = nullptr;
}
