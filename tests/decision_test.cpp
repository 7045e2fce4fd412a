// The decision among the behaviour objects' proposals, and the neck and view
// control it ends with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "agent_scene.h"
#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

// Me at the centre spot facing the opponents' goal, neck straight, normal view,
// the ball unknown; real_cycle 20.
class Agent_Scene : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(7);
        core->real_cycle = 20;
        core->cycle = 20;
        core->game_stopped = false;
        core->info.sense.view_width = VW_NORMAL;
        core->info_snapshot.sense.view_width = VW_NORMAL;
        core->info_snapshot.sense.view_quality = VQ_HIGH;
        core->info_snapshot.sense.stamina = 4000;
        core->kickable_area = 1.085f;
        TPlayer *me = core->world->me;
        me->pos_chance = 1.0f;
        me->pos = TPoint(0, 0);
        me->body = me->head = 0;
    }
    void TearDown() override { destroy_agent(); }

    void place_ball(TPoint p, float chance) {
        core->world->ball.pos = p;
        core->world->ball.pos_chance = chance;
    }
    // The ball at my feet, and the with-ball round opened for it.
    void give_me_the_ball() {
        place_ball(TPoint(0.5, 0), 1.0f);
        core->ball_holder = 7;
        core->reset_objects();
    }
    void see_now() { core->info_snapshot.see_cycle = core->real_cycle; }

    TWith_Ball *with_ball(int i, float decency, float chance, int stamp) {
        TWith_Ball *o = new TWith_Ball();
        o->set_decency(decency);
        o->final.chance = chance;
        o->stamp = stamp;
        core->with_ball_objects[i] = o;
        return o;
    }
    TWithout_Ball *without_ball(int i, float chance, int stamp) {
        TWithout_Ball *o = new TWithout_Ball();
        o->final.chance = chance;
        o->final.kind = 3;
        o->final.face.angle = 10.0f * (i + 1);
        o->stamp = stamp;
        core->without_ball_objects[i] = o;
        return o;
    }
};

using Decision = Agent_Scene;
using Neck = Agent_Scene;

TEST_F(Decision, WithBallTiesGoToTheLowerIndexAndStampsAreConsumed) {
    give_me_the_ball();
    with_ball(0, 0.7f, 0.2f, 20);
    with_ball(1, 0.7f, 0.5f, 19);   // published last cycle: still usable
    with_ball(2, 0.7f, 0.5f, 20);
    with_ball(3, 1.0f, 0.9f, 18);   // too old
    core->decision();
    EXPECT_EQ(core->chosen_object, 1);
    EXPECT_NEAR(core->best_value, 0.35, 1e-6);
    EXPECT_EQ(core->with_ball_objects[0]->stamp, -1);
    EXPECT_EQ(core->with_ball_objects[1]->stamp, -1);
    EXPECT_EQ(core->with_ball_objects[2]->stamp, -1);
    EXPECT_EQ(core->with_ball_objects[3]->stamp, 18);
}

TEST_F(Decision, AConsumedProposalIsNotChosenAgain) {
    give_me_the_ball();
    with_ball(0, 1.0f, 0.8f, 20);
    core->decision();
    EXPECT_EQ(core->chosen_object, 0);
    core->chosen_object = 3;
    core->decision();   // the same cycle once more: nothing left to choose
    EXPECT_EQ(core->chosen_object, 3);
    EXPECT_EQ(core->best_value, -1);
}

TEST_F(Decision, ZeroChanceKeepsThePreviousChoiceAndQueuesNothing) {
    give_me_the_ball();
    with_ball(0, 0.9f, 0.0f, 20)->final.say = true;
    core->chosen_object = 2;
    core->decision();
    EXPECT_EQ(core->chosen_object, 2);
    EXPECT_FALSE(core->action_is_update());
    EXPECT_FALSE(core->say_is_update());
}

TEST_F(Decision, WithoutBallTakesOnlyThisCyclesProposals) {
    without_ball(0, 0.9f, 19);
    without_ball(1, 0.4f, 20);
    without_ball(2, 0.4f, 20);
    core->decision();
    EXPECT_EQ(core->chosen_object, 1);
    EXPECT_FLOAT_EQ(core->best_value, 0.4f);
    EXPECT_EQ(core->without_ball_objects[0]->stamp, 19);
    EXPECT_STREQ(core->body_com.text, "(turn 20.0)");
}

// A message parsed between two assessments (a fullstate, a type change) may
// take the ball out of my reach: the round still decides with the ball.
TEST_F(Decision, ARoundDecidesForTheGroupItWasOpenedFor) {
    give_me_the_ball();
    TWith_Ball *o = with_ball(0, 1.0f, 0.6f, 20);
    o->final.no_ball_action = true;
    o->final.kind = 3;
    o->final.face.angle = -45;
    place_ball(TPoint(5, 0), 1.0f);
    core->decision();
    EXPECT_EQ(core->chosen_object, 0);
    EXPECT_STREQ(core->body_com.text, "(turn -45.0)");
}

TEST_F(Decision, FaceAngleOfNoAnswerFacesThePoint) {
    TWithout_Ball *o = without_ball(0, 1.0f, 20);
    o->work.chance = 1.0f;
    o->final.face.angle = FLT_MAX;
    o->final.face.point = TPoint(0, 10);
    core->decision();
    EXPECT_STREQ(core->body_com.text, "(turn 90.0)");
}

TEST_F(Decision, WithBallProposalOfAWithoutBallActionIsRunLikeOne) {
    give_me_the_ball();
    TWith_Ball *o = with_ball(0, 1.0f, 0.6f, 20);
    o->final.no_ball_action = true;
    o->final.kind = 3;
    o->final.face.angle = -45;
    o->final.say = true;
    snprintf(o->final.say_text, sizeof o->final.say_text, "hello");
    core->decision();
    EXPECT_STREQ(core->body_com.text, "(turn -45.0)");
    EXPECT_STREQ(core->say_com.text, "(say hello)");
}

TEST_F(Decision, TheNeckFollowsAPoorlyKnownBallAfterATurn) {
    place_ball(TPoint(10, 5), 0.8f);
    see_now();
    without_ball(0, 1.0f, 20)->final.face.angle = 30;
    core->decision();
    // The ball lies at 26.57 degrees; after the turn of 30 it is 3.43 to the right.
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck -3.4)");
    EXPECT_TRUE(core->turn_neck_is_update());
}

TEST_F(Decision, FacingTheBallKeepsTheNeckOnTheBall) {
    place_ball(TPoint(10, 5), 1.0f);   // well known: the window search would look elsewhere
    see_now();
    without_ball(0, 1.0f, 20)->final.kind = 2;
    core->decision();
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck 26.6)");
}

TEST_F(Decision, GoToPointProposalRuns) {
    place_ball(TPoint(-10, 0), 1.0f);
    TWithout_Ball *o = without_ball(0, 1.0f, 20);
    o->final.kind = 0;
    o->final.run.point = TPoint(10, 0);
    o->final.run.mode = RM_MODERATE;
    o->final.run.buffer = 1.0f;
    core->decision();
    EXPECT_TRUE(core->action_is_update());
    EXPECT_EQ(core->body_com.type, BC_DASH);
}

TEST_F(Decision, UnknownBallAsksForANarrowViewAndTheProposalMayOverrideIt) {
    core->decision();
    EXPECT_STREQ(core->change_view_com.text, "(change_view narrow high)");
    TWithout_Ball *o = without_ball(0, 1.0f, 20);
    o->final.change_view = true;
    o->final.width = VW_WIDE;
    o->final.quality = VQ_LOW;
    core->decision();
    EXPECT_STREQ(core->change_view_com.text, "(change_view wide low)");
}

TEST_F(Decision, EveryThreeThousandCyclesThePlayerOnlyGoesHome) {
    without_ball(0, 1.0f, 20);
    core->cycle = 3000;
    core->decision();
    EXPECT_EQ(core->without_ball_objects[0]->stamp, 20);
    EXPECT_FALSE(core->action_is_update());
    EXPECT_FALSE(core->change_view_is_update());
    core->cycle = 0;
    core->decision();
    EXPECT_EQ(core->without_ball_objects[0]->stamp, -1);
}

TEST_F(Neck, WithoutANewSightTheNeckStays) {
    core->info_snapshot.sense.head_angle = 20;
    core->sector_scores[18] = 3;
    EXPECT_FLOAT_EQ(core->new_neck_theta(), 20);
    EXPECT_FLOAT_EQ(core->sector_scores[18], 3);
    see_now();   // a new sight, but the ball is unknown
    EXPECT_FLOAT_EQ(core->new_neck_theta(), 20);
    EXPECT_FLOAT_EQ(core->sector_scores[0], 15);
}

TEST_F(Neck, AttentionWeightsFollowTheBallZone) {
    float w[10];
    const int line = core->my_post() <= 5 ? 0 : core->my_post() <= 12 ? 1 : 2;
    const float own_third[3] = {0.6f, 0.35f, 0.5f};       // weight of (-30, 0)
    const float middle[3] = {0.2f, 0.35f, 0.1f};
    const float their_third[3] = {0.05f, 0.05f, 0.0f};
    place_ball(TPoint(-20, 0), 1.0f);
    core->fill_points_attention(w);
    EXPECT_FLOAT_EQ(w[3], own_third[line]);
    place_ball(TPoint(17.5, 0), 1.0f);
    core->fill_points_attention(w);
    EXPECT_FLOAT_EQ(w[3], their_third[line]);
    place_ball(TPoint(-20, 0), 0.1f);   // not known: the middle row
    core->fill_points_attention(w);
    EXPECT_FLOAT_EQ(w[3], middle[line]);
}

TEST_F(Neck, SectorsInViewAreResetAndTheOthersSink) {
    float w[10] = {};
    w[7] = 1.0f;   // only (50, 0) matters, straight ahead
    core->sector_scores[3] = -7;
    core->update_sector_scores(w);
    EXPECT_FLOAT_EQ(core->sector_scores[3], 15);    // 30 degrees: in view
    EXPECT_FLOAT_EQ(core->sector_scores[35], 15);   // -10 degrees
    EXPECT_NEAR(core->sector_scores[5], -0.2 * std::pow(0.5, 5), 1e-6);    // 50 degrees: just outside
    EXPECT_NEAR(core->sector_scores[18], -0.2 * std::pow(0.5, 18), 1e-9);  // behind me
    core->update_sector_scores(w);
    EXPECT_NEAR(core->sector_scores[5], -0.4 * std::pow(0.5, 5), 1e-6);
}

TEST_F(Neck, EqualWindowsGoToTheFirst) {
    // All scores equal: the first window, the one whose centre lies nearest to
    // the ball's direction + 5 less 40 degrees.
    EXPECT_FLOAT_EQ(core->best_window(3), -30);
    EXPECT_FLOAT_EQ(core->best_window(-4.9f), -40);
    EXPECT_FLOAT_EQ(core->best_window(-178), 150);
}

// The windows' centres run from the nearest sector to the ball's direction + 5
// less 40 degrees, nine of them.
TEST_F(Neck, TheWindowSeeksTheLongestUnseenDirectionsNearTheBall) {
    place_ball(TPoint(10, 0), 1.0f);
    see_now();
    for (int s = 5; s <= 8; ++s)
        core->sector_scores[s] = -100;   // 50 to 80 degrees left, unseen for long
    EXPECT_FLOAT_EQ(core->new_neck_theta(), 50);
    place_ball(TPoint(10, -3.057), 1.0f); // the ball 17 degrees right: the windows end at 30
    EXPECT_FLOAT_EQ(core->new_neck_theta(), 30);
}

TEST_F(Neck, PoorlyKnownBallInViewIsFollowed) {
    place_ball(TPoint(10, 5), 0.8f);
    see_now();
    EXPECT_NEAR(core->new_neck_theta(), 26.565, 1e-3);
    place_ball(TPoint(-10, 5), 0.8f);   // behind me: the window search instead
    EXPECT_LE(std::fabs(get_normal_angle_deg(core->new_neck_theta() - 153.43f)), 45);
}

TEST_F(Neck, TurnToScanFieldTurnsByTheViewLessTheOverlap) {
    EXPECT_EQ(core->turn_to_scan_field(), 1);
    EXPECT_STREQ(core->body_com.text, "(turn 85.0)");
    core->info.sense.view_width = VW_WIDE;
    core->turn_to_scan_field();
    EXPECT_STREQ(core->body_com.text, "(turn 175.0)");
}

TEST_F(Neck, AbsoluteNeckAnglesCountTheQueuedTurn) {
    core->world->me->body = 170;
    core->info_snapshot.sense.head_angle = 10;
    core->turn(20, true);   // the body ends at -170
    EXPECT_EQ(core->turn_neck_to_abs_ang_with_queued_actions(-120), 1);
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck 40.0)");
    EXPECT_TRUE(core->can_face_to_abs_ang_with_neck_after_actions(-65, 15));
    EXPECT_FALSE(core->can_face_to_abs_ang_with_neck_after_actions(-60, 15));
    EXPECT_TRUE(core->can_face_to_abs_ang_with_neck_after_actions(85, 15));   // across the wrap
}

TEST_F(Neck, BeforeAPassTheHeadGoesWhereItHasNotLookedLongest) {
    core->world->me->pos = TPoint(-40, 0);   // in front of our goal: 45, 0, -45
    core->world->head_history[0] = 0;   // looking straight ahead last cycle
    core->turn_neck_to_best_angle_for_pass();
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck 45.0)");   // 45 and -45 unseen: the first
}

TEST_F(Neck, OnTheWingThePassLooksSweepInwards) {
    core->world->me->pos = TPoint(0, 30);   // looks 0, -44, -88
    const float history[] = {0, -44, -88, 0, 0, 0, 0};
    std::copy(history, history + 7, core->world->head_history);
    core->turn_neck_to_best_angle_for_pass();
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck -88.0)");   // looked at two cycles ago
}

TEST_F(Neck, PassLooksOutOfTheNecksReachAreLeft) {
    core->world->me->pos = TPoint(-40, 0);
    core->world->me->body = 180;
    core->turn_neck_to_best_angle_for_pass();
    EXPECT_FALSE(core->turn_neck_is_update());
}

}  // namespace
