// A match between two teams of ours, one with its online coach, on the stand-in
// simulator: every program keeps playing every cycle and all leave with the server.

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "agent_scene.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

const char *const kTeams[] = {"Alpha", "Beta"};
const int kPlayers = 11;
const auto kPlay = 20s;

class Match : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        for (const char *team : kTeams)
            for (int i = 0; i < kPlayers; ++i)
                start(i == 0 ? GOALIE_BIN : PLAYER_BIN, program_dir(server.port(), team, true));
        // The coach reads coach.conf.
        const std::string dir = program_dir(server.coach_port(), kTeams[0], false);
        ASSERT_EQ(rename((dir + "/agent.conf").c_str(), (dir + "/coach.conf").c_str()), 0);
        start(BIN_DIR "/coach", dir);
    }

    void start(const char *program, const std::string &dir) {
        programs.push_back(std::make_unique<ChildProcess>());
        ASSERT_TRUE(programs.back()->start(program, {}, dir));
        std::this_thread::sleep_for(100ms);   // connect one after the other, as start.sh does
    }

    // For each player, the cycles from `from` on in which it sent something.
    std::map<std::string, std::set<int>> active_cycles(int from) const {
        std::map<std::string, std::set<int>> active;
        for (const StandInDatagram &d : server.received())
            if (!d.coach && d.cycle >= from)
                active[d.team + " " + std::to_string(d.unum)].insert(d.cycle);
        return active;
    }

    StandInServer server{StandInOptions{100ms, 120s}};
    std::vector<std::unique_ptr<ChildProcess>> programs;
};

TEST_F(Match, EveryProgramPlaysEveryCycleAndLeavesWithTheServer) {
    std::this_thread::sleep_for(2s);
    server.kick_off();
    const int kick_off = server.cycle();
    std::this_thread::sleep_for(kPlay);
    const int end = server.cycle();

    for (const std::unique_ptr<ChildProcess> &p : programs)
        EXPECT_TRUE(p->running()) << p->output();
    const std::map<std::string, std::set<int>> active = active_cycles(kick_off);
    EXPECT_EQ(active.size(), 2u * kPlayers);
    // A player that stands where it should may rest a cycle, but none stalls:
    // each sends commands in most cycles.
    for (const auto &player : active)
        EXPECT_GE(player.second.size(), 0.6 * (end - kick_off)) << player.first;
    EXPECT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.coach && d.text.rfind("(say ", 0) == 0; }, 1s));

    server.fall_silent();
    for (const std::unique_ptr<ChildProcess> &p : programs)
        EXPECT_EQ(p->wait_exit(10s), 0) << p->output();
}

}  // namespace
