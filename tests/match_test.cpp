// Matches between two teams of ours, one with its online coach, on the stand-in
// simulator, both with the shipped configuration: every program keeps playing
// every cycle and all leave with the server, and no field player lets its
// stamina fall below the server's recovery threshold. And our team alone
// against the stand-in's referee, counting its goals.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "agent_scene.h"
#include "standin/child_process.h"
#include "standin/standin_physics.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

const char *const kTeams[] = {"Alpha", "Beta"};
const int kPlayers = 11;
const double kRecoveryThreshold = standin_param::kRecoverDecThr * standin_param::kStaminaMax;

// The cycle length for the matches run by hand: MATCH_STEP_MS, default 50 ms.
int match_step_ms() {
    const char *step_text = std::getenv("MATCH_STEP_MS");
    return step_text ? std::max(10, std::atoi(step_text)) : 50;
}

class Match : public ::testing::Test {
protected:
    // The stand-in with cycles of step_ms, and the programs told that step.
    void start_match(int step_ms, std::chrono::seconds limit) {
        start_server(StandInOptions{std::chrono::milliseconds(step_ms), limit});
        for (const char *team : kTeams)
            start_team(team, step_ms);
        start_coach(step_ms);
    }

    // A fresh stand-in; the programs of an earlier match are ended first.
    void start_server(const StandInOptions &options) {
        programs.clear();
        team_players = 0;
        server = std::make_unique<StandInServer>(options);
        ASSERT_TRUE(server->start());
    }

    // A goalkeeper and ten field players.
    void start_team(const char *team, int step_ms) {
        for (int i = 0; i < kPlayers; ++i)
            start(i == 0 ? GOALIE_BIN : PLAYER_BIN, player_dir(team, step_ms),
                  {"-file", DATA_DIR "/agent.conf", "-file", "agent.conf"});
        team_players += kPlayers;
    }

    // The online coach of the first team.
    void start_coach(int step_ms) {
        const std::string dir = make_work_dir();
        std::ofstream(dir + "/coach.conf") << "server 127.0.0.1\nport " << server->coach_port()
                                           << "\nteam_name " << kTeams[0] << "\nsimulator_step " << step_ms << "\n";
        start(BIN_DIR "/coach", dir, {});
    }

    // A player's directory: its agent.conf names the server, the team and the step,
    // read after the shipped file.
    std::string player_dir(const char *team, int step_ms) {
        const std::string dir = program_dir(server->port(), team, true);
        std::ofstream(dir + "/agent.conf", std::ios::app)
            << "simulator_step " << step_ms << "\nsend_step " << step_ms * 3 / 2 << "\n";
        return dir;
    }

    void start(const char *program, const std::string &dir, const std::vector<std::string> &args) {
        programs.push_back(std::make_unique<ChildProcess>());
        ASSERT_TRUE(programs.back()->start(program, args, dir));
        std::this_thread::sleep_for(100ms);   // connect one after the other, as start.sh does
    }

    // Kicks off after a pause.
    void kick_off() {
        std::this_thread::sleep_for(2s);
        server->kick_off();
        kick_off_cycle = server->cycle();
    }

    void play(int cycles) {
        const int end = server->cycle() + cycles;
        while (server->cycle() < end && server->running())
            std::this_thread::sleep_for(100ms);
    }

    // The cycles after the kick-off in which each player ("TEAM UNUM") sent
    // something; every player started is checked to be among them.
    std::map<std::string, std::set<int>> active_cycles() const {
        std::map<std::string, std::set<int>> active;
        for (const StandInDatagram &d : server->received())
            if (!d.coach && d.cycle >= kick_off_cycle)
                active[d.team + " " + std::to_string(d.unum)].insert(d.cycle);
        EXPECT_EQ(static_cast<int>(active.size()), team_players);
        return active;
    }

    // A player that stands where it should may rest a cycle, but none stalls:
    // each sends commands in most cycles after the kick-off.
    void expect_everyone_plays() const {
        const int cycles = server->cycle() - kick_off_cycle;
        for (const auto &player : active_cycles())
            EXPECT_GE(player.second.size(), 0.6 * cycles) << player.first;
    }

    // With the referee on, a player may stand for long while the ball is out
    // of play, but none falls silent for longer than rest cycles.
    void expect_nobody_rests_longer_than(int rest) const {
        for (const auto &player : active_cycles()) {
            int last = kick_off_cycle, longest = 0;
            for (int cycle : player.second) {
                longest = std::max(longest, cycle - last);
                last = cycle;
            }
            EXPECT_LE(std::max(longest, server->cycle() - last), rest) << player.first;
        }
    }

    // The lowest stamina any field player's dash left; each one checked against the threshold.
    double lowest_field_stamina() const {
        double lowest = standin_param::kStaminaMax;
        for (const StandInPlayer &p : server->players()) {
            if (p.goalie)
                continue;
            EXPECT_GE(p.lowest_stamina, kRecoveryThreshold) << p.team << " " << p.unum;
            lowest = std::min(lowest, p.lowest_stamina);
        }
        return lowest;
    }

    void expect_all_leave_with_the_server() {
        for (const std::unique_ptr<ChildProcess> &p : programs)
            EXPECT_TRUE(p->running()) << p->output();
        server->fall_silent();
        for (const std::unique_ptr<ChildProcess> &p : programs)
            EXPECT_EQ(p->wait_exit(10s), 0) << p->output();
    }

    // The goals our team scores in cycles from kick-off on an empty field
    // with the referee on, its online coach playing along or not. After each
    // goal the players may stand through the pause and the kick-off that
    // nobody takes until it is dropped.
    int goals_alone(int cycles, bool with_coach) {
        const int step_ms = match_step_ms();
        StandInOptions options{std::chrono::milliseconds(step_ms), std::chrono::seconds(cycles * step_ms / 1000 + 60)};
        options.referee = true;
        start_server(options);
        start_team(kTeams[0], step_ms);
        if (with_coach)
            start_coach(step_ms);
        kick_off();
        play(cycles);
        EXPECT_GE(server->cycle(), kick_off_cycle + cycles);
        expect_nobody_rests_longer_than(options.goal_pause_cycles + options.drop_ball_cycles);
        expect_all_leave_with_the_server();
        return server->score('l');
    }

    std::unique_ptr<StandInServer> server;
    std::vector<std::unique_ptr<ChildProcess>> programs;
    int team_players = 0;
    int kick_off_cycle = 0;
};

// After 200 cycles of play every player is made tired, a little above the
// threshold, so that running for the ball soon meets it (a tired player may
// well stand and send nothing).
TEST_F(Match, EveryProgramPlaysEveryCycleKeepsItsStaminaAndLeavesWithTheServer) {
    start_match(100, 120s);
    kick_off();
    play(200);
    expect_everyone_plays();
    EXPECT_TRUE(server->wait_for([](const StandInDatagram &d) { return d.coach && d.text.rfind("(say ", 0) == 0; }, 1s));
    server->set_stamina(kRecoveryThreshold + 600);
    play(50);
    // Somebody ran down to the threshold: the rule was put to the test.
    EXPECT_LT(lowest_field_stamina(), kRecoveryThreshold + 100);
    expect_all_leave_with_the_server();
}

// A whole half of 3000 cycles from full stamina; run by hand
// (--gtest_also_run_disabled_tests). MATCH_STEP_MS sets the cycle length in
// milliseconds (default 50: two and a half minutes of play).
TEST_F(Match, DISABLED_ThreeThousandCyclesKeepEveryFieldPlayerAboveTheRecoveryThreshold) {
    const int step_ms = match_step_ms();
    const int cycles = 3000;
    start_match(step_ms, std::chrono::seconds(cycles * step_ms / 1000 + 60));
    kick_off();
    play(cycles);
    EXPECT_GE(server->cycle(), kick_off_cycle + cycles);
    expect_everyone_plays();
    const double lowest = lowest_field_stamina();
    printf("lowest field player stamina in %d cycles of %d ms: %.1f (threshold %.0f)\n", server->cycle() - kick_off_cycle,
           step_ms, lowest, kRecoveryThreshold);
    expect_all_leave_with_the_server();
}

// Our team alone on the field for 1200 cycles, with its coach and without;
// run by hand (--gtest_also_run_disabled_tests), MATCH_STEP_MS as above. Both
// score: the coach's advice must not trap the team in a loop of goal kicks.
TEST_F(Match, DISABLED_ScoresInTwelveHundredCyclesWithAndWithoutItsCoach) {
    const int cycles = 1200;
    const int with_coach = goals_alone(cycles, true);
    const int without = goals_alone(cycles, false);
    printf("goals in %d cycles: with the coach %d, without %d\n", cycles, with_coach, without);
    EXPECT_GT(with_coach, 0);
    EXPECT_GT(without, 0);
}

}  // namespace
