// World queries: my own state, the ball relative to my body and head, and the
// nearest and farthest players, on scenes placed directly in the world records.

#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

#include "agent_scene.h"
#include "common/transfer.h"
#include "common/utils.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "standin/child_process.h"

namespace {

const int kMe = 7;

class WorldQueries : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(kMe);
        world = core->world;
    }
    void TearDown() override { destroy_agent(); }

    void place_me(TPoint pos, float body, float head) {
        world->me->pos = pos;
        world->me->body = body;
        world->me->head = head;
        world->me->pos_chance = 1.0f;
    }
    void place_ball(TPoint pos, TPoint vel) {
        world->ball.pos = pos;
        world->ball.vel = vel;
        world->ball.pos_chance = world->ball.vel_chance = 1.0f;
    }
    static void place(TPlayer &p, TPoint pos, float chance) {
        p.pos = pos;
        p.pos_chance = chance;
    }

    TWorld_Model *world = nullptr;
};

void expect_point(TPoint p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-4);
    EXPECT_NEAR(p.Y, y, 1e-4);
}

TEST_F(WorldQueries, EmptyFieldGivesTheNoAnswerValues) {
    EXPECT_EQ(world->closest_teammate_to(TPoint(0, 0)), -1);
    EXPECT_EQ(world->closest_opponent_to(TPoint(0, 0)), -1);
    EXPECT_EQ(world->closest_opponent(), -1);
    EXPECT_EQ(world->closest_unknown_to(TPoint(0, 0)), -1);
    EXPECT_EQ(world->farthest_opponent(), 0);
    for (int i : {1, 11}) {
        EXPECT_EQ(world->opponent_dist(i), kNoAnswer);
        EXPECT_EQ(world->opponent_angle_from_body(i), kNoAnswer);
    }
    EXPECT_EQ(world->unknown_dist(0), kNoAnswer);
    EXPECT_EQ(world->unknown_angle_from_body(0), kNoAnswer);
    EXPECT_FLOAT_EQ(world->ball_angle_from_body(), 60.0f);
    EXPECT_TRUE(world->ball_rel_to_body_velocity().is_point_QUAZIL());
    EXPECT_EQ(world->ball_rel_to_body_heading(), 0.0f);
}

TEST_F(WorldQueries, SlotsOutsideTheArraysOrTheSeenCountsGiveNoAnswer) {
    world->opponents[12].pos_chance = world->opponents[13].pos_chance = 1.0f;
    world->unknown[1].pos_chance = 1.0f;
    world->unknown_count = 1;
    world->opponents_without_number = 1;   // only slot 12 is in use
    for (int i : {-1, 0, 13, 21, 22, 100000})
        EXPECT_EQ(world->opponent_dist(i), kNoAnswer) << i;
    EXPECT_NE(world->opponent_dist(12), kNoAnswer);
    for (int i : {-1, 1, 22, 100000}) {
        EXPECT_EQ(world->unknown_dist(i), kNoAnswer) << i;
        EXPECT_EQ(world->unknown_angle_from_body(i), kNoAnswer) << i;
    }
    // A count beyond the arrays is cut at their end.
    world->opponents_without_number = 1000;
    world->unknown_count = 1000;
    EXPECT_EQ(world->opponent_dist(22), kNoAnswer);
    EXPECT_EQ(world->unknown_dist(22), kNoAnswer);
    EXPECT_EQ(world->farthest_opponent(), 0);
    EXPECT_EQ(world->closest_unknown_to(TPoint(0, 0)), 1);
}

TEST_F(WorldQueries, MyOwnState) {
    place_me(TPoint(-3, 4), 30, 50);
    world->me->vel = TPoint(0.5, 0);
    expect_point(world->my_pos(), -3, 4);
    expect_point(world->my_vel(), 0.5, 0);
    EXPECT_FLOAT_EQ(world->my_body_abs_angle(), 30);
    core->real_cycle = 12;
    core->info_snapshot.see_cycle = 12;
    EXPECT_TRUE(world->new_sight());
    core->info_snapshot.see_cycle = 11;
    EXPECT_FALSE(world->new_sight());
}

// I stand at (10, 5) with my body towards +y and my head 45 degrees to the
// right of it; the ball lies 3 m straight ahead of my body.
TEST_F(WorldQueries, BallRelativeToBodyAndHead) {
    place_me(TPoint(10, 5), 90, 45);
    place_ball(TPoint(10, 8), TPoint(-1, 0));
    EXPECT_FLOAT_EQ(world->ball_dist_from_body(), 3);
    EXPECT_NEAR(world->ball_angle_from_body(), 0, 1e-4);
    expect_point(world->ball_rel_to_body_position(), 3, 0);
    expect_point(world->ball_rel_to_head_position(), 2.12132, 2.12132);
    // Rolling towards -x: to my right.
    expect_point(world->ball_rel_to_body_velocity(), 0, 1);
    EXPECT_NEAR(world->ball_rel_to_body_heading(), 90, 1e-4);
}

TEST_F(WorldQueries, BallHeadingIsNotNormalised) {
    place_me(TPoint(0, 0), -170, -170);
    place_ball(TPoint(1, 0), TPoint(-1, 0));
    EXPECT_NEAR(world->ball_rel_to_body_heading(), 350, 1e-4);
    world->ball.vel_chance = 0.49f;
    EXPECT_EQ(world->ball_rel_to_body_heading(), 0.0f);
    EXPECT_TRUE(world->ball_rel_to_body_velocity().is_point_QUAZIL());
}

TEST_F(WorldQueries, BallOfUnknownPositionReadsSixtyDegrees) {
    place_me(TPoint(0, 0), 0, 0);
    place_ball(TPoint(-5, 0), TPoint(0, 0));
    EXPECT_NEAR(world->ball_angle_from_body(), 180, 1e-4);
    world->ball.pos_chance = 0.57f;
    EXPECT_FLOAT_EQ(world->ball_angle_from_body(), 60);
    EXPECT_TRUE(world->can_see_ball_with_neck());
}

TEST_F(WorldQueries, BallWithinTheNeckRange) {
    place_me(TPoint(0, 0), 0, 0);
    place_ball(TPoint(1, 5), TPoint(0, 0));   // about 79 degrees to the left
    EXPECT_TRUE(world->can_see_ball_with_neck());
    world->ball.pos = TPoint(-1, 5);          // about 101 degrees
    EXPECT_FALSE(world->can_see_ball_with_neck());
}

TEST_F(WorldQueries, BodyAngleIsNormalised) {
    place_me(TPoint(0, 0), 170, 170);
    EXPECT_NEAR(world->body_angle_from_point(TPoint(-1, -1)), 55, 1e-4);   // -135 - 170
    place_me(TPoint(2, 2), -170, 0);
    EXPECT_NEAR(world->body_angle_from_point(TPoint(2, 5)), -100, 1e-4);   // 90 + 170
    expect_point(world->global_2_relative_to_body(TPoint(2, 2)), 0, 0);
}

TEST_F(WorldQueries, HugeOrUndefinedBodyDirectionStillAnswers) {
    place_me(TPoint(0, 0), 1e30f, 0);
    const float huge = world->body_angle_from_point(TPoint(1, 1));
    EXPECT_TRUE(std::isnan(huge) || std::fabs(huge) <= 180);
    world->me->body = NAN;
    EXPECT_TRUE(std::isnan(world->body_angle_from_point(TPoint(1, 1))));
    place_ball(TPoint(1, 1), TPoint(1, 0));
    EXPECT_FALSE(world->can_see_ball_with_neck());
}

TEST_F(WorldQueries, ClosestTeammateIncludesMeAndSkipsUnknownPositions) {
    place_me(TPoint(10, 0), 0, 0);
    place(world->teammates[2], TPoint(5, 0), 0.9f);
    place(world->teammates[3], TPoint(3, 0), 0.4f);   // not known: pos_chance must exceed 0.4
    EXPECT_EQ(world->closest_teammate_to(TPoint(0, 0)), 2);
    EXPECT_EQ(world->closest_teammate_to(TPoint(9, 0)), kMe);
}

TEST_F(WorldQueries, ClosestOpponentWithinTheFieldAndTiesKeepTheEarlier) {
    place_me(TPoint(0, 0), 0, 0);
    place(world->opponents[4], TPoint(300, 0), 1.0f);   // beyond 210 m
    EXPECT_EQ(world->closest_opponent(), -1);
    place(world->opponents[9], TPoint(0, 6), 1.0f);
    place(world->opponents[5], TPoint(6, 0), 1.0f);
    EXPECT_EQ(world->closest_opponent(), 5);
    EXPECT_EQ(world->closest_opponent_to(TPoint(200, 0)), 4);
}

TEST_F(WorldQueries, ClosestUnknownLooksOnlyAtThisSeesPlayers) {
    place(world->unknown[0], TPoint(10, 0), 1.0f);
    place(world->unknown[1], TPoint(4, 0), 1.0f);
    place(world->unknown[2], TPoint(1, 0), 1.0f);   // left over from an earlier see
    world->unknown_count = 2;
    EXPECT_EQ(world->closest_unknown_to(TPoint(0, 0)), 1);
}

// An opponent seen this cycle at 12.3 m whose estimated position lies 10 m away.
TEST_F(WorldQueries, OpponentDistanceSeenThisCycleIsTheServersOne) {
    place_me(TPoint(0, 0), 90, 90);
    core->real_cycle = 30;
    place(world->opponents[4], TPoint(10, 0), 1.0f);
    world->opponents[4].seen_dist = 12.3f;
    world->opponents[4].seen_cycle = 30;
    EXPECT_FLOAT_EQ(world->opponent_dist(4), 12.3f);
    EXPECT_NEAR(world->opponent_angle_from_body(4), -90, 1e-4);
    // Just as sure but not seen now (merged from a teammate's map, or kept while
    // play stands still): the distance of the estimate.
    place(world->opponents[5], TPoint(0, 5), 1.0f);
    EXPECT_FLOAT_EQ(world->opponent_dist(5), 5);
    core->real_cycle = 31;
    world->opponents[4].pos_chance = 0.8f;
    EXPECT_FLOAT_EQ(world->opponent_dist(4), 10);
    world->opponents[4].pos_chance = 0.4f;
    EXPECT_EQ(world->opponent_dist(4), kNoAnswer);
    EXPECT_EQ(world->opponent_angle_from_body(4), kNoAnswer);
}

TEST_F(WorldQueries, UnknownTeamPlayerDistanceAndDirection) {
    place_me(TPoint(0, 0), 0, 0);
    place(world->unknown[0], TPoint(0, -5), 1.0f);
    world->unknown[0].seen_dist = 5.2f;
    world->unknown_count = 1;
    EXPECT_FLOAT_EQ(world->unknown_dist(0), 5.2f);
    EXPECT_NEAR(world->unknown_angle_from_body(0), -90, 1e-4);
}

TEST_F(WorldQueries, FarthestOpponentIgnoresTheOwnHalfAndDoubtfulPositions) {
    place(world->opponents[2], TPoint(-30, 0), 1.0f);
    place(world->opponents[3], TPoint(0, 10), 1.0f);
    EXPECT_EQ(world->farthest_opponent(), 0);
    place(world->opponents[6], TPoint(40, 0), 0.6f);    // needs more than 0.6
    place(world->opponents[8], TPoint(20, 0), 0.61f);
    place(world->opponents[10], TPoint(20, 5), 1.0f);   // a tie keeps the earlier
    EXPECT_EQ(world->farthest_opponent(), 8);
    place(world->opponents[12], TPoint(25, 0), 1.0f);   // seen without number
    EXPECT_EQ(world->farthest_opponent(), 8);
    world->opponents_without_number = 1;
    EXPECT_EQ(world->farthest_opponent(), 12);
}


// The interception caches are filled by hand for this cycle, so the fastest
// queries compare the given results without running the search.
class WorldQueriesFastest : public WorldQueries {
protected:
    void SetUp() override {
        WorldQueries::SetUp();
        core->cycle = core->real_cycle = 50;
        for (int u = 1; u <= 11; ++u) {
            set_result(world->teammates_intercept[u], 0, 0);
            set_result(world->opponents_intercept[u], 0, 0);
        }
    }
    static void set_result(Ball_Intercept_Info &r, int kind, int cycles) {
        r.update = core->world->update_count;
        r.kind = kind;
        r.cycles = cycles;
    }
    void teammate(int u, int kind, int cycles) {
        world->teammates[u].pos_chance = 1.0f;
        set_result(world->teammates_intercept[u], kind, cycles);
    }
    void opponent(int u, int kind, int cycles) {
        world->opponents[u].pos_chance = 1.0f;
        set_result(world->opponents_intercept[u], kind, cycles);
    }
};

TEST_F(WorldQueriesFastest, IAmFastestWhenNobodyReachesTheBall) {
    teammate(kMe, 0, 0);
    teammate(3, 1, 0);
    EXPECT_EQ(world->fastest_teammate_to_ball(), kMe);
    EXPECT_EQ(world->fastest_opponent_to_ball(), 0);
    int number = -1;
    bool is_teammate = false;
    world->fastest_player_to_ball(&number, &is_teammate);
    EXPECT_EQ(number, kMe);
    EXPECT_TRUE(is_teammate);
}

TEST_F(WorldQueriesFastest, IGoWhenAtMostOneCycleSlower) {
    teammate(kMe, 4, 9);
    teammate(3, 4, 8);
    EXPECT_EQ(world->fastest_teammate_to_ball(), kMe);
    teammate(kMe, 4, 10);
    EXPECT_EQ(world->fastest_teammate_to_ball(), 3);
    teammate(5, 3, 8);                       // a tie keeps the lower number
    world->teammates[6].pos_chance = 0.49f;  // too unsure to count
    set_result(world->teammates_intercept[6], 2, 0);
    EXPECT_EQ(world->fastest_teammate_to_ball(), 3);
}

TEST_F(WorldQueriesFastest, EqualCyclesGoToTheOpponent) {
    teammate(kMe, 4, 6);
    opponent(2, 4, 9);
    opponent(8, 3, 6);
    EXPECT_EQ(world->fastest_opponent_to_ball(), 8);
    int number = 0;
    bool is_teammate = true;
    world->fastest_player_to_ball(&number, &is_teammate);
    EXPECT_EQ(number, 8);
    EXPECT_FALSE(is_teammate);
    teammate(kMe, 4, 5);
    world->fastest_player_to_ball(&number, &is_teammate);
    EXPECT_EQ(number, kMe);
    EXPECT_TRUE(is_teammate);
}

TEST_F(WorldQueriesFastest, ATeammateWhoCannotReachTheBallLosesToAnyOpponent) {
    teammate(kMe, 1, 0);   // ball position unknown to me: no cycles at all
    opponent(4, 4, 40);
    int number = 0;
    bool is_teammate = true;
    world->fastest_player_to_ball(&number, &is_teammate);
    EXPECT_EQ(number, 4);
    EXPECT_FALSE(is_teammate);
}

}  // namespace
