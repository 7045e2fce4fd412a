// Movement of the player: dashing and turning to points, facing with body and
// neck, running to the ball, and the opponents' set-play distances.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(7);
        core->real_cycle = 10;
        core->game_stopped = false;
        core->info_snapshot.sense.stamina = 4000;
        core->info_snapshot.play_mode = PM_PLAY_ON;
        place_me(TPoint(0, 0), 0);
        place_ball(TPoint(0, -30));
    }
    void TearDown() override { destroy_agent(); }

    static void place(TPlayer &p, double x, double y) {
        p.pos = TPoint(x, y);
        p.pos_chance = 1.0f;
    }
    static void their_set_play(int play_mode) {
        core->info_snapshot.play_mode = play_mode;
        core->their_set_play = true;
    }
    static const char *body() { return core->action_is_update() ? core->body_com.text : "nothing"; }
    static const char *neck() { return core->turn_neck_is_update() ? core->turn_neck_com.text : "nothing"; }
};

// ---- dash_to_point ----

TEST_F(Movement, DashToPointCloseByDoesNothing) {
    EXPECT_EQ(core->dash_to_point(TPoint(0.1, 0), RM_FASTEST), 3);
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Movement, DashToPointTurnsWhenTheTargetIsOffTheBodyDirection) {
    const double rad30 = 30 * kPi / 180, rad4 = 4 * kPi / 180;
    EXPECT_EQ(core->dash_to_point(TPoint(10 * std::cos(rad30), 10 * std::sin(rad30)), RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(turn 30.0)");
    EXPECT_EQ(core->dash_to_point(TPoint(10 * std::cos(rad4), 10 * std::sin(rad4)), RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(dash 100.0)");
}

TEST_F(Movement, DashPowerIsCappedByTheRunModeAndByTheDistanceLeft) {
    core->dash_to_point(TPoint(10, 0), RM_MODERATE);   // 10 / 0.006 = 1667
    EXPECT_STREQ(body(), "(dash 60.0)");
    core->dash_to_point(TPoint(10, 0), RM_SLOWEST);
    EXPECT_STREQ(body(), "(dash 20.0)");
    core->dash_to_point(TPoint(0.3, 0), RM_FASTEST);   // 0.3 / 0.006 = 50
    EXPECT_STREQ(body(), "(dash 50.0)");
}

TEST_F(Movement, DashToPointRefusesAnUnknownDirection) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(core->dash_to_point(TPoint(nan, 5), RM_FASTEST), 0);
    core->world->me->body = std::numeric_limits<float>::infinity();
    EXPECT_EQ(core->dash_to_point(TPoint(10, 10), RM_FASTEST), 0);
    EXPECT_STREQ(body(), "nothing");
}

// ---- facing ----

TEST_F(Movement, FacingWithinTheNeckRangeMovesOnlyTheNeck) {
    EXPECT_EQ(core->face_to_point(TPoint(0, 10), true), 3);
    EXPECT_STREQ(neck(), "(turn_neck 90.0)");
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Movement, FacingWhereTheNeckAlreadyLooksEmptiesBothSlots) {
    core->dash(50, true);
    core->world->me->neck = 90;
    EXPECT_EQ(core->face_to_point(TPoint(0, 10), true), 3);
    EXPECT_STREQ(body(), "nothing");
    EXPECT_STREQ(neck(), "nothing");
}

TEST_F(Movement, FacingBehindAtRestTurnsTheBodyOnly) {
    EXPECT_EQ(core->face_to_point(TPoint(-10, 10), true), 1);   // 135 degrees, turn up to 180
    EXPECT_STREQ(body(), "(turn 135.0)");
    EXPECT_STREQ(neck(), "nothing");
}

TEST_F(Movement, FacingBehindWhileMovingLetsTheNeckTakeTheRestOnTheSameSide) {
    core->info_snapshot.sense.speed = 0.5f;   // the body turns at most 180 / 3.5 = 51.4
    EXPECT_EQ(core->face_to_point(TPoint(-10, 10), true), 1);
    EXPECT_STREQ(body(), "(turn 180.0)");
    EXPECT_STREQ(neck(), "(turn_neck 83.6)");
    core->turn(0, true);                      // nothing queued before the next one
    EXPECT_EQ(core->face_to_point(TPoint(-10, -10), true), 1);
    EXPECT_STREQ(body(), "(turn -180.0)");
    EXPECT_STREQ(neck(), "(turn_neck -83.6)");
}

// Facing a body-relative angle: the body turns by its reach, not by the
// angle, and an angle below the reach (a negative one too) is the body's alone.
TEST_F(Movement, FacingARelativeAngleTurnsByTheReachAndLeavesLowAnglesToTheBody) {
    core->info_snapshot.sense.speed = 0.5f;
    core->world->me->vel_chance = 0;          // velocity unknown: the turn is sent as asked
    EXPECT_EQ(core->face_to_rel_angle(135, true), 1);
    EXPECT_STREQ(body(), "(turn 51.4)");
    EXPECT_STREQ(neck(), "(turn_neck 83.6)");
    core->turn_neck(0, true);
    EXPECT_EQ(core->face_to_rel_angle(-135, true), 1);
    EXPECT_STREQ(body(), "(turn -135.0)");
    EXPECT_STREQ(neck(), "nothing");
    EXPECT_EQ(core->face_to_rel_angle(std::numeric_limits<float>::quiet_NaN(), true), 0);
}

TEST_F(Movement, FaceToBallLooksAtTheBall) {
    place_ball(TPoint(5, 5));
    EXPECT_EQ(core->face_to_ball(true), 3);
    EXPECT_STREQ(neck(), "(turn_neck 45.0)");
}

// ---- go_to_point: plain moves ----

TEST_F(Movement, GoToPointIsRefusedWhileTheGameIsStopped) {
    core->game_stopped = true;
    EXPECT_EQ(core->go_to_point(TPoint(10, 10), RM_FASTEST, 0.5f, false), 0);
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Movement, GoToPointWithinTheBufferOnlyFacesThePoint) {
    EXPECT_EQ(core->go_to_point(TPoint(0, -1), RM_FASTEST, 2.0f, false), 0);
    EXPECT_STREQ(body(), "(turn -90.0)");
}

TEST_F(Movement, GoToPointDashesAndWatchesTheBall) {
    place_ball(TPoint(0, 30));
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FAST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(dash 85.0)");
    EXPECT_STREQ(neck(), "(turn_neck 90.0)");
}

TEST_F(Movement, OurKickOffKeepsTeammatesInOurHalf) {
    place_me(TPoint(-10, 0), 0);
    core->info_snapshot.play_mode = PM_KICK_OFF_OURS;
    EXPECT_EQ(core->go_to_point(TPoint(5, 9), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(turn 45.0)");   // towards (-1, 9), not (5, 9)
    place_me(TPoint(-1, 9.2), 0);                  // waiting at the line: face the real target
    EXPECT_EQ(core->go_to_point(TPoint(5, 9), RM_FASTEST, 0.5f, false), 0);
    EXPECT_STREQ(body(), "(turn -1.9)");
}

// ---- go_to_point: dodging ----

TEST_F(Movement, StuckAgainstAnOpponentSidestepsAtRightAngles) {
    core->world->cycles_in_collision = 4;
    place(core->world->opponents[3], 0.5, 0);
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_SLOW, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(turn 90.0)");   // to (0, 10)
}

TEST_F(Movement, StuckAgainstATeammateSidestepsButNeverDodgesMyself) {
    core->world->cycles_in_collision = 5;
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(dash 100.0)");   // nobody else near: straight on
    place(core->world->teammates[3], -0.6, 0);
    core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false);
    EXPECT_STREQ(body(), "(turn -90.0)");   // to (0, -10)
}

// ---- go_to_point: their set plays ----

TEST_F(Movement, TheirFreeKickKeepsTheDistanceFromTheBall) {
    place_ball(TPoint(0, 0));
    place_me(TPoint(0, 5), 0);
    their_set_play(PM_FREE_KICK_THEIRS);
    EXPECT_EQ(core->go_to_point(TPoint(30, 30), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(turn 90.0)");   // out to (0, 10.15) first
}

TEST_F(Movement, TheirFreeKickForbidsPointsNearTheBall) {
    place_ball(TPoint(0, 0));
    place_me(TPoint(0, 9.2), 0);
    their_set_play(PM_FREE_KICK_THEIRS);
    EXPECT_EQ(core->go_to_point(TPoint(0, 5), RM_FASTEST, 0.5f, false), 0);
    EXPECT_STREQ(body(), "(turn -90.0)");
    place_me(TPoint(20, 5), 180);   // still far: may approach
    EXPECT_EQ(core->go_to_point(TPoint(0, 5), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(dash 100.0)");
}

TEST_F(Movement, TheirOffsideKickKeepsUsBehindTheBall) {
    place_ball(TPoint(10, 0));
    core->info_snapshot.event = EV_OFFSIDE_RIGHT;
    core->info_snapshot.play_mode = PM_FREE_KICK_OURS;
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(dash 100.0)");   // to (8, 0) rather than (20, 0)
    place_me(TPoint(7.9, 0), 0);
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false), 0);
    core->info_snapshot.side = 'r';      // for a right-side player that offside is its team's own
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false), 1);
    core->info_snapshot.event = EV_OFFSIDE_LEFT;
    EXPECT_EQ(core->go_to_point(TPoint(20, 0), RM_FASTEST, 0.5f, false), 0);
}

TEST_F(Movement, TheirKickOffKeepsUsInOurHalf) {
    place_me(TPoint(-10, 0), 0);
    their_set_play(PM_KICK_OFF_THEIRS);
    core->go_to_point(TPoint(5, 9), RM_FASTEST, 0.5f, false);
    EXPECT_STREQ(body(), "(turn 45.0)");
}

TEST_F(Movement, TheirGoalKickInsideTheirAreaOnlyTurns) {
    place_me(TPoint(40, 0), 0);
    their_set_play(PM_GOAL_KICK_THEIRS);
    EXPECT_EQ(core->go_to_point(TPoint(0, 0), RM_FASTEST, 0.5f, false), 0);
    EXPECT_STREQ(body(), "(turn 180.0)");
}

TEST_F(Movement, TheirGoalKickStopsAtTheAreaInFrontOfATargetInside) {
    place_me(TPoint(20, 10), 0);
    their_set_play(PM_GOAL_KICK_THEIRS);
    EXPECT_EQ(core->go_to_point(TPoint(45, 0), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(turn -33.7)");   // to (35, 0)
}

TEST_F(Movement, TheirGoalKickGoesRoundTheAreaByTheClosestCorner) {
    place_me(TPoint(40, 25), 0);
    their_set_play(PM_GOAL_KICK_THEIRS);
    EXPECT_EQ(core->go_to_point(TPoint(40, -25), RM_FASTEST, 0.5f, false), 1);
    EXPECT_STREQ(body(), "(turn -142.5)");   // to (35, 21.16)
}

TEST_F(Movement, PlacesAroundTheirPenaltyArea) {
    int y = 0, x = 0;
    core->get_AB_place(TPoint(36.6, 19.7), &y, &x);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(x, 1);
    core->get_AB_place(TPoint(36.4, -19.7), &y, &x);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(x, 2);
    core->get_AB_place(TPoint(std::nan(""), std::nan("")), &y, &x);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(x, 2);
}

TEST_F(Movement, PenaltyAreaMovesAimAtItsEdges) {
    place_me(TPoint(35, 0), 0);
    EXPECT_EQ(core->go_to_penalty_area_corner(true, RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(turn -90.0)");   // to (35, -21.16)
    place_me(TPoint(0, 0), 0);
    EXPECT_EQ(core->go_to_x_by_point(TPoint(10, 5), RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(turn -55.1)");   // to (10, -14.34)
}

// ---- go_to_ball ----

TEST_F(Movement, GoToBallWithTheBallAtMyFeetOnlyWatchesIt) {
    place_ball(TPoint(0.5, 0.5));
    core->ball_holder = 7;
    EXPECT_EQ(core->go_to_ball(RM_FASTEST), 3);
    EXPECT_STREQ(body(), "nothing");
    EXPECT_STREQ(neck(), "(turn_neck 45.0)");
}

TEST_F(Movement, GoToBallWithoutKnowingTheBallQueuesNothing) {
    core->world->ball.pos_chance = 0;
    EXPECT_EQ(core->go_to_ball(RM_FASTEST), 0);
    EXPECT_STREQ(body(), "nothing");
}

TEST_F(Movement, GoToBallRunsSlowlyAtOurSetPlayAndFastAtTheirs) {
    place_ball(TPoint(20, 0));
    core->info_snapshot.play_mode = PM_CORNER_KICK_OURS;
    EXPECT_EQ(core->go_to_ball(RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(dash 20.0)");
    core->world->teammates_intercept[7] = Ball_Intercept_Info();   // a fresh search
    core->info_snapshot.play_mode = PM_KICK_IN_THEIRS;
    EXPECT_EQ(core->go_to_ball(RM_SLOWEST), 1);
    EXPECT_STREQ(body(), "(dash 85.0)");
}

// The offside events name the field side: a right-side player reads the left
// team's offside as the opponents', ours to restart, and goes slowly; its own
// team's offside leaves the run mode alone.
TEST_F(Movement, GoToBallReadsTheOffsideByOurSide) {
    place_ball(TPoint(20, 0));
    core->info_snapshot.play_mode = PM_STOPPED;
    core->info_snapshot.side = 'r';
    core->info_snapshot.event = EV_OFFSIDE_LEFT;
    EXPECT_EQ(core->go_to_ball(RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(dash 20.0)");
    core->world->teammates_intercept[7] = Ball_Intercept_Info();
    core->info_snapshot.event = EV_OFFSIDE_RIGHT;
    EXPECT_EQ(core->go_to_ball(RM_FASTEST), 1);
    EXPECT_STREQ(body(), "(dash 100.0)");
}

}  // namespace
