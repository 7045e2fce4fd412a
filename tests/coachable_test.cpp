// Coach-language regions and conditions against the world model, and the
// advice step that follows the coach's directives after the decision.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "agent_scene.h"
#include "fixtures.h"
#include "player/agent/core.h"
#include "player/clang/coachable.h"
#include "player/clang/cparser.h"
#include "player/clang/region.h"
#include "player/runtime/client.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"
#include "standin/test_client.h"

namespace {

const int kMe = 1;   // the captured advice is for our number 1
const char *const kCapture = "player-right-coach-advice.txt";

// Me, number 1 of the right-hand team, at (-5, 5) facing our opponents' goal
// (+x in the team frame), the ball unknown; play on at cycle 30.
class Coachable : public ::testing::Test {
protected:
    void SetUp() override {
        make_agent<TCore>(kMe);
        parser = new TCoach_Parser(&core->coach_message);
        core->real_cycle = core->cycle = 30;
        core->game_stopped = false;
        core->info.side = core->info_snapshot.side = 'r';
        core->info.their_side = core->info_snapshot.their_side = 'l';
        core->info_snapshot.play_mode = PM_PLAY_ON;
        core->info_snapshot.sense.stamina = 4000;
        core->kickable_area = 1.085f;
        place_me(TPoint(-5, 5), 0);
    }
    void TearDown() override {
        delete parser;
        destroy_agent();
    }

    // What our online coach said in the capture at the given prefix.
    void hear(const std::string &prefix) {
        const std::string line = fixture_line(kCapture, prefix);
        const size_t start = line.find("online_coach_right ") + 19;
        say(line.substr(start, line.size() - start - 1));
    }
    void say(const std::string &text) { parser->parse_coach_message(text.c_str()); }

    Region region(std::string text) {
        Region r;
        char *cur = &text[0];
        parser->get_region(&cur, &r);
        return r;
    }
    bool holds(std::string text) {
        Condition c;
        char *cur = &text[0];
        parser->AI_parse_condition(&cur, &c);
        return is_condition(&c);
    }
    bool in(TPoint p, const std::string &text) { return in_region(p, region(text)); }
    static bool in_region(TPoint p, const Region &r) { return is_point_in_region(p, &r); }
    static void place(TPlayer &p, TPoint pos) {
        p.pos = pos;
        p.pos_chance = 1.0f;
    }
    // Interception results of this cycle, filled by hand: the ball where it lies.
    static void reaches_ball(int unum, int cycles) {
        Ball_Intercept_Info &r = core->world->teammates_intercept[unum];
        r.cycle = core->real_cycle;
        r.kind = 4;
        r.cycles = cycles;
        r.point = core->world->ball.pos;
        core->world->teammates[unum].pos_chance = 1.0f;
    }
    static void give_me_the_ball(TPoint at) {
        place_ball(at);
        core->ball_holder = kMe;
    }
    static bool queued(Body_Command_Type type) { return core->action_is_update() && core->body_com.type == type; }

    TCoach_Parser *parser = nullptr;
};

// ---- points and regions ----

TEST_F(Coachable, RightSidePointsAreMirroredButWorldPositionsAreNot) {
    place_ball(TPoint(3, -4));
    place(core->world->opponents[4], TPoint(20, 7));
    EXPECT_EQ(calc_reg_point_position(region("(pt 10 5)").point, true), TPoint(-10, -5));
    EXPECT_EQ(calc_reg_point_position(region("(pt 10 5)").point, false), TPoint(10, 5));
    EXPECT_EQ(calc_reg_point_position(region("(pt ball)").point, true), TPoint(3, -4));
    EXPECT_EQ(calc_reg_point_position(region("(pt opp 4)").point, true), TPoint(20, 7));
    EXPECT_EQ(calc_reg_point_position(region("(pt -2 0 (pt 10 5))").point, true), TPoint(12, 5));
    EXPECT_EQ(calc_reg_point_position(region("(pt 2 0 (pt ball))").point, true), TPoint(1, -4));
    // a number the coach cannot mean stands for no point, and nothing is in a region made of it
    EXPECT_TRUE(calc_reg_point_position(region("(pt our 12)").point, true).is_point_QUAZIL());
    EXPECT_FALSE(in(TPoint(0, 0), "(quad (pt our 40) (pt 10 -10) (pt 10 10) (pt -10 10))"));
}

TEST_F(Coachable, QuadranglesAndArcs) {
    const std::string quad = "(quad (pt -10 -10) (pt 10 -10) (pt 10 10) (pt -5 5))";   // mirrored
    EXPECT_TRUE(in(TPoint(-5, 5), quad));
    EXPECT_FALSE(in(TPoint(5, -7), quad));
    EXPECT_FALSE(in(TPoint(-15, 5), quad));
    // a sector of 90 degrees from the coach's direction 0, which is our -x
    const std::string arc = "(arc (pt 0 0) 5 10 0 90)";
    EXPECT_TRUE(in(TPoint(-5, -5), arc));
    EXPECT_FALSE(in(TPoint(5, 5), arc));
    EXPECT_FALSE(in(TPoint(-5, 5), arc));
    EXPECT_FALSE(in(TPoint(-2, -2), arc));   // inside the small radius
    core->info_snapshot.side = 'l';
    EXPECT_TRUE(in(TPoint(5, 5), arc));
    EXPECT_TRUE(in(TPoint(5, 5), "(arc (pt 0 0) 0 20 0 360)"));
    EXPECT_TRUE(in(TPoint(-5, -5), "(arc (pt 0 0) 0 20 0 360)"));
}

TEST_F(Coachable, NullUnionsPointsAndUnresolvedRegions) {
    EXPECT_TRUE(in(TPoint(40, -30), "(null)"));
    EXPECT_TRUE(in(TPoint(-10, -5), "(pt 10 5)"));
    EXPECT_FALSE(in(TPoint(-10, -5.01), "(pt 10 5)"));
    EXPECT_TRUE(in(TPoint(-1, 0), "(reg (pt 5 5) (arc (pt 0 0) 0 2 0 360))"));
    EXPECT_FALSE(in(TPoint(-1, 0), "(reg )"));
    EXPECT_FALSE(in(TPoint(0, 0), "\"UNDEFINED\""));
    EXPECT_FALSE(in(TPoint(0, 0), "(quad (pt 0 0) (pt 1 0)"));   // cut short
}

TEST_F(Coachable, DegenerateAndHugeFiguresStayBounded) {
    // corners in one point or on one line enclose nothing
    EXPECT_FALSE(in(TPoint(50, -20), "(quad (pt 3 3) (pt 3 3) (pt 3 3) (pt 3 3))"));
    EXPECT_FALSE(in(TPoint(-1, -1), "(quad (pt 0 0) (pt 1 1) (pt 2 2) (pt 3 3))"));
    EXPECT_FALSE(in(TPoint(-6, 0), "(arc (pt 0 0) 10 5 0 360)"));
    // numbers beyond the float range read as its bound; the sector is then a full disc
    EXPECT_TRUE(in(TPoint(5, 5), "(arc (pt 0 0) 0 1e40 1e40 1e40)"));
    EXPECT_FALSE(in(TPoint(5, 5), "(quad (pt 1e40 1e40) (pt 1e40 -1e40) (pt 1e40 1e40) (pt 1e40 1e40))"));
    TPoint target;
    EXPECT_GT(get_best_point_of_region_for_pass(region("(quad (pt 3 3) (pt 3 3) (pt 3 3) (pt 3 3))"), &target),
              -1);
    EXPECT_EQ(target, TPoint(-3, -3));   // the mean of the corners, not the invalid point
}

// The server passes a quadrangle on with its first three corners; the player
// takes the parallelogram they span, mirrored or not.
TEST_F(Coachable, AQuadrangleRelayedWithThreeCornersIsCompleted) {
    hear("(hear 257 online_coach_right (advice");      // the square of 20 m around the centre spot
    const Region &square = core->coach_message.advice.get(0)->condition.logic_list.get(0)->ppos.region;
    EXPECT_TRUE(in_region(TPoint(5, -5), square));       // in the half the relay left out
    EXPECT_TRUE(in_region(TPoint(-5, 5), square));
    EXPECT_FALSE(in_region(TPoint(11, 0), square));
    EXPECT_EQ(quad_center(calc_reg_quad(square.quad)), TPoint(0, 0));

    // Our coach's attacking zone, 30 to 45 m up the field, as each side's player
    // hears it; number 1 on the ball at (36, 20.2), just beside the zone, facing its centre.
    const TPoint me(36, 20.2), centre(37.5, 0);
    const float dir = static_cast<float>((centre - me).ang() * 180 / kPi);
    for (const char *heard : {"(quad (pt -30 20) (pt -45 20) (pt -45 -20))", "(quad (pt 30 -20) (pt 45 -20) (pt 45 20))"}) {
        const Region zone = region(heard);
        EXPECT_EQ(quad_center(calc_reg_quad(zone.quad)), centre) << heard;
        EXPECT_TRUE(in_region(TPoint(31, 19), zone)) << heard;   // by the corner left out
        EXPECT_FALSE(in_region(TPoint(46, 0), zone)) << heard;
        say(std::string("(advice (clear) (9000 (true) (do our {1} (bto ") + heard + " {p}))))");
        place_me(me, dir);
        give_me_the_ball(me + polar_2_point(0.6f, dir * static_cast<float>(kPi / 180)));
        core->body_com.time = kEmptySlot;
        ASSERT_TRUE(core->do_coach_advices()) << heard;
        ASSERT_TRUE(queued(BC_KICK)) << heard;
        EXPECT_NEAR(core->body_com.direction, 0, 10) << heard;   // towards the centre, not out of play
        core->info_snapshot.side = 'l';
    }
}

// ---- conditions ----

TEST_F(Coachable, PlayerPositionsCountedBetweenMinAndMax) {
    place(core->world->teammates[2], TPoint(-1, 1));   // mirrored quad below: x in [-2, 0]
    place(core->world->teammates[3], TPoint(30, 0));
    const std::string r = "(quad (pt 0 -2) (pt 2 -2) (pt 2 2) (pt 0 2))";
    EXPECT_FALSE(holds("(ppos our {2 3 } 0 0 " + r + ")"));
    EXPECT_TRUE(holds("(ppos our {2 3 } 1 1 " + r + ")"));
    EXPECT_FALSE(holds("(ppos opp {2 3 } 1 1 " + r + ")"));
    place(core->world->teammates[2], TPoint(31, 0));
    EXPECT_TRUE(holds("(ppos our {2 3 } 0 0 " + r + ")"));
}

TEST_F(Coachable, BallPositionAndOwner) {
    place_ball(TPoint(10, 0));
    place(core->world->opponents[4], TPoint(10.5, 0.5));
    place(core->world->opponents[6], TPoint(20, 0));
    EXPECT_TRUE(holds("(bpos (arc (pt 0 0) 0 20 0 360))"));
    EXPECT_FALSE(holds("(bpos (arc (pt 0 0) 0 5 0 360))"));
    EXPECT_TRUE(holds("(bowner our {})"));
    EXPECT_TRUE(holds("(bowner opp {4})"));
    EXPECT_FALSE(holds("(bowner opp {4 6})"));
    EXPECT_TRUE(holds("(bowner opp {0 6 4})"));    // with 0: number 4 in reach is met before 6
    EXPECT_FALSE(holds("(bowner opp {0 6})"));
    EXPECT_FALSE(holds("(bowner our {4})"));
}

TEST_F(Coachable, PlayModesAndLogic) {
    EXPECT_TRUE(holds("(playm play_on)"));
    EXPECT_FALSE(holds("(playm bko)"));
    core->info_snapshot.play_mode = PM_GOAL_KICK_OURS;
    EXPECT_TRUE(holds("(playm gk_our)"));
    EXPECT_FALSE(holds("(playm gc_our)"));         // a goal kick is no goalkeeper's catch
    EXPECT_FALSE(holds("(playm gk_opp)"));
    core->catch_state = 1;                          // our goalkeeper holds the ball
    EXPECT_TRUE(holds("(playm gc_our)"));
    EXPECT_FALSE(holds("(playm gc_opp)"));
    core->info_snapshot.event = EV_GOAL_BY_THEM;
    EXPECT_TRUE(holds("(playm ag_opp)"));
    EXPECT_FALSE(holds("(playm penalty)"));        // unknown mode never holds
    EXPECT_FALSE(holds("(and (true) (false) (true))"));
    EXPECT_FALSE(holds("(and (true)(false))"));    // the "(" right after "(true)" is kept
    EXPECT_TRUE(holds("(or (false)(true))"));
    EXPECT_TRUE(holds("(and )"));
    EXPECT_FALSE(holds("(or (false) (false))"));
    EXPECT_TRUE(holds("(or (false) (true))"));
    EXPECT_TRUE(holds("(not (false))"));
    EXPECT_FALSE(holds("(not (true))"));
    EXPECT_FALSE(holds("(not )"));
    EXPECT_FALSE(holds("\"UNDEFINED\""));
}

// ---- pass ratings ----

TEST_F(Coachable, PassChanceFromTheLineAndTheTarget) {
    place_me(TPoint(0, 0), 0);
    EXPECT_FLOAT_EQ(get_chance_of_pass_to_point(TPoint(20, 0)), 1);
    place(core->world->opponents[5], TPoint(10, 0));   // on the line: 20
    EXPECT_FLOAT_EQ(get_chance_of_pass_to_point(TPoint(20, 0)), 1 - 20.0f / 30);
    place(core->world->opponents[6], TPoint(2, 0.11)); // close, s = 0.055: 17 * 1.8
    EXPECT_NEAR(get_chance_of_pass_to_point(TPoint(20, 0)), 1 - (20 + 30.6) / 30, 1e-5);
    core->world->opponents[5].pos_chance = core->world->opponents[6].pos_chance = 0.5f;   // too unsure
    for (int n = 2; n <= 4; ++n)
        place(core->world->teammates[n], TPoint(8 + n, 0));   // on the line and near the target
    EXPECT_FLOAT_EQ(get_chance_of_pass_to_point(TPoint(14, 0)), 1 + 63.0f / 30);
}

TEST_F(Coachable, RegionalPassGoesToTheBestTeammateOrTheCentre) {
    const Region quad = region("(quad (pt -10 -10) (pt -20 -10) (pt -20 10) (pt -10 10))");   // x 10..20
    TPoint target;
    EXPECT_NEAR(get_best_point_of_region_for_pass(quad, &target), 1, 1e-6);
    EXPECT_EQ(target, TPoint(15, 0));
    place(core->world->teammates[3], TPoint(12, 8));
    place(core->world->teammates[4], TPoint(18, -8));
    place(core->world->opponents[2], TPoint(17, -6));
    get_best_point_of_region_for_pass(quad, &target);
    EXPECT_EQ(target, TPoint(12, 8));
    TPoint go;
    get_best_point_of_region_to_go(quad, &go);
    EXPECT_EQ(go, TPoint(15, 0));
}

// ---- the advice step ----

TEST_F(Coachable, CapturedAdviceWithTheBallPassesToTheCoachsPoint) {
    hear("(hear 257 online_coach_right (advice");
    // the coach's (30, 5) is our (-30, -5), seen from me at -158 degrees
    const float dir = static_cast<float>(std::atan2(-10.0, -25.0) * 180 / kPi);
    place_me(TPoint(-5, 5), dir);
    give_me_the_ball(TPoint(-5, 5) + polar_2_point(0.6f, dir * static_cast<float>(kPi / 180)));
    ASSERT_TRUE(core->do_coach_advices());
    ASSERT_TRUE(queued(BC_KICK));
    EXPECT_NEAR(core->body_com.direction, 0, 10);
    EXPECT_GT(core->body_com.power, 10);
}

TEST_F(Coachable, CapturedAdviceWithoutTheBallRunsToThePosition) {
    hear("(hear 0 online_coach_right (advice (7078");
    place_me(TPoint(-10, 0), 0);
    place_ball(TPoint(-30, 20));
    reaches_ball(kMe, 20);
    reaches_ball(5, 3);                                // number 5 takes the ball
    ASSERT_TRUE(core->do_coach_advices());
    ASSERT_TRUE(queued(BC_DASH));                      // towards (0, 0), straight ahead
    EXPECT_GT(core->body_com.power, 0);
    place_me(TPoint(0.3, 0.3), 0);                     // already there
    core->body_com.time = kEmptySlot;
    EXPECT_FALSE(core->do_coach_advices());
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Coachable, FastestTeammateGoesForTheBallWhateverThePosition) {
    hear("(hear 0 online_coach_right (advice (7078");
    place_me(TPoint(-10, 0), 0);
    place_ball(TPoint(-4, 0));
    reaches_ball(kMe, 3);
    reaches_ball(5, 9);
    ASSERT_TRUE(core->do_coach_advices());
    EXPECT_TRUE(queued(BC_DASH));
}

TEST_F(Coachable, PlayerAtTheCentreSpotStillFollowsPositionAdvice) {
    say("(advice (100 (true) (do our {1} (pos (pt -20 0)))))");
    place_me(TPoint(0, 0), 0);
    place_ball(TPoint(-30, 20));
    reaches_ball(kMe, 20);
    reaches_ball(5, 3);
    ASSERT_TRUE(core->do_coach_advices());
    EXPECT_TRUE(queued(BC_DASH));                      // to (20, 0)
}

TEST_F(Coachable, TheTokenOfGreatestTimeWinsTheLaterOnATie) {
    hear("(hear 257 online_coach_right (advice");
    hear("(hear 0 online_coach_right (advice (7078");
    place_ball(TPoint(0, 0));                          // the 12000 token holds: me in the quad, ball in the arc
    std::vector<Directive> mine = core->my_coach_directives();
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].action.type, CAT_BTO_REGIONAL);
    place_ball(TPoint(30, 0));                         // out of the arc: only the 7078 token holds
    mine = core->my_coach_directives();
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].action.type, CAT_POS);
    say("(advice (9000 (true) (do our {1} (pos (pt 1 0)))) (9000 (true) (do our {1} (pos (pt 2 0)))))");
    mine = core->my_coach_directives();
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_FLOAT_EQ(mine[0].action.pos.region.point.X, 2);
}

TEST_F(Coachable, InfoOtherPlayersOpponentsAndUnresolvedActionsAreNotFollowed) {
    place_ball(TPoint(-30, 20));
    reaches_ball(kMe, 3);                              // I would run for the ball on any advice
    hear("(hear 257 online_coach_right (info");
    say("(advice (100 (true) (do our {5} (pos (pt 0 0))) (do opp {1} (pos (pt 0 0)))"
        " (dont our {1} (pos (pt 0 0))) (do our {1} \"NOWHERE\") (do our {1} (htype 3))))");
    EXPECT_FALSE(core->do_coach_advices());
    EXPECT_FALSE(core->action_is_update());
}

TEST_F(Coachable, PassingNowhereLeavesTheDecisionsCommands) {
    say("(advice (100 (true) (do our {1} (bto (null) {p})) (do our {1} (bto {1}))))");
    give_me_the_ball(TPoint(-4.5, 5));
    core->turn(30, true);
    const std::string decided = core->body_com.text;
    EXPECT_FALSE(core->do_coach_advices());            // nowhere, and not to myself
    EXPECT_EQ(decided, core->body_com.text);
}

TEST_F(Coachable, DecideAndSendFollowsTheAdviceAfterTheDecision) {
    say("(advice (100 (true) (do our {1} (bto (pt -30 5) {p}))))");   // our (30, -5), ahead of me
    place_me(TPoint(0, 0), 0);
    give_me_the_ball(TPoint(0.6, 0));
    core->decide_and_send_actions();
    EXPECT_EQ(core->last_body_com.type, BC_KICK);
}

// ---- the player program against the stand-in server ----

// The heading in degrees (field frame) of the ball once it is more than 4 m
// from (x, y); NaN when it does not get there in time.
double heading_away_from(const StandInServer &server, double x, double y) {
    using namespace std::chrono_literals;
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(20ms)) {
        const StandInWorld w = server.world();
        if (std::hypot(w.ball_x - x, w.ball_y - y) > 4)
            return std::atan2(w.ball_y - y, w.ball_x - x) * 180 / kPi;
    }
    return NAN;
}

// Number 2 on the ball at our left wing, facing back towards number 7 in
// sight (-143 degrees); its own choice would be to play forward, the coach
// tells it to pass to number 7.
TEST(CoachableProgram, ThePlayerPassesWhereItsCoachSays) {
    using namespace std::chrono_literals;
    StandInServer server;
    ASSERT_TRUE(server.start());
    const std::string dir = program_dir(server.port(), "Testers", true);
    ASSERT_TRUE(server.add_still_player("Testers", 1, -50, 0, 0, true));
    ASSERT_TRUE(server.add_still_player("Testers", 7, -36.4, -24.8, 0));
    ChildProcess player;
    ASSERT_TRUE(player.start(PLAYER_BIN, {}, dir));
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text.rfind("(move ", 0) == 0; }, 5s));
    server.kick_off();
    server.set_play_mode("play_on");
    ASSERT_TRUE(server.send_to("Testers", 2, "(hear 3 online_coach_left (advice (100 (true) (do our {2} (bto {7})))))"));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(server.place_player("Testers", 2, -30, -20, -120));
    std::this_thread::sleep_for(500ms);   // a few sees show number 7
    server.place_ball(-30.25, -20.43);
    // once it has left the player (turning it around the body comes first)
    EXPECT_NEAR(heading_away_from(server, -30, -20), -143, 15) << player.output();
}

// Our coach's attacking zone, said through the stand-in, which passes the
// quadrangle on with three corners as the server does. Number 2 on the ball at
// (36, 20.2), where the server drops it after a goal kick, passes into the
// zone's middle (37.5, 0), not along the goal line towards its corner (45, 20).
TEST(CoachableProgram, APassIntoTheRelayedZoneStaysInPlay) {
    using namespace std::chrono_literals;
    StandInServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.add_still_player("Testers", 1, -50, 0, 0, true));
    ChildProcess player;
    ASSERT_TRUE(player.start(PLAYER_BIN, {}, program_dir(server.port(), "Testers", true)));
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text == "(clang (ver 7 7))"; }, 5s));
    TestClient coach;
    coach.send(server.coach_port(), "(init Testers (version 7))");
    ASSERT_EQ(coach.receive(), "(init l ok)");
    coach.send(server.coach_port(), "(say (advice (9000 (true) (do our {2} (bto (quad (pt 30.0 -20.0)(pt 45.0 -20.0)"
                                    "(pt 45.0 20.0)(pt 30.0 20.0)) {p})))))");
    ASSERT_EQ(coach.receive(), "(ok say)");
    server.kick_off();
    server.set_play_mode("play_on");
    ASSERT_TRUE(server.place_player("Testers", 2, 35.5, 20.2, 0));
    std::this_thread::sleep_for(500ms);   // a few sees to find itself
    server.place_ball(36, 20.2);
    EXPECT_NEAR(heading_away_from(server, 36, 20.2), std::atan2(-20.2, 1.5) * 180 / kPi, 15) << player.output();
}

// The advice message (without its say command) that the coach said last and
// that holds text; empty when there is none.
std::string coach_advice(const StandInServer &server, const std::string &text) {
    std::string advice;
    for (const StandInDatagram &d : server.received())
        if (d.coach && d.text.rfind("(say (advice ", 0) == 0 && d.text.find(text) != std::string::npos)
            advice = d.text.substr(5, d.text.size() - 6);
    return advice;
}

// Our coach and two players (numbers 9 and 10, the others stand still) play
// from the right on the stand-in. The players ask for the coach language. Once
// the opponents have scored from (40, 0), the coach advises clearing around
// that place: as our players read it, in our own half, while the attacking
// zone lies in theirs. Number 9, put on the ball near its attacking point,
// plays the ball back into the zone as advised.
TEST(CoachableProgram, ARightSideTeamHearsAndFollowsItsCoach) {
    using namespace std::chrono_literals;
    StandInServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.add_still_player("Alpha", 1, -50, 0, 0, true));
    ASSERT_TRUE(server.add_still_player("Alpha", 8, 39.5, 0, 0));           // the scorer
    ASSERT_TRUE(server.add_still_player("Beta", 1, 50, 12, 180, true));     // off the ball's way
    for (int unum = 2; unum <= 8; ++unum)
        ASSERT_TRUE(server.add_still_player("Beta", unum, 30, 3.0 * unum - 15, 180));
    ChildProcess players[2], coach;
    for (ChildProcess &player : players) {
        ASSERT_TRUE(player.start(PLAYER_BIN, {}, program_dir(server.port(), "Beta", true)));
        std::this_thread::sleep_for(100ms);
    }
    const std::string coach_dir = program_dir(server.coach_port(), "Beta", false);
    ASSERT_EQ(rename((coach_dir + "/agent.conf").c_str(), (coach_dir + "/coach.conf").c_str()), 0);
    ASSERT_TRUE(coach.start(BIN_DIR "/coach", {}, coach_dir));
    for (int unum : {9, 10})
        ASSERT_TRUE(server.wait_for([unum](const StandInDatagram &d) {
            return d.team == "Beta" && d.unum == unum && d.text == "(clang (ver 7 7))";
        }, 5s)) << unum;
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.coach && d.text.rfind("(say (advice ", 0) == 0; },
                                5s)) << coach.output();

    // The shot: the ball at the scorer's feet, then off towards our goal.
    server.kick_off();
    server.set_play_mode("play_on");
    server.place_ball(40.2, 0);
    std::this_thread::sleep_for(300ms);
    server.place_ball(40.2, 0, 2.5, 0);
    std::this_thread::sleep_for(400ms);
    server.set_play_mode("goal_l_1");
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) {
        return d.coach && d.text.find("(bpos ") != std::string::npos;
    }, 5s)) << coach.output();

    // The advice as number 9 of the right-hand team reads it.
    make_agent<TCore>(9, true);
    core->info_snapshot.side = 'r';
    TCoach_Parser reader(&core->coach_message);
    reader.parse_coach_message(coach_advice(server, "(bpos ").c_str());
    const AI_Token *clearing = nullptr, *attacking = nullptr;
    for (int i = 0; i < core->coach_message.advice.count(); ++i) {
        const AI_Token *token = core->coach_message.advice.get(i);
        if (token->directive_list.get(0)->player_list.players[9])
            (token->condition.type == CT_AND ? clearing : attacking) = token;
    }
    ASSERT_TRUE(clearing && attacking);
    const Region &square = clearing->condition.logic_list.get(1)->bpos.region;
    EXPECT_TRUE(is_point_in_region(TPoint(-40, 0), &square));     // our half, where they scored from
    EXPECT_FALSE(is_point_in_region(TPoint(40, 0), &square));
    const Region &zone = attacking->directive_list.get(0)->action.bto_regional.region;
    EXPECT_TRUE(is_point_in_region(TPoint(37.5, 0), &zone));      // their half
    EXPECT_FALSE(is_point_in_region(TPoint(-37.5, 0), &zone));
    // Number 9 with the ball 10 m beyond its attacking point, facing their goal.
    const TPoint centre = calc_reg_point_position(attacking->condition.ppos.region.arc.point, true);
    const TPoint at = centre + TPoint(10, 0);
    destroy_agent();

    server.set_play_mode("play_on");
    ASSERT_TRUE(server.place_player("Beta", 9, -at.X, -at.Y, 180));
    std::this_thread::sleep_for(500ms);
    server.place_ball(-at.X - 0.5, -at.Y);
    // Back into the zone, whose middle is at (-37.5, 0) on the field.
    const double advised = std::atan2(at.Y, at.X + 0.5 - 37.5) * 180 / kPi;
    EXPECT_NEAR(heading_away_from(server, -at.X - 0.5, -at.Y), advised, 15) << players[0].output();
}

}  // namespace
