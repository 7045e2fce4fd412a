// The field player playing the ball: how its with-ball objects rate a scene,
// and, against the stand-in simulator, that it fetches the ball and carries
// out the winning action.

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

#include "agent_scene.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/player_main.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

class Play : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        dir = program_dir(server.port(), "Testers", true);
    }

    // Starts a player and waits until it has moved to its post.
    void start_player() {
        ASSERT_TRUE(server.add_still_player("Testers", 1, -50, 0, 0, true));   // our goalkeeper
        ASSERT_TRUE(player.start(PLAYER_BIN, {}, dir));
        ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text.rfind("(move ", 0) == 0; }, 5s));
    }

    // The connected player of ours (the test's other players stand still).
    StandInPlayer me() const {
        for (const StandInPlayer &p : server.players())
            if (!p.still && p.team == "Testers")
                return p;
        return StandInPlayer();
    }

    bool kicked(std::chrono::milliseconds timeout) const {
        return server.wait_for([](const StandInDatagram &d) { return d.text.rfind("(kick ", 0) == 0; }, timeout);
    }

    // The heading in degrees of the ball once it has been kicked away (a hard
    // kick may first turn it around the body); NaN when it never is.
    double heading_when_kicked_away() const {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            const StandInWorld w = server.world();
            if (std::hypot(w.ball_vx, w.ball_vy) > 1.0)
                return std::atan2(w.ball_vy, w.ball_vx) * 180 / M_PI;
            std::this_thread::sleep_for(20ms);
        }
        return NAN;
    }

    StandInServer server;
    ChildProcess player;
    std::string dir;
};

// Me at our left wing with the ball at my feet, teammate 7 ahead at 68 degrees
// and an opponent off to the right.
const TPoint kMe(-30, -20), kMate(-24, -6), kOpponent(-22, -18);

TEST(WithBallObjects, RateTheWingScene) {
    make_agent<TCore>(2, true);
    create_behaviour_objects();
    core->real_cycle = core->cycle = 10;
    core->info_snapshot.play_mode = PM_PLAY_ON;
    TWorld_Model &w = *core->world;
    w.me->pos = kMe;
    w.me->body = w.me->head = 50;
    w.me->pos_chance = w.me->vel_chance = 1;
    w.ball.pos = kMe + TPoint(0.5, 0.3);
    w.ball.pos_chance = w.ball.vel_chance = 1;
    w.teammates[7].pos = kMate;
    w.teammates[7].pos_chance = 1;
    w.opponents[9].pos = kOpponent;
    w.opponents[9].pos_chance = 1;
    for (TWith_Ball *o : core->with_ball_objects)
        o->assess();

    // Forward pass: 30 m ahead along the diagonal into the space, safe from the opponent.
    const Ball_Behavior_Info &forward = core->with_ball_objects[0]->final;
    EXPECT_EQ(forward.behave, 0);
    EXPECT_NEAR(forward.pass.point.X, kMe.X + 30 * std::cos(M_PI / 4), 0.01);
    EXPECT_NEAR(forward.pass.point.Y, kMe.Y + 30 * std::sin(M_PI / 4), 0.01);
    EXPECT_FLOAT_EQ(forward.chance, 0.7f);
    // No shot from 52 m, no dribble in our own half.
    EXPECT_EQ(core->with_ball_objects[1]->final.chance, 0);
    EXPECT_EQ(core->with_ball_objects[3]->final.chance, 0);
    // The short pass goes straight at teammate 7 but rates below the forward pass.
    const Ball_Behavior_Info &short_pass = core->with_ball_objects[2]->final;
    EXPECT_NEAR(short_pass.kick_dir, (kMate - w.ball.pos).ang() * 180 / M_PI, 1.0);
    EXPECT_GT(short_pass.chance, 0);
    EXPECT_LT(short_pass.chance, forward.chance);
    destroy_agent();
}

TEST_F(Play, LonePlayerFetchesTheBallAndKicksItTowardsTheirGoal) {
    start_player();
    server.kick_off();
    server.set_play_mode("play_on");
    std::this_thread::sleep_for(300ms);
    const StandInPlayer start = me();
    const double body = start.body_deg * M_PI / 180;
    const double ball_x = start.x + 3 * std::cos(body), ball_y = start.y + 3 * std::sin(body);
    server.place_ball(ball_x, ball_y);
    ASSERT_TRUE(kicked(10s)) << player.output();

    // It went to the ball first: it is near where the ball lay.
    const StandInPlayer at_kick = me();
    EXPECT_LT(std::hypot(at_kick.x - ball_x, at_kick.y - ball_y), 1.5);
    // Over the next cycles the ball ends up ahead of it, towards +x.
    std::this_thread::sleep_for(1500ms);
    EXPECT_GT(server.world().ball_x, at_kick.x + 1.0) << player.output();
    EXPECT_TRUE(player.running());
}

TEST_F(Play, ThePlayerOnTheBallPassesForwardIntoTheSpace) {
    ASSERT_TRUE(server.add_still_player("Testers", 7, kMate.X, kMate.Y, 0));
    ASSERT_TRUE(server.add_still_player("Others", 9, kOpponent.X, kOpponent.Y, 180));
    start_player();
    // Before kick-off a player with the ball at its feet waits. It is put there
    // twice: the second time undoes a turn it made before it saw the first.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(server.place_player("Testers", 2, kMe.X, kMe.Y, 50));
        server.place_ball(kMe.X + 0.5, kMe.Y + 0.3);
        std::this_thread::sleep_for(400ms);
    }
    server.set_play_mode("play_on");
    // The forward pass wins (0.7 x 0.7 against the short pass): the ball heads
    // along the diagonal, not at the teammate's feet (68 degrees).
    EXPECT_NEAR(heading_when_kicked_away(), 45, 10) << player.output();
    EXPECT_TRUE(player.running());
}

}  // namespace

