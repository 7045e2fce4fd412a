// The without-ball assessors: the record each publishes (kind, run point,
// chance) for a few scenes. Player 7 plays the shipped 4-3-3's centre
// midfielder: base (-18, 0), pull (0.6, 0.4) in our half and (0.55, 0.4) in
// theirs, x range [-40, 25]; with no opponent known the offside line is
// max(0, ball x) - 4.

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "agent_scene.h"
#include "player/agent/ball.h"
#include "player/agent/core.h"
#include "player/agent/gamestart.h"
#include "player/agent/position.h"
#include "player/runtime/client.h"

namespace {

const int kMe = 7;
const int kNow = 10;

void expect_point(TPoint p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-4);
    EXPECT_NEAR(p.Y, y, 1e-4);
}

class Assessor_Scene : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(kMe, true);
        core->real_cycle = kNow;
        core->info_snapshot.play_mode = PM_PLAY_ON;
        place_me(TPoint(0, 0), 0);
        place_ball(TPoint(0, 0));
    }
    void TearDown() override { destroy_agent(); }

    static void place_teammate(int u, TPoint pos) {
        TPlayer &mate = core->world->teammates[u];
        mate.pos = pos;
        mate.pos_chance = 0.9f;
    }
};

// A TPosition whose strategic position is given, to show the assessment's own rules.
class Fixed_Target : public TPosition {
public:
    TPoint get_position() override { return target; }
    TPoint target;
};

using AssessorPosition = Assessor_Scene;

TEST_F(AssessorPosition, UnknownBallMakesMeScan) {
    core->world->ball.pos_chance = 0.3f;
    TPosition position;
    position.assess();
    EXPECT_EQ(position.final.kind, 3);
    EXPECT_FLOAT_EQ(position.final.face.angle, 50);   // min(50, normal view width 90)
    EXPECT_FLOAT_EQ(position.final.chance, 1.0f);
    EXPECT_EQ(position.stamp, kNow);
}

TEST_F(AssessorPosition, PlayOnRunsToTheStrategicPosition) {
    place_ball(TPoint(-10, 20));        // (-10 x 0.6 - 18, 20 x 0.4) = (-24, 8)
    TPosition position;
    testing::internal::CaptureStdout();
    position.assess();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("pos assessor"), std::string::npos);
    const No_Ball_Behavior_Info &r = position.final;
    EXPECT_EQ(r.kind, 0);
    expect_point(r.run.point, -24, 8);
    EXPECT_EQ(r.run.mode, RM_FASTEST);
    EXPECT_FLOAT_EQ(r.run.buffer, 1.0f);
    EXPECT_FALSE(r.run.flag1);
    EXPECT_FALSE(r.run.flag2);
    EXPECT_TRUE(r.run.flag3);
    EXPECT_FLOAT_EQ(r.chance, 0.55f);
}

TEST_F(AssessorPosition, AtMyPostBeforeKickOffAndAtOurKickOffIFaceTheBall) {
    place_me(TPoint(-18.5, 0.5), 0);    // 0.71 m from (-18, 0), my post for the centred ball
    for (int pm : {PM_BEFORE_KICK_OFF, PM_KICK_OFF_OURS}) {
        core->info_snapshot.play_mode = pm;
        TPosition position;
        position.assess();
        EXPECT_EQ(position.final.kind, 2) << pm;
        EXPECT_FLOAT_EQ(position.final.face.angle, FLT_MAX) << pm;
        EXPECT_FLOAT_EQ(position.final.chance, 0.1f) << pm;
    }
}

TEST_F(AssessorPosition, InTheirHalfTheFrontPullAndTheOffsideLineApply) {
    place_ball(TPoint(30, -10));        // (30 x 0.55 - 18, -4) = (-1.5, -4), line 26
    TPosition position;
    expect_point(position.get_position(), -1.5, -4);
    place_ball(TPoint(50, 0));          // 27.5 - 18 = 9.5, line 46
    expect_point(position.get_position(), 9.5, 0);
}

TEST_F(AssessorPosition, OurGoalKickPlacesTheBall15MetresAhead) {
    core->info_snapshot.play_mode = PM_GOAL_KICK_OURS;
    place_ball(TPoint(-47, -10));       // as for the ball at (-32, -10)
    TPosition position;
    expect_point(position.get_position(), -37.2, -4);
}

TEST_F(AssessorPosition, WhileOurKeeperHoldsTheBallTheOtherWingCounts) {
    core->catch_state = 1;
    place_ball(TPoint(-50, 3));         // as for the ball at (-35, -16)
    TPosition position;
    expect_point(position.get_position(), -39, -6.4);
    place_ball(TPoint(-50, -3));        // as for (-35, 16)
    expect_point(position.get_position(), -39, 6.4);
}

TEST_F(AssessorPosition, ThreeMetresDecideBetweenFacingAndRunning) {
    Fixed_Target position;
    const struct { double x; int kind; float chance; } cases[] = {
        {2.9, 2, 0.1f}, {3.0, 2, 0.1f}, {3.1, 0, 0.55f}};
    for (const auto &c : cases) {
        position.target = TPoint(c.x, 0);
        position.assess();
        EXPECT_EQ(position.final.kind, c.kind) << c.x;
        EXPECT_FLOAT_EQ(position.final.chance, c.chance) << c.x;
    }
    expect_point(position.final.run.point, 3.1, 0);
}

TEST_F(AssessorPosition, TargetsKeepTenMetresFromTheTouchLines) {
    Fixed_Target position;
    position.target = TPoint(20, 30);
    position.assess();
    expect_point(position.final.run.point, 20, 24);
    position.target = TPoint(20, -31);
    position.assess();
    expect_point(position.final.run.point, 20, -24);
}

TEST_F(AssessorPosition, AStrategicYOf30IsAimedAt24) {
    core->info_snapshot.unum = 10;      // right wing attack: base (-5, 22), y pull 0.25
    place_ball(TPoint(0, 32));          // y 22 + 8 = 30
    TPosition position;
    position.assess();
    expect_point(position.final.run.point, -5, 24);
}

TEST_F(AssessorPosition, ASmallShiftOffMyHeadingKeepsTheOldTarget) {
    Fixed_Target position;              // I look along +x
    position.target = TPoint(10, 0);
    position.assess();
    position.target = TPoint(10, 2);    // 2 m away, 11 degrees off my heading
    position.assess();
    expect_point(position.final.run.point, 10, 0);
    position.target = TPoint(10, 5);    // 5 m away: the new one is taken
    position.assess();
    expect_point(position.final.run.point, 10, 5);
    position.target = TPoint(10.5, 5);  // near, but I no longer head to (10, 5)
    position.assess();
    expect_point(position.final.run.point, 10.5, 5);
}

TEST_F(AssessorPosition, TheGoalkeeperKeepsTheOldTargetOnlyWithin1point5Metres) {
    core->info_snapshot.unum = 1;
    Fixed_Target position;
    position.target = TPoint(10, 0);
    position.assess();
    position.target = TPoint(10, 1.4);  // 1.4 m away, 8 degrees off my heading: kept
    position.assess();
    expect_point(position.final.run.point, 10, 0);
    position.target = TPoint(10, 2);    // 2 m away: taken
    position.assess();
    expect_point(position.final.run.point, 10, 2);
}

TEST_F(AssessorPosition, ATargetThatIsNoNumberMakesMeScan) {
    Fixed_Target position;
    position.target = TPoint(std::numeric_limits<double>::quiet_NaN(), 0);
    position.assess();
    EXPECT_EQ(position.final.kind, 3);
    EXPECT_FLOAT_EQ(position.final.chance, 1.0f);
}

TEST_F(AssessorPosition, OwnTableFromTheShippedFile) {
    TPosition position;                 // player 7: base (-18, 0), pull (0.6, 0.4), [-40, 25]
    place_ball(TPoint(20, 10));
    expect_point(position.calc_pos_by_attraction(), -6, 4);
    EXPECT_FLOAT_EQ(position.limit_min_max(30), 25);
    EXPECT_FLOAT_EQ(position.limit_min_max(-50), -40);
    EXPECT_FLOAT_EQ(position.limit_offside(30), 16);   // line 20, less 4
    expect_point(position.goal_circle.Center, -52.5, 0);
    EXPECT_DOUBLE_EQ(position.goal_circle.Radius, 9.0);
}

TEST_F(AssessorPosition, OwnTableBehindTheBall) {
    std::remove("formation.rf");        // the scene's link to the shipped file, never the file itself
    std::ofstream("formation.rf") << "0 0 0 0 0 0 -10 0 0 0 0\n0 0 0 0 0 0 5 0 0 0 0\n"
                                     "-52 -52 -52 -52 -52 -52 10 -52 -52 -52 -52\n"
                                     "52 52 52 52 52 52 50 52 52 52 52\n"
                                     "0 0 0 0 0 0 0.5 0 0 0 0\n0 0 0 0 0 0 0.25 0 0 0 0\n"
                                     "0 0 0 0 0 0 1 0 0 0 0\n";
    TPosition position;
    place_ball(TPoint(20, 8));
    expect_point(position.calc_pos_by_attraction(), 0, 7);    // -10 + 10, still behind
    place_ball(TPoint(-30, 0));
    expect_point(position.calc_pos_by_attraction(), -30, 5);  // -25 is kept at the ball's x
    EXPECT_FLOAT_EQ(position.limit_min_max(5), 10);
}

using AssessorGetBall = Assessor_Scene;

// Interception results for this cycle, as the search would have cached them.
void intercept(int u, int kind, int cycles) {
    Ball_Intercept_Info &r = core->world->teammates_intercept[u];
    r.update = core->world->update_count;
    r.kind = kind;
    r.cycles = cycles;
}

TEST_F(AssessorGetBall, FastestInPlayOnGoesForSure) {
    place_teammate(9, TPoint(20, 0));
    intercept(kMe, 3, 4);
    intercept(9, 3, 8);
    TGet_Ball get_ball;
    testing::internal::CaptureStdout();
    get_ball.assess();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ball assessor\n");
    EXPECT_EQ(get_ball.final.kind, 1);
    EXPECT_FLOAT_EQ(get_ball.final.chance, 1.0f);
}

TEST_F(AssessorGetBall, FastestOutsidePlayOnIsLessSure) {
    intercept(kMe, 3, 4);
    TGet_Ball get_ball;
    for (int pm : {PM_BEFORE_KICK_OFF, PM_KICK_OFF_OURS, PM_FREE_KICK_OURS}) {
        core->info_snapshot.play_mode = pm;
        get_ball.assess();
        EXPECT_EQ(get_ball.final.kind, 1) << pm;
        EXPECT_FLOAT_EQ(get_ball.final.chance, 0.6f) << pm;
    }
    core->info_snapshot.play_mode = PM_FREE_KICK_THEIRS;
    core->their_set_play = true;
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 0.4f);
}

TEST_F(AssessorGetBall, AFasterTeammateTakesTheBall) {
    place_teammate(9, TPoint(20, 0));
    intercept(kMe, 4, 9);
    intercept(9, 3, 4);                 // 8 cycles of mine are not fewer than 4
    TGet_Ball get_ball;
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 0);
}

TEST_F(AssessorGetBall, AsFastAsTheFastestTeammate) {
    Ball_Intercept_Info mine, theirs;
    mine.kind = 4;
    mine.cycles = 5;
    theirs.cycles = 5;
    EXPECT_TRUE(TGet_Ball::reaches_no_later(mine, theirs));
    theirs.cycles = 4;
    EXPECT_FALSE(TGet_Ball::reaches_no_later(mine, theirs));
    mine.kind = 0;                      // out of reach
    theirs.cycles = 50;
    EXPECT_FALSE(TGet_Ball::reaches_no_later(mine, theirs));
}

TEST_F(AssessorGetBall, OurFoulOrOffsideLeavesTheBallToThem) {
    intercept(kMe, 3, 2);
    TGet_Ball get_ball;
    core->info_snapshot.event = EV_FOUL_BY_US;
    testing::internal::CaptureStdout();
    get_ball.assess();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FLOAT_EQ(get_ball.final.chance, 0);
    EXPECT_EQ(get_ball.stamp, kNow);

    core->info_snapshot.event = EV_OFFSIDE_LEFT;   // we play from the left
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 0);
    core->info_snapshot.event = EV_OFFSIDE_RIGHT;  // theirs: the free kick is ours
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 1.0f);
}

TEST_F(AssessorGetBall, OffsideFromTheRightSideIsJudgedByOurSide) {
    core->info_snapshot.side = 'r';
    intercept(kMe, 3, 2);
    TGet_Ball get_ball;
    core->info_snapshot.event = EV_OFFSIDE_RIGHT;
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 0);
    core->info_snapshot.event = EV_OFFSIDE_LEFT;
    get_ball.assess();
    EXPECT_FLOAT_EQ(get_ball.final.chance, 1.0f);
}

TEST_F(AssessorGetBall, ARollingBallComingToMe) {
    place_ball(TPoint(10, 0), TPoint(-1, 0));   // 9, 8.06, 7.18, ... 4.14, 3.49 after 8 cycles
    TGet_Ball get_ball;
    TPoint p;
    EXPECT_TRUE(get_ball.ball_goes_for_me(&p));
    expect_point(p, 3.49281564, 0);
    place_ball(TPoint(10, 0), TPoint(1, 0));    // 20 cycles: 10 + (1 - 0.94^20) / 0.06
    EXPECT_FALSE(get_ball.ball_goes_for_me(&p));
    EXPECT_NEAR(p.X, 21.8316, 1e-3);
}

TEST_F(AssessorGetBall, ABallOfNoNumberNeverComes) {
    place_ball(TPoint(10, 0), TPoint(std::numeric_limits<double>::quiet_NaN(), 0));
    TGet_Ball get_ball;
    TPoint p;
    EXPECT_FALSE(get_ball.ball_goes_for_me(&p));
}

class AssessorPassed : public Assessor_Scene {
protected:
    void SetUp() override {
        Assessor_Scene::SetUp();
        core->cycle = 100;
        core->kick_history[3].cycle = 95;
        core->kick_history[3].direction = 0;
        place_ball(TPoint(1, 0), TPoint(1, 0));
        place_teammate(9, TPoint(20, 1));       // 2.9 degrees off the ball's direction
    }
};

TEST_F(AssessorPassed, MyRecentKickTowardsATeammate) {
    TGet_Ball get_ball;
    EXPECT_TRUE(get_ball.I_passed());
    core->kick_history[3].cycle = 91;           // 9 cycles ago
    EXPECT_FALSE(get_ball.I_passed());
}

TEST_F(AssessorPassed, SlowOrTurnedBallsAreNoPass) {
    TGet_Ball get_ball;
    place_ball(TPoint(1, 0), TPoint(0.3, 0));
    EXPECT_FALSE(get_ball.I_passed());
    place_ball(TPoint(1, 0), TPoint(1, 0.5));   // 26.6 degrees off the kick
    EXPECT_FALSE(get_ball.I_passed());
}

TEST_F(AssessorPassed, DirectionsCompareAcrossTheBackOfTheCircle) {
    core->kick_history[3].direction = 170;
    place_ball(TPoint(-1, -0.0875), TPoint(-0.996, -0.0872));   // moving at -175 degrees
    place_teammate(9, TPoint(-20, -1.7));
    TGet_Ball get_ball;
    EXPECT_TRUE(get_ball.I_passed());
}

TEST_F(AssessorPassed, EverySureTeammateMustLieTowardsTheBall) {
    place_teammate(10, TPoint(0, 20));          // 90 degrees off
    TGet_Ball get_ball;
    EXPECT_FALSE(get_ball.I_passed());
    core->world->teammates[10].pos_chance = 0.8f;   // not sure enough to count
    EXPECT_TRUE(get_ball.I_passed());
}

using AssessorGameStart = Assessor_Scene;

TEST_F(AssessorGameStart, NeverProposesAnything) {
    TGame_Start game_start;
    game_start.work.chance = 0.7f;
    game_start.assess();
    EXPECT_FLOAT_EQ(game_start.final.chance, 0);
    EXPECT_EQ(game_start.stamp, kNow);
}

TEST_F(AssessorGameStart, WhoTakesOurRestarts) {
    TGame_Start g;
    const struct { int pm; double x, y; int taker; } cases[] = {
        {PM_GOAL_KICK_OURS, -47, 10, 1},
        {PM_CORNER_KICK_OURS, 52.5, -34, 8}, {PM_CORNER_KICK_OURS, 52.5, 34, 7},
        {PM_KICK_IN_OURS, -10, -34, 5}, {PM_KICK_IN_OURS, -10, 34, 2},
        {PM_KICK_IN_OURS, 10, -34, 8}, {PM_KICK_IN_OURS, 10, 34, 7},
        {PM_FREE_KICK_OURS, 10, -25, 5}, {PM_FREE_KICK_OURS, 10, 25, 2},
        {PM_FREE_KICK_OURS, -20, -5, 4}, {PM_FREE_KICK_OURS, -20, 5, 3},
        {PM_FREE_KICK_OURS, 20, -16, 8}, {PM_FREE_KICK_OURS, 20, 16, 7}, {PM_FREE_KICK_OURS, 20, 0, 6},
        {PM_FREE_KICK_OURS, 40, -23, 8}, {PM_FREE_KICK_OURS, 40, 23, 7},
        {PM_FREE_KICK_OURS, 40, -10, 11}, {PM_FREE_KICK_OURS, 40, 10, 10}, {PM_FREE_KICK_OURS, 40, 0, 9},
        {PM_PLAY_ON, 0, 0, PM_PLAY_ON}, {PM_KICK_OFF_OURS, 0, 0, PM_KICK_OFF_OURS},
    };
    for (const auto &c : cases) {
        place_ball(TPoint(c.x, c.y));
        EXPECT_EQ(g.best_player_to_start(c.pm), c.taker) << c.pm << " " << c.x << " " << c.y;
    }
    core->catch_state = 1;
    EXPECT_EQ(g.best_player_to_start(PM_KICK_OFF_OURS), 1);
}

TEST_F(AssessorGameStart, MyPlaceAtOurRestarts) {
    TGame_Start g;                              // player 7, the centre midfielder
    place_ball(TPoint(-20, -34));
    expect_point(g.get_my_pos(PM_KICK_IN_OURS), -24, -16);         // for (-10, -40)
    place_ball(TPoint(-10, 5));
    expect_point(g.get_my_pos(PM_FREE_KICK_OURS), -18, 2);          // for (0, 5)
    expect_point(g.get_my_pos(PM_CORNER_KICK_OURS), -4, -4);        // for (67.5, -10): x 19.125, offside
    place_ball(TPoint(-47, 10));
    expect_point(g.get_my_pos(PM_GOAL_KICK_OURS), -33, 4);          // for (-25, 10)
    EXPECT_TRUE(g.get_my_pos(PM_KICK_OFF_OURS).is_point_QUAZIL());
    core->catch_state = 1;
    expect_point(g.get_my_pos(PM_PLAY_ON), -36, -6);                // for (-30, -15)
}

TEST_F(AssessorGameStart, FullBacksTakeTheMidfieldersPlaceAtCorners) {
    TGame_Start g;
    place_ball(TPoint(52.5, -34));
    core->info_snapshot.unum = 5;
    // player 8 (base (-18, 14), pull (0.55, 0.35)) for the ball at (67.5, -10); offside line 48.5
    expect_point(g.get_my_pos(PM_CORNER_KICK_OURS), 19.125, 10.5);
    // Player 2 is away from the ball's wing: its own place for the real ball,
    // base (-33, -20) plus (52.5 x 0.45, -34 x 0.2).
    core->info_snapshot.unum = 2;
    expect_point(g.get_my_pos(PM_CORNER_KICK_OURS), -9.375, -26.8);
}

}  // namespace
