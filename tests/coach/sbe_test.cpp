// The coach's behaviour model: a captured match replayed through the coach's
// parser, and hand-built scenes for shots, passes, dribbles and the grid.

#include "coach_scene.h"
#include "coach/sbe.h"
#include "coach/statistics.h"
#include "fixtures.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

const float kKickableArea = 1.085f;   // kickable margin + ball size + player size of the server

// A coach core, a world and a fresh model, as the globals hold them.
class SBETest : public Coach_Scene {
protected:
    void SetUp() override {
        Coach_Scene::SetUp();
        core->SP_kickable_area = kKickableArea;
        model = std::make_unique<TSBE>();
    }

    std::unique_ptr<TSBE> model;
};

// The captured match from the right-side coach of "Beta": "Alpha", the
// opponents, kick off, pass, dribble and score at cycle 106.
class SBEMatch : public SBETest {
protected:
    void SetUp() override {
        SBETest::SetUp();
        snprintf(core->team_name, TConfig::kTextSize, "%s", "Beta");
    }
    // Feeds messages as the SIGIO handler does, up to the see_global of the cycle.
    void replay_until(int last_cycle) {
        for (const std::string &line : fixture_lines("coach-match.txt")) {
            parser_.parse_message(line.c_str());
            if (inf->last_message == MT_SEE)
                model->update_behavior_model();
            if (line.rfind("(see_global ", 0) == 0 && core->cycle == last_cycle)
                return;
        }
    }
};

TEST_F(SBEMatch, KickOffPassChangesOwnership) {
    replay_until(28);
    Ball_State now = model->get_ball_state(0);
    EXPECT_EQ(now.mode, BM_THEIR);
    EXPECT_EQ(now.op_bowner, 6);
    Ball_State kick_off = model->get_ball_state(6);   // cycle 22: number 7 at the centre spot
    EXPECT_EQ(kick_off.cycle, 22);
    EXPECT_EQ(kick_off.op_bowner, 7);
    EXPECT_EQ(model->get_ball_state(7).mode, BM_ALONE);
    EXPECT_EQ(model->their_team.pass_count(), 1);
    EXPECT_EQ(model->their_team.success_pass_count(), 1);
    const Pass_Info *pass = model->op[7].get_success_pass(0);
    ASSERT_NE(pass, nullptr);
    EXPECT_EQ(pass->get_receiver_uniform(), 6);
    EXPECT_EQ(pass->target, PTI_OPP);
    EXPECT_EQ(model->their_team.kickabled(), 2);
    EXPECT_EQ(model->our_team.kickabled(), 0);
}

TEST_F(SBEMatch, GoalOfNumberNineAndTheTeamsCounters) {
    replay_until(-1);   // the whole capture
    const Team_Info &them = model->their_team;
    EXPECT_EQ(them.goaled_shoot_count(), 1);
    EXPECT_EQ(them.pass_count(), 2);
    EXPECT_EQ(them.success_pass_count(), 2);
    EXPECT_EQ(them.dribble_count(), 2);       // number 9 ran with the ball twice
    EXPECT_EQ(them.kickabled(), 7);
    EXPECT_EQ(them.kickabled_w_kick(), 7);
    EXPECT_EQ(them.cycles_have_ball(), 10);
    EXPECT_EQ(model->op[9].get_dribble_count(), 2);
    ASSERT_EQ(model->op[9].get_shoot_count(), 2);
    const Shoot_Info *goal = model->op[9].get_shoot(1);
    EXPECT_EQ(goal->target, STI_GOALED);
    EXPECT_NEAR(goal->get_start_point().X, 45.6, 0.01);
    EXPECT_NEAR(goal->get_start_point().Y, -13.09, 0.01);
    EXPECT_EQ(goal->start_grid.get_grid_index(), 36);   // column 9, row 4
    EXPECT_NEAR(goal->start_grid.get_grid_point().X, 45.6, 0.01);
    EXPECT_EQ(model->our_team.pass_count(), 0);
    EXPECT_EQ(model->our_team.goaled_shoot_count(), 0);

    // The end-of-run statistics: our team (all 0), a rule, then theirs.
    const std::vector<Statistics_Line> lines = end_of_run_statistics(*model);
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_STREQ(lines[0].label, "Logging SBE information...");
    EXPECT_STREQ(lines[1].label, "Teammates:");
    EXPECT_STREQ(lines[13].label, "Average cycles hold ball      :");
    EXPECT_FLOAT_EQ(lines[13].value, 0);   // no kick: no average
    EXPECT_STREQ(lines[14].label, "---------------------------------");
    EXPECT_EQ(lines[14].kind, Statistics_Line::label_only);
    EXPECT_STREQ(lines[15].label, "Opponents:");
    EXPECT_STREQ(lines[17].label, "  Success_pass_count:");
    EXPECT_EQ(lines[17].count, 2);
    EXPECT_STREQ(lines[26].label, "Percent of kickable detection:");
    EXPECT_FLOAT_EQ(lines[26].value, 100);
    EXPECT_STREQ(lines[27].label, "Average cycles hold ball     :");
    EXPECT_EQ(lines[27].kind, Statistics_Line::ratio);
    EXPECT_FLOAT_EQ(lines[27].value, 10.0f / 7);   // cycles with the ball per kickable spell
}

// Hand-built scenes: our side is left, open play, one update per step.
class SBEScene : public SBETest {
protected:
    void SetUp() override {
        SBETest::SetUp();
        inf->side = TS_LEFT;
        inf->play_mode = play_on;
    }
    void put(World_Player_Info *team, int unum, TPoint pos) {
        team[unum].in_field = true;
        team[unum].pos = pos;
    }
    void step(TPoint ball, TPoint vel) {
        core->cycle++;
        inf->ball.pos = ball;
        inf->ball.vel = vel;
        model->update_behavior_model();
    }
    // Our number 9 holds the ball at (30, 0) and shoots along the X axis.
    void our_nine_shoots() {
        put(inf->teammate_players, 9, TPoint(30, 0));
        step(TPoint(30, 0), TPoint(0, 0));
        step(TPoint(31.5, 0), TPoint(2.5, 0));
    }
    // Our number 7 at the centre passes up the Y axis.
    void our_seven_passes() {
        put(inf->teammate_players, 7, TPoint(0, 0));
        step(TPoint(0, 0), TPoint(0, 0));
        step(TPoint(0, 1.2), TPoint(0, 1));
    }
};

TEST_F(SBEScene, ShotIsSavedAndEndsInAGoal) {
    our_nine_shoots();
    ASSERT_TRUE(model->is_shoot_incomplete);
    EXPECT_EQ(model->last_shoot_direction, 1);
    ASSERT_EQ(model->tp[9].get_shoot_count(), 1);
    EXPECT_EQ(model->tp[9].get_shoot(0)->get_start_point(), TPoint(30, 0));
    EXPECT_FALSE(model->is_pass_incomplete);

    inf->event = goal_l;
    inf->play_mode = stopped;
    step(TPoint(53, 0), TPoint(0, 0));
    EXPECT_FALSE(model->is_shoot_incomplete);
    EXPECT_EQ(model->tp[9].get_shoot(0)->target, STI_GOALED);
    EXPECT_EQ(model->tp[9].get_shoot(0)->get_end_point(), TPoint(53, 0));
    EXPECT_EQ(model->our_team.goaled_shoot_count(), 1);
}

TEST_F(SBEScene, ShotCaughtByTheirGoalie) {
    inf->their_goalie_uniform = 1;
    our_nine_shoots();
    put(inf->opponent_players, 1, TPoint(34, 0));
    step(TPoint(34, 0), TPoint(2.35, 0));
    EXPECT_EQ(model->tp[9].get_shoot(0)->target, STI_CAUGHT);
    EXPECT_EQ(model->our_team.caught_shoot_count(), 1);
}

TEST_F(SBEScene, ShotTakenOnByATeammateBecomesASuccessfulPass) {
    our_nine_shoots();
    put(inf->teammate_players, 10, TPoint(34.5, 0));
    step(TPoint(34, 0), TPoint(2.35, 0));   // arrives untouched: still a shot
    EXPECT_TRUE(model->is_shoot_incomplete);
    step(TPoint(34.8, 0.3), TPoint(0.8, 0.3));   // number 10 kicks it on
    EXPECT_FALSE(model->is_shoot_incomplete);
    EXPECT_EQ(model->tp[9].get_shoot_count(), 0);
    ASSERT_EQ(model->tp[9].get_sent_passes_count(), 1);
    const Pass_Info *pass = model->tp[9].get_sent_pass(0);
    EXPECT_EQ(pass->get_receiver_uniform(), 10);
    EXPECT_EQ(pass->target, PTI_TM);
    EXPECT_EQ(pass->get_start_point(), TPoint(30, 0));
    EXPECT_EQ(model->tp[9].get_success_passes_count(), 1);
    EXPECT_EQ(model->our_team.pass_count(), 1);
    EXPECT_EQ(model->our_team.success_pass_count(), 1);
}

TEST_F(SBEScene, ShotTakenOnByAnOpponentCountsForThemWithoutSuccess) {
    our_nine_shoots();
    put(inf->opponent_players, 4, TPoint(34.5, 0));
    step(TPoint(34, 0), TPoint(2.35, 0));
    step(TPoint(34.8, 0.3), TPoint(0.8, 0.3));
    EXPECT_EQ(model->tp[9].get_sent_pass(0)->target, PTI_OPP);
    EXPECT_EQ(model->their_team.pass_count(), 1);
    EXPECT_EQ(model->their_team.success_pass_count(), 0);
    EXPECT_EQ(model->our_team.pass_count(), 0);
    EXPECT_EQ(model->tp[9].get_success_passes_count(), 0);
}

TEST_F(SBEScene, PassReceivedByATeammate) {
    our_seven_passes();
    ASSERT_TRUE(model->is_pass_incomplete);
    put(inf->teammate_players, 8, TPoint(0, 2));
    step(TPoint(0, 2.14), TPoint(0, 0.94));
    EXPECT_FALSE(model->is_pass_incomplete);
    const Pass_Info *pass = model->tp[7].get_success_pass(0);
    ASSERT_NE(pass, nullptr);
    EXPECT_EQ(pass->get_receiver_uniform(), 8);
    EXPECT_EQ(pass->target, PTI_TM);
    EXPECT_EQ(model->our_team.pass_count(), 1);
    EXPECT_EQ(model->our_team.success_pass_count(), 1);
}

TEST_F(SBEScene, PassBackToThePasserIsADribble) {
    our_seven_passes();
    put(inf->teammate_players, 7, TPoint(0, 2));
    step(TPoint(0, 2.14), TPoint(0, 0.94));
    EXPECT_EQ(model->our_team.dribble_count(), 1);
    EXPECT_EQ(model->our_team.pass_count(), 0);
    EXPECT_EQ(model->tp[7].get_sent_passes_count(), 0);
    ASSERT_EQ(model->tp[7].get_dribble_count(), 1);
    EXPECT_EQ(model->tp[7].get_dribble(0)->time, 3);
    EXPECT_EQ(model->tp[7].get_dribble(0)->get_end_point(), TPoint(0, 2.14));
}

TEST_F(SBEScene, PassEndedByEitherGoalieCatchIsCaught) {
    for (Play_Event catcher : {goalie_catch_ball_l, goalie_catch_ball_r}) {
        SetUp();
        our_seven_passes();
        inf->play_mode = free_kick_r;
        inf->event = catcher;
        step(TPoint(0, 2.14), TPoint(0, 0));
        EXPECT_FALSE(model->is_pass_incomplete);
        EXPECT_EQ(model->tp[7].get_sent_pass(0)->target, PTI_CAUGHT);
        EXPECT_EQ(model->our_team.pass_count(), 1);
    }
}

TEST_F(SBEScene, OwnersAndKickableCounters) {
    put(inf->teammate_players, 5, TPoint(0.5, 0));
    put(inf->teammate_players, 3, TPoint(-0.5, 0));
    step(TPoint(0, 0), TPoint(0, 0));
    EXPECT_EQ(model->ball[0].mode, BM_OUR);
    EXPECT_EQ(model->ball[0].tp_bowner, 3);   // the lower number of two holders
    put(inf->opponent_players, 2, TPoint(0, 0.5));
    step(TPoint(0, 0), TPoint(0, 0));
    EXPECT_EQ(model->ball[0].mode, BM_BOTH);
    EXPECT_EQ(model->ball[0].op_bowner, 2);
    EXPECT_EQ(model->our_team.kickabled(), 1);   // counted on the change into our hands only

    // Two kicks within one holding count once.
    inf->opponent_players[2].in_field = false;
    step(TPoint(0, 0), TPoint(0, 0));
    step(TPoint(0, 0), TPoint(0.05, 0));
    step(TPoint(0, 0), TPoint(0, 0.05));
    EXPECT_EQ(model->our_team.kickabled(), 2);
    EXPECT_EQ(model->our_team.kickabled_w_kick(), 1);
}

TEST_F(SBEScene, FirstSeeCountsAMovingBallAsKicked) {
    step(TPoint(10, 0), TPoint(0.5, 0));
    EXPECT_TRUE(model->is_ball_kicked());
    step(TPoint(10.5, 0), TPoint(0.47, 0));   // decayed as expected
    EXPECT_FALSE(model->is_ball_kicked());
}

TEST_F(SBEScene, SecondTriggerInOneCycleIsSkipped) {
    step(TPoint(1, 0), TPoint(0, 0));
    model->update_behavior_model();
    EXPECT_EQ(model->get_ball_state(1).empty_struct, true);
    EXPECT_EQ(model->get_ball_state(50).cycle, 0);   // outside the history: a fresh state
    EXPECT_TRUE(model->get_ball_state(-1).empty_struct);
}

TEST_F(SBEScene, UnusableBallMotionEndsTheGoalSearch) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    step(TPoint(0, 0), TPoint(nan, 0));
    EXPECT_EQ(model->can_ball_reach_goal_with_buffer(34, 5.5f), 0);
    step(TPoint(nan, 0), TPoint(2, 0));
    EXPECT_EQ(model->can_ball_reach_goal_with_buffer(34, 5.5f), 0);
    core->SP_ball_decay = 1;   // a ball that never slows still ends at an end or a side
    step(TPoint(0, 0), TPoint(0.2, 0.0001));
    EXPECT_EQ(model->can_ball_reach_goal_with_buffer(34, 5.5f), 1);
}

TEST(SBEGrid, DefaultCellsOnTheStandardField) {
    TCore c(nullptr);
    core = &c;
    TSBEGrid grid(12, 5);
    EXPECT_EQ(grid.snap_to_grid(0, 0), 59);          // column 5, row 7 of 9 columns
    EXPECT_EQ(grid.get_grid_point(), TPoint(0, 0));
    EXPECT_EQ(grid.snap_to_grid(-52.5, -34), -9);    // column 0, row 0
    EXPECT_EQ(grid.snap_to_grid(1e300, 1e300), 126); // clamped to the far corner: column 9, row 14
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(grid.snap_to_grid(nan, -INFINITY), -9);
    TSBEGrid empty(0, 0);                            // a zero cell is taken as one metre
    EXPECT_EQ(empty.get_grid_coordinates(), TPoint(1, 1));
    core = nullptr;
}

TEST(SBECollection, FullListReusesItsOldestRecordAndRemovesByIdentity) {
    TCore c(nullptr);
    core = &c;
    auto player = std::make_unique<Player_Info>();
    const int extra = 44;
    for (int i = 0; i < Shoot_Collection::kCapacity + extra; i++)
        player->add_shoot()->set_shooter_uniform(i);
    EXPECT_EQ(player->get_shoot_count(), Shoot_Collection::kCapacity);
    EXPECT_EQ(player->get_shoot(0)->get_shooter_uniform(), extra);
    EXPECT_EQ(player->get_shoot(Shoot_Collection::kCapacity), nullptr);

    Pass_Info *first = player->add_sent_pass();
    Pass_Info *second = player->add_sent_pass();
    second->set_receiver_uniform(4);
    player->delete_sent_pass(first);
    ASSERT_EQ(player->get_sent_passes_count(), 1);
    EXPECT_EQ(player->get_sent_pass(0), second);   // the later one stays where it was
    EXPECT_EQ(second->get_receiver_uniform(), 4);
    core = nullptr;
}

}  // namespace
