// Strategic positions: the offside limit and the working-directory formation table.

#include <gtest/gtest.h>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

class Positions : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(7);
        core->world->ball.pos = TPoint(-10, 0);
    }
    void TearDown() override { destroy_agent(); }
    void place_opponent(int unum, double x, float chance) {
        TPlayer &o = core->world->opponents[unum];
        o.pos = TPoint(x, 0);
        o.pos_chance = chance;
    }
};

TEST_F(Positions, OffsideLineIsTheCentreWhenNobodyIsKnown) {
    EXPECT_FLOAT_EQ(core->limit_offside(3), -4.0f);
    EXPECT_FLOAT_EQ(core->limit_offside(-20), -20.0f);
    core->world->ball.pos = TPoint(12, 0);      // the ball further forward moves the line
    EXPECT_FLOAT_EQ(core->limit_offside(20), 8.0f);
}

TEST_F(Positions, OffsideLineIsTheSecondLastOpponent) {
    place_opponent(1, 50, 0.9f);                // their goalkeeper, the farthest
    place_opponent(4, 30, 0.9f);
    place_opponent(5, 35, 0.3f);                // not known well enough
    EXPECT_FLOAT_EQ(core->limit_offside(40), 26.0f);
}

TEST_F(Positions, TableLimitsAndAttraction) {
    Formation_Table &t = core->formation_table;
    t.min_x[7] = 10;
    t.max_x[7] = 50;
    EXPECT_FLOAT_EQ(core->limit_min_max(60), 50);
    EXPECT_FLOAT_EQ(core->limit_min_max(5), 10);
    t.base_pos[7] = TPoint(-10, 5);
    t.attraction[7] = TPoint(0.5, 0.25);
    t.behind_ball[7] = true;
    TPoint p = core->calc_pos_by_attraction(TPoint(20, 8));
    EXPECT_DOUBLE_EQ(p.X, 0);                   // -10 + 20 x 0.5, still behind the ball
    EXPECT_DOUBLE_EQ(p.Y, 7);
    p = core->calc_pos_by_attraction(TPoint(-30, 0));
    EXPECT_DOUBLE_EQ(p.X, -30);                 // kept at the ball's x
}

}  // namespace
