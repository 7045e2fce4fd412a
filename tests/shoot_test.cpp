// Shots at the opponents' goal: the shot assessor's rating, the shooting-target
// searches and the cautious shot assessor. The posts, 1 m inside a 14.02 m goal,
// lie at y = -6.01 ("top") and 6.01 ("down"); from (32.5, 0) they are seen at
// -16.7255 and 16.7255 degrees.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/best_dir.h"
#include "player/skills/cautious.h"
#include "player/skills/shoot.h"

namespace {

const float kTop = -16.7255f;      // top post direction from (32.5, 0)
const float kFieldReach = 3.1098f; // half the angle kickable_area 1.085 covers at 20 m

class Shot_Scene : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(9);
        core->kickable_area = 1.085f;
        ball_at(32.5, 0);
    }
    void TearDown() override { destroy_agent(); }

    // The ball at my feet.
    static void ball_at(double x, double y) {
        core->world->ball.pos = TPoint(x, y);
        core->world->ball.pos_chance = 1.0f;
        core->world->me->pos = TPoint(x, y);
        core->world->me->pos_chance = 1.0f;
    }
    static void opponent(int unum, TPoint pos, float chance = 0.9f, int goalie = 0) {
        TPlayer &p = core->world->opponents[unum];
        p.pos = pos;
        p.pos_chance = chance;
        p.goalie = goalie;
    }
    static TPoint from_ball(double dist, double deg) {
        const double a = deg * kPi / 180;
        return core->world->ball.pos + TPoint(dist * std::cos(a), dist * std::sin(a));
    }
    template <class Assessor>
    static float chance_of() {
        Assessor o;
        o.assess();
        EXPECT_EQ(o.work.behave, 3);
        EXPECT_EQ(o.stamp, core->real_cycle);
        return o.work.chance;
    }
};

using Shoot = Shot_Scene;
using Shooting_Target = Shot_Scene;
using Cautious_Shoot = Shot_Scene;

TEST_F(Shoot, NoChanceBeyondThirtyMetresAndTheFarthestFactorAtThirty) {
    ball_at(22, 0);   // 30.5 m out, goal mouth empty
    EXPECT_FLOAT_EQ(chance_of<TShoot>(), 0);
    ball_at(22.5, 0);   // exactly 30 m: factor 0.75, free side 188.7 degrees -> 1.1
    EXPECT_NEAR(chance_of<TShoot>(), 0.825, 1e-5);
}

TEST_F(Shoot, EmptyFieldAndAnUncertainOpponentFromTheAreaEdge) {
    EXPECT_NEAR(chance_of<TShoot>(), 0.99, 1e-5);   // factor 0.9 x 1.1
    opponent(4, TPoint(50, 0), 0.49f);
    EXPECT_NEAR(chance_of<TShoot>(), 0.99, 1e-5);
}

TEST_F(Shoot, NumberElevenInTheMiddleLeavesTwoHalfCones) {
    opponent(11, TPoint(50, 0));
    // (16.7255 x 1.9)^1.9 / 1000 x 0.9 x 0.65
    EXPECT_NEAR(chance_of<TShoot>(), 0.41803, 1e-4);
}

TEST_F(Shoot, TwoOpponentsInTheMouthUseTheWiderScaledCone) {
    opponent(2, from_ball(15, -5));
    opponent(3, from_ball(15, 10));
    // top cone 11.7255 x 1.9 = 22.28 beats the 15-degree gap: 22.28^1.92 / 1000 x 0.9
    EXPECT_NEAR(chance_of<TShoot>(), 0.34848, 1e-4);
}

TEST_F(Shoot, UnknownBallIsNoShot) {
    ball_at(std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_FLOAT_EQ(chance_of<TShoot>(), 0);
}

TEST_F(Shooting_Target, EmptyFieldAimsAtTheGoalCentre) {
    ball_at(32.5, 5);
    EXPECT_NEAR(get_cautious_best_target(1.0), -14.0362, 1e-3);
}

TEST_F(Shooting_Target, AnOpponentJustOutsideTheTopPostSendsTheShotDown) {
    opponent(5, from_ball(20, kTop - 2 - kFieldReach));
    EXPECT_NEAR(get_cautious_best_target(1.0), -kTop, 1e-3);
    opponent(6, from_ball(20, -kTop + 2 + kFieldReach));   // the same beside the other post
    EXPECT_NEAR(get_cautious_best_target(1.0), 0, 1e-3);
}

TEST_F(Shooting_Target, TheKeeperCoversHisCatchAreaOthersTheirKickableArea) {
    opponent(1, TPoint(52.5, 0), 0.9f, 1);
    opponent(7, from_ball(20, 10));
    Goal_Cone c = scan_goal_cone(1.0, Target_Rule());
    ASSERT_EQ(c.count, 2);
    sort_dangerous(&c);
    EXPECT_NEAR(c.danger[0].ang_d - c.danger[0].centre, 3.2046, 1e-3);   // reach 1.118 at 20 m
    EXPECT_NEAR(c.danger[1].ang_d - c.danger[1].centre, kFieldReach, 1e-3);
}

TEST_F(Shooting_Target, AnOutsideOpponentTwoDegreesFromThePostNarrowsItsCone) {
    opponent(1, from_ball(4, kTop + 6 + 16.2309), 0.9f, 1);   // keeper edge 6 degrees inside the top post
    opponent(8, from_ball(20, kTop - 2 - kFieldReach));       // edge 2 degrees outside it
    Goal_Cone c = scan_goal_cone(1.0, Target_Rule());
    float top = 0, down = 0;
    free_edge_cones(&c, false, &top, &down);
    EXPECT_NEAR(top, 4, 1e-3);
    EXPECT_NEAR(c.top_ang, kTop + 2, 1e-3);
    EXPECT_LT(down, 0);   // the keeper covers the down post
    EXPECT_NEAR(get_cautious_best_target(1.0), kTop + 2, 1e-3);
}

TEST_F(Shooting_Target, TwoOpponentsAimIntoTheGapOrAtTheCentreWhenNoneIsFree) {
    opponent(2, from_ball(20, -10));
    opponent(3, from_ball(20, 12));
    EXPECT_NEAR(get_cautious_best_target(1.0), 1.0, 1e-3);   // middle of the 15.8-degree gap
    ball_at(32.5, 3);   // goal centre at -8.5308; two opponents 2 m away close everything
    opponent(2, from_ball(2, -18.5308));
    opponent(3, from_ball(2, 1.4692));
    EXPECT_NEAR(get_cautious_best_target(1.0), -8.5308, 1e-3);
}

TEST_F(Shooting_Target, UnknownPositionsGiveAFiniteDirection) {
    opponent(3, TPoint(std::numeric_limits<double>::quiet_NaN(), 0));
    opponent(4, core->world->ball.pos);   // standing on the ball
    EXPECT_TRUE(std::isfinite(get_cautious_best_target(1.0)));
    EXPECT_TRUE(std::isfinite(get_best_target(1.0)));
    ball_at(std::numeric_limits<double>::infinity(), 0);
    EXPECT_FLOAT_EQ(get_cautious_best_target(1.0), 0);
}

TEST_F(Shooting_Target, OlderSearchCountsNumberElevenAndNeedsConfidence) {
    opponent(11, from_ball(20, 5));
    opponent(4, from_ball(20, -10), 0.55f);
    EXPECT_NEAR(get_best_target(1.0), kTop, 1e-3);   // 21.7 degrees free above him, 11.7 below
}

TEST_F(Cautious_Shoot, RatesByMyDistanceAndTheFreePartBesideTheKeeper) {
    ball_at(20, 0);
    EXPECT_FLOAT_EQ(chance_of<TCautious_Shoot>(), 0);
    ball_at(35, 0);   // 17.5 m: factor 1.0
    EXPECT_NEAR(chance_of<TCautious_Shoot>(), 1.1, 1e-5);
    opponent(1, TPoint(52.5, 0), 0.9f, 1);
    // 15.291 degrees free beside him: (15.291 x 1.9)^1.9875 / 1000 x 0.8
    EXPECT_NEAR(chance_of<TCautious_Shoot>(), 0.64741, 1e-4);
}

}  // namespace
