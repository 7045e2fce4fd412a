// The online coach: connects to the server, switches the global view on and
// leaves all further work to the signal handlers until the server falls silent.
#include "coach/core.h"
#include "coach/parser.h"
#include "coach/sbe.h"
#include "coach/statistics.h"
#include "common/transfer.h"

static const int kSignalsBeforeEye = 3;   // the init reply and timer ticks, typically

int main(int argc, char **argv) {
    TTransfer link;
    TCoach_Parser coach_parser;
    net = &link;
    parser = &coach_parser;
    TCore coach_core(net);
    core = &coach_core;
    static TInfo world;   // too large for the stack
    inf = &world;
    static TSBE behaviour_model;   // too large for the stack
    core->SBE = &behaviour_model;

    core->get_config(argc, argv);
    core->set_log_files();
    core->init();

    sigset_t mask = init_handler();
    core->mask = &mask;
    for (int i = 0; i < kSignalsBeforeEye; i++)
        sigsuspend(&mask);
    core->switch_eye(ES_ON);

    while (core->server_alive) {
        sigsuspend(&mask);
        make_due_decisions();
    }

    stop_handlers();
    log_statistics(*core->SBE);
    core->rlog("server died!", true);
    core->rlog("Shutting down the Coach...", true);
    core->save_log = false;
    return 0;
}
