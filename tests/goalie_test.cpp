// The goalkeeper's core: the catch zone, the catch command, the holding phase,
// its positioning, and the goalkeeper program against the stand-in server.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>
#include <gtest/gtest.h>

#include "agent_scene.h"
#include "player/goalie/goalie_core.h"
#include "player/goalie/goalie_position.h"
#include "player/runtime/client.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

class Goalie : public ::testing::Test {
protected:
    void SetUp() override {
        keeper = make_agent<TGoalie_Core>(1);
        core->real_cycle = 100;
        core->game_stopped = false;
        place_me(TPoint(-45, 0), 0);
        place_ball(TPoint(-44, 0));
    }
    void TearDown() override { destroy_agent(); }
    TGoalie_Core *keeper = nullptr;
};

TEST_F(Goalie, CatchZoneEndsAtThePenaltyAreaLine) {
    place_me(TPoint(-36.0, 0), 0);
    place_ball(TPoint(-35.5, 0));
    EXPECT_TRUE(keeper->ball_is_catchable());
    place_me(TPoint(-35.9, 0), 0);
    EXPECT_FALSE(keeper->ball_is_catchable());
    place_me(TPoint(-40, 20.2), 0);
    place_ball(TPoint(-40, 20.5));
    EXPECT_FALSE(keeper->ball_is_catchable());   // beyond the penalty area's width
}

TEST_F(Goalie, CatchReachIsTheHalfDiagonalOfTheCatchArea) {
    const double reach = TPoint(1.0, 0.5).abs();   // 1.118 with the default 2 x 1 area
    place_ball(TPoint(-45 + reach + 1e-6, 0));
    EXPECT_FALSE(keeper->ball_is_catchable());
    place_ball(TPoint(-45 + 1.1, 0));
    EXPECT_TRUE(keeper->ball_is_catchable());
    core->world->ball.pos_chance = 0.5f;         // a ball we do not know
    EXPECT_FALSE(keeper->ball_is_catchable());
}

TEST_F(Goalie, NoNewCatchWithinTheBanCycles) {
    keeper->catch_(false);
    core->real_cycle = 104;
    EXPECT_FALSE(keeper->ball_is_catchable());
    core->real_cycle = 105;
    EXPECT_TRUE(keeper->ball_is_catchable());
}

TEST_F(Goalie, CatchAimsAlongTheDiagonalAndIsNormalised) {
    place_ball(TPoint(-44, 0));                  // straight ahead
    keeper->catch_(false);
    EXPECT_STREQ(core->body_com.text, "(catch 26.6)");
    EXPECT_EQ(core->body_com.type, BC_CATCH);
    EXPECT_EQ(core->body_com.time, 100);
    // At 170 degrees the aim passes 180 and comes out on the other side.
    place_ball(TPoint(-45, 0) + polar_2_point(0.8f, static_cast<float>(170 * M_PI / 180)));
    keeper->catch_(false);
    EXPECT_STREQ(core->body_com.text, "(catch -163.4)");
}

TEST_F(Goalie, HoldingTurnsAFullCircleThenMovesOnce) {
    core->catch_state = 1;
    keeper->last_catch_cycle = 100;
    place_me(TPoint(-45, 2), 30);
    keeper->decision();
    // -(30 + 360) spread over the 20 cycles left: -19.5 now.
    EXPECT_NEAR(core->body_com.direction, -19.5, 1e-3);
    place_me(TPoint(-45, 2), -30);
    core->real_cycle = 119;
    keeper->decision();                          // the turn is kept: the rest in the last cycle
    EXPECT_EQ(core->body_com.type, BC_TURN);

    core->real_cycle = 121;                      // the decision missed cycle 120
    core->body_com.time = kEmptySlot;
    keeper->decision();
    EXPECT_FALSE(core->action_is_update());      // moving is sent at once, not queued
    core->real_cycle = 122;
    keeper->decision();                          // the move is not sent again
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Goalie, TurnAmountFollowsTheBodyDirection) {
    core->catch_state = 1;
    keeper->last_catch_cycle = 100;
    place_me(TPoint(-45, 0), -30);
    keeper->decision();
    EXPECT_NEAR(core->body_com.direction, 390.0 / 20, 1e-3);
}

TEST_F(Goalie, AfterAKickItDoesNotCatchUntilTheBallLeaves) {
    core->ball_holder = 1;
    place_ball(TPoint(-44.5, 0));                // kickable and catchable
    keeper->kick(50, 0, true);
    EXPECT_TRUE(keeper->released);
    core->real_cycle = 101;
    core->body_com.time = kEmptySlot;
    keeper->decision();
    EXPECT_FALSE(core->body_com.type == BC_CATCH && core->action_is_update());
    place_ball(TPoint(-40, 0));                  // gone
    keeper->decision();
    EXPECT_FALSE(keeper->released);
}

// ---- positioning: on the 5.5 m circle in front of our goal ----

void expect_point(TPoint p, double x, double y) {
    EXPECT_NEAR(p.X, x, 0.01);
    EXPECT_NEAR(p.Y, y, 0.01);
}

using GoaliePosition = Goalie;   // I stand at (-45, 0) looking along +x

TEST_F(GoaliePosition, TheLineFromTheBallToItsSideOfTheGoalMeetsTheCircle) {
    TGoalie_Position position;
    expect_point(position.guard_point(TPoint(-30, 0)), -47.22, 1.53);     // aim (-52.5, 2)
    expect_point(position.guard_point(TPoint(-40, -20)), -50.37, -5.07);  // aim (-52.5, -2)
    const TPoint p = position.guard_point(TPoint(-52.5, 10));             // along the goal line
    EXPECT_DOUBLE_EQ(p.X, -52.5);
    EXPECT_NEAR(std::fabs(p.Y), 5.5, 1e-9);
}

TEST_F(GoaliePosition, RunsThereFastFacesTheBallWhenCloseAndScansForALostBall) {
    place_ball(TPoint(-30, 0));
    TGoalie_Position position;
    position.assess();
    const No_Ball_Behavior_Info &r = position.final;
    EXPECT_EQ(r.kind, 0);
    expect_point(r.run.point, -47.22, 1.53);
    EXPECT_EQ(r.run.mode, RM_FASTEST);
    EXPECT_FLOAT_EQ(r.run.buffer, 2.0f);
    EXPECT_FLOAT_EQ(r.chance, 0.59f);
    place_me(TPoint(-47.5, 1.2), 0);     // 0.43 m away
    position.assess();
    EXPECT_EQ(r.kind, 2);
    EXPECT_FLOAT_EQ(r.chance, 0.1f);
    core->world->ball.pos_chance = 0.3f;
    position.assess();
    EXPECT_EQ(r.kind, 3);
    EXPECT_FLOAT_EQ(r.chance, 1.0f);
}

TEST_F(GoaliePosition, NoTargetIsRememberedFromCycleToCycle) {
    place_me(TPoint(-45, 0), 145.4);     // heading for (-47.22, 1.53)
    place_ball(TPoint(-30, 0));
    TGoalie_Position position;
    position.assess();
    place_ball(TPoint(-30, 6));          // 1.37 m away and 11 degrees off: taken at once
    position.assess();
    expect_point(position.final.run.point, -47.79, 2.84);
}

TEST_F(GoaliePosition, TableStaysAMetreBehindTheBallAndUpToTheOffsideLine) {
    TGoalie_Position position;
    Formation_Table &table = position.formation;
    table.base_pos[1] = TPoint(-10, 3);
    table.attraction[1] = TPoint(0.5, 0);
    table.behind_ball[1] = true;
    core->catch_state = 1;               // neither this nor the play mode counts
    core->info_snapshot.play_mode = PM_GOAL_KICK_OURS;
    place_ball(TPoint(-20, 5));          // -10 - 10 = -20, held at -21
    expect_point(position.get_position(), -21, 3);
    table.base_pos[1] = TPoint(30, 0);
    table.behind_ball[1] = false;
    place_ball(TPoint(10, 0));           // 35, cut at the line 10 itself
    expect_point(position.get_position(), 10, 0);
}

// The goalie program connected to the stand-in and moved to its goal.
class GoalieProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(goalie.start(GOALIE_BIN, {}, program_dir(server.port(), "Keepers", false)));
        ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(move -45.00 0.00)"; }, 5s));
    }
    StandInServer server;
    ChildProcess goalie;
};

TEST_F(GoalieProgram, AnnouncesItselfAsGoalieAndMovesToItsGoal) {
    EXPECT_EQ(server.received().front().text, "(init Keepers (version 7.10) (goalie))");
    EXPECT_TRUE(server.players().front().goalie);
    EXPECT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(clang (ver 7 7))"; }, 5s));
    server.fall_silent();
    EXPECT_EQ(goalie.wait_exit(5s), 0) << goalie.output();
    EXPECT_NE(goalie.output().find("init_handler"), std::string::npos);
}

bool starts(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

// What the keeper sent from its first catch up to its first kick.
std::vector<std::string> holding_commands(const StandInServer &server) {
    std::vector<std::string> texts;
    for (const StandInDatagram &d : server.received()) {
        if (starts(d.text, "(kick "))
            break;
        if (!texts.empty() || starts(d.text, "(catch "))
            texts.push_back(d.text);
    }
    return texts;
}

bool eventually(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    return done();
}

TEST_F(GoalieProgram, CatchesAShotTurnsWithTheBallMovesAndKicksItAway) {
    server.set_play_mode("play_on");
    server.place_ball(-35, 0, -1.0, 0);            // a shot along the x axis into our goal

    ASSERT_TRUE(eventually([&] { return server.world().holder == 0; }, 20s)) << goalie.output();
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return starts(d.text, "(kick "); }, 30s));
    // Held: about a full circle of turns over 20 cycles, then one move to a side.
    const std::vector<std::string> held = holding_commands(server);
    const auto count = [&](const char *prefix) {
        return std::count_if(held.begin(), held.end(), [&](const std::string &t) { return starts(t, prefix); });
    };
    EXPECT_GE(count("(turn "), 10);
    EXPECT_EQ(count("(move "), 1);
    EXPECT_EQ(count("(move -38.00 -15.00)") + count("(move -38.00 15.00)"), 1);

    // The kick releases the ball, play goes on, and the ball leaves the keeper.
    EXPECT_TRUE(eventually([&] {
        const StandInWorld w = server.world();
        const StandInPlayer keeper = server.players().front();
        return w.holder < 0 && std::hypot(w.ball_x - keeper.x, w.ball_y - keeper.y) > 3;
    }, 10s));
    EXPECT_EQ(server.play_mode(), "play_on");
    server.fall_silent();
    EXPECT_EQ(goalie.wait_exit(5s), 0);
}

}  // namespace
