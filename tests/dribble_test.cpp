// Dribbling: the skill's choice among turn, kick and dash on small scenes, and
// the dribble assessor's targets, safety and run model. Default server values:
// kickable area 1.085, collision distance 0.585, a full dash adds 0.6 m/cycle,
// player decay 0.4, ball decay 0.94.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/dribble.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();

class Dribble : public ::testing::Test {
protected:
    void SetUp() override {
        enter_ball_at_my_feet();
        core->info_snapshot.sense.stamina = 4000;
        core->info_snapshot.sense.effort = 1;
        set_dribble(TPoint(20, 0), 0, 2, 100);
    }
    void TearDown() override { destroy_agent(); }

    static void place_opponent(int u, TPoint p, int goalie = 0) {
        TPlayer &o = core->world->opponents[u];
        o.pos = p;
        o.goalie = goalie;
        o.pos_chance = 1.0f;
    }
    static void set_dribble(TPoint point, float dir, float arrive, float power) {
        core->dribble_point = point;
        core->dribble_params[0] = dir;
        core->dribble_params[1] = arrive;
        core->dribble_params[2] = power;
    }
    static const char *body() { return core->action_is_update() ? core->body_com.text : "nothing"; }
};

// ---- the skill ----

TEST_F(Dribble, PointWithinArrivalDistanceOnlyNarrowsTheView) {
    set_dribble(TPoint(3, 0), 0, 2, 100);   // 3 <= 2 + 1
    core->safe_dribble();
    EXPECT_STREQ(body(), "nothing");
    ASSERT_TRUE(core->change_view_is_update());
    EXPECT_STREQ(core->change_view_com.text, "(change_view narrow high)");
}

TEST_F(Dribble, PointBehindWithTheBallAtMyFeetTurnsToIt) {
    set_dribble(TPoint(-20, 0), 0, 2, 100);
    core->safe_dribble();
    EXPECT_STREQ(body(), "(turn 180.0)");
}

TEST_F(Dribble, BallAtMyFeetIsKickedAheadOfWhereIWillBe) {
    // A dash would run into the ball: me at 0.6, it at 0.5. The kick aims 0.65
    // ahead of me after a still cycle and a dash, (1.25, 0), over two cycles:
    // 0.75 / 1.94 = 0.387 m/cycle, at the kick rate 0.02589 of a ball 0.5 ahead.
    core->safe_dribble();
    EXPECT_STREQ(body(), "(kick 14.9 0.0)");
}

TEST_F(Dribble, BallJustOutOfReachAheadIsChasedWithADash) {
    place_ball(TPoint(1.5, 0));   // 0.9 from me after the dash: kickable then, no collision
    core->safe_dribble();
    EXPECT_STREQ(body(), "(dash 100.0)");
}

TEST_F(Dribble, RefusesWithoutPositionsOrWithAFarBall) {
    place_ball(TPoint(10.5, 0));
    core->safe_dribble();
    core->world->ball.pos_chance = 0;
    core->safe_dribble();
    core->world->me->pos_chance = 0;
    core->safe_dribble();
    EXPECT_STREQ(body(), "nothing");
    EXPECT_FALSE(core->change_view_is_update());
}

TEST_F(Dribble, BallOutOfReachForThreeCyclesIsLostAndNothingIsSent) {
    place_ball(TPoint(5, 0));
    EXPECT_FALSE(core->dribble_dash(TPoint(20, 0), 100, 0));
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Dribble, KickAndDashHandTheBallOverOnceAndNeverBack) {
    // Kickable now, gone next cycle: the dash kicks instead.
    place_ball(TPoint(1.0, 0), TPoint(1.0, 0));
    EXPECT_TRUE(core->dribble_dash(TPoint(20, 0), 100, 0));
    EXPECT_EQ(core->body_com.type, BC_KICK);
    // Within reach but not mine: dribble_kick dashes, and the dash does not kick back.
    core->body_com.time = kEmptySlot;
    place_ball(TPoint(0.5, 0));
    core->ball_holder = 0;
    core->dribble_kick(TPoint(20, 0), 100, 0);
    EXPECT_STREQ(body(), "(dash 100.0)");
}

TEST_F(Dribble, PowerAndDirectionFromOutsideAreBounded) {
    place_ball(TPoint(1.5, 0));
    set_dribble(TPoint(20, 0), 0, 2, 1e30f);
    core->safe_dribble();
    EXPECT_STREQ(body(), "(dash 100.0)");
    core->body_com.time = kEmptySlot;
    set_dribble(TPoint(20, 0), 0, 2, kNan);
    core->safe_dribble();
    EXPECT_STREQ(body(), "nothing");
    place_ball(TPoint(0.5, 0));
    set_dribble(TPoint(20, 0), kNan, 2, 100);   // the kick has no direction and is refused
    core->safe_dribble();
    EXPECT_STREQ(body(), "nothing");
}

// ---- the assessor ----

class Dribble_Assessor : public Dribble {
protected:
    void assess_at(TPoint ball) {
        place_me(TPoint(ball.X - 0.5, ball.Y), 0);
        place_ball(TPoint(ball.X, ball.Y));
        dribble.assess();
    }
    TDribble dribble;
};

TEST_F(Dribble_Assessor, NoDribbleInTheMiddleOrOnOurWing) {
    for (TPoint ball : {TPoint(10, 5), TPoint(-5, 25)}) {
        assess_at(ball);
        EXPECT_FLOAT_EQ(dribble.final.chance, 0);
        EXPECT_FLOAT_EQ(dribble.final.kick_dir, 0);
        EXPECT_FLOAT_EQ(dribble.final.kick_speed, 0);
    }
}

TEST_F(Dribble_Assessor, WingBeforeThePenaltyAreaHeadsForTheCorner) {
    assess_at(TPoint(20, 25));   // both targets' zones: the corner (48, 25) wins
    EXPECT_FLOAT_EQ(dribble.final.kick_dir, 0);
    EXPECT_FLOAT_EQ(dribble.final.chance, 0.7f);
    EXPECT_EQ(dribble.final.behave, 1);
    EXPECT_EQ(dribble.final.kick_mode, KM_3);
    EXPECT_EQ(dribble.final.kick_turn, TD_AWAY_FROM_OPPONENT);
    assess_at(TPoint(20, -10));   // penalty-area zone, mirrored: (30, -20)
    EXPECT_FLOAT_EQ(dribble.final.kick_dir, -45);
}

TEST_F(Dribble_Assessor, OpponentNearTheDribbleLineMakesItUnsafe) {
    const float rad19 = static_cast<float>(19 * kPi / 180);
    place_opponent(4, TPoint(20 + 25 * std::cos(rad19), 25 + 25 * std::sin(rad19)));
    assess_at(TPoint(20, 25));
    EXPECT_FLOAT_EQ(dribble.final.chance, 0);
    place_opponent(4, TPoint(20 + 31 * std::cos(rad19), 25 + 31 * std::sin(rad19)));
    assess_at(TPoint(20, 25));
    EXPECT_FLOAT_EQ(dribble.final.chance, 0.7f);
}

TEST_F(Dribble_Assessor, ShortRunToTheEndLineHasAReducedChance) {
    // From 46.5 I run 0, 0.6, 0.84, 0.936, 0.974, 0.990: past x = 50 in cycle 6,
    // the ball 4.34 m on. The ball rolls that in 6 cycles: 4.34 * 0.06 / (1 - 0.94^6).
    assess_at(TPoint(47, 25));
    EXPECT_FLOAT_EQ(dribble.final.chance, 0.7f * 0.9f * 0.9f);   // 0.567
    EXPECT_NEAR(dribble.final.kick_speed, 0.8397, 1e-3);
}

TEST_F(Dribble_Assessor, OpponentOnTheTrackEndsTheRunWhereHeMeetsTheBall) {
    // Ball 0.5 ahead of me at (20, 25), along x: 20, 20.6, 21.44, 22.376 in
    // cycles 1..4. A field player at (26, 25) covers 0.6, 1.6, 2.6, 3.6 and
    // reaches 1.085 further: he meets it in cycle 4. A goalkeeper reaches
    // sqrt(5) + 0.5 = 2.736 and meets it in cycle 3.
    place_me(TPoint(19.5, 25), 0);
    place_ball(TPoint(20, 25));
    place_opponent(2, TPoint(26, 25));
    TPoint end;
    EXPECT_NEAR(dribble.direction_dribble_speed(0, &end), 2.376 * 0.06 / (1 - std::pow(0.94, 4)), 1e-3);
    EXPECT_NEAR(end.X, 22.376, 1e-3);
    EXPECT_NEAR(end.Y, 25, 1e-6);
    place_opponent(2, TPoint(26, 25), 1);
    dribble.direction_dribble_speed(0, &end);
    EXPECT_NEAR(end.X, 21.44, 1e-3);
}

TEST_F(Dribble_Assessor, CandidateDirectionsByZone) {
    struct Zone {
        TPoint ball;
        float a[4];
    };
    const Zone zones[] = {
        {TPoint(-40, 5), {51.340f, 90, 0, -60.255f}},                // deep in our half
        {TPoint(-10, -5), {-44.029f, 0, 39.806f, 0}},                // our half, mirrored
        {TPoint(20, 25), {0, -47.569f, -27.569f, -80}},              // wing: around the goal's direction
        {TPoint(40, -25), {38.660f, 90, 90, 0}},                     // their corner, mirrored
        {TPoint(10, -12), {0, 47.726f, -41.987f, 0}},
        {TPoint(20, 0), {-18.435f, 18.435f, 34.992f, -34.992f}},     // centre before the area
        {TPoint(30, 5), {0, 0, 0, 0}},                                // on a bound: no zone holds
        {TPoint(kNan, kNan), {0, 0, 0, 0}},
    };
    for (const Zone &zone : zones) {
        place_ball(zone.ball);
        float a[4] = {1, 1, 1, 1};
        dribble.get_dribble_direction(&a[0], &a[1], &a[2], &a[3]);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(a[i], zone.a[i], 1e-3) << zone.ball.X << " " << zone.ball.Y << " a" << i + 1;
    }
}

TEST_F(Dribble_Assessor, RunWithoutDirectionEndsWithinItsCycleBound) {
    place_me(TPoint(19.5, 25), 0);
    place_ball(TPoint(20, 25));
    TPoint end;
    dribble.direction_dribble_speed(kNan, &end);   // never leaves the field: stops after 100 cycles
    place_ball(TPoint(kNan, kNan));
    dribble.assess();
    EXPECT_FLOAT_EQ(dribble.final.chance, 0);
}

}  // namespace
