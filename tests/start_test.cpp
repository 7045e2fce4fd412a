// The whole team started with start.sh against the stand-in server.

#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

#include "standin/child_process.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

class StartScript : public ::testing::Test {
protected:
    // Starts the team with start.sh, the coach's port given by coach_option, and
    // waits until all eleven players have moved to their posts.
    void start_team(const char *coach_option) {
        ASSERT_TRUE(server.start());
        run = make_work_dir();
        ASSERT_TRUE(team.start("/usr/bin/env",
                               {"TEAM2D_BIN_DIR=" BIN_DIR, "TEAM2D_RUN_DIR=" + run, "bash", SOURCE_DIR "/start.sh",
                                "-h", "127.0.0.1", "-p", std::to_string(server.port()), coach_option,
                                std::to_string(server.coach_port()), "-t", "Starters"},
                               SOURCE_DIR, run + "/start-output.txt"));
        std::set<int> movers;
        server.wait_for([&](const StandInDatagram &d) {
            if (d.text.rfind("(move ", 0) == 0)
                movers.insert(d.unum);
            return movers.size() == 11;
        }, 20s);
        ASSERT_EQ(movers.size(), 11u) << team.output();
        // The online coach advises the same team.
        ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.coach && d.text == "(eye on)"; }, 10s));
        EXPECT_EQ(server.coach().team, "Starters");
    }

    StandInServer server;
    ChildProcess team;
    std::string run;                      // the team's run directory
};

TEST_F(StartScript, ElevenPlayersAndTheCoachConnectAndLeaveWithTheServer) {
    start_team("-o");
    const std::vector<StandInPlayer> players = server.players();
    ASSERT_EQ(players.size(), 11u);
    int goalies = 0;
    for (const StandInPlayer &p : players) {
        EXPECT_EQ(p.team, "Starters");
        EXPECT_LE(p.x, -1.0) << "player " << p.unum << " is not in our half";
        goalies += p.goalie;
    }
    EXPECT_EQ(goalies, 1);
    // The coach is told the same server's parameters as the players, and all
    // read their files without a line they do not know.
    std::ifstream coach_conf(run + "/coach.conf");
    const std::string coach_text((std::istreambuf_iterator<char>(coach_conf)), std::istreambuf_iterator<char>());
    EXPECT_NE(coach_text.find("\nstamina_max 8000\n"), std::string::npos) << coach_text;
    EXPECT_EQ(team.output().find("illegal line"), std::string::npos) << team.output();

    server.fall_silent();
    EXPECT_EQ(team.wait_exit(6s), 0) << team.output();
}

TEST_F(StartScript, CtrlCMakesEveryPlayerSayByeAndLeave) {
    start_team("-P");
    team.signal(SIGINT);                      // as a terminal's Ctrl-C: to the whole group
    EXPECT_EQ(team.wait_exit(6s), 0) << team.output();
    std::set<int> said_bye;
    for (const StandInDatagram &d : server.received())
        if (d.text == "(bye)")
            said_bye.insert(d.unum);
    EXPECT_EQ(said_bye.size(), 11u);
}

}  // namespace
