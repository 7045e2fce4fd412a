// When a player tells teammates its world map during the world update.

#include <gtest/gtest.h>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

// The uniform number whose post is the given one in the shipped formation.
int player_of_post(int post) {
    for (int u = 2; u <= 11; ++u)
        if (core->positioning.post(u).id == post)
            return u;
    return 0;
}

class MapSay : public ::testing::Test {
protected:
    void SetUp() override { make_agent<TCore>(2, true); }
    void TearDown() override { destroy_agent(); }

    // I play the post, know where I am, and see the ball at ball.
    void play(int post, TPoint ball, int cycle) {
        const int unum = player_of_post(post);
        ASSERT_NE(unum, 0) << "no player on post " << post;
        core->info.unum = core->info_snapshot.unum = unum;
        core->world->me = &core->world->teammates[unum];
        core->world->me->pos = TPoint(0, 30);
        core->world->me->pos_chance = 1;
        core->world->ball.pos = ball;
        core->world->ball.pos_chance = 1;
        core->cycle = cycle;
        core->real_cycle = cycle;
        core->world->tell_map();
    }
};

TEST_F(MapSay, APostTellsItsMapOnItsCyclesOnly) {
    play(4, TPoint(0, 25), 7);                 // ball beyond y 20, cycle 7 mod 4 = 3
    EXPECT_TRUE(core->say_is_update());
    EXPECT_EQ(std::string(core->say_com.text).rfind("(say ((OstraCorvane2001)(2)<tp", 0), 0u) << core->say_com.text;
}

TEST_F(MapSay, NothingOnOtherCyclesOrForUnknownBall) {
    play(4, TPoint(0, 25), 6);
    EXPECT_FALSE(core->say_is_update());
    core->world->ball.pos_chance = 0.1f;
    core->cycle = core->real_cycle = 7;
    core->world->tell_map();
    EXPECT_FALSE(core->say_is_update());
}

TEST_F(MapSay, ARuleThatNeedsATeammateWaitsForIt) {
    play(4, TPoint(-10, 0), 7);                // zone of the rule that needs teammate 11
    EXPECT_FALSE(core->say_is_update());
    core->world->teammates[11].pos_chance = 1;
    core->world->tell_map();
    EXPECT_TRUE(core->say_is_update());
}

}  // namespace
