// The online coach: connects to the server, switches the global view on and
// leaves all further work to the signal handlers until the server falls silent.
#include "coach/core.h"
#include "coach/parser.h"
#include "coach/sbe.h"
#include "common/transfer.h"

static const int kSignalsBeforeEye = 3;   // the init reply and timer ticks, typically

// Part of whole in per cent; 0 when there is no whole.
static double percent(int part, int whole) {
    return whole != 0 ? static_cast<double>(static_cast<float>(part) / whole * 100) : 0.0;
}

// One team's counters and ratios; the labels of the two teams differ in padding.
static void log_team_statistics(const Team_Info &team, bool ours) {
    core->rlog(ours ? "Teammates:" : "Opponents:");
    core->rlog("  Pass count:", team.pass_count());
    core->rlog("  Success_pass_count:", team.success_pass_count());
    core->rlog("  Caught shoot count:", team.caught_shoot_count());
    core->rlog("  goaled shoot count:", team.goaled_shoot_count());
    core->rlog("  dribble count:", team.dribble_count());
    core->rlog("  kickabled:", team.kickabled());
    core->rlog("  kickabled_w_kick:", team.kickabled_w_kick());
    core->rlog("  cycles have ball:", team.cycles_have_ball());
    core->rlog(ours ? "Percent of success pass       :" : "Percent of success pass      :",
               percent(team.success_pass_count(), team.pass_count()));
    core->rlog(ours ? "Percent of dribble            :" : "Percent of dribble           :",
               percent(team.dribble_count(), team.kickabled_w_kick()));
    core->rlog(ours ? "Percent of kickable detection :" : "Percent of kickable detection:",
               percent(team.kickabled_w_kick(), team.kickabled()));
}

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
    core->rlog("Logging SBE information...");
    log_team_statistics(core->SBE->our_team, true);
    log_team_statistics(core->SBE->their_team, false);
    core->rlog("server died!", true);
    core->rlog("Shutting down the Coach...", true);
    core->save_log = false;
    return 0;
}
