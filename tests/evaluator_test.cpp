// The with-ball evaluator: its file, the decency steps and the outcome rules
// that judge a pass, a shot and a dribble from who gets the ball afterwards.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/skills/llwb_eval1.h"

namespace {

void write_file(const char *name, const std::string &text) {
    FILE *f = fopen(name, "w");
    ASSERT_NE(f, nullptr);
    fputs(text.c_str(), f);
    fclose(f);
}

// Me (number 5) with the ball at (0, 0); betha 0.2; four assessors of decency
// 0.7 with change rates 2 (normal) and 4 (semi).
class Evaluator : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(5);
        core->cycle = 100;
        write_file("eval.conf", "# learning rate\nbetha 0.2\n");
        snprintf(core->eval_conf, sizeof core->eval_conf, "eval.conf");
        eval = new TLow_Level_With_Ball_Evaluator();
        for (TWith_Ball &o : objects) {
            o.set_ID(eval->add_assessor(&o));
            o.set_decency(0.7f);
            o.set_normal_change_rate(2);
            o.set_semi_change_rate(4);
        }
        place(core->world->me, 0, 0);
        core->world->ball.pos = TPoint(0, 0);
    }
    void TearDown() override {
        delete eval;
        destroy_agent();
    }

    static void place(TPlayer *p, double x, double y) {
        p->pos = TPoint(x, y);
        p->pos_chance = 1;
    }
    void act(int behave, float chance, int id = 0) {
        Ball_Behavior_Info action;
        action.behave = behave;
        action.chance = chance;
        ASSERT_EQ(eval->evaluate(id, &action), 0);
        eval->update();   // the ball is still at my feet
    }
    // The ball rolls to (10, 0), where it stays; the given players stand beside it.
    void ball_reaches(bool teammate, bool opponent) {
        core->world->ball.pos = TPoint(10, 0);
        if (teammate)
            place(&core->world->teammates[7], 10.3, 0);
        if (opponent)
            place(&core->world->opponents[4], 9.8, 0);
    }
    void next_cycles(int n) {
        for (int i = 0; i < n; i++) {
            ++core->cycle;
            eval->update();
        }
    }

    TWith_Ball objects[4];
    TLow_Level_With_Ball_Evaluator *eval = nullptr;
};

TEST_F(Evaluator, FileGivesBethaAndLongLinesAreDroppedWhole) {
    EXPECT_FLOAT_EQ(eval->betha, 0.2f);
    // A 100-character comment line whose tail would read "betha 0.9", then non-rates.
    write_file("long.conf", "betha 0.3\n#" + std::string(99, 'x') + "betha 0.9\nbetha nan\nbetha -1\n\n");
    EXPECT_TRUE(eval->load_config("long.conf"));
    EXPECT_FLOAT_EQ(eval->betha, 0.3f);
}

TEST_F(Evaluator, MissingFileMeansNoLearning) {
    snprintf(core->eval_conf, sizeof core->eval_conf, "no-such-file.conf");
    TLow_Level_With_Ball_Evaluator blind;
    EXPECT_FALSE(blind.load_config("no-such-file.conf"));
    EXPECT_FLOAT_EQ(blind.betha, 0);
    TWith_Ball passer;
    passer.set_decency(0.7f);
    passer.set_normal_change_rate(2);
    blind.add_assessor(&passer);
    Ball_Behavior_Info pass;
    pass.chance = 0.6f;
    ASSERT_EQ(blind.evaluate(0, &pass), 0);
    ball_reaches(true, false);
    blind.update();
    EXPECT_FALSE(blind.unevaluated());
    EXPECT_FLOAT_EQ(passer.decency(), 0.7f);
}

TEST(EvaluatorFiles, ShippedConfigurationNamesTheShippedFile) {
    make_agent<TCore>(2, true);
    char program[] = "player", file_option[] = "-file", file[] = DATA_DIR "/agent.conf";
    char *argv[] = {program, file_option, file};
    core->get_config(3, argv);
    TWith_Ball_Evaluator evaluator;
    EXPECT_GT(evaluator.betha, 0);
    EXPECT_LE(evaluator.betha, 1);
    destroy_agent();
}

TEST_F(Evaluator, RegistryAndBadActions) {
    TWith_Ball fifth;
    EXPECT_EQ(eval->add_assessor(&fifth), -1);
    Ball_Behavior_Info action;
    EXPECT_EQ(eval->evaluate(4, &action), 1);
    EXPECT_EQ(eval->evaluate(-1, &action), 1);
    action.behave = 5;
    EXPECT_EQ(eval->evaluate(0, &action), 2);
    action.behave = 0;
    action.no_ball_action = true;
    EXPECT_EQ(eval->evaluate(0, &action), 2);
    eval->update();
    EXPECT_FALSE(eval->unevaluated());
}

TEST_F(Evaluator, DecencyStaysWithinZeroAndOne) {
    eval->betha = 5;   // a step of 2.5 * x
    eval->full_increase_decency(&objects[0], 1);
    EXPECT_FLOAT_EQ(objects[0].decency(), 1);
    eval->full_decrease_decency(&objects[1], 1);
    EXPECT_FLOAT_EQ(objects[1].decency(), 0);
    objects[2].set_normal_change_rate(0);   // no rate: no step
    eval->full_increase_decency(&objects[2], 1);
    EXPECT_FLOAT_EQ(objects[2].decency(), 0.7f);
}

// ---- pass ----

TEST_F(Evaluator, PassThatReachesATeammateRaisesThePasser) {
    act(0, 0.6f);
    EXPECT_TRUE(eval->unevaluated());
    EXPECT_FLOAT_EQ(objects[0].decency(), 0.7f);   // nothing judged while the ball is at my feet
    ball_reaches(true, false);
    eval->update();
    EXPECT_FLOAT_EQ(objects[0].decency(), 0.7f + 0.3f * 0.1f * 0.6f);   // 0.718
    EXPECT_FALSE(eval->unevaluated());
}

TEST_F(Evaluator, PassInterceptedLowersThePasser) {
    act(0, 0.6f);
    ball_reaches(false, true);
    eval->update();
    EXPECT_FLOAT_EQ(objects[0].decency(), 0.7f - 0.1f * 0.7f * 0.6f);   // 0.658
}

TEST_F(Evaluator, OwnOffsideIsTakenByOurFieldSide) {
    core->info_snapshot.side = 'r';
    act(0, 0.6f);
    ball_reaches(false, true);
    core->info_snapshot.event = EV_OFFSIDE_LEFT;    // theirs: the interception counts
    eval->update();
    EXPECT_FLOAT_EQ(objects[0].decency(), 0.658f);
    core->world->ball.pos = TPoint(0, 0);
    act(0, 0.6f);
    core->world->ball.pos = TPoint(10, 0);          // the opponent takes it again
    core->info_snapshot.event = EV_OFFSIDE_RIGHT;   // ours: no judgement
    eval->update();
    EXPECT_FALSE(eval->unevaluated());
    EXPECT_FLOAT_EQ(objects[0].decency(), 0.658f);
}

// ---- shot ----

TEST_F(Evaluator, ShotScoredRaisesAndShotCaughtLowersTheShooter) {
    act(3, 0.5f, 1);
    core->world->ball.pos = TPoint(50, 0);
    core->info_snapshot.event = EV_GOAL_BY_US;
    eval->update();
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.7f + 0.3f * 0.1f * 0.5f);   // 0.715
    core->info_snapshot.event = EV_NONE;
    core->world->ball.pos = TPoint(0, 0);
    act(3, 0.5f, 1);
    core->world->ball.pos = TPoint(50, 0);
    core->catch_state = 2;
    eval->update();
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.715f - 0.1f * 0.715f * 0.5f);
}

TEST_F(Evaluator, InterceptedShotIsPunishedOnceAfterMoreThanTenCycles) {
    act(3, 0.5f, 1);
    ball_reaches(false, true);
    eval->update();   // cycle 100: the punishment waits
    EXPECT_TRUE(eval->punish_pending());
    next_cycles(10);  // cycle 110
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.7f);
    next_cycles(1);   // cycle 111
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.7f - 0.1f * 0.7f * 0.5f);   // 0.665
    EXPECT_FALSE(eval->unevaluated());
    next_cycles(30);
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.665f);
}

TEST_F(Evaluator, InterceptedShotScoredWithinTenCyclesOnlyRaises) {
    act(3, 0.5f, 1);
    ball_reaches(false, true);
    eval->update();
    next_cycles(5);
    core->info_snapshot.event = EV_GOAL_BY_US;
    next_cycles(1);
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.715f);
    EXPECT_FALSE(eval->punish_pending());
}

TEST_F(Evaluator, NewActionCancelsTheWaitingPunishment) {
    act(3, 0.5f, 1);
    ball_reaches(false, true);
    eval->update();
    core->world->ball.pos = TPoint(0, 0);   // the ball is mine again
    core->world->opponents[4].pos_chance = 0;
    act(3, 0.5f, 1);                         // and I shoot again
    core->world->ball.pos = TPoint(30, 0);   // the new shot rolls on, untouched
    next_cycles(20);
    EXPECT_FALSE(eval->punish_pending());
    EXPECT_FLOAT_EQ(objects[1].decency(), 0.7f);
}

// ---- dribble ----

TEST_F(Evaluator, DribbleBackAtMyFeetRaisesOnlyWhenSomethingBetterOpened) {
    objects[0].final.chance = 0.5f;        // second best at hand-over: 0.7 * 0.5 = 0.35
    act(2, 0.4f, 3);
    core->world->ball.pos = TPoint(2, 0);  // a touch ahead
    eval->update();
    core->world->ball.pos = TPoint(0, 0);  // and back at my feet
    objects[1].final.chance = 0.4f;        // 0.28: nothing better than before
    eval->update();
    EXPECT_FALSE(eval->unevaluated());
    EXPECT_FLOAT_EQ(objects[3].decency(), 0.7f);

    act(2, 0.4f, 3);
    core->world->ball.pos = TPoint(2, 0);
    eval->update();
    core->world->ball.pos = TPoint(0, 0);
    objects[1].final.chance = 0.9f;        // 0.63 > 0.35
    eval->update();
    EXPECT_FLOAT_EQ(objects[3].decency(), 0.7f + 0.3f * 0.1f * 0.4f);
}

}  // namespace
