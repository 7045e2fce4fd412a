// The online coach: connects to the server, switches the global view on and
// leaves all further work to the signal handlers until the server falls silent.
#include "coach/core.h"
#include "coach/parser.h"
#include "coach/sbe.h"
#include "coach/statistics.h"
#include "coach/virtual_coach.h"
#include "coach/vq.h"
#include "common/transfer.h"

static const int kSignalsBeforeEye = 3;   // the init reply and timer ticks, typically

static const char kUsage[] =
    "usage: coach [-file PATH]... [-offline] [-console] [-vq_test]\n"
    "  -file PATH  read a configuration file (coach.conf is read unless one holds corvane_config_file)\n"
    "  -offline    announce itself without a team name\n"
    "  -console    read operator commands on standard input beside the coach's work:\n"
    "              \"sub N M\", \"form N\" (read, not acted on yet); \"quit\" or the end of input ends them\n"
    "  -vq_test    print the vector quantiser's self-test and exit without connecting\n";

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

    if (!core->read_switches(argc, argv)) {
        fputs(kUsage, stderr);
        return 2;
    }
    if (core->vq_test) {
        TVQ::test_main();
        return 0;
    }
    core->get_config(argc, argv);
    core->set_log_files();
    core->init();

    TVirtual_Coach console;
    std::thread console_thread;
    if (core->console)
        console_thread = start_console(&console);

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
    if (console_thread.joinable()) {
        console.stop();
        console_thread.join();
    }
    log_statistics(*core->SBE);
    core->rlog("server died!", true);
    core->rlog("Shutting down the Coach...", true);
    core->save_log = false;
    return 0;
}
