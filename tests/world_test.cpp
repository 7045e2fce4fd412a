// The world model's update: self-localisation from real see messages of both
// sides, ball and player tracking, confidence decay, the per-cycle bookkeeping
// (collisions, ball holder, kick-off ball, recovery) and hostile input.

#include "player/world/world.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/transfer.h"
#include "fixtures.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "standin/child_process.h"

namespace {

const char kLeft[] = "player-left-match.txt";
const char kRight[] = "player-right-match.txt";

class World : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir(make_work_dir().c_str()), 0);
        net = new TTransfer();
        parser = new TParser();
        core = new TCore();
        snprintf(core->team_name, sizeof core->team_name, "Alpha");
        core->world = world = new TWorld_Model();
        be_player(11);
        core->real_cycle = 100;
    }
    void TearDown() override {
        delete core->world;
        delete core;
        delete parser;
        delete net;
        core = nullptr;
    }

    void be_player(int unum) {
        me = world->me = &world->teammates[unum];
        core->info.unum = core->info_snapshot.unum = unum;
    }
    static void parse(const std::string &text) {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        parser->parse_message(buffer.data());
    }
    // One cycle: the messages arrive, then the timer ticks and the model updates.
    void step(int game_cycle, std::initializer_list<std::string> messages) {
        core->cycle = game_cycle;
        for (const std::string &m : messages)
            parse(m);
        ++core->real_cycle;
        world->update();
    }
    // A player of the captured match, the game running.
    void join(const char *file, const char *init) {
        parse(fixture_line(file, init));
        be_player(core->info.unum);
        core->game_stopped = false;
    }
    // I stand at (0, 0) facing +x, surely known, at game cycle c.
    void stand_at_origin(int c) {
        core->cycle = c;
        core->game_stopped = false;
        me->pos = TPoint(0, 0);
        me->pos_chance = 1.0f;
        me->pos_cycle = me->vel_cycle = c;
    }
    void know_ball(TPoint pos, TPoint vel, int c) {
        world->ball.pos = pos;
        world->ball.vel = vel;
        world->ball.pos_chance = world->ball.vel_chance = 1.0f;
        world->ball.pos_cycle = world->ball.vel_cycle = c;
    }
    const TFlag *landmark(const char *text) const {
        for (const TFlag &f : world->flags)
            if (strcmp(f.text, text) == 0)
                return &f;
        return nullptr;
    }

    TWorld_Model *world = nullptr;
    TPlayer *me = nullptr;
};

// ---- localisation ----

TEST_F(World, LocalisesFromTheRightLineAndTheCentreFlag) {
    join(kLeft, "(init l 11");
    const std::string see = fixture_line(kLeft, "(see 0 ((f c) 22.4 27");
    ASSERT_NE(see.find("((l r) 72.2 90)"), std::string::npos);
    step(0, {see});

    // The right line square ahead: head 0. The centre flag, 22.4 m at 27 degrees, is the nearest.
    EXPECT_NEAR(me->head, 0, 0.01);
    EXPECT_NEAR(me->body, 0, 0.01);
    EXPECT_NEAR(me->pos.X, -19.96, 0.01);
    EXPECT_NEAR(me->pos.Y, -10.17, 0.01);
    EXPECT_LT(me->pos.dist(TPoint(-20.22, -9.54)), 1.0);   // what (f r 0) 78.3 m at 7 degrees says
    EXPECT_FLOAT_EQ(me->pos_chance, 1.0f);
    EXPECT_TRUE(world->know_my_pos());

    EXPECT_NEAR(world->ball.pos.X, -0.18, 0.01);   // 22.2 m at 27 degrees: the centre spot
    EXPECT_NEAR(world->ball.pos.Y, -0.09, 0.01);
    const TPlayer &mate = world->teammates[9];     // "Alpha" 9, 5 m straight ahead
    EXPECT_NEAR(mate.pos.X, -14.96, 0.01);
    EXPECT_NEAR(mate.pos.Y, -10.17, 0.01);
    EXPECT_STREQ(mate.team, "Alpha");
    EXPECT_EQ(world->opponents_without_number, 1);  // "Beta" without number, 40.4 m at 14 degrees
    const TPlayer &other = world->opponents[12];
    EXPECT_NEAR(other.pos.X, 19.24, 0.01);
    EXPECT_NEAR(other.pos.Y, -0.40, 0.01);
    EXPECT_FLOAT_EQ(other.seen_dist, 40.4f);
    EXPECT_EQ(other.seen_cycle, core->real_cycle);
    EXPECT_STREQ(other.team, "Beta");
}

TEST_F(World, RightPlayerLocalisesInTheMirroredFrame) {
    join(kRight, "(init r 1");
    step(0, {fixture_line(kRight, "(see 0 ((f g r b) 33.1 12 0 0)")});
    // Facing the right goal: (l r) reads as our left line, (f p r c) 16 m ahead as (-36, 0).
    EXPECT_NEAR(std::fabs(me->head), 180, 0.01);
    EXPECT_NEAR(me->pos.X, -20, 0.01);
    EXPECT_NEAR(me->pos.Y, 0, 0.01);
}

TEST_F(World, TopLineAndNeckDuringPlay) {
    join(kLeft, "(init l 11");
    step(32, {fixture_line(kLeft, "(sense_body 32 "), fixture_line(kLeft, "(see 32 ")});
    // (l t) 51.4 at 28: head -28; the sense_body neck -29 gives body 1. Nearest: (f t l 10) 30.9 at -42.
    EXPECT_NEAR(me->head, -28, 0.01);
    EXPECT_NEAR(me->neck, -29, 0.01);
    EXPECT_NEAR(me->body, 1, 0.01);
    EXPECT_NEAR(me->pos.X, -20.57, 0.01);
    EXPECT_NEAR(me->pos.Y, -9.96, 0.01);
    EXPECT_LT(me->pos.dist(TPoint(-20.67, -10.23)), 1.0);   // (f c t) 31.5 at -49 agrees
}

TEST_F(World, TheLastFlagIsNotMarkedButMayStillPlaceMe) {
    stand_at_origin(5);
    step(5, {"(see 5 ((f c) 30 0) ((f r 0) 50 0) ((f p r c) 10 0) ((l r) 20 90))"});
    EXPECT_NEAR(me->pos.X, 26, 1e-6);   // 10 m before the penalty-area flag at (36, 0)
    EXPECT_TRUE(landmark("(flag c)")->seen);
    EXPECT_FALSE(landmark("(flag p r c)")->seen);
    EXPECT_NEAR(landmark("(flag g r b)")->pos.Y, 7.01, 1e-6);
    EXPECT_NEAR(landmark("(flag b l 40)")->pos.X, -40, 1e-6);
    EXPECT_NEAR(landmark("(goal l)")->pos.X, -52.5, 1e-6);
}

TEST_F(World, FlagPairNearestToARightAngle) {
    stand_at_origin(5);
    step(5, {"(see 5 ((f c) 30 0) ((f r 0) 50 40) ((f p r c) 10 85) ((l r) 20 90))"});
    Flag_Info first, second, none;
    ASSERT_EQ(world->get_flags(&first, &second, none), 0);
    EXPECT_EQ(first.pos, TPoint(0, 0));        // 0 and 85 degrees: 5 off a right angle
    EXPECT_EQ(second.pos, TPoint(36, 0));
    ASSERT_EQ(world->get_flags(&first, &second, second), 0);   // without the penalty flag
    EXPECT_EQ(second.pos, TPoint(57.5, 0));
    ASSERT_TRUE(world->fill_flag(2));                            // the seen record itself
    EXPECT_EQ(core->info_snapshot.see.flags[2].pos, TPoint(36, 0));
    EXPECT_FALSE(world->fill_flag(3));
    step(6, {"(see 6 ((f c) 30 0) ((l r) 20 90))"});
    EXPECT_EQ(world->get_flags(&first, &second, none), -1);
}

TEST_F(World, DeadReckoningTakesOnlyLastCyclesCommands) {
    stand_at_origin(9);
    me->vel = TPoint(0.2, 0);
    me->vel_chance = 1.0f;
    core->info.sense.effort = 1.0f;
    core->last_body_com.type = BC_DASH;
    core->last_body_com.power = 100;
    core->last_body_com.time = core->real_cycle;
    step(10, {});
    EXPECT_NEAR(me->pos.X, 0.8, 1e-6);   // 0.2 carried on and 100 x 0.006 from the dash
    EXPECT_FLOAT_EQ(me->pos_chance, 0.92f);

    core->last_body_com.type = BC_TURN;
    core->last_body_com.direction = 30;
    core->last_body_com.time = core->real_cycle;
    step(11, {});
    EXPECT_NEAR(me->body, 30, 1e-4);
    step(12, {});   // no command since: the old turn does not act again
    EXPECT_NEAR(me->body, 30, 1e-4);
    EXPECT_NEAR(me->pos_chance, 0.92 * 0.92 * 0.92, 1e-6);
}

// ---- ball and players ----

TEST_F(World, BallVelocityFromTheDistanceAndDirectionChanges) {
    join(kLeft, "(init l 11");
    step(32, {fixture_line(kLeft, "(sense_body 32 "), fixture_line(kLeft, "(see 32 ")});
    step(33, {fixture_line(kLeft, "(sense_body 33 ")});
    core->last_body_com.type = BC_TURN;   // the turn of cycle 33 faces me to -4
    core->last_body_com.direction = 24;
    core->last_body_com.time = core->real_cycle;
    step(34, {fixture_line(kLeft, "(sense_body 34 "), fixture_line(kLeft, "(see 34 ")});
    ASSERT_NEAR(me->head, -4, 0.01);   // (l r) 73 at -86

    // (b) 20.1 3 0.402 -4.8: radial 0.402, across 20.1 x -4.8 degrees, turned by -4, plus my 0.04.
    const TBall &ball = world->ball;
    EXPECT_NEAR(ball.vel.X, 0.4125, 0.001);
    EXPECT_NEAR(ball.vel.Y, -1.6914, 0.001);
    EXPECT_FLOAT_EQ(ball.vel_chance, 1.0f);
    EXPECT_EQ(ball.vel_cycle, 34);
    const TPlayer &mate = world->teammates[2];   // "Alpha" 2 6.7 42 -0.268 -2.3
    EXPECT_NEAR(mate.vel.X, -0.0056, 0.001);
    EXPECT_NEAR(mate.vel.Y, -0.3776, 0.001);
    EXPECT_FLOAT_EQ(mate.vel_chance, 1.0f);
}

TEST_F(World, ConfidencesDecayBetweenSightings) {
    join(kLeft, "(init l 11");
    step(34, {fixture_line(kLeft, "(sense_body 34 "), fixture_line(kLeft, "(see 34 ")});
    const TPoint ball_seen = world->ball.pos, ball_vel = world->ball.vel;
    const TPoint mate_seen = world->teammates[2].pos, mate_vel = world->teammates[2].vel;

    step(35, {fixture_line(kLeft, "(sense_body 35 ")});
    EXPECT_FLOAT_EQ(me->pos_chance, 0.92f);
    EXPECT_FLOAT_EQ(world->ball.pos_chance, 0.9f);
    EXPECT_FLOAT_EQ(world->ball.vel_chance, 0.9f);
    EXPECT_NEAR(world->ball.pos.dist(ball_seen + ball_vel), 0, 1e-9);   // one full step
    EXPECT_NEAR(world->ball.vel.dist(ball_vel * 0.94), 0, 1e-6);
    EXPECT_FLOAT_EQ(world->teammates[2].pos_chance, 0.9f);
    EXPECT_FLOAT_EQ(world->teammates[2].vel_chance, 0.85f);

    step(36, {fixture_line(kLeft, "(sense_body 36 ")});
    EXPECT_FLOAT_EQ(world->ball.pos_chance, 0.81f);
    EXPECT_FLOAT_EQ(world->teammates[2].pos_chance, 0.81f);
    const TPoint mate_moved = mate_seen + mate_vel * 0.4 + mate_vel * 0.16;
    EXPECT_NEAR(world->teammates[2].pos.dist(mate_moved), 0, 1e-6);
}

TEST_F(World, SeenBallFarFromItsPredictionLosesItsVelocity) {
    stand_at_origin(4);
    know_ball(TPoint(10, 0), TPoint(0, 0), 4);
    step(5, {"(see 5 ((b) 10.5 0))"});   // half a metre off: within the sensor noise
    EXPECT_FLOAT_EQ(world->ball.vel_chance, 1.0f);

    stand_at_origin(4);
    know_ball(TPoint(10, 0), TPoint(0, 0), 4);
    step(5, {"(see 5 ((b) 15 0))"});     // 5 m off: allowed are 1.5 x 1.52 m
    EXPECT_FLOAT_EQ(world->ball.vel_chance, 0.0f);
    EXPECT_NEAR(world->ball.pos.X, 15, 1e-6);
}

TEST_F(World, PredictedBallInsideMeBouncesBack) {
    stand_at_origin(4);
    know_ball(TPoint(0.2, 0), TPoint(0.1, 0), 4);
    step(5, {"(see 5 ((b) 1 0))"});
    // Predicted at 0.3 m, inside 0.3 + 0.085: velocity x -0.1, then decayed up to the see.
    EXPECT_NEAR(world->ball.vel.X, -0.0094, 1e-6);
    EXPECT_NEAR(world->ball.vel_chance, 0.7, 1e-6);
    EXPECT_FALSE(world->ball.position_based);
}

TEST_F(World, NearBallVelocityFromTwoSeenPositions) {
    stand_at_origin(10);
    step(10, {"(see 10 ((f r 0) 57.5 0) ((b) 2 0) ((l r) 52.5 90))"});
    EXPECT_FALSE(world->ball.position_based);   // the first sight has nothing to compare with
    step(11, {});
    step(12, {"(see 12 ((f r 0) 57.5 0) ((b) 1.5 0) ((l r) 52.5 90))"});
    // 0.5 m back in two cycles: -0.5 / (1 + 0.94) then decayed twice.
    EXPECT_TRUE(world->ball.position_based);
    EXPECT_NEAR(world->ball.vel.X, -0.5 / 1.94 * 0.94 * 0.94, 1e-6);
    EXPECT_FLOAT_EQ(world->ball.vel_chance, 1.0f);
}

TEST_F(World, SightConeAndVisibleDistance) {
    stand_at_origin(3);
    EXPECT_FALSE(world->must_be_in_sight(TPoint(-40, 0)));   // straight behind
    EXPECT_TRUE(world->must_be_in_sight(TPoint(-2, 0)));     // behind but within 3 m
    EXPECT_TRUE(world->must_be_in_sight(TPoint(20, 15)));    // 37 degrees, inside 45
    EXPECT_FALSE(world->must_be_in_sight_with_no_care(TPoint(20, 15)));   // not 11 degrees inside
}

// ---- bookkeeping of every update ----

TEST_F(World, KickOffPutsTheBallOnTheCentreSpotButACatchDoesNot) {
    stand_at_origin(50);
    know_ball(TPoint(-40, 5), TPoint(0, 0), 50);
    parser->referee_fill("goalie_catch_ball_l");
    step(50, {});
    EXPECT_EQ(core->info_snapshot.play_mode, PM_KICK_OFF_OURS);
    EXPECT_NEAR(world->ball.pos.X, -40, 1e-6);   // the keeper holds it in our area

    parser->referee_fill("play_on");
    parser->referee_fill("kick_off_r");
    step(50, {});
    EXPECT_EQ(world->ball.pos, TPoint(0, 0));
    EXPECT_FLOAT_EQ(world->ball.pos_chance, 1.0f);
}

TEST_F(World, CollisionCountAndBallHolder) {
    stand_at_origin(7);
    TPlayer &mate = world->teammates[5];
    mate.pos = TPoint(0.6, 0);   // within 2 x 0.3 + 0.1
    mate.pos_chance = 1.0f;
    mate.pos_cycle = 7;
    know_ball(TPoint(1.0, 0), TPoint(0, 0), 7);
    step(7, {});
    step(7, {});
    EXPECT_EQ(world->cycles_in_collision, 2);
    EXPECT_EQ(core->ball_holder, 5);   // 0.4 m from the ball, within 1.085 - 0.035

    mate.pos = TPoint(0.8, 0);
    mate.pos_chance = 0.99f;
    step(7, {});
    EXPECT_EQ(world->cycles_in_collision, 0);
    EXPECT_EQ(core->ball_holder, 11);   // not sure enough of the teammate: the holder is me
}

TEST_F(World, SecondUpdateInACycleAndHeadHistory) {
    stand_at_origin(5);
    step(5, {"(see 5 ((f r 0) 57.5 0) ((l r) 52.5 90))"});
    EXPECT_FLOAT_EQ(world->head_history[0], 0);
    EXPECT_FLOAT_EQ(world->head_history[1], kNoAnswer);
    world->update();   // the see is already taken over
    EXPECT_FLOAT_EQ(world->head_history[1], kNoAnswer);
}

TEST_F(World, RecoveryFallsOncePerCycleWhileTired) {
    core->info.sense.stamina = 1000;   // below 0.3 x 4000
    step(1, {});
    EXPECT_FLOAT_EQ(world->recovery, 0.998f);
    world->update_recovery();
    EXPECT_FLOAT_EQ(world->recovery, 0.998f);
}

// ---- hostile input ----

TEST_F(World, SlotsAreBoundedAndMyOwnEntryIsNeverOverwritten) {
    stand_at_origin(5);
    std::string see = "(see 5 ((p \"Alpha\" 11) 5 0)";
    for (int i = 0; i < 12; ++i)
        see += " ((p \"Beta\") " + std::to_string(10 + i) + " 0)";
    step(5, {see + ")"});
    EXPECT_EQ(world->opponents_without_number, 10);
    EXPECT_NEAR(world->opponents[21].pos.X, 19, 1e-6);
    EXPECT_EQ(me->pos, TPoint(0, 0));
}

TEST_F(World, AbsurdNumbersAndStampsTerminate) {
    stand_at_origin(5);
    step(5, {"(see -2000000000 ((f c) 3.4e38 1e30) ((l r) 1e38 3.4e38) ((b) 3.4e38 -3.4e38 3.4e38 3.4e38) "
             "((p \"Beta\" 7) 1e38 1e38 1e38 1e38))"});
    step(6, {});
    EXPECT_LE(world->ball.vel.abs(), core->ball_speed_max * 1.0001);
    EXPECT_EQ(world->ball.pos_cycle, 6);
    EXPECT_EQ(me->pos_cycle, 6);
    EXPECT_EQ(world->opponents[7].pos_cycle, 6);
}

}  // namespace
