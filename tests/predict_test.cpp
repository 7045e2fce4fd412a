// The motion model (ball and own position some cycles ahead, the stamina model)
// and the interception search with its per-cycle cache. Default server
// parameters: ball_decay 0.94, player_decay 0.4, dash_power_rate 0.006,
// kickable_area 1.085, stamina 4000 with 45 recovered per cycle.

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

#include "agent_scene.h"
#include "common/transfer.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "standin/child_process.h"

namespace {

const int kMe = 7;

class World_Scene : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(kMe);
        world = core->world;
        be(kMe);
        core->real_cycle = 10;
        core->cycle = 10;
        core->game_stopped = false;
        core->info_snapshot.sense.stamina = 4000;
        core->info_snapshot.sense.effort = 1;
    }
    void TearDown() override { destroy_agent(); }
    // I am teammate unum, at the origin, standing still and facing +x.
    void be(int unum) {
        world->me = &world->teammates[unum];
        core->info_snapshot.unum = unum;
        core->ball_holder = unum;
        world->me->pos_chance = 1;
        world->me->vel_chance = 1;
    }
    void ball_at(TPoint pos, TPoint vel = TPoint(0, 0)) {
        world->ball.pos = pos;
        world->ball.vel = vel;
        world->ball.pos_chance = 1;
        world->ball.vel_chance = 1;
    }
    TWorld_Model *world = nullptr;
};

void expect_point(TPoint p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-4);
    EXPECT_NEAR(p.Y, y, 1e-4);
}

// ---- the ball ----

using PredictBall = World_Scene;

TEST_F(PredictBall, DecaysBeforeEveryMove) {
    ball_at(TPoint(0, 0), TPoint(1, 0));
    expect_point(world->ball.estimate_future_pos(1, TPoint(0, 0)), 0.94, 0);
    expect_point(world->ball_predicted_position(2), 0.94 + 0.8836, 0);
    expect_point(world->ball.estimate_future_pos(0, TPoint(5, 5)), 0, 0);   // no cycle: no move
}

TEST_F(PredictBall, SpeedIsCutToTheMaximumFirst) {
    ball_at(TPoint(0, 0), TPoint(3, 0));
    // 3 -> 2.7 -> 2.538 moved; then 2.538 * 0.94 = 2.38572
    expect_point(world->ball_predicted_position(2), 2.538 + 2.38572, 0);
}

TEST_F(PredictBall, UnknownVelocityCountsAsStill) {
    ball_at(TPoint(1, 1), TPoint(1, 0));
    world->ball.vel_chance = 0.4f;
    expect_point(world->ball.estimate_future_pos(1, TPoint(0.5, 0)), 1.47, 1);
}

TEST_F(PredictBall, KickAccelerationIsCutInItsDirection) {
    ball_at(TPoint(0.385, 0));         // touching my body straight ahead: kick rate 0.027
    core->ball_accel_max = 1.0f;
    expect_point(world->ball_predicted_position(1, 100, 90), 0.385, 0.94);   // 2.7 cut to 1
    core->ball_accel_max = 2.7f;
    expect_point(world->ball_predicted_position(1, 20, 0), 0.385 + 0.54 * 0.94, 0);
}

TEST_F(PredictBall, QueuedKickIsTakenIntoAccount) {
    ball_at(TPoint(0.385, 0));
    expect_point(world->ball_predicted_position_with_queued_actions(1), 0.385, 0);
    core->body_com.time = core->real_cycle;
    core->body_com.type = BC_KICK;
    core->body_com.power = 20;
    core->body_com.direction = 90;
    expect_point(world->ball_predicted_position_with_queued_actions(1), 0.385, 0.54 * 0.94);
    // atan(0.5076 / 0.385)
    EXPECT_NEAR(world->predicted_ball_angle_from_body_with_queued_actions(), 52.82, 0.01);
}

TEST_F(PredictBall, KickableNextCycleAllowsForNoise) {
    ball_at(TPoint(0.5, 0));
    EXPECT_TRUE(world->ball_will_be_kickable(1, 0, 0.08));
    ball_at(TPoint(1.0, 0), TPoint(0.1, 0));   // 1.094 away; noise 0.00707 shrinks the area to 1.078
    EXPECT_FALSE(world->ball_will_be_kickable(1, 0, 0));
    EXPECT_TRUE(world->ball_will_be_kickable(1, 100, 0));   // a full dash brings me 0.6 nearer
    world->ball.pos_chance = 0.5f;
    EXPECT_FALSE(world->ball_will_be_kickable(1, 100, 0));
}

// ---- my own motion ----

using PredictMe = World_Scene;

TEST_F(PredictMe, DashesAccelerateAndDecay) {
    expect_point(world->my_predicted_position(1, 100, 0), 0.6, 0);
    expect_point(world->my_predicted_position(2, 100, 0), 0.6 + 0.84, 0);   // 0.6 * 0.4 + 0.6
    expect_point(world->my_predicted_position(3, 100, 0), 0.6 + 0.84 + 0.936, 0);
}

TEST_F(PredictMe, TurnFirstThenDash) {
    expect_point(world->my_predicted_position_with_turn(90, 2, 100, true, 0), 0, 0.6);
    // a turn of 0 still takes the first cycle
    expect_point(world->my_predicted_position_with_turn(0, 2, 100, true, 0), 0.6, 0);
    // at speed 0.5 one turn reaches 180 / 3.5 = 51.43 degrees; the rest takes a second cycle
    core->info_snapshot.sense.speed = 0.5f;
    expect_point(world->my_predicted_position_with_turn(90, 3, 100, true, 0), 0, 0.6);
}

TEST_F(PredictMe, WaitingOnlyDriftsButStillCostsStamina) {
    world->me->vel = TPoint(0.5, 0);
    expect_point(world->my_predicted_position(2, 100, 2), 0.7, 0);
    // Stamina 1300 leaves 90 of a dash above the reserve of 1210. Waiting
    // cycles are charged too: 1300 - 90 + 45 = 1255 leaves 45, and the dash
    // after two waiting cycles has 45.
    core->info_snapshot.sense.stamina = 1300;
    world->me->vel = TPoint(0, 0);
    expect_point(world->my_predicted_position(1, 100, 0), 0.54, 0);
    expect_point(world->my_predicted_position(3, 100, 2), 0.27, 0);
}

TEST_F(PredictMe, DashBeyondStaminaUsesTheStamina) {
    core->power_buffer = -1300;   // no reserve: the corrected power stays 100
    core->info_snapshot.sense.stamina = 50;
    expect_point(world->my_predicted_position(1, 100, 0), 50 * 0.006, 0);
}

TEST_F(PredictMe, QueuedDashAndTurn) {
    ASSERT_EQ(core->dash(100, false), 1);
    expect_point(world->my_predicted_position_with_queued_actions(), 0.6, 0);
    EXPECT_FLOAT_EQ(world->my_predicted_body_angle_with_queued_actions(), 0);
    ASSERT_EQ(core->turn(90, false), 1);
    expect_point(world->my_predicted_position_with_queued_actions(), 0, 0);
    EXPECT_FLOAT_EQ(world->my_predicted_body_angle_with_queued_actions(), 90);
    EXPECT_NEAR(world->predicted_point_rel_angle_from_body_with_queued_actions(TPoint(0, 10)), 0, 1e-4);
    EXPECT_NEAR(world->predicted_point_rel_angle_from_body_with_queued_actions(TPoint(-10, 0)), 90, 1e-4);
}

TEST_F(PredictMe, PlayerMoveWithoutCap) {
    expect_point(world->predicted_player_move(TPoint(0, 0), TPoint(1, 0), 2, TPoint(0.5, 0)), 2.6, 0);
}

TEST_F(PredictMe, HugeOrNegativeCycleCountsEndAtOnce) {
    // 1 + 0.4 + 0.16 + ... = 1 / 0.6
    expect_point(world->predicted_player_move(TPoint(0, 0), TPoint(1, 0), INT_MAX, TPoint(0, 0)), 1 / 0.6, 0);
    expect_point(world->predicted_player_move(TPoint(3, 4), TPoint(1, 0), -5, TPoint(1, 0)), 3, 4);
    ball_at(TPoint(0, 0), TPoint(1, 0));
    expect_point(world->ball_predicted_position(INT_MAX), 0.94 / 0.06, 0);
    expect_point(world->my_predicted_position(INT_MIN, 100, 0), 0, 0);
}

// ---- stamina, one cycle ----

using PredictStamina = World_Scene;

struct Stamina {
    float stamina, effort, recovery;
};

Stamina after_dash(const TWorld_Model &w, Stamina s, float power) {
    w.update_predicted_stamina_with_dash(&s.stamina, &s.effort, &s.recovery, power);
    return s;
}

TEST_F(PredictStamina, ForwardAndBackwardDashes) {
    EXPECT_FLOAT_EQ(after_dash(*world, {3000, 1, 1}, 50).stamina, 2995);    // -50 +45
    EXPECT_FLOAT_EQ(after_dash(*world, {3000, 1, 1}, -50).stamina, 2945);   // -100 +45
    EXPECT_FLOAT_EQ(after_dash(*world, {3990, 1, 1}, 0).stamina, 4000);     // capped
}

TEST_F(PredictStamina, LowStaminaWearsEffortAndRecovery) {
    const Stamina s = after_dash(*world, {1000, 1, 1}, 100);
    EXPECT_FLOAT_EQ(s.recovery, 0.998f);
    EXPECT_FLOAT_EQ(s.effort, 0.995f);
    EXPECT_NEAR(s.stamina, 900 + 0.998 * 45, 1e-3);
    const Stamina empty = after_dash(*world, {50, 1, 1}, 100);   // stamina floors at 0
    EXPECT_NEAR(empty.stamina, 0.998 * 45, 1e-3);
}

TEST_F(PredictStamina, HighStaminaRestoresEffort) {
    EXPECT_FLOAT_EQ(after_dash(*world, {3000, 0.9f, 1}, 0).effort, 0.91f);
    EXPECT_FLOAT_EQ(after_dash(*world, {3000, 0.995f, 1}, 0).effort, 1.0f);
    EXPECT_FLOAT_EQ(after_dash(*world, {2000, 0.9f, 1}, 0).effort, 0.9f);   // between the thresholds
}

// ---- kick speed for a pass ----

using PredictPassSpeed = World_Scene;

TEST_F(PredictPassSpeed, BallThatStopsAtThePoint) {
    EXPECT_NEAR(world->vel_at_point_2_vel_at_foot(TPoint(10, 0), 0), 0.6, 1e-5);
    EXPECT_NEAR(world->vel_at_point_2_vel_at_foot(TPoint(6, 8), NAN), 0.6, 1e-5);
}

TEST_F(PredictPassSpeed, BallThatArrivesWithSpeed) {
    // 1/0.94^2 * 0.94 + 1/0.94^2 * 0.94^2 = 1 + 1/0.94: two cycles to arrive at speed 1
    const float d = 1 + 1 / 0.94f;
    EXPECT_NEAR(world->vel_at_point_2_vel_at_foot(TPoint(0, d), 1), 1 / (0.94 * 0.94), 1e-4);
}

TEST_F(PredictPassSpeed, NoDecayNeverDividesByZero) {
    core->ball_decay = 0;
    EXPECT_FLOAT_EQ(world->vel_at_point_2_vel_at_foot(TPoint(10, 0), 1), 1);
    EXPECT_FLOAT_EQ(world->vel_at_point_2_vel_at_foot(TPoint(10, 0), 0), 10);
}

// ---- my own interception search ----

using InterceptMe = World_Scene;

TEST_F(InterceptMe, KickableOrUnknownOrTooFarNeedsNoSearch) {
    ball_at(TPoint(0.5, 0));
    Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 2);
    EXPECT_EQ(r.cycles, 0);
    EXPECT_EQ(r.cycle, 10);
    EXPECT_EQ(r.max_cycles, 100);

    world->ball.pos_chance = 0.5f;
    EXPECT_EQ(world->calc_best_point_to_ball(100, 100).kind, 1);

    ball_at(TPoint(40, 0));   // 5 cycles run at most 5 m
    EXPECT_EQ(world->calc_best_point_to_ball(100, 5).kind, 0);
    EXPECT_EQ(world->calc_best_point_to_ball(100, -7).kind, 0);
}

TEST_F(InterceptMe, BallRollingTowardsMeTakesOneDash) {
    ball_at(TPoint(3, 0), TPoint(-1.5, 0));   // next cycle at 1.5; a full dash brings me to 0.6
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 3);
    EXPECT_EQ(r.cycles, 1);
    EXPECT_FLOAT_EQ(r.dash_power, 100);
    expect_point(r.point, 0.6, 0);
}

TEST_F(InterceptMe, BallNearByTakesTwoDashes) {
    ball_at(TPoint(2.3, 0));   // one dash: 0.6, still 1.7 short; two: 1.44, within 1.085
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 3);
    EXPECT_EQ(r.cycles, 2);
}

TEST_F(InterceptMe, BallBesideMeTakesATurnAndADash) {
    ball_at(TPoint(0, 1.5));   // after a turn of 90 and one dash I stand at (0, 0.6)
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, 2);
    expect_point(r.point, 0, 0.6);
}

TEST_F(InterceptMe, BallRollingAwayIsRunDown) {
    // The ball after i cycles: 5 + (1 - 0.94^i) / 0.06; after 15 it is 15.0785,
    // and my 15 dashes have brought me to 14.333, within 1.01.
    ball_at(TPoint(5, 0), TPoint(1, 0));
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, 15);
    expect_point(r.point, 5 + (1 - std::pow(0.94, 15)) / 0.06, 0);
    EXPECT_EQ(world->calc_best_point_to_ball(100, 14).kind, 0);   // not within 14 cycles
}

TEST_F(InterceptMe, CoarseStepsAreRefinedCycleByCycle) {
    ball_at(TPoint(5, 0), TPoint(1, 0));
    for (int step : {3, 7, 0}) {
        core->my_intercept_step = step;
        EXPECT_EQ(world->calc_best_point_to_ball(100, 100).cycles, 15) << "step " << step;
    }
    // The coarse pass probes no cycle beyond the limit: 1, 4, ..., 13 miss.
    core->my_intercept_step = 3;
    Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 14);
    EXPECT_EQ(r.kind, 0);
    EXPECT_EQ(r.cycles, 0);
    core->my_intercept_step = INT_MAX;   // a step beyond the limit probes the first cycle alone
    r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 0);
    EXPECT_EQ(r.cycles, 0);
}

TEST_F(InterceptMe, BallPassingInFrontIsMetAfterATurn) {
    // Along y = 5 at 1.5 per cycle; after 7 cycles it is at x = 1.212 and I,
    // having turned by 76.4 degrees, stand within 1.01 of it.
    ball_at(TPoint(10, 5), TPoint(-1.5, 0));
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, 7);
    expect_point(r.point, 10 - 1.5 * (1 - std::pow(0.94, 7)) / 0.06, 5);
}

TEST_F(InterceptMe, BallCrossingMyBodyLineIsAwaitedThere) {
    // Down along x = 4 at 1 per cycle: after 5 cycles and a turn of 21.4 degrees
    // I would meet it at y = 1.565; the ball reaches my body line (4, 0) about
    // 2.1 cycles' travel later, within no_turn_max_cycle_diff 3.
    ball_at(TPoint(4, 6), TPoint(0, -1));
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, 5);
    expect_point(r.point, 4, 0);
    core->no_turn_max_cycle_diff = 2;
    expect_point(world->calc_best_point_to_ball(100, 100).point, 4, 6 - (1 - std::pow(0.94, 5)) / 0.06);
}

TEST_F(InterceptMe, FarMeetingPointIsMovedOnExceptForNumberOne) {
    ball_at(TPoint(20, 15), TPoint(0, 0.3));
    const double found_y = 15 + 0.3 * (1 - std::pow(0.94, 29)) / 0.06;
    const Ball_Intercept_Info r = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(r.kind, 4);
    ASSERT_EQ(r.cycles, 29);
    expect_point(r.point, 20, found_y + 0.3 * std::pow(0.94, 29));

    be(1);
    const Ball_Intercept_Info keeper = world->calc_best_point_to_ball(100, 100);
    EXPECT_EQ(keeper.cycles, 29);
    expect_point(keeper.point, 20, found_y);
}

TEST_F(InterceptMe, CachedForTheWorldUpdate) {
    ball_at(TPoint(3, 0), TPoint(-1.5, 0));
    EXPECT_EQ(world->best_point_to_ball(100, 100).kind, 3);
    ball_at(TPoint(40, 0));
    const Ball_Intercept_Info again = world->best_point_to_ball(30, 5);
    EXPECT_EQ(again.kind, 3);
    EXPECT_EQ(again.max_cycles, 100);
    EXPECT_EQ(world->teammate_best_point_to_ball(kMe, 30).kind, 3);   // my own entry

    // The next sense_body moves the cycle before the world is updated: a result
    // asked for meanwhile belongs to the old world and is not kept past the update.
    core->real_cycle = 11;
    ball_at(TPoint(3, 0), TPoint(-1.5, 0));
    EXPECT_EQ(world->best_point_to_ball(100, 100).kind, 3);
    ball_at(TPoint(40, 0));
    world->update();
    EXPECT_EQ(world->best_point_to_ball(30, 5).kind, 0);
}

// ---- other players ----

using InterceptOthers = World_Scene;

TEST_F(InterceptOthers, PlayerAtTheBallNeedsMinusThreeCycles) {
    ball_at(TPoint(10, 10));
    world->teammates[3].pos = TPoint(10.5, 10);
    world->teammates[3].pos_chance = 1;
    const Ball_Intercept_Info r = world->teammate_best_point_to_ball(3, 30);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, -3);
    expect_point(r.point, 10, 10);
    EXPECT_EQ(world->teammate_best_point_to_ball(3, 45).max_cycles, 45);   // cached, limit updated
}

TEST_F(InterceptOthers, PlayerStartsRunningInTheFourthCycle) {
    // reach after k running cycles: 0.6, 1.44, 2.376, 3.35, ..., 9.33, 10.33;
    // the 10 m are covered (with the kickable area 1.085) after k = 10.
    ball_at(TPoint(0, 0));
    world->opponents[4].pos = TPoint(10, 0);
    world->opponents[4].pos_chance = 1;
    const Ball_Intercept_Info r = world->opponent_best_point_to_ball(4, 30);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.cycles, 10);
    EXPECT_FLOAT_EQ(r.dash_power, 100);
}

TEST_F(InterceptOthers, UnknownOrOwnOrOutOfRangeNumbers) {
    ball_at(TPoint(0, 0));
    world->opponents[4].pos_chance = 0.49f;
    EXPECT_EQ(world->opponent_best_point_to_ball(4, 30).kind, 1);
    EXPECT_EQ(world->opponent_best_point_to_ball(12, 30).kind, 1);
    EXPECT_EQ(world->teammate_best_point_to_ball(-3, 30).kind, 1);
    EXPECT_EQ(world->calc_player_best_point_to_ball(4, false, 30, 0).kind, 2);
    EXPECT_EQ(world->calc_player_best_point_to_ball(kMe, true, 30, 10).max_cycles, 200);
}

TEST_F(InterceptOthers, PlayerThatNeverGetsThereEndsTheSearch) {
    ball_at(TPoint(5, 0), TPoint(2, 0));   // fast enough to pass the quick bound
    TPlayer &frozen = world->opponents[5];
    frozen.pos_chance = 1;
    frozen.player_speed_max = 0;
    EXPECT_EQ(world->opponent_best_point_to_ball(5, 30).kind, 0);
}

}  // namespace
