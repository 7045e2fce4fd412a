// The pass rating and the three pass assessors on hand-set scenes. Player 7
// plays the shipped 4-3-3's centre midfielder, 10 its right wing attacker;
// the ball lies at my feet unless a test moves it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/kvel.h"
#include "player/skills/pass.h"
#include "player/skills/short_pass.h"

namespace {

const int kNow = 10;
const double kDeg = kPi / 180;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

class Pass_Scene : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(7, true);
        core->real_cycle = kNow;
        core->info_snapshot.play_mode = PM_PLAY_ON;
        place_me(TPoint(0, 0));
    }
    void TearDown() override { destroy_agent(); }

    static void become(int unum) {
        core->info_snapshot.unum = unum;
        core->world->me = &core->world->teammates[unum];
    }
    // Me with the ball at my feet.
    static void place_me(TPoint pos) {
        TPlayer &me = *core->world->me;
        me.pos = pos;
        me.pos_chance = 1.0f;
        place_ball(pos);
    }
    static void place_ball(TPoint pos) {
        core->world->ball.pos = pos;
        core->world->ball.pos_chance = 1.0f;
    }
    static void place(TPlayer &p, TPoint pos, float chance = 1.0f) {
        p.pos = pos;
        p.pos_chance = chance;
    }
    static TPlayer &opponent(int u) { return core->world->opponents[u]; }
    static TPlayer &teammate(int u) { return core->world->teammates[u]; }
    static double dir_deg(TPoint to, TPoint from) { return to.relative_ang(from) / kDeg; }
};

using PassChance = Pass_Scene;

TEST_F(PassChance, EmptyFieldAndCoincidentPointsAreFree) {
    TPass pass;
    EXPECT_FLOAT_EQ(pass.get_chance_of_pass(TPoint(20, 0)), 1);
    EXPECT_FLOAT_EQ(pass.get_chance_of_pass(TPoint(0, 0)), 1);   // onto my own position
    place(opponent(4), TPoint(kNaN, kNaN));                     // a broken estimate counts for nothing
    EXPECT_FLOAT_EQ(pass.get_chance_of_pass(TPoint(20, 0)), 1);
}

TEST_F(PassChance, OpponentsByTheLadder) {
    TPass pass;
    place(opponent(3), TPoint(2, 0));   // on the line, 2 m from me: 1.8 x 32
    EXPECT_NEAR(pass.get_chance_of_pass(TPoint(20, 0)), 1 - 57.6 / 40, 1e-5);
    place(opponent(3), TPoint(6 * std::sqrt(1 - 0.12 * 0.12), 6 * 0.12));   // r = 0.12 at 6 m: 1.2 x 8
    EXPECT_NEAR(pass.get_chance_of_pass(TPoint(20, 0)), 1 - 9.6 / 40, 1e-5);
    place(opponent(3), TPoint(23, 0));   // beside the target but beyond 1.1 x 20: only the 5 m test
    EXPECT_NEAR(pass.get_chance_of_pass(TPoint(20, 0)), 1 - 1 / 40.0, 1e-6);
    place(opponent(3), TPoint(2, 0), 0.5f);   // not seen well enough
    EXPECT_FLOAT_EQ(pass.get_chance_of_pass(TPoint(20, 0)), 1);
}

TEST_F(PassChance, TeammatesRaiseItUnlessSkipped) {
    TPass pass;
    place(teammate(8), TPoint(10, 0));   // on the line: 19
    EXPECT_NEAR(pass.get_chance_of_pass(TPoint(20, 0)), 1 + 19 / 40.0, 1e-6);
    place(teammate(8), TPoint(18, 0));   // on the line and near the target
    EXPECT_NEAR(pass.get_chance_of_pass(TPoint(20, 0)), 1 + 20 / 40.0, 1e-6);
    place(teammate(8), TPoint(3, 0));    // too near me to cover the line
    EXPECT_FLOAT_EQ(pass.get_chance_of_pass(TPoint(20, 0)), 1);
    place(teammate(8), TPoint(10, 0));
    EXPECT_FLOAT_EQ(TKVEL().get_chance_of_pass(TPoint(20, 0)), 1);   // skips teammates
}

TEST_F(PassChance, BestAngleKeepsOffOpponents) {
    TPass pass;
    EXPECT_FLOAT_EQ(pass.best_angle_to_pass(TPoint(10, 3)), 16);   // 16.7 cut, nobody to avoid
    place(opponent(2), TPoint(10, 0));
    EXPECT_FLOAT_EQ(pass.best_angle_to_pass(TPoint(20, 0)), 6);    // furthest try, + before -
}

using PassAssess = Pass_Scene;

TEST_F(PassAssess, OwnThirdPublishesLessAndTheirMiddleNothing) {
    place_me(TPoint(-30, 0));
    TPass pass;
    pass.assess();
    EXPECT_EQ(pass.final.behave, 0);
    EXPECT_EQ(pass.final.pass.point, TPoint(20, 2));
    EXPECT_FLOAT_EQ(pass.final.pass.speed, 1.0f);
    EXPECT_NEAR(pass.final.chance, 0.65 * 0.7, 1e-6);
    EXPECT_EQ(pass.stamp, kNow);
    place_me(TPoint(35, 0));
    pass.assess();
    EXPECT_EQ(pass.final.pass.point, TPoint(0, 0));
    EXPECT_FLOAT_EQ(pass.final.chance, 0);
}

TEST_F(PassAssess, WideNearTheirGoalIsRatedAt30AndPlayedTo34) {
    place_me(TPoint(35, 25));
    TPass pass;
    pass.assess();
    EXPECT_EQ(pass.final.pass.point, TPoint(34, 5));
    EXPECT_FLOAT_EQ(pass.final.pass.speed, 0.8f);
    EXPECT_EQ(pass.final.pass.mode, KM_2);
    EXPECT_EQ(pass.final.pass.dir, TD_AWAY_FROM_OPPONENT);
    EXPECT_FLOAT_EQ(pass.final.chance, 0.65f);
    place_me(TPoint(51, 25));   // the ball already outside the roll region: not sent to (0, 0)
    pass.assess();
    EXPECT_EQ(pass.final.pass.point, TPoint(34, 5));
}

TEST_F(PassAssess, BallRollingOverTheTouchLineIsStoppedInside) {
    place_me(TPoint(25, 0));   // first point (40, -27); the roll crosses y = -32
    TPass pass;
    pass.assess();
    const TPoint p = pass.final.pass.point;
    EXPECT_FLOAT_EQ(pass.final.pass.speed, 0);
    EXPECT_GT(p.Y, -32);
    EXPECT_LT(p.Y, -32 + 2.7);
    EXPECT_NEAR(dir_deg(p, TPoint(25, 0)), dir_deg(TPoint(40, -27), TPoint(25, 0)), 1e-6);
}

TEST_F(PassAssess, BallThatNeverSlowsDownEndsTheRollOut) {
    core->ball_decay = 1.0f;   // a configuration whose ball rolls for ever
    place_me(TPoint(35, 0));   // the pass goes back to (0, 0), inside the field all the way
    TPass pass;
    pass.assess();
    EXPECT_EQ(pass.final.pass.point, TPoint(0, 0));
    TKVEL kvel;
    kvel.assess();
    EXPECT_EQ(kvel.stamp, kNow);
}

using ForwardPass = Pass_Scene;

TEST_F(ForwardPass, ArcStartsBySideAndIsCutAtTheTouchLine) {
    TKVEL kvel;
    kvel.assess();   // y = 0: the first of equal points lies at +45 degrees
    EXPECT_NEAR(dir_deg(kvel.final.pass.point, TPoint(0, 0)), 45, 1e-4);
    EXPECT_FLOAT_EQ(kvel.final.pass.speed, 0);   // still rolling at y = 31
    EXPECT_LT(kvel.final.pass.point.Y, 31);
    EXPECT_FLOAT_EQ(kvel.final.chance, 0.7f);
    place_me(TPoint(-30, 20));
    kvel.assess();
    EXPECT_NEAR(dir_deg(kvel.final.pass.point, TPoint(-30, 20)), 15, 1e-4);
    place_me(TPoint(-30, -20));
    kvel.assess();
    EXPECT_NEAR(dir_deg(kvel.final.pass.point, TPoint(-30, -20)), -15, 1e-4);
}

TEST_F(ForwardPass, PointBeyond45IsPulledBackAndRollStopsBefore49) {
    place_me(TPoint(33, 0));   // the +45 point (54.2, 21.2) is played towards (45, 21.2)
    TKVEL kvel;
    kvel.assess();
    const TPoint p = kvel.final.pass.point;
    EXPECT_NEAR(dir_deg(p, TPoint(33, 0)), dir_deg(TPoint(45, 30 * std::sin(45 * kDeg)), TPoint(33, 0)), 1e-4);
    EXPECT_LT(p.X, 49);
    EXPECT_GT(p.X, 49 - 2.7);
    EXPECT_FLOAT_EQ(kvel.final.pass.speed, 0);
}

TEST_F(ForwardPass, FromOutsideNeverIntoTheFrontOfTheirPenaltyArea) {
    place_me(TPoint(30, 0));   // the first roll step lands at x > 31
    TKVEL kvel;
    kvel.assess();
    EXPECT_EQ(kvel.final.pass.point, TPoint(30, 0));
    EXPECT_FLOAT_EQ(kvel.final.pass.speed, 0);
}

TEST_F(ForwardPass, WingAttackerGetsNoForwardPassFromBehind25) {
    place_me(TPoint(10, 0));   // first point (31.2, 21.2): right wing attack territory
    TKVEL kvel;
    kvel.assess();
    EXPECT_FLOAT_EQ(kvel.final.chance, 0.7f);
    become(10);
    place_me(TPoint(10, 0));
    kvel.assess();
    EXPECT_FLOAT_EQ(kvel.final.chance, 0);
}

TEST_F(ForwardPass, CornerLineCountsTeammates) {
    place_me(TPoint(35, 25));
    TKVEL kvel;
    kvel.assess();   // nothing beats the arc: 0.7 x 0.6 x 1
    EXPECT_NEAR(kvel.final.chance, 0.42, 1e-6);
    place(teammate(8), TPoint(34.5, 10));
    kvel.assess();   // (34.5, 6) is the first line point he covers: 1 + 20 / 40
    EXPECT_EQ(kvel.final.pass.point, TPoint(34.5, 6));
    EXPECT_NEAR(kvel.work.chance, 0.7 * 1.5, 1e-5);
    EXPECT_FLOAT_EQ(kvel.final.chance, 1);
    EXPECT_TRUE(kvel.skip_teammates);
}

using ShortPass = Pass_Scene;

TEST_F(ShortPass, SpeedOfATenMetrePass) { EXPECT_NEAR(TShort_Pass().get_speed(10), 2.6, 1e-6); }

TEST_F(ShortPass, NobodyKnownProposesANeutralKick) {
    teammate(8).pos_chance = 0.4f;   // not known
    place(teammate(9), TPoint(kNaN, 5));
    TShort_Pass sp;
    sp.assess();
    EXPECT_EQ(sp.final.behave, 1);
    EXPECT_FLOAT_EQ(sp.final.kick_dir, 0);
    EXPECT_FLOAT_EQ(sp.final.kick_speed, 0);
    EXPECT_FLOAT_EQ(sp.final.chance, 0);
}

TEST_F(ShortPass, TeammateAheadIsWeightedByDistanceAndDeltaX) {
    place_me(TPoint(10, 0));
    const TPoint mate(15, std::sqrt(64.0 - 25));   // 8 m from the ball, 5 m ahead
    place(teammate(8), mate);
    TShort_Pass sp;
    float angle = 0, speed = 0, chance = 0;
    sp.get_best_pass(&angle, &speed, &chance);
    EXPECT_NEAR(chance, 0.95 * 0.9 * 1.0, 1e-6);   // shooting from there is no better by half
    EXPECT_NEAR(angle, dir_deg(mate, TPoint(10, 0)), 1e-4);
    EXPECT_NEAR(speed, sp.get_speed(8), 1e-5);
    sp.assess();
    EXPECT_NEAR(sp.final.chance, chance / 1.6, 1e-6);
    EXPECT_NEAR(sp.final.kick_dir, angle, 1e-4);
    place_me(TPoint(-25, 0));   // the same teammate seen from deep in our half
    place_ball(TPoint(10, 0));
    sp.get_best_pass(&angle, &speed, &chance);
    sp.assess();
    EXPECT_NEAR(sp.final.chance, chance / 3.2, 1e-6);
}

TEST_F(ShortPass, BackwardPassesAreKickedSofter) {
    place_me(TPoint(10, 0));
    TShort_Pass sp;
    float angle = 0, speed = 0, chance = 0;
    place(teammate(8), TPoint(10, 0) + polar_2_point(10, static_cast<float>(170 * kDeg)));
    sp.get_best_pass(&angle, &speed, &chance);
    EXPECT_NEAR(angle, 170, 1e-3);
    EXPECT_NEAR(speed, 2.6 * 0.5, 1e-4);
    place(teammate(8), TPoint(10, 0) + polar_2_point(10, static_cast<float>(130 * kDeg)));
    sp.get_best_pass(&angle, &speed, &chance);
    EXPECT_NEAR(speed, 2.6 * 0.7, 1e-4);
}

TEST_F(ShortPass, DirectionTurnsAwayFromOpponentsInTheWay) {
    place(teammate(8), TPoint(20, 0));
    place(teammate(1), TPoint(-20, 0));
    TShort_Pass sp;
    float angle = 0, speed = 0, chance = 0;
    sp.get_pass_to_player(1, &angle, &speed);   // the goalkeeper: no lead
    EXPECT_FLOAT_EQ(angle, 0);
    EXPECT_FLOAT_EQ(speed, 2.7f);
    place(opponent(2), TPoint(5, 0));
    place(opponent(3), TPoint(8, 0));
    sp.get_best_pass_to_player(8, &angle, &speed, &chance);
    EXPECT_FLOAT_EQ(angle, -1);   // two opponents on the line: -1.25 + 2 x 0.25
    place(opponent(4), TPoint(10, 0));
    place(opponent(5), TPoint(12, 0));
    sp.get_best_pass_to_player(8, &angle, &speed, &chance);
    EXPECT_FLOAT_EQ(angle, 0);    // four weigh nothing
}

}  // namespace
