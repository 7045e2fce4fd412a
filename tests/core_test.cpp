// The agent core: command primitives and their slots, the per-cycle send, the
// decision that runs once per cycle and the send-moment prediction.

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

using namespace std::chrono_literals;

namespace {

class Counting_Core : public TCore {
public:
    void decision() override { ++decisions; }
    int decisions = 0;
};

class Core : public ::testing::Test {
protected:
    void SetUp() override {
        agent = make_agent<Counting_Core>(7);
        core->real_cycle = 10;
        core->game_stopped = false;
        core->info_snapshot.sense.stamina = 4000;
    }
    void TearDown() override { destroy_agent(); }
    Counting_Core *agent = nullptr;
};

TEST_F(Core, DashKeepsAStaminaReserve) {
    core->info_snapshot.sense.stamina = 1250;
    EXPECT_EQ(core->dash(100, false), 1);
    EXPECT_STREQ(core->body_com.text, "(dash 40.0)");
    EXPECT_EQ(core->dash(-100, false), 1);
    EXPECT_STREQ(core->body_com.text, "(dash -100.0)");
    core->info_snapshot.sense.stamina = 1000;
    EXPECT_EQ(core->dash(100, false), 3);
    EXPECT_FALSE(core->action_is_update());
}

// The shipped configuration plays by the current server: stamina tops out at
// 8000, so effort and recovery fall below 2400 and effort rises above 4800.
TEST_F(Core, ShippedConfigurationGivesTheCurrentServersThresholds) {
    std::string args[] = {"player", "-file", DATA_DIR "/agent.conf"};
    char *argv[] = {args[0].data(), args[1].data(), args[2].data(), nullptr};
    testing::internal::CaptureStdout();
    core->get_config(3, argv);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("illegal line"), std::string::npos) << out;
    EXPECT_FLOAT_EQ(core->effort_dec_stamina, 2400);
    EXPECT_FLOAT_EQ(core->recover_dec_stamina, 2400);
    EXPECT_FLOAT_EQ(core->effort_inc_stamina, 4800);
    EXPECT_FLOAT_EQ(core->player_speed_max, 1.05f);
    EXPECT_FLOAT_EQ(core->ball_speed_max, 3.0f);
    EXPECT_FLOAT_EQ(core->catchable_area_l, 1.2f);
    EXPECT_FLOAT_EQ(core->kick_rand, 0.1f);
    EXPECT_EQ(core->player_types, 18);
    EXPECT_FLOAT_EQ(core->kickable_area, 1.085f);
    // A dash leaves the stamina above the recovery threshold.
    core->info_snapshot.sense.stamina = 2500;
    EXPECT_EQ(core->dash(100, false), 1);
    EXPECT_STREQ(core->body_com.text, "(dash 90.0)");
}

TEST_F(Core, DashAndKickAreIgnoredWhileTheGameIsStopped) {
    core->dash(50, false);
    core->game_stopped = true;
    EXPECT_EQ(core->dash(60, false), 3);
    EXPECT_EQ(core->kick(60, 0, false), 3);
    EXPECT_STREQ(core->body_com.text, "(dash 50.0)");   // the queued dash stays
}

TEST_F(Core, TurnCompensatesInertiaAndRecordsTheEffectiveTurn) {
    core->world->me->vel_chance = 1.0f;
    core->info_snapshot.sense.speed = 0.5f;
    EXPECT_EQ(core->turn(90, false), 1);
    EXPECT_STREQ(core->body_com.text, "(turn 180.0)");
    EXPECT_NEAR(core->body_com.direction, 51.43, 0.01);
    EXPECT_EQ(core->body_com.type, BC_TURN);
}

TEST_F(Core, RejectedCallsEmptyTheSlot) {
    core->dash(50, false);
    EXPECT_EQ(core->turn(0, false), 3);
    EXPECT_FALSE(core->action_is_update());
    core->minmoment = -90;
    core->maxmoment = 90;
    core->dash(50, false);
    EXPECT_EQ(core->turn(120, false), 0);
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Core, KickDirectionIsSentNormalised) {
    EXPECT_EQ(core->kick(80, 190, false), 1);
    EXPECT_STREQ(core->body_com.text, "(kick 80.0 -170.0)");
    EXPECT_EQ(core->kick(0, 10, false), 3);
    core->catch_state = 1;   // our goalkeeper holds the ball: field players leave it
    EXPECT_EQ(core->kick(80, 10, false), 1);
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Core, TurnNeckIsNormalisedAndIgnoresTinyAngles) {
    EXPECT_EQ(core->turn_neck(0.5f, false), 3);
    EXPECT_EQ(core->turn_neck(200, false), 1);
    EXPECT_STREQ(core->turn_neck_com.text, "(turn_neck -160.0)");
    core->maxneckmoment = 90;
    EXPECT_EQ(core->turn_neck(120, false), 0);
    EXPECT_FALSE(core->turn_neck_is_update());
}

TEST_F(Core, ViewChangeToTheCurrentModeIsIgnored) {
    core->info_snapshot.sense.view_width = 90;
    core->info_snapshot.sense.view_quality = 1;
    EXPECT_EQ(core->change_view(VW_NORMAL, VQ_HIGH, false), 3);
    EXPECT_EQ(core->change_view(VW_WIDE, VQ_LOW, false), 1);
    EXPECT_STREQ(core->change_view_com.text, "(change_view wide low)");
}

TEST_F(Core, SendingLapsesMarksAndCountsTheSlots) {
    core->kick(50, 30, false);
    core->say("hello");
    core->turn_neck(40, false);
    core->decide_and_send_actions();
    EXPECT_EQ(agent->decisions, 1);
    EXPECT_EQ(core->body_com.time, kSentSlot);
    EXPECT_EQ(core->last_body_com.time, 10);
    EXPECT_EQ(core->kick_count, 1);
    EXPECT_EQ(core->say_count, 1);
    EXPECT_EQ(core->turn_neck_count, 1);
    EXPECT_EQ(core->kick_history[3].power, 50);
    EXPECT_EQ(core->kick_history[3].direction, 30);
    EXPECT_TRUE(core->an_action_sent());

    core->real_cycle = 11;
    core->dash(60, false);
    core->real_cycle = 12;   // not sent in its cycle: it lapses
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Core, TwoKicksInARowFillTheHistoryOldestFirst) {
    core->kick(50, 10, false);
    core->decide_and_send_actions();
    core->real_cycle = 11;
    core->kick(70, 20, false);
    core->decide_and_send_actions();
    EXPECT_EQ(core->kick_history[2].power, 50);
    EXPECT_EQ(core->kick_history[3].power, 70);
    EXPECT_EQ(core->kick_history[1].cycle, kEmptySlot);
}

TEST_F(Core, SeeIntervalFollowsTheViewMode) {
    core->info.sense.view_width = 90;
    core->info.sense.view_quality = 1;
    EXPECT_EQ(core->see_interval(), 150);
    core->info.sense.view_width = 45;
    EXPECT_EQ(core->see_interval(), 80);
    core->info.sense.view_width = 180;
    EXPECT_EQ(core->see_interval(), 300);
    core->info.sense.view_width = 90;
    core->info.sense.view_quality = 0;
    EXPECT_EQ(core->see_interval(), 80);
}

TEST_F(Core, AnyValueBeatsTheActionThreadWhileNoneRuns) {
    EXPECT_FALSE(core->is_action_thread());
    EXPECT_TRUE(core->better_than_thread(-1));
    core->action_thread_chance = 0.5f;
    EXPECT_TRUE(core->is_action_thread());
    EXPECT_TRUE(core->better_than_thread(0.56f));
    EXPECT_FALSE(core->better_than_thread(0.54f));   // not more than 0.05 above it
}

TEST_F(Core, OneDecisionPerRoundAndNoneAfterItCloses) {
    for (TWithout_Ball *&o : core->without_ball_objects)
        o = new TWithout_Ball();
    core->reset_objects();                    // the ball is not mine: the without-ball round
    core->without_ball_objects[0]->fill_final();
    core->without_ball_objects[1]->fill_final();
    EXPECT_EQ(agent->decisions, 0);           // the group is not complete yet
    core->without_ball_objects[2]->fill_final();
    EXPECT_EQ(agent->decisions, 1);
    core->without_ball_objects[2]->fill_final();
    EXPECT_EQ(agent->decisions, 1);           // a second completion in the same round

    // The next cycle's round: the last object publishes after the round closed.
    core->real_cycle = 11;
    core->world->update();
    core->reset_objects();
    core->without_ball_objects[0]->fill_final();
    core->without_ball_objects[1]->fill_final();
    core->close_round();
    core->without_ball_objects[2]->fill_final();
    EXPECT_EQ(agent->decisions, 1);
    const Late_Counts late = core->late_counts();
    EXPECT_EQ(late.assessments, 1);
    EXPECT_EQ(late.decisions, 1);
}

TEST_F(Core, PublishedChanceIsClamped) {
    TWithout_Ball object;
    object.work.chance = 1.7f;
    object.fill_final();
    EXPECT_EQ(object.final.chance, 1.0f);
    object.work.chance = -0.2f;
    object.fill_final();
    EXPECT_EQ(object.final.chance, 0.0f);
    EXPECT_EQ(object.stamp, 10);
}

// A without-ball object that publishes an empty proposal at once.
class Quick_Object : public TWithout_Ball {
public:
    void assess() override { fill_final(); }
};

// A without-ball object whose first assessment lasts 200 ms; it notes the
// world update it sees at the start and at the end of it.
class Slow_Object : public TWithout_Ball {
public:
    void assess() override {
        if (calls++ == 0) {
            seen_at_start = core->world->update_count;
            started = true;
            std::this_thread::sleep_for(200ms);
            seen_at_end = core->world->update_count;
            finished = true;
        }
        fill_final();
    }
    std::atomic<bool> started{false}, finished{false};
    int calls = 0, seen_at_start = -1, seen_at_end = -1;
};

// The moment to act has come: the timer step updates the world and starts a round.
void act_now() {
    core->msec = 1000;
    timing.num_senses = 3;
    timing.send_time = 1000;
    timer_step();
}

// Whether the two other without-ball objects have published in this cycle.
bool others_published() {
    pthread_mutex_lock(&core->action_mutex);
    const bool done = core->without_ball_objects[1]->stamp == core->real_cycle &&
                      core->without_ball_objects[2]->stamp == core->real_cycle;
    pthread_mutex_unlock(&core->action_mutex);
    return done;
}

TEST(Runtime, TheUpdateWaitsForALateWorker) {
    make_agent<TCore>(7);
    for (TWith_Ball *&o : core->with_ball_objects)
        o = new TWith_Ball();
    Slow_Object *slow = new Slow_Object();
    core->without_ball_objects[0] = slow;
    core->without_ball_objects[1] = new Quick_Object();
    core->without_ball_objects[2] = new Quick_Object();
    core->run_objects();

    act_now();
    for (int i = 0; i < 500 && !(slow->started && others_published()); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(slow->started);
    core->real_cycle = 1;                     // the next cycle's sense_body
    act_now();                                // its update waits for the slow assessment
    EXPECT_TRUE(slow->finished);
    EXPECT_EQ(slow->seen_at_start, slow->seen_at_end);
    core->bye();
    const Late_Counts late = core->late_counts();
    EXPECT_EQ(late.decisions, 1);             // the slow round closed undecided
    EXPECT_EQ(late.assessments, 1);           // and its last publication came too late
    destroy_agent();
}

TEST(CycleTiming, ActsFromTheThirdSenseAtTheTruncatedMoment) {
    Cycle_Timing t;
    t.on_sense_body(75);
    EXPECT_EQ(t.send_time, 0);                // no prediction from the first message
    t.on_sense_body(150);
    EXPECT_FALSE(t.act_now(1000));            // nor any action before the third
    t.on_sense_body(225);
    EXPECT_TRUE(t.act_now(1000));
    // 300 ms over 3 intervals: 300 / 5.4 = 55.5, truncated to 55 after the message.
    t.on_sense_body(300);
    EXPECT_EQ(t.send_time, 300 + 55);
    EXPECT_FALSE(t.act_now(354));
    EXPECT_TRUE(t.act_now(355));
    EXPECT_FALSE(t.act_now(360));             // once per cycle
}

}  // namespace
