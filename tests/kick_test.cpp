// The kick skills: the single kick and its corrections, turning the ball
// around the body and the hard kicks that run over several cycles.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "standin/standin_physics.h"
#include "standin/standin_server.h"

namespace {

class Kick : public ::testing::Test {
protected:
    void SetUp() override {
        enter_ball_at_my_feet();
    }
    void TearDown() override { destroy_agent(); }

    static void place_opponent(double x, double y) {
        TPlayer &o = core->world->opponents[3];
        o.pos = TPoint(x, y);
        o.pos_chance = 1.0f;
    }
    // Kick rate of a ball d metres straight ahead (default server values).
    static float rate_ahead(float d) {
        return core->kick_power_rate * (1 - 0.25f * (d - core->player_size - core->ball_size) / core->kickable_margin);
    }
    static const char *body() { return core->action_is_update() ? core->body_com.text : "nothing"; }
    static void next_cycle() {
        ++core->cycle;
        ++core->real_cycle;
    }
};

// ---- do_kick ----

TEST_F(Kick, StillBallIsKickedWithPowerOverKickRate) {
    float power = 0, dir = 0;
    bool ok = false;
    EXPECT_EQ(core->do_kick(20, 1.0f, 1.0f, &ok, &power, &dir, false), 1);
    EXPECT_TRUE(ok);
    EXPECT_NEAR(power, 1.0f / rate_ahead(0.5f), 0.006);   // 38.62
    EXPECT_FLOAT_EQ(dir, 20);
    EXPECT_STREQ(body(), "(kick 38.6 20.0)");
}

TEST_F(Kick, WishAboveMaxpowerOnAStillBallIsOnlyPowerLimited) {
    EXPECT_EQ(core->do_kick(30, 3.0f, 1.0f), 1);   // 3 / 0.0259 = 116
    EXPECT_FLOAT_EQ(core->body_com.power, 100);
    EXPECT_FLOAT_EQ(core->body_com.direction, 30);
    EXPECT_STREQ(body(), "(kick 100.0 30.0)");
}

TEST_F(Kick, DistanceZeroWithAFastBallKicksHardestAgainstItsHeading) {
    place_ball(TPoint(0.5, 0), TPoint(0, 3));   // heading 90, 3 / 0.0259 = 116 > maxpower
    EXPECT_EQ(core->do_kick(0, 0, 1.0f), 1);
    EXPECT_STREQ(body(), "(kick 100.0 -90.0)");
}

TEST_F(Kick, MovingBallIsCorrectedForItsVelocity) {
    place_me(TPoint(0, 0), 90);
    place_ball(TPoint(0, 0.5), TPoint(0, 0.5));   // 0.5 m/cycle straight ahead of my body
    float power = 0, dir = 0;
    core->do_kick(90, 1.0f, 1.0f, nullptr, &power, &dir, true);   // wanted: 1.0 to my left
    const float expected = std::sqrt(1.0f + 0.25f) / rate_ahead(0.5f);
    EXPECT_NEAR(power, expected, 0.006);
    EXPECT_NEAR(dir, round(90 + std::atan2(0.5f, 1.0f) * 180 / kPi, 2), 0.006);   // 116.57
}

TEST_F(Kick, DirectionsAreNormalisedAndNegativeOnesRoundDown) {
    float dir = 0, power = 0;
    core->do_kick(-12.341f, 0.5f, 1.0f, nullptr, &power, &dir, false);
    EXPECT_FLOAT_EQ(dir, -12.35f);
    EXPECT_FLOAT_EQ(core->body_com.direction, -12.35f);
    core->do_kick(347.5f, 0.5f, 1.0f, nullptr, nullptr, &dir, false);   // 347.5 is -12.5
    EXPECT_FLOAT_EQ(dir, -12.5f);
    EXPECT_STREQ(body(), "(kick 19.3 -12.5)");
    EXPECT_FLOAT_EQ(power, round(0.5f / rate_ahead(0.5f), 2));
}

TEST_F(Kick, OnlyComputeGivesTheKickButQueuesNothing) {
    float power = 0, dir = 0;
    bool ok = false;
    EXPECT_EQ(core->do_kick(-45, 0.5f, 2.0f, &ok, &power, &dir, true), 3);
    EXPECT_TRUE(ok);
    EXPECT_NEAR(power, 1.0f / rate_ahead(0.5f), 0.006);
    EXPECT_FLOAT_EQ(dir, -45);
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Kick, RefusesABallOutOfReachAndAWishWithoutDirection) {
    bool ok = false;
    place_ball(TPoint(3, 0));
    EXPECT_EQ(core->do_kick(0, 1.0f, 1.0f, &ok, nullptr, nullptr, false), 0);
    place_ball(TPoint(0.5, 0));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(core->do_kick(nan, 1.0f, 1.0f), 0);
    EXPECT_EQ(core->do_kick(std::numeric_limits<float>::infinity(), 1.0f, 1.0f), 0);
    EXPECT_EQ(core->do_kick(0, nan, 1.0f), 0);
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Kick, HugeDirectionIsWrappedNotLooped) {
    float dir = 0;
    EXPECT_EQ(core->do_kick(1e30f, 0.5f, 1.0f, nullptr, nullptr, &dir, true), 3);
    EXPECT_GE(dir, -180);
    EXPECT_LE(dir, 180);
}

// ---- geometry helpers ----

TEST_F(Kick, DriftCorrectionRotatesMyAbsoluteDriftIntoTheBodyFrame) {
    place_me(TPoint(0, 0), 90);
    core->world->me->vel = TPoint(0, 0.4);   // drifting along my body direction
    place_ball(TPoint(0, 0.5));
    const double drift = core->world->my_predicted_position(1, 0, 0).abs();
    float dir = 0, dist = 0.5f;
    core->player_movement_correction(&dir, &dist);
    EXPECT_NEAR(dir, 0, 1e-3);
    EXPECT_NEAR(dist, 0.5 + drift, 1e-4);
}

TEST_F(Kick, StraightKickTestHasNoDivisionByZero) {
    EXPECT_TRUE(core->is_straight_kick(0, 0.5f, 0.4f));    // target is where the ball lies
    EXPECT_TRUE(core->is_straight_kick(0, 0.9f, 0.4f));    // straight away from me
    EXPECT_FALSE(core->is_straight_kick(180, 0.6f, 0.4f)); // straight through me
    place_ball(TPoint(0, 0));
    EXPECT_FALSE(core->is_straight_kick(90, 0.6f, 0.4f));  // the ball at my centre
}

TEST_F(Kick, RotationSenses) {
    EXPECT_EQ(core->rot_closest(0), TD_CLOCKWISE);            // target at the ball's direction
    EXPECT_EQ(core->rot_closest(90), TD_CLOCKWISE);
    EXPECT_EQ(core->rot_closest(-90), TD_COUNTER_CLOCKWISE);
    EXPECT_EQ(core->kick_rotation_direction_abs(0, static_cast<Turn_Dir>(7)), TD_CLOCKWISE);
    EXPECT_EQ(core->rot_to_avoid_opponent(90), TD_CLOSEST_WAY);   // nobody near
    place_opponent(1, 1);
    EXPECT_EQ(core->rot_to_avoid_opponent(90), TD_COUNTER_CLOCKWISE);
    EXPECT_EQ(core->kick_rotation_direction_abs(90, TD_AWAY_FROM_OPPONENT), TD_COUNTER_CLOCKWISE);
    place_opponent(0.5, -0.87);
    EXPECT_EQ(core->rot_to_avoid_opponent(90), TD_CLOCKWISE);
    place_opponent(-1, 1);                                        // between ball and target
    EXPECT_EQ(core->rot_to_avoid_opponent(90), TD_CLOSEST_WAY);
}

// ---- turnball_kick ----

TEST_F(Kick, TurnballResults) {
    EXPECT_EQ(core->turnball_kick(1.0f, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 3);   // already there
    EXPECT_STREQ(body(), "nothing");
    EXPECT_EQ(core->turnball_kick(90, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 2);     // kicked
    EXPECT_EQ(core->body_com.type, BC_KICK);
    core->game_stopped = true;                                    // the kick is ignored
    EXPECT_EQ(core->turnball_kick(90, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 1);
    core->game_stopped = false;
    core->kick_power_rate = 0;                                    // do_kick refuses
    EXPECT_EQ(core->turnball_kick(90, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 3);
    place_ball(TPoint(3, 0));
    EXPECT_EQ(core->turnball_kick(90, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 5);
}

TEST_F(Kick, TurnballStopsAMovingBallAlreadyInPlace) {
    place_ball(TPoint(0.5, 0), TPoint(0.2, 0));
    EXPECT_EQ(core->turnball_kick(0, TD_CLOSEST_WAY, true, 0.6f, 0.5f, 1.0f), 2);
    EXPECT_FLOAT_EQ(core->body_com.direction, 180);   // against the ball's heading
}

TEST_F(Kick, TurnballStopsTheBallToLearnItsVelocity) {
    core->world->ball.vel_chance = 0;
    EXPECT_EQ(core->turnball_kick(90, TD_CLOSEST_WAY, false, 0.6f, 0.5f, 1.0f), 4);
    EXPECT_STREQ(body(), "(kick 17.0 180.0)");
}

TEST_F(Kick, ShortTurnballUsesTheHardKickDistances) {
    EXPECT_EQ(core->turnball_kick(90, TD_CLOCKWISE, true), 2);
    EXPECT_EQ(core->body_com.type, BC_KICK);
}

// ---- kick_hard_moderate ----

TEST_F(Kick, ModerateShotWithinOneKickIsOneKick) {
    EXPECT_EQ(core->kick_hard_moderate(0, 0.5f, TD_CLOSEST_WAY), 1);
    EXPECT_STREQ(body(), "(kick 19.3 0.0)");
}

TEST_F(Kick, HardShotFromTheBackTakesARunUp) {
    place_ball(TPoint(-0.5, 0));   // one kick gives 1.9 m/cycle, a run-up through 0.985 m ahead 2.7
    EXPECT_EQ(core->kick_hard_moderate(0, 3.0f, TD_CLOSEST_WAY), 1);
    const float rate_back = core->kick_power_rate * (1 - 0.25f - 0.25f * 0.115f / core->kickable_margin);
    const float reach = core->kickable_area - core->hard_kick_dist_buffer;
    EXPECT_NEAR(core->body_com.power, round((reach + 0.5f) / rate_back, 2), 0.02);
    EXPECT_FLOAT_EQ(core->body_com.direction, 0);
}

TEST_F(Kick, ModerateShotIntoMyBodyTurnsTheBall) {
    place_ball(TPoint(0.3, 0));    // closer than player_size + buffer: the turnball helps
    EXPECT_EQ(core->kick_hard_moderate(180, 1.0f, TD_CLOCKWISE), 1);
    EXPECT_EQ(core->body_com.type, BC_KICK);
}

// ---- hard_kick and smart_kick_hard_abs ----

TEST_F(Kick, HardKickKeepsItsRotationInConsecutiveCycles) {
    place_opponent(1, 1);
    core->hard_kick(90, TD_AWAY_FROM_OPPONENT, true);
    EXPECT_EQ(core->hard_kick_rot, TD_COUNTER_CLOCKWISE);
    EXPECT_EQ(core->hard_kick_cycle, 10);
    EXPECT_FALSE(core->hard_kick_continuing);
    next_cycle();
    place_opponent(0.5, -0.87);   // avoiding it now would rotate the other way
    core->hard_kick(90, TD_AWAY_FROM_OPPONENT, true);
    EXPECT_EQ(core->hard_kick_rot, TD_COUNTER_CLOCKWISE);
    next_cycle();
    next_cycle();                 // a gap: the sense is chosen afresh
    core->hard_kick(90, TD_AWAY_FROM_OPPONENT, true);
    EXPECT_EQ(core->hard_kick_rot, TD_CLOCKWISE);
}

TEST_F(Kick, HardKickRunsUpOnceTheBallIsBehindAndKeepsGoing) {
    place_ball(TPoint(-0.04, -0.5));      // at -94.6 degrees: within 10 of the back position 265 (-95)
    core->hard_kick(90, TD_COUNTER_CLOCKWISE, true);
    EXPECT_TRUE(core->hard_kick_continuing);
    next_cycle();
    place_ball(TPoint(0.5, 0));           // far from the back now, but the run-up goes on
    core->hard_kick(90, TD_COUNTER_CLOCKWISE, true);
    EXPECT_TRUE(core->hard_kick_continuing);
    next_cycle();
    next_cycle();
    core->hard_kick(90, TD_COUNTER_CLOCKWISE, true);
    EXPECT_FALSE(core->hard_kick_continuing);
}

TEST_F(Kick, HardKickWithoutTheBallDoesNothing) {
    place_ball(TPoint(3, 0));
    core->hard_kick(90, TD_CLOCKWISE, true);
    EXPECT_STREQ(body(), "nothing");
    EXPECT_EQ(core->hard_kick_cycle, kEmptySlot);
}

TEST_F(Kick, SmartKickTreatsAnUnknownRotationAsAwayFromTheOpponent) {
    place_opponent(1, 1);
    EXPECT_EQ(core->smart_kick_hard_abs(90, KM_0, 3.0f, static_cast<Turn_Dir>(5)), 1);
    EXPECT_EQ(core->hard_kick_rot, TD_COUNTER_CLOCKWISE);   // the closest way would be clockwise
}

TEST_F(Kick, SmartKickStraightShotAndNeck) {
    EXPECT_EQ(core->smart_kick_hard_abs(0, KM_4, 0.5f, TD_CLOSEST_WAY), 1);
    EXPECT_STREQ(body(), "(kick 19.3 0.0)");
    EXPECT_FALSE(core->turn_neck_is_update());   // the ball stays straight ahead of my head
    EXPECT_EQ(core->smart_kick_hard_abs(0, KM_0, 0.5f, TD_CLOSEST_WAY), 1);
    place_ball(TPoint(3, 0));
    EXPECT_EQ(core->smart_kick_hard_abs(0, KM_2, 0.5f, TD_CLOSEST_WAY), 0);
}

// Modes 3 and 4: a shot into my body that turning the ball cannot help gives
// up at once, and leaves the neck as it is.
TEST_F(Kick, SmartKickIntoMyBodyThatTurnballCannotHelpLeavesTheNeck) {
    place_ball(TPoint(0.4, 0));           // touching me, already where turning would put it
    core->world->me->head = 40;           // the head looks away from the ball
    for (Kick_Mode mode : {KM_3, KM_4}) {
        EXPECT_EQ(core->smart_kick_hard_abs(0, mode, 0.05f, TD_CLOSEST_WAY), 0);
        EXPECT_STREQ(body(), "nothing");
        EXPECT_FALSE(core->turn_neck_is_update()) << core->turn_neck_com.text;
    }
}

TEST_F(Kick, SmartKickQuickModeTurnsTowardsABallBesideMe) {
    place_ball(TPoint(0, 0.5));           // 90 degrees to my left, staying kickable
    EXPECT_EQ(core->smart_kick_hard_abs(0, KM_3, 1.0f, TD_CLOSEST_WAY), 1);
    EXPECT_EQ(core->body_com.type, BC_TURN);
}

TEST_F(Kick, SmartPassAimsAtThePoint) {
    EXPECT_EQ(core->smart_pass(TPoint(0, -10), 0.2f, KM_4, TD_CLOSEST_WAY), 1);
    EXPECT_EQ(core->body_com.type, BC_KICK);
    EXPECT_GT(core->body_com.power, 0);
}

// The kick command as sent, applied by the simulator to the same scene: the
// ball's first step must be the speed asked for.
double simulated_first_step(double ball_x, double ball_y, TPoint ball_vel) {
    float power = 0, direction = 0;
    if (sscanf(core->body_com.text, "(kick %f %f)", &power, &direction) != 2)
        return -1;
    StandInPlayer me;
    me.x = core->world->me->pos.X;
    me.y = core->world->me->pos.Y;
    me.body_deg = core->world->me->body;
    StandInWorld world;
    world.ball_x = ball_x;
    world.ball_y = ball_y;
    world.ball_vx = ball_vel.X;
    world.ball_vy = ball_vel.Y;
    if (!standin_kick(me, world, power, direction))
        return -1;
    standin_step_ball(world);
    return std::hypot(world.ball_x - ball_x, world.ball_y - ball_y);
}

TEST_F(Kick, TheBallLeavesAtThePredictedSpeed) {
    struct Scene {
        double x, y;
        TPoint vel;
        float dir, speed;
    } scenes[] = {
        {0.5, 0, TPoint(0, 0), 0, 2.0f},          // straight ahead
        {0.2, 0.6, TPoint(0, 0), -45, 1.5f},      // beside me, kicked across the body
        {0.7, -0.3, TPoint(0.4, 0.2), 30, 1.8f},  // rolling past, corrected for its velocity
        {-0.5, 0.4, TPoint(0, 0), 170, 1.0f},     // behind me, kicked backwards
    };
    for (const Scene &s : scenes) {
        place_ball(TPoint(s.x, s.y), s.vel);
        ASSERT_EQ(core->do_kick(s.dir, s.speed, 1.0f), 1);
        EXPECT_NEAR(simulated_first_step(s.x, s.y, s.vel), s.speed, 0.05 * s.speed) << core->body_com.text;
    }
}

}  // namespace

