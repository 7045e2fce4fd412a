#include "player/runtime/player_main.h"

#include <csignal>
#include <cstdio>

#include "common/transfer.h"
#include "player/agent/ball.h"
#include "player/agent/core.h"
#include "player/agent/gamestart.h"
#include "player/agent/position.h"
#include "player/goalie/goalie_position.h"
#include "player/clang/cparser.h"
#include "player/runtime/client.h"
#include "player/runtime/kill.h"
#include "player/runtime/parser.h"
#include "player/skills/dribble.h"
#include "player/skills/kvel.h"
#include "player/skills/llwb_eval1.h"
#include "player/skills/shoot.h"
#include "player/skills/short_pass.h"
#include "player/world/encrypt.h"

namespace {

void make_objects() {
    core->with_ball_objects[0] = new TKVEL();
    core->with_ball_objects[1] = new TShoot();
    core->with_ball_objects[2] = new TShort_Pass();
    core->with_ball_objects[3] = new TDribble();
    core->without_ball_objects[0] = core->is_goalie ? new TGoalie_Position() : new TPosition();
    core->without_ball_objects[1] = new TGet_Ball();
    core->without_ball_objects[2] = new TGame_Start();
}

// Decency and learning rates of the with-ball objects: a field player's first
// one learns faster; the goalkeeper's all learn alike.
void tune_with_ball_objects() {
    for (int slot = 0; slot < kWithBallObjects; ++slot) {
        TWith_Ball *object = core->with_ball_objects[slot];
        const bool first = slot == 0;
        object->set_ID(core->evaluator ? core->evaluator->add_assessor(object) : slot);
        object->set_decency(0.7f);
        object->set_normal_change_rate(core->is_goalie ? 1.0f : first ? 3.0f : 2.0f);
        object->set_semi_change_rate(core->is_goalie ? 5.0f : first ? 5.0f : 4.0f);
    }
}

}  // namespace

void create_behaviour_objects() {
    make_objects();
    tune_with_ball_objects();
}

namespace {

void shut_down() {
    if (!core->is_goalie) {
        core->rlog(20, "With ball assessor 0 decency:", core->with_ball_objects[0]->decency());
        core->rlog(20, "With ball assessor 1 decency:", core->with_ball_objects[1]->decency());
    }
    core->rlog(1, "Server died!");
    core->rlog(1, "Shutting down the agent...");
    core->save_log = false;
    core->bye();
    const Late_Counts late = core->late_counts();
    if (core->log_stream)
        fprintf(core->log_stream, "late assessments %d, late decisions %d\n", late.assessments, late.decisions);
}

}  // namespace

namespace {

void print_usage(const char *program) {
    fprintf(stderr,
            "usage: %s [-file PATH]... [-monitor] [-kill_handler]\n"
            "  -file PATH     read a configuration file (agent.conf is read too unless one of\n"
            "                 them holds corvane_config_file)\n"
            "  -monitor       wait for a display monitor to register on UDP port 5999 before\n"
            "                 connecting, then show it this player's world model every cycle\n"
            "  -kill_handler  on SIGINT, SIGTSTP, SIGQUIT, SIGABRT or SIGTERM say \"(bye)\" and\n"
            "                 leave in order, with status 0\n",
            program);
}

}  // namespace

int run_player(int argc, char **argv, TCore *(*make_core)()) {
    net = new TTransfer();
    parser = new TParser();
    core = make_core();
    if (!core->read_switches(argc, argv)) {
        print_usage(argv[0]);
        return 2;
    }
    if (core->kill_handler)
        handle_kill_signal();
    core->get_config(argc, argv);
    core->world = new TWorld_Model();
    c_parser = new TCoach_Parser(&core->coach_message);
    core->map_encoder = new TMap_Encrypt(core->world->teammates, core->world->opponents,
                                         &core->world->ball, core->team_name);
    core->evaluator = new TLow_Level_With_Ball_Evaluator();

    if (core->monitor) {
        core->world->init_monitor();
        if (!core->alive)
            return 0;             // stopped while it waited
    }
    if (core->is_goalie)
        printf("****%d\ninit\n", core->kick_history[2].cycle);
    else
        printf("(init...\n");
    fflush(stdout);
    if (core->init() != 0)
        return 1;

    if (core->is_goalie)
        printf("mutex_init\ninit_handler\n");
    const sigset_t mask = init_handler();
    create_behaviour_objects();

    printf("playing...\n");
    if (!core->is_goalie)
        core->world->ball.pos = TPoint(0, 0);
    core->run_objects();
    printf("objects runned . . .\n");
    fflush(stdout);

    serve(mask);
    shut_down();
    return 0;
}
