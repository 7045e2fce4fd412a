// The goalkeeper's core: the catch zone, the catch command, the holding phase,
// and the goalkeeper program against the stand-in server.

#include <chrono>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

#include "agent_scene.h"
#include "player/goalie/goalie_core.h"
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
    void place_me(TPoint p, float body) {
        TPlayer *me = core->world->me;
        me->pos = p;
        me->body = body;
        me->pos_chance = 1;
    }
    void place_ball(TPoint p) {
        core->world->ball.pos = p;
        core->world->ball.pos_chance = 1;
    }
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

TEST(GoalieProgram, AnnouncesItselfAsGoalieAndMovesToItsGoal) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    const std::string dir = make_work_dir();
    std::ofstream(dir + "/agent.conf") << "server 127.0.0.1\nport " << server.port() << "\nteam_name Keepers\n";
    ChildProcess goalie;
    ASSERT_TRUE(goalie.start(GOALIE_BIN, {}, dir));
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(move -45.00 0.00)"; }, 5s));
    EXPECT_EQ(server.received().front().text, "(init Keepers (version 7.10) (goalie))");
    EXPECT_TRUE(server.players().front().goalie);
    server.fall_silent();
    EXPECT_EQ(goalie.wait_exit(5s), 0) << goalie.output();
    EXPECT_NE(goalie.output().find("init_handler"), std::string::npos);
}

}  // namespace
