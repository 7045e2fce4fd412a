// The stand-in server and the child-process helper, driven by a plain UDP client.

#include "fixtures.h"
#include "standin/child_process.h"
#include "standin/standin_physics.h"
#include "standin/standin_server.h"
#include "standin/test_client.h"

#include <arpa/inet.h>
#include <cmath>
#include <map>
#include <sstream>
#include <algorithm>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

int sense_time(const std::string &text) {
    return std::atoi(text.c_str() + std::string("(sense_body ").size());
}

TEST(StandInServer, InitIsAnsweredFromANewPortOfItsOwn) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    TestClient player, second, opponent_goalie;

    player.send(server.port(), "(init TestTeam (version 7.10))");
    const std::string raw = player.receive_raw();
    EXPECT_EQ(raw, std::string("(init l 1 before_kick_off)") + '\0');
    EXPECT_NE(player.from_port, server.port());

    second.send(server.port(), "(init TestTeam (version 7.10))");
    EXPECT_EQ(second.receive(), "(init l 2 before_kick_off)");
    EXPECT_NE(second.from_port, player.from_port);

    opponent_goalie.send(server.port(), "(init Opp (version 7.10) (goalie))");
    EXPECT_EQ(opponent_goalie.receive(), "(init r 1 before_kick_off)");

    const std::vector<StandInPlayer> players = server.players();
    ASSERT_EQ(players.size(), 3u);
    EXPECT_TRUE(players[2].goalie);
    EXPECT_EQ(players[2].side, 'r');
}

TEST(StandInServer, RefusesIllegalTeamNamesAndGivesNoClient) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    TestClient client;
    for (const char *init : {"(init SixteenCharsLong (version 7.10))", "(init Bad!Name (version 7.10))",
                             "(init  (version 7.10))"}) {
        client.send(server.port(), init);
        EXPECT_EQ(client.receive(), "(error illegal_teamname_or_too_long_teamname)") << init;
        EXPECT_EQ(client.from_port, server.port());
    }
    client.send(server.port(), "(init Exactly15Letter (version 7.10))");
    EXPECT_EQ(client.receive(), "(init l 1 before_kick_off)");
    EXPECT_EQ(server.players().size(), 1u);
}

TEST(StandInServer, SendsSenseBodyEveryCycleInTheServersForm) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    TestClient player;
    player.join(server.port(), "(init TestTeam (version 7.10))");

    const auto first_at = std::chrono::steady_clock::now();
    const std::string first = player.receive_starting("(sense_body ");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(player.receive_starting("(sense_body "), first);    // before kick-off the clock stands at 0
    const auto elapsed = std::chrono::steady_clock::now() - first_at;

    EXPECT_EQ(first, fixture_line("player-basic.txt", "(sense_body 0 "));
    EXPECT_GE(elapsed, milliseconds(300));      // four cycles of 100 ms, not a burst
}

TEST(StandInServer, SenseBodyTextMatchesTheCapturedNumbers) {
    StandInPlayer player;
    player.stamina = 7890;
    player.vx = 0.36 * std::cos(1 * M_PI / 180);   // 0.36 m per cycle, 1 degree right of the face
    player.vy = 0.36 * std::sin(1 * M_PI / 180);
    player.counters.dash = 2;
    player.counters.move = 1;
    EXPECT_EQ(standin_sense_body(player, 3), fixture_line("player-basic.txt", "(sense_body 3 "));

    player.stamina = 7980.82;
    player.effort = 0.830344;
    EXPECT_NE(standin_sense_body(player, 3).find("(stamina 7980.82 0.830344)"), std::string::npos);
}

TEST(StandInServer, RecordsCommandsWithTheirCycleAndCountsThem) {
    StandInServer server(StandInOptions{milliseconds(200), milliseconds(60000)});
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");

    player.send(own_port, "(move -10.00 5.00)");
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(move -10.00 5.00)"; }, kPatience));
    const StandInPlayer placed = server.players().at(0);
    EXPECT_DOUBLE_EQ(placed.x, -10.0);
    EXPECT_DOUBLE_EQ(placed.y, 5.0);
    server.kick_off();
    EXPECT_EQ(player.receive_starting("(hear "), "(hear 0 referee kick_off_l)");
    const std::string sense = player.receive_starting("(sense_body ");
    const int time = sense_time(sense);
    EXPECT_GE(time, 1);                          // the clock runs after kick-off
    EXPECT_NE(sense.find("(move 1)"), std::string::npos);

    player.send(own_port, "(dash 50.0)");
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(dash 50.0)"; }, kPatience));
    for (const StandInDatagram &d : server.received())
        if (d.text == "(dash 50.0)") {
            EXPECT_EQ(d.team, "TestTeam");
            EXPECT_EQ(d.unum, 1);
            EXPECT_GE(d.cycle, time);            // arrived in the cycle it answered, or a later one
            EXPECT_LE(d.cycle, time + 2);
        }
    EXPECT_NE(player.receive_starting("(sense_body ").find("(dash 1)"), std::string::npos);
}

TEST(StandInServer, GarbageIsAnsweredWithAnErrorAndChangesNothing) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");

    for (const char *garbage : {"(dash nan)", "(move 1e999 0)", "(kick 10)", "(dash 5", "", "((", "(turn 1 2 3 4 5 6)"}) {
        player.send(own_port, garbage);
        EXPECT_EQ(player.receive_starting("(error "), "(error illegal_command_form)") << garbage;
    }
    player.send(own_port, "(fly 3)");
    EXPECT_EQ(player.receive_starting("(error "), "(error unknown_command)");

    const StandInCounters counters = server.players().at(0).counters;
    EXPECT_EQ(counters.dash + counters.move + counters.kick + counters.turn, 0);
    EXPECT_EQ(server.received().size(), 9u);     // the init and every datagram after it
}

TEST(StandInServer, FallingSilentStopsTheSenseMessagesButKeepsRecording) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");
    ASSERT_FALSE(player.receive_starting("(sense_body ").empty());

    server.fall_silent();
    while (!player.receive(milliseconds(50)).empty()) {
    }                                            // one message may have been on its way
    EXPECT_EQ(player.receive(milliseconds(500)), "");
    EXPECT_FALSE(server.send_to("TestTeam", 1, "(hear 0 referee play_on)"));

    player.send(own_port, "(turn 30.0)");
    EXPECT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(turn 30.0)"; }, kPatience));
}

TEST(StandInServer, EndsByItselfAfterItsTimeLimit) {
    StandInServer server(StandInOptions{milliseconds(20), milliseconds(200)});
    ASSERT_TRUE(server.start());
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (server.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(10));
    EXPECT_FALSE(server.running());
}

// The entries of a see message: object name -> distance and direction as text.
std::map<std::string, std::string> see_entries(const std::string &see) {
    std::map<std::string, std::string> entries;
    size_t at = 0;
    while ((at = see.find("((", at)) != std::string::npos) {
        const size_t name_end = see.find(')', at);
        const size_t end = name_end == std::string::npos ? name_end : see.find(')', name_end + 1);
        if (end == std::string::npos)
            break;
        std::istringstream numbers(see.substr(name_end + 1, end - name_end - 1));
        std::string dist, dir;
        numbers >> dist >> dir;
        entries[see.substr(at + 2, name_end - at - 2)] = dist + " " + dir;
        at = end;
    }
    return entries;
}

// The whole text of one entry, from its name to the end of its numbers.
std::string see_entry(const std::string &see, const std::string &name) {
    const size_t at = see.find("((" + name + ")");
    if (at == std::string::npos)
        return std::string();
    const size_t end = see.find(')', see.find(')', at) + 1);
    return see.substr(at, end + 1 - at);
}

// A name as the other half of the field calls it: l and r, t and b swapped.
std::string mirrored_name(const std::string &name) {
    std::string mirrored = name;
    for (size_t i = 2; i < mirrored.size(); ++i) {
        char &c = mirrored[i];
        if (mirrored[i - 1] == ' ' && (i + 1 == mirrored.size() || mirrored[i + 1] == ' '))
            c = c == 'l' ? 'r' : c == 'r' ? 'l' : c == 't' ? 'b' : c == 'b' ? 't' : c;
    }
    return mirrored;
}

StandInPlayer player_at(double x, double y, double body_deg, char side = 'l', int unum = 1) {
    StandInPlayer player;
    player.team = side == 'l' ? "Alpha" : "Beta";
    player.side = side;
    player.unum = unum;
    player.x = x;
    player.y = y;
    player.body_deg = body_deg;
    return player;
}

TEST(StandInPhysics, DashFromRestMovesByPowerTimesRateThenDecays) {
    StandInPlayer player = player_at(0, 0, 0);
    standin_dash(player, 100);
    standin_step_player(player);
    EXPECT_NEAR(player.x, 0.6, 1e-9);           // 100 x 0.006
    EXPECT_NEAR(player.vx, 0.24, 1e-9);         // x 0.4 decay
    EXPECT_DOUBLE_EQ(player.stamina, 7945);     // 8000 - 100 + 45

    standin_dash(player, 100);
    standin_step_player(player);
    EXPECT_NEAR(player.x, 0.6 + 0.84, 1e-9);    // 0.6 x (1 + 0.4 + 1)
    EXPECT_NEAR(player.y, 0, 1e-9);

    StandInPlayer sideways = player_at(0, 0, 90);
    standin_dash(sideways, 50);
    standin_step_player(sideways);
    EXPECT_NEAR(sideways.y, 0.3, 1e-9);
    EXPECT_NEAR(sideways.x, 0, 1e-9);
}

TEST(StandInPhysics, DashPowerIsBoundedAndABackwardDashDoesNothing) {
    StandInPlayer player = player_at(0, 0, 0);
    standin_dash(player, -100);
    EXPECT_DOUBLE_EQ(player.stamina, 8000);
    EXPECT_DOUBLE_EQ(player.accel_x, 0);

    StandInPlayer tired = player_at(0, 0, 0);
    tired.stamina = 30;
    standin_dash(tired, 1000);                  // clamped to 100, then to the stamina left
    EXPECT_NEAR(tired.accel_x, 30 * 0.006, 1e-9);
    EXPECT_DOUBLE_EQ(tired.stamina, 0);

    StandInPlayer fast = player_at(0, 0, 0);
    fast.vx = 1.0;
    standin_dash(fast, 100);
    standin_step_player(fast);
    EXPECT_NEAR(fast.x, 1.05, 1e-9);            // 1.6 cut to the speed limit
}

// The current server's stamina rule: at or below 0.3 of 8000 after the dash,
// recovery and effort fall (recovery for good, to 0.5 at least); at or above
// 0.6 effort comes back.
TEST(StandInPhysics, LowStaminaWearsRecoveryAndEffortAndHighStaminaRestoresEffort) {
    StandInPlayer player = player_at(0, 0, 0);
    player.stamina = 2500;
    standin_dash(player, 100);
    standin_step_player(player);
    EXPECT_DOUBLE_EQ(player.lowest_stamina, 2400);
    EXPECT_DOUBLE_EQ(player.recovery, 0.998);
    EXPECT_DOUBLE_EQ(player.effort, 0.995);
    EXPECT_DOUBLE_EQ(player.stamina, 2400 + 0.998 * 45);
    standin_step_player(player);                // above the threshold: nothing wears
    EXPECT_DOUBLE_EQ(player.recovery, 0.998);
    EXPECT_DOUBLE_EQ(player.effort, 0.995);
    EXPECT_DOUBLE_EQ(player.lowest_stamina, 2400);

    player.stamina = 4800;
    standin_step_player(player);
    EXPECT_DOUBLE_EQ(player.effort, 1.0);       // 0.995 + 0.01, capped
    EXPECT_DOUBLE_EQ(player.recovery, 0.998);   // recovery never comes back

    player.stamina = 10;
    player.recovery = 0.501;
    player.effort = 0.601;
    standin_step_player(player);
    EXPECT_DOUBLE_EQ(player.recovery, 0.5);
    EXPECT_DOUBLE_EQ(player.effort, 0.6);
    EXPECT_DOUBLE_EQ(player.stamina, 10 + 0.5 * 45);
}

TEST(StandInPhysics, TurnAtRestTurnsByTheMomentAndLessWhenMoving) {
    StandInPlayer player = player_at(0, 0, 170);
    standin_turn(player, 60);
    EXPECT_DOUBLE_EQ(player.body_deg, -130);    // 230 wrapped

    StandInPlayer moving = player_at(0, 0, 0);
    moving.vx = 0.2;                            // 1 + 5 x 0.2 = 2
    standin_turn(moving, 60);
    EXPECT_DOUBLE_EQ(moving.body_deg, 30);

    standin_turn_neck(moving, 70);
    standin_turn_neck(moving, 70);
    EXPECT_DOUBLE_EQ(moving.neck_deg, 90);      // the head stops at 90 off the body
}

TEST(StandInPhysics, KickStraightAtABallHalfAMetreAhead) {
    const StandInPlayer player = player_at(0, 0, 0);
    StandInWorld world;
    world.ball_x = 0.5;
    ASSERT_TRUE(standin_kick(player, world, 100, 0));
    // 100 x 0.027 x (1 - 0.25 x (0.5 - 0.3 - 0.085) / 0.7)
    const double accel = 2.7 * (1 - 0.25 * 0.115 / 0.7);
    EXPECT_NEAR(world.ball_ax, accel, 1e-9);
    standin_step_ball(world);
    EXPECT_NEAR(world.ball_x, 0.5 + accel, 1e-9);
    EXPECT_NEAR(world.ball_vx, accel * 0.94, 1e-9);

    StandInWorld beside;                        // 90 degrees off the body costs a quarter of a half
    beside.ball_y = 0.5;
    ASSERT_TRUE(standin_kick(player, beside, 100, 90));
    EXPECT_NEAR(beside.ball_ay, 2.7 * (1 - 0.125 - 0.25 * 0.115 / 0.7), 1e-9);
    EXPECT_NEAR(beside.ball_ax, 0, 1e-9);
}

TEST(StandInPhysics, KickNeedsTheBallInReachAndIsCappedAtTheBallLimits) {
    const StandInPlayer player = player_at(0, 0, 0);
    StandInWorld far;
    far.ball_x = 1.1;                           // beyond 1.085
    EXPECT_FALSE(standin_kick(player, far, 100, 0));
    EXPECT_DOUBLE_EQ(far.ball_ax, 0);

    StandInWorld touching;
    touching.ball_x = 0.3;                      // overlapping counts as touching: the full rate
    touching.ball_vx = 1.0;
    ASSERT_TRUE(standin_kick(player, touching, 100, 0));
    standin_step_ball(touching);
    EXPECT_NEAR(touching.ball_x, 0.3 + 2.7, 1e-9);   // accel and speed both cut to 2.7
    EXPECT_NEAR(touching.ball_vx, 2.7 * 0.94, 1e-9);
}

TEST(StandInPhysics, CatchNeedsTheBallInTheRectangleAndInOurPenaltyArea) {
    const StandInPlayer keeper = player_at(-45, 0, 0);
    StandInWorld world;
    world.ball_x = -45 + 1.1;            // aimed along the 2 x 1 diagonal, 26.57 degrees off
    EXPECT_TRUE(standin_ball_in_catch_area(keeper, world, 26.57));
    EXPECT_FALSE(standin_ball_in_catch_area(keeper, world, 90));
    world.ball_x = -45 + 1.15;           // beyond the half diagonal, 1.118
    EXPECT_FALSE(standin_ball_in_catch_area(keeper, world, 26.57));
    EXPECT_TRUE(standin_ball_in_catch_area(keeper, world, 0));
    EXPECT_TRUE(standin_ball_in_penalty_area(world, 'l'));
    EXPECT_FALSE(standin_ball_in_penalty_area(world, 'r'));
}

TEST(StandInSee, WorkedExampleFromTenMetresBehindTheCentre) {
    StandInPlayer me = player_at(-10, 0, 0);
    StandInPlayer mate = player_at(-10 + 5.5 * std::cos(10 * M_PI / 180), 5.5 * std::sin(10 * M_PI / 180), 45, 'l', 3);
    mate.team = "Team";
    mate.neck_deg = -45;
    StandInWorld world;
    const std::string see = standin_see(me, {me, mate}, world, 7);
    EXPECT_EQ(see.compare(0, 7, "(see 7 "), 0);
    EXPECT_EQ(see_entry(see, "f c"), "((f c) 10 0)");
    EXPECT_EQ(see_entry(see, "g r"), "((g r) 62.8 0)");       // 62.5 quantised on the log scale
    EXPECT_EQ(see_entry(see, "b"), "((b) 10 0 0 0)");
    EXPECT_EQ(see_entry(see, "p \"Team\" 3"), "((p \"Team\" 3) 5.5 10 0 0 45 0)");
    EXPECT_EQ(see_entry(see, "l r"), "((l r) 62.8 90)");
    // (f p r t) at (36, -20.16): 50.22 m, quantised to 50.4, and 23.7 degrees left
    EXPECT_EQ(see_entry(see, "f p r t"), "((f p r t) 50.4 -24)");
    EXPECT_EQ(see_entry(see, "g l"), "");                     // behind, far
    EXPECT_EQ(see.back(), ')');
}

TEST(StandInSee, MatchesTheCapturedSeeFromTheSameSpot) {
    // The captured right-side player stood at (20, 0) looking along +x.
    const std::string captured = fixture_line("player-right-match.txt", "(see 0 ((f g r b) 33.1 12 0 0) ((g r) 32.5 0)");
    const StandInPlayer me = player_at(20, 0, 0, 'r');
    EXPECT_EQ(see_entries(standin_see(me, {me}, StandInWorld(), 0)), see_entries(captured));
}

TEST(StandInSee, TheOtherHalfSeesTheMirroredNames) {
    const std::string captured = fixture_line("player-right-match.txt", "(see 0 ((f g r b) 33.1 12 0 0) ((g r) 32.5 0)");
    std::map<std::string, std::string> expected;
    for (const auto &entry : see_entries(captured))
        expected[mirrored_name(entry.first)] = entry.second;
    ASSERT_EQ(expected.count("f l b 10"), 1u);

    const StandInPlayer me = player_at(-20, 0, 180, 'l');      // the same spot, turned round
    EXPECT_EQ(see_entries(standin_see(me, {me}, StandInWorld(), 0)), expected);
}

TEST(StandInSee, MotionAndDetailFadeWithDistance) {
    StandInPlayer me = player_at(-10, 0, 0);
    StandInWorld world;
    world.ball_vy = 1.0;                        // across the view: 1/10 rad per cycle
    StandInPlayer near = player_at(0, 5, 0, 'r', 1);
    near.goalie = true;
    near.vx = -1.0;
    const StandInPlayer middle = player_at(20, 0, 0, 'r', 2);
    const StandInPlayer far = player_at(40, 0, 0, 'r', 3);
    const StandInPlayer behind = player_at(-12, 0, 0, 'l', 4);
    const StandInPlayer far_behind = player_at(-14, 0, 0, 'l', 5);
    const std::string see = standin_see(me, {me, near, middle, far, behind, far_behind}, world, 1);

    EXPECT_EQ(see_entry(see, "b"), "((b) 10 0 0 5.7)");
    // (10, 5) away: 11.18 m quantised to 11, at 26.6 degrees; moving at -1 along x it
    // closes at 0.894 m and swings by 0.447 / 11.18 rad = 2.3 degrees per cycle
    EXPECT_EQ(see_entry(see, "p \"Beta\" 1 goalie"), "((p \"Beta\" 1 goalie) 11 27 -0.9 2.3 0 0)");
    EXPECT_EQ(see_entry(see, "p \"Beta\""), "((p \"Beta\") 30 0)");
    EXPECT_EQ(see_entry(see, "p"), "((p) 49.4 0)");
    EXPECT_EQ(see_entry(see, "P"), "((P) 2 180)");
    EXPECT_EQ(see.find("((P) 4"), std::string::npos);
}

TEST(StandInSee, LowQualityGivesDirectionsOnly) {
    StandInPlayer me = player_at(-10, 0, 0);
    me.view_quality = "low";
    const std::string see = standin_see(me, {me}, StandInWorld(), 1);
    EXPECT_EQ(see_entry(see, "f c"), "((f c) 0)");
    EXPECT_EQ(see_entry(see, "b"), "((b) 0)");
    EXPECT_EQ(see_entry(see, "l r"), "((l r) 90)");
}

TEST(StandInSee, IntervalFollowsTheViewMode) {
    EXPECT_EQ(standin_see_interval_ms("normal", "high"), 150);
    EXPECT_EQ(standin_see_interval_ms("narrow", "high"), 75);
    EXPECT_EQ(standin_see_interval_ms("wide", "high"), 300);
    EXPECT_EQ(standin_see_interval_ms("wide", "low"), 150);
}

// The number of see messages in the next n cycles.
int sees_in_cycles(TestClient &player, int n) {
    int sees = 0;
    for (int cycles = 0; cycles <= n;) {
        const std::string text = player.receive();
        if (text.empty())
            break;
        if (text.compare(0, 12, "(sense_body ") == 0)
            ++cycles;
        else if (cycles > 0 && cycles <= n && text.compare(0, 5, "(see ") == 0)
            ++sees;
    }
    return sees;
}

TEST(StandInServer, SeesComeAtTheRateOfTheViewMode) {
    StandInServer server(StandInOptions{milliseconds(40), milliseconds(60000)});
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");
    EXPECT_EQ(sees_in_cycles(player, 6), 4);    // every 150 ms of 100 ms cycles

    player.send(own_port, "(change_view wide high)");
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(change_view wide high)"; }, kPatience));
    player.receive_starting("(sense_body ");    // may have left before the change
    player.receive_starting("(sense_body ");
    EXPECT_EQ(sees_in_cycles(player, 6), 2);    // every 300 ms
}

TEST(StandInServer, DashesMoveThePlayerAndOnlyTheFirstBodyCommandCounts) {
    StandInServer server(StandInOptions{milliseconds(1000), milliseconds(60000)});
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");
    ASSERT_TRUE(server.place_player("TestTeam", 1, -10, 5, 0));
    server.kick_off();

    player.send(own_port, "(dash 100)");
    player.send(own_port, "(turn 90)");         // same cycle: dropped
    player.send(own_port, "(move 0 0)");        // the ball is in play: dropped
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(move 0 0)"; }, kPatience));
    StandInPlayer now = server.players().at(0);
    EXPECT_EQ(now.counters.dash, 1);
    EXPECT_EQ(now.counters.turn + now.counters.move, 0);
    EXPECT_DOUBLE_EQ(now.body_deg, 0);

    // After n cycles x + 10 = 1 - 0.4^n and vx = 0.6 x 0.4^n, so 0.6 (x + 10) + vx = 0.6.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (now.x == -10 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(10));
        now = server.players().at(0);
    }
    EXPECT_NEAR(0.6 * (now.x + 10) + now.vx, 0.6, 1e-9);
    EXPECT_DOUBLE_EQ(now.y, 5);
}

TEST(StandInServer, KickOffTouchPutsTheBallInPlayAndMovesIt) {
    StandInServer server(StandInOptions{milliseconds(50), milliseconds(60000)});
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init TestTeam (version 7.10))");
    ASSERT_TRUE(server.place_player("TestTeam", 1, -0.5, 0, 0));
    server.place_ball(0, 0);
    server.kick_off();
    player.send(own_port, "(kick 100 0)");
    EXPECT_EQ(player.receive_starting("(hear "), "(hear 0 referee kick_off_l)");
    EXPECT_NE(player.receive_starting("(hear ").find(" referee play_on)"), std::string::npos);

    // After n cycles x = a (1 - 0.94^n) / 0.06 and vx = a 0.94^n, so 0.06 x + vx = a.
    const double accel = 2.7 * (1 - 0.25 * 0.115 / 0.7);
    StandInWorld world = server.world();
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (world.ball_x == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(10));
        world = server.world();
    }
    EXPECT_NEAR(0.06 * world.ball_x + world.ball_vx, accel, 1e-9);
    EXPECT_DOUBLE_EQ(world.ball_y, 0);
}

// A goalie client standing at (-45, 0) in play on, its ball 1 m ahead.
class StandInCatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        own_port = keeper.join(server.port(), "(init Keepers (version 7.10) (goalie))");
        ASSERT_TRUE(server.place_player("Keepers", 1, -45, 0, 0));
        server.place_ball(-44, 0, -0.5, 0);
        server.set_play_mode("play_on");
        ASSERT_EQ(keeper.receive_starting("(hear "), "(hear 0 referee play_on)");
    }
    // Sends text and waits until the server has recorded it (once more than before).
    void command(const std::string &text) {
        const long before = times_received(text);
        keeper.send(own_port, text);
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (times_received(text) == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(5));
        ASSERT_GT(times_received(text), before);
    }
    long times_received(const std::string &text) const {
        const std::vector<StandInDatagram> all = server.received();
        return std::count_if(all.begin(), all.end(), [&](const StandInDatagram &d) { return d.text == text; });
    }
    StandInServer server{StandInOptions{milliseconds(1000), milliseconds(60000)}};
    TestClient keeper;
    int own_port = 0;
};

TEST_F(StandInCatch, CaughtBallIsHeldCarriedByMovesAndReleasedByAKick) {
    command("(catch 0)");
    EXPECT_EQ(keeper.receive_starting("(hear "), "(hear 0 referee goalie_catch_ball_l)");
    EXPECT_EQ(keeper.receive_starting("(hear "), "(hear 0 referee free_kick_l)");
    StandInWorld world = server.world();
    EXPECT_EQ(world.holder, 0);
    EXPECT_DOUBLE_EQ(world.ball_x, -45);
    EXPECT_DOUBLE_EQ(world.ball_vx, 0);

    keeper.receive_starting("(sense_body ");    // the next cycle: the move is allowed
    command("(move -40 10)");
    world = server.world();
    EXPECT_DOUBLE_EQ(world.ball_x, -40);
    EXPECT_DOUBLE_EQ(world.ball_y, 10);
    EXPECT_EQ(server.players().at(0).counters.move, 1);

    keeper.receive_starting("(sense_body ");
    command("(kick 100 0)");                    // from the body's middle: the full rate
    EXPECT_NE(keeper.receive_starting("(hear ").find(" referee play_on)"), std::string::npos);
    EXPECT_EQ(server.world().holder, -1);
    keeper.receive_starting("(sense_body ");
    world = server.world();
    EXPECT_NEAR(world.ball_x, -40 + 2.7, 1e-9);
}

TEST_F(StandInCatch, NoCatchOutsideThePenaltyAreaNorWithinTheBan) {
    server.place_ball(-30, 0);
    ASSERT_TRUE(server.place_player("Keepers", 1, -31, 0, 0));
    command("(catch 0)");
    keeper.receive_starting("(sense_body ");
    server.place_ball(-44, 0);           // in the area now, but the ban holds
    ASSERT_TRUE(server.place_player("Keepers", 1, -45, 0, 0));
    command("(catch 0)");
    EXPECT_EQ(server.world().holder, -1);
    EXPECT_EQ(server.play_mode(), "play_on");
    EXPECT_EQ(server.players().at(0).counters.catch_ball, 2);
}

TEST(StandInServer, CoachQuadsReachThePlayersWithThreePoints) {
    EXPECT_EQ(standin_three_corner_quads("(advice (9 (true) (do our {2} (bto (quad (pt 30 -20)(pt 45 -20)"
                                         "(pt 45 20)(pt 30 20)) {p}))))"),
              "(advice (9 (true) (do our {2} (bto (quad (pt 30 -20)(pt 45 -20)(pt 45 20)) {p}))))");
    EXPECT_EQ(standin_three_corner_quads("(define (definer \"R\" (quad (pt 0 0) (pt 2 0 (pt ball)) (pt 1 1) "
                                         "(pt (pt ball) 0 1))))"),
              "(define (definer \"R\" (quad (pt 0 0) (pt 2 0 (pt ball)) (pt 1 1))))");
    const std::string three = "(quad (pt -10 -10) (pt 10 -10) (pt 10 10))";
    EXPECT_EQ(standin_three_corner_quads(three), three);
}

// The word of the next referee message, when only the referee speaks.
std::string next_referee_call(TestClient &player) {
    const std::string text = player.receive_starting("(hear ");
    const size_t at = text.find(" referee ");
    return at == std::string::npos ? text : text.substr(at + 9, text.size() - at - 10);
}

// A left player at the right goal: a shot between the posts scores, and the
// right side kicks off after the pause; a shot wide of the post is a goal kick
// that the left side may not take, and untaken it is dropped at the penalty
// area's corner.
TEST(StandInReferee, GoalKickOffGoalKickAndDropBall) {
    StandInOptions options{milliseconds(40), milliseconds(60000)};
    options.referee = true;
    options.goal_pause_cycles = 5;
    options.drop_ball_cycles = 25;
    StandInServer server(options);
    ASSERT_TRUE(server.start());
    TestClient player;
    const int own_port = player.join(server.port(), "(init Home (version 7.10))");
    auto kick = [&](double x, double y) {
        ASSERT_TRUE(server.place_player("Home", 1, x - 0.5, y, 0));
        server.place_ball(x, y);
        player.send(own_port, "(kick 100 0)");
        ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(kick 100 0)"; }, kPatience));
    };

    server.set_play_mode("play_on");
    kick(51, 0);
    EXPECT_EQ(next_referee_call(player), "play_on");
    EXPECT_EQ(next_referee_call(player), "goal_l_1");
    EXPECT_EQ(server.score('l'), 1);
    EXPECT_EQ(server.score('r'), 0);
    EXPECT_EQ(next_referee_call(player), "kick_off_r");
    EXPECT_DOUBLE_EQ(server.world().ball_x, 0);

    server.set_play_mode("play_on");
    kick(51, 10);
    EXPECT_EQ(next_referee_call(player), "play_on");
    EXPECT_EQ(next_referee_call(player), "goal_kick_r");
    StandInWorld world = server.world();
    EXPECT_DOUBLE_EQ(world.ball_x, 47);
    EXPECT_DOUBLE_EQ(world.ball_y, 9.16);

    kick(47, 9.16);                             // not ours to take
    EXPECT_DOUBLE_EQ(server.world().ball_x, 47);
    EXPECT_EQ(next_referee_call(player), "drop_ball");
    EXPECT_EQ(next_referee_call(player), "play_on");
    world = server.world();
    EXPECT_DOUBLE_EQ(world.ball_x, 36);
    EXPECT_DOUBLE_EQ(world.ball_y, 20.16);
    EXPECT_EQ(server.score('l'), 1);
}

TEST(StandInServer, StillPlayersStandWhereTheyArePutAndAreSeen) {
    StandInServer server(StandInOptions{milliseconds(40), milliseconds(60000)});
    ASSERT_TRUE(server.start());
    TestClient player;
    player.join(server.port(), "(init Home (version 7.10))");
    ASSERT_TRUE(server.place_player("Home", 1, -10, 0, 0));
    ASSERT_TRUE(server.add_still_player("Away", 1, -5, 0, 180, true));
    EXPECT_FALSE(server.add_still_player("Away", 1, 0, 0, 0));     // number in use
    EXPECT_FALSE(server.add_still_player("Third", 2, 0, 0, 0));    // two teams only
    EXPECT_FALSE(server.add_still_player("Away", 12, 0, 0, 0));
    std::string see = player.receive_starting("(see ");
    see = player.receive_starting("(see ");    // surely after the player was added
    EXPECT_EQ(see_entry(see, "p \"Away\" 1 goalie"), "((p \"Away\" 1 goalie) 5 0 0 0 180 180)");
    const StandInPlayer still = server.players().at(1);
    EXPECT_EQ(still.side, 'r');
    EXPECT_DOUBLE_EQ(still.x, -5);
}

TEST(StandInChild, RunsInItsDirectoryAndReportsItsExitCode) {
    const std::string dir = make_work_dir();
    ASSERT_FALSE(dir.empty());
    ChildProcess child;
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "pwd; echo oops >&2; exit 3"}, dir));
    EXPECT_EQ(child.wait_exit(kPatience), 3);
    EXPECT_EQ(child.output(), dir + "\noops\n");
    EXPECT_FALSE(child.start("/no/such/program", {}, dir));
}

TEST(StandInChild, AWaitTimesOutAndKillEndsTheGroup) {
    const std::string dir = make_work_dir();
    ChildProcess child;
    // A background loop that keeps writing, in the child's group.
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "(while :; do echo tick; sleep 0.02; done) & sleep 30"}, dir));
    EXPECT_EQ(child.wait_exit(milliseconds(200)), ChildProcess::kTimedOut);
    child.kill();
    EXPECT_FALSE(child.running());
    std::this_thread::sleep_for(milliseconds(100));   // let the last write land
    const size_t after_kill = child.output().size();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_GT(after_kill, 0u);
    EXPECT_EQ(child.output().size(), after_kill);     // the loop went with the group
}

}  // namespace
