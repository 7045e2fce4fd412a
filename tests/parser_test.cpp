// The server-message parser against captured server traffic and the protocol's
// corner cases: see (left and mirrored right), sense_body, init, hear, referee
// words, player types and their changes.

#include "player/runtime/parser.h"

#include <cfloat>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/transfer.h"
#include "fixtures.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

namespace {

std::string scene_dir;
std::string previous_dir;

}  // namespace

// A fresh core, world model and parser, in a temporary directory of their own
// (the core opens its log files there). Shared with the fuzz test.
void start_parser_scene() {
    previous_dir = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "parser_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scene_dir = pattern;
    std::filesystem::current_path(scene_dir);
    net = new TTransfer();          // never connected: move commands go nowhere
    core = new TCore();
    core->world = new TWorld_Model();
    parser = new TParser();
}

void end_parser_scene() {
    delete parser;
    delete core->world;
    delete core;
    delete net;
    parser = nullptr;
    core = nullptr;
    net = nullptr;
    std::filesystem::current_path(previous_dir);
    std::filesystem::remove_all(scene_dir);
}

// Parses a copy of text in a buffer of exactly its size, as the link hands it over.
void parse_text(const std::string &text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    parser->parse_message(buffer.data());
}

namespace {

std::string error_file() {
    fflush(core->err_stream);
    std::ifstream in(scene_dir + "/default.err");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ParserScene : public ::testing::Test {
protected:
    void SetUp() override { start_parser_scene(); }
    void TearDown() override { end_parser_scene(); }
    Info &info() { return core->info; }
};

// ---- token readers ----

TEST(ParserReaders, NumbersStepOverTheirDelimiterButNotOverTheEnd) {
    char text[] = "3500.5 1)";
    char *cur = text;
    EXPECT_EQ(TParser::get_integer(&cur), 3500);
    EXPECT_EQ(cur, text + 7);
    EXPECT_FLOAT_EQ(TParser::get_float(&cur), 1.0f);
    EXPECT_EQ(*cur, '\0');
    EXPECT_EQ(TParser::get_integer(&cur), 0);      // an empty token at the end
    EXPECT_EQ(*cur, '\0');
    EXPECT_FLOAT_EQ(TParser::get_float(&cur), 0.0f);
    EXPECT_EQ(*cur, '\0');
}

TEST(ParserReaders, HugeAndMalformedNumbersAreBounded) {
    char text[] = "-2147483648999 99999999999) 1e999 -1e999 nan 1e300 abc 12x";
    char *cur = text;
    EXPECT_EQ(TParser::get_integer(&cur), INT_MIN);
    EXPECT_EQ(TParser::get_integer(&cur), INT_MAX);
    ++cur;                                         // the blank after ')'
    EXPECT_EQ(TParser::get_float(&cur), FLT_MAX);
    EXPECT_EQ(TParser::get_float(&cur), -FLT_MAX);
    EXPECT_EQ(TParser::get_float(&cur), 0.0f);
    EXPECT_EQ(TParser::get_float(&cur), FLT_MAX);
    EXPECT_EQ(TParser::get_integer(&cur), 0);
    EXPECT_EQ(TParser::get_integer(&cur), 12);
}

TEST(ParserReaders, WordStopsOnItsDelimiterAndFitsItsBuffer) {
    char text[] = "\"Alpha\" 10)";
    char *cur = text;
    char word[5];
    TParser::get_string(&cur, word, sizeof word);
    EXPECT_STREQ(word, "\"Alp");
    EXPECT_EQ(*cur, ' ');
}

TEST(ParserReaders, RestOfTheMessageLosesOnlyItsClosingBracket) {
    char out[64];
    char referee[] = "play_on)";
    char *cur = referee;
    TParser::get_string2(&cur, out, sizeof out);
    EXPECT_STREQ(out, "play_on");
    EXPECT_EQ(cur, referee);

    char said[] = "\"Ryz).2AY.Os8\")\n";
    cur = said;
    TParser::get_string2(&cur, out, sizeof out);
    EXPECT_STREQ(out, "\"Ryz).2AY.Os8\"");

    char cut[] = "play_on";                    // a message truncated before its ')'
    cur = cut;
    TParser::get_string2(&cur, out, sizeof out);
    EXPECT_STREQ(out, "play_on");

    char small[4];
    cur = referee;
    TParser::get_string2(&cur, small, sizeof small);
    EXPECT_STREQ(small, "pla");
}

TEST(ParserReaders, TeamNameLosesOnlyItsQuotes) {
    char quoted[] = "\"Alpha\"";
    TParser::normalize_team_name(quoted);
    EXPECT_STREQ(quoted, "Alpha");
    char cut[] = "\"Alp";
    TParser::normalize_team_name(cut);
    EXPECT_STREQ(cut, "Alp");
    char quote[] = "\"";
    TParser::normalize_team_name(quote);
    EXPECT_STREQ(quote, "");
    char empty[] = "";
    TParser::normalize_team_name(empty);
    EXPECT_STREQ(empty, "");
}

// ---- see ----

class ParserSee : public ParserScene {};

TEST_F(ParserSee, LeftPlayerSeesFlagsGoalLineBallAndPlayers) {
    parse_text(fixture_line("player-left-match.txt", "(init l 11 "));
    core->real_cycle = 7;
    core->msec = 1234;
    parse_text(fixture_line("player-left-match.txt", "(see 111 "));
    const See_Info &see = info().see;
    EXPECT_EQ(info().message_kind, MK_SEE);
    EXPECT_EQ(info().see_time, 111);
    EXPECT_EQ(info().see_cycle, 7);
    EXPECT_EQ(core->last_see_msec, 1234);
    ASSERT_EQ(see.flag_count, 28);
    EXPECT_EQ(see.line_count, 1);
    EXPECT_EQ(see.player_count, 8);

    // "(f c) 21.1 -80 0 -0.3"
    EXPECT_EQ(see.flags[0].side, FLAG_SIDE_CENTER);
    EXPECT_EQ(see.flags[0].vert_pos, FLAG_VERT_NONE);
    EXPECT_EQ(see.flags[0].mark, -1);
    EXPECT_EQ(see.flags[0].line, 0);
    EXPECT_FLOAT_EQ(see.flags[0].dist, 21.1f);
    EXPECT_FLOAT_EQ(see.flags[0].dir, -80.0f);
    // "(f g l b) 36.2 54"
    EXPECT_EQ(see.flags[4].kind, 'g');
    EXPECT_EQ(see.flags[4].side, FLAG_SIDE_LEFT);
    EXPECT_EQ(see.flags[4].vert_pos, FLAG_VERT_BOTTOM);
    EXPECT_EQ(see.flags[4].line, 0);
    // "(f p l c) 18.2 53 -0 0.1"
    EXPECT_EQ(see.flags[8].kind, 'p');
    EXPECT_EQ(see.flags[8].side, FLAG_SIDE_LEFT);
    EXPECT_EQ(see.flags[8].vert_pos, FLAG_VERT_CENTER);
    // "(f b 0) 50.9 -35": on the bottom boundary, mark 0
    EXPECT_EQ(see.flags[9].vert_pos, FLAG_VERT_BOTTOM);
    EXPECT_EQ(see.flags[9].side, FLAG_SIDE_NONE);
    EXPECT_EQ(see.flags[9].line, 'h');
    EXPECT_EQ(see.flags[9].mark, 0);
    // "(f r b 10) 79 -89": on the right boundary, mark 10
    EXPECT_EQ(see.flags[20].side, FLAG_SIDE_RIGHT);
    EXPECT_EQ(see.flags[20].vert_pos, FLAG_VERT_BOTTOM);
    EXPECT_EQ(see.flags[20].line, 'v');
    EXPECT_EQ(see.flags[20].mark, 10);
    EXPECT_FLOAT_EQ(see.flags[20].dist, 79.0f);

    // "(g l) 33.8 65" is our goal; "(l b) 42.9 78"
    EXPECT_TRUE(see.goals[0].seen);
    EXPECT_FLOAT_EQ(see.goals[0].dist, 33.8f);
    EXPECT_FLOAT_EQ(see.goals[0].dir, 65.0f);
    EXPECT_FALSE(see.goals[1].seen);
    EXPECT_EQ(see.lines[0].side, LINE_BOTTOM);
    EXPECT_FLOAT_EQ(see.lines[0].dist, 42.9f);
    EXPECT_FLOAT_EQ(see.lines[0].dir, 78.0f);

    // "(b) 22.2 -80 0 -0.3"
    EXPECT_TRUE(see.ball_seen);
    EXPECT_FLOAT_EQ(see.ball_dist, 22.2f);
    EXPECT_FLOAT_EQ(see.ball_dir, -80.0f);
    EXPECT_TRUE(see.ball_dist_change_known);
    EXPECT_TRUE(see.ball_dir_change_known);
    EXPECT_FLOAT_EQ(see.ball_dist_change, 0.0f);
    EXPECT_FLOAT_EQ(see.ball_dir_change, -0.3f);

    // "(p "Alpha" 1 goalie) 30 63 -0 0.1 -16 -2"
    const Seen_Player &keeper = see.players[0];
    EXPECT_STREQ(keeper.team, "Alpha");
    EXPECT_TRUE(keeper.unum_known);
    EXPECT_EQ(keeper.unum, 1);
    EXPECT_EQ(keeper.is_goalie, 1);
    EXPECT_FLOAT_EQ(keeper.dist, 30.0f);
    EXPECT_FLOAT_EQ(keeper.dir, 63.0f);
    EXPECT_TRUE(keeper.dist_change_known && keeper.dir_change_known);
    EXPECT_FLOAT_EQ(keeper.dir_change, 0.1f);
    EXPECT_TRUE(keeper.body_dir_known && keeper.head_dir_known);
    EXPECT_FLOAT_EQ(keeper.body_dir, -16.0f);
    EXPECT_FLOAT_EQ(keeper.head_dir, -2.0f);
    // "(p "Alpha" 10) 20.1 -31 0 -0.8 -95 176"
    const Seen_Player &ten = see.players[7];
    EXPECT_EQ(ten.unum, 10);
    EXPECT_EQ(ten.is_goalie, 0);
    EXPECT_FLOAT_EQ(ten.dist, 20.1f);
    EXPECT_FLOAT_EQ(ten.dist_change, 0.0f);
    EXPECT_FLOAT_EQ(ten.dir_change, -0.8f);
    EXPECT_FLOAT_EQ(ten.body_dir, -95.0f);
    EXPECT_FLOAT_EQ(ten.head_dir, 176.0f);
}

TEST_F(ParserSee, RightPlayerReadsNamesMirrored) {
    parse_text(fixture_line("player-right-match.txt", "(init r 1 "));
    parse_text(fixture_line("player-right-match.txt", "(see 10 "));
    const See_Info &see = info().see;
    ASSERT_EQ(see.flag_count, 23);
    EXPECT_EQ(see.player_count, 11);
    // "(f l t) 79.8 25" reads as the right bottom corner of the left team's frame
    EXPECT_EQ(see.flags[1].side, FLAG_SIDE_RIGHT);
    EXPECT_EQ(see.flags[1].vert_pos, FLAG_VERT_BOTTOM);
    EXPECT_FLOAT_EQ(see.flags[1].dir, 25.0f);   // directions stay as seen
    // "(f p l b) 59.7 -20"
    EXPECT_EQ(see.flags[5].kind, 'p');
    EXPECT_EQ(see.flags[5].side, FLAG_SIDE_RIGHT);
    EXPECT_EQ(see.flags[5].vert_pos, FLAG_VERT_TOP);
    // "(f t l 20) 55.7 44"
    EXPECT_EQ(see.flags[8].vert_pos, FLAG_VERT_BOTTOM);
    EXPECT_EQ(see.flags[8].side, FLAG_SIDE_RIGHT);
    EXPECT_EQ(see.flags[8].line, 'h');
    EXPECT_EQ(see.flags[8].mark, 20);
    // "(g l) 72.2 0" is the opponents' goal; "(l l) 72.2 -90" their goal line
    EXPECT_FALSE(see.goals[0].seen);
    EXPECT_TRUE(see.goals[1].seen);
    EXPECT_FLOAT_EQ(see.goals[1].dist, 72.2f);
    EXPECT_EQ(see.lines[0].side, LINE_RIGHT);
    // "(p) 66.7 0": anonymous
    EXPECT_STREQ(see.players[0].team, "");
    EXPECT_FALSE(see.players[0].unum_known);
    EXPECT_FALSE(see.players[0].dist_change_known);
    EXPECT_FLOAT_EQ(see.players[0].dist, 66.7f);
    // "(p "Alpha" 3) 36.6 -6 -0.732 -0 174 84"
    EXPECT_STREQ(see.players[2].team, "Alpha");
    EXPECT_EQ(see.players[2].unum, 3);
    EXPECT_FLOAT_EQ(see.players[2].dist_change, -0.732f);
    EXPECT_FLOAT_EQ(see.players[2].body_dir, 174.0f);
    EXPECT_FLOAT_EQ(see.players[2].head_dir, 84.0f);
    // "(p "Alpha") 40.4 18": team without a number
    EXPECT_STREQ(see.players[3].team, "Alpha");
    EXPECT_FALSE(see.players[3].unum_known);
    EXPECT_FALSE(see.players[3].body_dir_known);
}

TEST_F(ParserSee, PenaltyFlagOfTheRightSideSeenFromTheRight) {
    parse_text(fixture_line("player-basic.txt", "(init r 1 "));
    parse_text(fixture_line("player-basic.txt", "(see 0 ((f r t) 53.5 -31)"));
    const See_Info &see = info().see;
    // "(f p r b) 39.6 42" is the fifth flag
    EXPECT_EQ(see.flags[4].kind, 'p');
    EXPECT_EQ(see.flags[4].side, FLAG_SIDE_LEFT);
    EXPECT_EQ(see.flags[4].vert_pos, FLAG_VERT_TOP);
    EXPECT_TRUE(see.goals[0].seen);               // "(g r)" is ours
    EXPECT_EQ(see.lines[0].side, LINE_LEFT);      // "(l r)"
}

TEST_F(ParserSee, CentreFlagAndBallWithChanges) {
    parse_text("(see 5 ((f c) 10.5 0) ((b) 3 -20 0.1 2))");
    const See_Info &see = info().see;
    ASSERT_EQ(see.flag_count, 1);
    EXPECT_EQ(see.flags[0].side, FLAG_SIDE_CENTER);
    EXPECT_EQ(see.flags[0].mark, -1);
    EXPECT_EQ(see.flags[0].line, 0);
    EXPECT_FLOAT_EQ(see.flags[0].dist, 10.5f);
    EXPECT_FLOAT_EQ(see.ball_dist, 3.0f);
    EXPECT_FLOAT_EQ(see.ball_dir, -20.0f);
    EXPECT_FLOAT_EQ(see.ball_dist_change, 0.1f);
    EXPECT_FLOAT_EQ(see.ball_dir_change, 2.0f);
    EXPECT_TRUE(see.ball_dist_change_known && see.ball_dir_change_known);

    parse_text("(see 6 ((f c) 10.5 0) ((b) 3 -20))");
    EXPECT_TRUE(info().see.ball_seen);
    EXPECT_FALSE(info().see.ball_dist_change_known);
    EXPECT_FALSE(info().see.ball_dir_change_known);
}

TEST_F(ParserSee, NextSeeStartsFromAClearRecord) {
    parse_text(fixture_line("player-left-match.txt", "(see 111 "));
    parse_text("(see 112 ((f c) 1 2))");
    const See_Info &see = info().see;
    EXPECT_EQ(see.flag_count, 1);
    EXPECT_EQ(see.line_count, 0);
    EXPECT_EQ(see.player_count, 0);
    EXPECT_FALSE(see.ball_seen);
    EXPECT_FALSE(see.goals[0].seen);
    EXPECT_EQ(see.flags[1].mark, -1);
    EXPECT_FLOAT_EQ(see.flags[1].dist, 0.0f);
    EXPECT_STREQ(see.players[0].team, "");
    EXPECT_FALSE(see.players[0].body_dir_known);

    parser->see_free(&info());
    EXPECT_EQ(info().see_cycle, -1);
    EXPECT_EQ(info().see.flag_count, 0);
}

TEST_F(ParserSee, FullstatePlacesBallAndPlayers) {
    parse_text("(init l 1 before_kick_off)");
    parse_text("(fullstate 12 (pmode play_on) (vmode low wide) (score 0 0) (ball 1.5 -2 0.3 0.1) "
               "(l_1 -50 0 0.2 0 45 10 7000 0.9 0.95) (r_2 10 5 -0.1 0 180 0 8000 1 1))");
    EXPECT_EQ(info().message_kind, MK_SEE);
    EXPECT_EQ(info().see_time, 12);
    EXPECT_TRUE(info().see.fullstate_seen);
    EXPECT_EQ(info().play_mode, PM_PLAY_ON);
    EXPECT_EQ(info().sense.view_quality, 0);
    EXPECT_EQ(info().sense.view_width, 180);
    const TWorld_Model &world = *core->world;
    EXPECT_DOUBLE_EQ(world.ball.pos.X, 1.5);
    EXPECT_DOUBLE_EQ(world.ball.pos.Y, -2.0);
    EXPECT_NEAR(world.ball.vel.X, 0.3, 1e-6);
    EXPECT_FLOAT_EQ(world.ball.pos_chance, 1.0f);
    EXPECT_DOUBLE_EQ(world.teammates[1].pos.X, -50.0);
    EXPECT_NEAR(world.teammates[1].vel.X, 0.2, 1e-6);
    EXPECT_FLOAT_EQ(world.teammates[1].body, 45.0f);
    EXPECT_FLOAT_EQ(world.teammates[1].head, 55.0f);
    EXPECT_FLOAT_EQ(world.teammates[1].vel_chance, 1.0f);
    EXPECT_EQ(info().sense.fullstate_int, 7000);
    EXPECT_FLOAT_EQ(info().sense.effort, 0.9f);
    EXPECT_FLOAT_EQ(info().sense.fullstate_float, 0.95f);
    EXPECT_DOUBLE_EQ(world.opponents[2].pos.Y, 5.0);
    EXPECT_FLOAT_EQ(world.opponents[2].body, 180.0f);

    // A right-side player takes the same message into its own frame.
    parse_text("(init r 2 before_kick_off)");
    parse_text("(fullstate 12 (pmode play_on) (ball 1.5 -2 0.3 0.1) "
               "(l_1 -50 0 0.2 0 45 10 7000 0.9 0.95) (r_2 10 5 -0.1 0 180 0 8000 1 1))");
    EXPECT_DOUBLE_EQ(world.ball.pos.X, -1.5);
    EXPECT_DOUBLE_EQ(world.ball.pos.Y, 2.0);
    EXPECT_NEAR(world.ball.vel.X, -0.3, 1e-6);
    EXPECT_NEAR(world.ball.vel.Y, -0.1, 1e-6);
    EXPECT_DOUBLE_EQ(world.opponents[1].pos.X, 50.0);
    EXPECT_NEAR(world.opponents[1].vel.X, -0.2, 1e-6);
    EXPECT_FLOAT_EQ(world.opponents[1].body, -135.0f);
    EXPECT_FLOAT_EQ(world.opponents[1].head, -125.0f);
    EXPECT_DOUBLE_EQ(world.teammates[2].pos.X, -10.0);
    EXPECT_DOUBLE_EQ(world.teammates[2].pos.Y, -5.0);
    EXPECT_FLOAT_EQ(world.teammates[2].body, 0.0f);
    EXPECT_EQ(info().sense.fullstate_int, 8000);
}

// ---- sense_body ----

class ParserSense : public ParserScene {};

TEST_F(ParserSense, CapturedSenseBody) {
    core->real_cycle = 4;
    parse_text(fixture_line("player-basic.txt", "(sense_body 3 "));
    const Sense_Info &sense = info().sense;
    EXPECT_EQ(info().message_kind, MK_SENSE);
    EXPECT_EQ(sense.cycle, 4);
    EXPECT_EQ(sense.time, 3);
    EXPECT_EQ(sense.view_quality, 1);
    EXPECT_EQ(sense.view_width, 90);
    EXPECT_EQ(sense.stamina, 7890);
    EXPECT_FLOAT_EQ(sense.effort, 1.0f);
    EXPECT_FLOAT_EQ(sense.speed, 0.36f);
    EXPECT_FLOAT_EQ(sense.speed_dir, 1.0f);
    EXPECT_EQ(sense.dash_count, 2);
    EXPECT_EQ(sense.move_count, 1);
    EXPECT_EQ(sense.kick_count, 0);
}

TEST_F(ParserSense, TurnAndTurnNeckAreTwoCounters) {
    parse_text(fixture_line("player-right-coach-advice.txt", "(sense_body 255 "));
    EXPECT_EQ(info().sense.turn_count, 254);
    EXPECT_EQ(info().sense.turn_neck_count, 0);
    EXPECT_FLOAT_EQ(info().sense.speed_dir, -63.0f);
    parse_text("(sense_body 9 (view_mode high normal) (head_angle -45) (turn 1) (turn_neck 6) (say 2) "
               "(catch 3) (change_view 4))");
    EXPECT_EQ(info().sense.turn_count, 1);
    EXPECT_EQ(info().sense.turn_neck_count, 6);
    EXPECT_EQ(info().sense.say_count, 2);
    EXPECT_EQ(info().sense.catch_count, 3);
    EXPECT_EQ(info().sense.change_view_count, 4);
    EXPECT_FLOAT_EQ(info().sense.head_angle, -45.0f);
}

TEST_F(ParserSense, ViewModesAndFractionalStamina) {
    parse_text("(sense_body 7 (view_mode high wide) (stamina 3500.5 0.8) (speed 0 0))");
    EXPECT_EQ(info().sense.view_quality, 1);
    EXPECT_EQ(info().sense.view_width, 180);
    EXPECT_EQ(info().sense.stamina, 3500);
    EXPECT_FLOAT_EQ(info().sense.effort, 0.8f);
    parse_text("(sense_body 8 (view_mode low narrow))");
    EXPECT_EQ(info().sense.view_quality, 0);
    EXPECT_EQ(info().sense.view_width, 45);
}

// ---- init ----

class ParserInit : public ParserScene {};

TEST_F(ParserInit, LeftRightAndGoalkeeperReplies) {
    parse_text(fixture_line("player-basic.txt", "(init l 1 "));
    EXPECT_EQ(info().message_kind, MK_INIT);
    EXPECT_EQ(info().side, 'l');
    EXPECT_EQ(info().their_side, 'r');
    EXPECT_EQ(info().unum, 1);
    EXPECT_STREQ(info().play_mode_text, "before_kick_off");
    EXPECT_EQ(info().play_mode, PM_BEFORE_KICK_OFF);
    EXPECT_TRUE(core->game_stopped);

    parse_text(fixture_line("player-basic.txt", "(init l 2 "));
    EXPECT_EQ(info().unum, 2);
    parse_text(fixture_line("player-basic.txt", "(init r 1 "));
    EXPECT_EQ(info().side, 'r');
    EXPECT_EQ(info().their_side, 'l');
    EXPECT_EQ(info().unum, 1);
}

TEST_F(ParserInit, NumbersOutsideTheTeamAreNotTaken) {
    parse_text("(init l 4 play_on)");
    parse_text("(init l 12 play_on)");
    EXPECT_EQ(info().unum, 4);
    parse_text(fixture_line("coach-basic.txt", "(init l ok)"));
    EXPECT_EQ(info().message_kind, MK_INIT);
    EXPECT_EQ(info().unum, 4);
}

// The reply to the coach-language request: agreed, or refused by an error
// that comes while it is asked for; other errors change nothing.
TEST_F(ParserInit, CoachLanguageReplies) {
    core->clang_state = CLANG_ASKED;
    parse_text(fixture_line("player-left-match.txt", "(ok clang "));
    EXPECT_EQ(core->clang_state, CLANG_ON);
    parse_text(fixture_line("player-errors.txt", "(error "));
    EXPECT_EQ(core->clang_state, CLANG_ON);
    EXPECT_EQ(info().message_kind, MK_NONE);

    core->clang_state = CLANG_ASKED;
    parse_text("(error illegal_command_form)");
    EXPECT_EQ(core->clang_state, CLANG_REFUSED);
    parse_text("(ok clang (ver 7 7))");   // a late agreement still counts
    EXPECT_EQ(core->clang_state, CLANG_ON);
    core->clang_state = CLANG_NOT_ASKED;
    parse_text("(error unknown_command)");
    EXPECT_EQ(core->clang_state, CLANG_NOT_ASKED);
}

// ---- hear ----

class ParserHear : public ParserScene {};

TEST_F(ParserHear, SelfAndTeammatesKeepTheirWholeText) {
    core->real_cycle = 30;
    parse_text(fixture_line("player-basic.txt", "(hear 31 self "));
    ASSERT_EQ(info().hear_index, 0);
    EXPECT_EQ(info().message_kind, MK_HEAR);
    EXPECT_EQ(info().hear[0].time, 31);
    EXPECT_EQ(info().hear[0].cycle, 30);
    EXPECT_EQ(info().hear[0].sender, 's');
    EXPECT_STREQ(info().hear[0].text, "\"hello\"");

    parse_text(fixture_line("player-basic.txt", "(hear 31 -22 "));
    ASSERT_EQ(info().hear_index, 1);
    EXPECT_EQ(info().hear[1].sender, 0);
    EXPECT_FLOAT_EQ(info().hear[1].dir, -22.0f);
    EXPECT_STREQ(info().hear[1].text, "\"hello\"");

    parse_text(fixture_line("player-left-match.txt", "(hear 50 self "));
    EXPECT_STREQ(info().hear[2].text,
                 "\"(Alpha 11) <tp(3 -10.5 2.0 1.0)><op><b(0.0 0.0 1.0 0.0 0.0 0.5)>\"");
    parse_text(fixture_line("player-right-coach-advice.txt", "(hear 254 172 "));
    EXPECT_FLOAT_EQ(info().hear[3].dir, 172.0f);
    EXPECT_STREQ(info().hear[3].text, "\"RszBs7-DgOs_\"");
}

TEST_F(ParserHear, EleventhMessageOfACycleIsDropped) {
    for (int i = 0; i < kMaxHear; ++i)
        parse_text("(hear 5 10 \"m" + std::to_string(i) + "\")");
    ASSERT_EQ(info().hear_index, kMaxHear - 1);
    parse_text("(hear 5 10 \"eleventh\")");
    EXPECT_EQ(info().message_kind, MK_NONE);
    EXPECT_EQ(info().hear_index, kMaxHear - 1);
    EXPECT_STREQ(info().hear[kMaxHear - 1].text, "\"m9\"");
}

TEST_F(ParserHear, CoachAndUnknownSendersStoreNothing) {
    parse_text(fixture_line("player-right-match.txt", "(init r 1 "));
    for (const std::string &line : fixture_lines("player-right-coach-advice.txt"))
        if (line.find("online_coach_") != std::string::npos)
            parse_text(line);
    parse_text(fixture_line("coach-match.txt", "(hear 1 (p "));
    EXPECT_EQ(info().message_kind, MK_NONE);
    EXPECT_EQ(info().hear_index, -1);
    EXPECT_EQ(info().play_mode, PM_BEFORE_KICK_OFF);
}

// ---- referee ----

class ParserReferee : public ParserScene {
protected:
    void referee(const char *word) { parse_text(std::string("(hear 10 referee ") + word + ")"); }
};

TEST_F(ParserReferee, WordsOfALeftPlayer) {
    struct Case {
        const char *word;
        int play_mode, event;
        bool stopped, their_set_play;
    };
    const Case cases[] = {
        {"corner_kick_l", PM_CORNER_KICK_OURS, EV_NONE, false, false},
        {"free_kick_r", PM_FREE_KICK_THEIRS, EV_NONE, false, true},
        {"goal_kick_l", PM_GOAL_KICK_OURS, EV_NONE, false, false},     // not a goal
        {"goal_kick_r", PM_GOAL_KICK_THEIRS, EV_NONE, false, true},
        {"kick_in_l", PM_KICK_IN_OURS, EV_NONE, false, false},
        {"kick_off_r", PM_KICK_OFF_THEIRS, EV_NONE, false, true},
        {"drop_ball", PM_STOPPED, EV_DROP_BALL, false, false},
        {"play_on", PM_PLAY_ON, EV_NONE, false, false},
        {"time_over", PM_TIME_OVER, EV_NONE, true, false},
        {"foul_l", PM_STOPPED, EV_FOUL_BY_US, false, false},
        {"foul_r", PM_STOPPED, EV_FOUL_BY_THEM, true, false},
        {"goal_l_1", PM_STOPPED, EV_GOAL_BY_US, true, false},
        {"goal_r_12", PM_STOPPED, EV_GOAL_BY_THEM, true, true},
        {"half_time", PM_STOPPED, EV_HALF_TIME, true, false},
        {"goalie_catch_ball_l", PM_KICK_OFF_OURS, EV_NONE, false, false},  // not a goal
        {"offside_l", PM_STOPPED, EV_OFFSIDE_LEFT, false, false},
        {"offside_r", PM_STOPPED, EV_OFFSIDE_RIGHT, true, true},
        {"time_up", PM_STOPPED, EV_TIME_UP, true, false},
        {"time_up_without_a_team", PM_STOPPED, EV_TIME_UP_WITHOUT_TEAM, true, false},
        {"before_kick_off", PM_BEFORE_KICK_OFF, EV_NONE, true, false},
    };
    parse_text("(init l 5 before_kick_off)");
    for (const Case &c : cases) {
        referee(c.word);
        EXPECT_EQ(info().message_kind, MK_NONE) << c.word;
        EXPECT_EQ(info().play_mode, c.play_mode) << c.word;
        EXPECT_EQ(info().event, c.event) << c.word;
        EXPECT_EQ(core->game_stopped, c.stopped) << c.word;
        EXPECT_EQ(core->their_set_play, c.their_set_play) << c.word;
    }
}

TEST_F(ParserReferee, RightPlayerSeesTheLeftGoalAsTheirsAndOffsideBySide) {
    parse_text(fixture_line("player-right-match.txt", "(init r 1 "));
    parse_text(fixture_line("player-right-match.txt", "(hear 106 referee goal_l_1"));
    EXPECT_EQ(info().play_mode, PM_STOPPED);
    EXPECT_EQ(info().event, EV_GOAL_BY_THEM);
    EXPECT_TRUE(core->their_set_play);
    referee("offside_l");                          // the opponents were offside
    EXPECT_EQ(info().event, EV_OFFSIDE_LEFT);
    EXPECT_TRUE(core->game_stopped);
    referee("kick_off_r");
    EXPECT_EQ(info().play_mode, PM_KICK_OFF_OURS);
    EXPECT_EQ(info().last_event, EV_OFFSIDE_LEFT);
    EXPECT_EQ(info().event, EV_NONE);
}

TEST_F(ParserReferee, GoalWithScoreStopsTheGameAndMovesHome) {
    parse_text(fixture_line("player-left-match.txt", "(init l 11 "));
    parse_text(fixture_line("player-left-match.txt", "(hear 27 referee play_on"));
    EXPECT_FALSE(core->game_stopped);
    parse_text(fixture_line("player-left-match.txt", "(hear 106 referee goal_l_1"));
    EXPECT_EQ(info().play_mode, PM_STOPPED);
    EXPECT_EQ(info().event, EV_GOAL_BY_US);
    EXPECT_EQ(info().last_event, EV_NONE);
    EXPECT_TRUE(core->game_stopped);
    EXPECT_NE(error_file().find("received play_on\nreceived goal_l_1\nMoving to home\n"),
              std::string::npos)
        << error_file();
}

TEST_F(ParserReferee, CatchThenPlayOn) {
    parse_text("(init l 1 before_kick_off)");
    referee("goalie_catch_ball_l");
    EXPECT_EQ(info().play_mode, PM_KICK_OFF_OURS);
    EXPECT_EQ(core->catch_state, 1);
    referee("goalie_catch_ball_r");
    EXPECT_EQ(info().play_mode, PM_KICK_OFF_THEIRS);
    EXPECT_EQ(core->catch_state, 2);
    EXPECT_TRUE(core->their_set_play);
    referee("play_on");
    EXPECT_EQ(core->catch_state, 0);
    EXPECT_EQ(info().play_mode, PM_PLAY_ON);
    // A catch that half time cuts short ends at the next kick-off.
    referee("goalie_catch_ball_l");
    referee("half_time");
    referee("kick_off_r");
    EXPECT_EQ(core->catch_state, 0);
}

TEST_F(ParserReferee, SetPlaysMarkTheirCycleAndUnknownWordsChangeNothing) {
    parse_text("(init l 1 before_kick_off)");
    core->cycle = 42;
    referee("kick_in_r");
    EXPECT_EQ(core->play_mode_cycle, 42);
    core->cycle = 50;
    referee("drop_ball");
    EXPECT_EQ(core->play_mode_cycle, 42);
    referee("play_on");
    EXPECT_EQ(core->play_mode_cycle, 50);

    for (const char *word : {"play_o", "goal_x", "goal_l1", "kick_off", "play_on_l", ""}) {
        referee(word);
        EXPECT_EQ(info().play_mode, PM_PLAY_ON) << word;
        EXPECT_EQ(info().event, EV_NONE) << word;
        EXPECT_FALSE(core->game_stopped) << word;
    }
    EXPECT_NE(error_file().find("received play_o\n"), std::string::npos);
}

// ---- player types ----

class ParserTypes : public ParserScene {
protected:
    // Player 2 of a left team from its init to the first kick-off, without the
    // type changes the server made at kick-off.
    void SetUp() override {
        ParserScene::SetUp();
        for (const std::string &line : fixture_lines("player-types.txt"))
            if (line.rfind("(change_player_type", 0) != 0)
                parse_text(line);
    }
    static void expect_type(const TPlayer &p, int type, float kickable_margin, float stamina_inc_max) {
        EXPECT_EQ(p.type, type);
        EXPECT_FLOAT_EQ(p.kickable_margin, kickable_margin);
        EXPECT_FLOAT_EQ(p.stamina_inc_max, stamina_inc_max);
    }
};

TEST_F(ParserTypes, EveryAnnouncedTypeFillsItsRowAndOnlyThose) {
    EXPECT_EQ(core->player_types, 18);
    // "(player_type 2 1.05 42.4096 0.32111 3.02776 0.00643174 0.3 0.779933 0.179933 78.37 0.88652 0.48652)"
    const float *two = core->player_type_table[2];
    EXPECT_FLOAT_EQ(two[0], 1.05f);
    EXPECT_FLOAT_EQ(two[1], 42.4096f);
    EXPECT_FLOAT_EQ(two[6], 0.779933f);
    EXPECT_FLOAT_EQ(two[8], 78.37f);
    EXPECT_FLOAT_EQ(two[10], 0.48652f);
    // "(player_type 17 1.05 40.6449 0.426456 5.66141 0.00672586 0.3 0.707863 0.107863 96.2145 0.815142 0.415142)"
    EXPECT_FLOAT_EQ(core->player_type_table[17][1], 40.6449f);
    EXPECT_FLOAT_EQ(core->player_type_table[17][10], 0.415142f);
    for (int id = 0; id < kMaxPlayerTypes; ++id)
        EXPECT_EQ(core->player_type_known[id], id < 18) << id;
    EXPECT_EQ(info().message_kind, MK_NONE);

    parse_text("(player_type 3 1.05 44)");           // cut short: the row stays
    EXPECT_FLOAT_EQ(core->player_type_table[3][1], 46.3811f);
    for (const char *id : {"-1", "18", "32", "99999999999"})   // beyond the announced types or the table
        parse_text(std::string("(player_type ") + id + " 1 1 1 1 1 1 1 1 1 1 1)");
    EXPECT_FALSE(core->player_type_known[18]);
    EXPECT_FLOAT_EQ(core->player_type_table[0][1], 45.0f);

    // However many the server announces, the table keeps kMaxPlayerTypes.
    parse_text("(player_param 1000 3 1)");
    parse_text("(player_type 31 1 1 1 1 1 1 1 1 1 1 1)");
    parse_text("(player_type 32 1 1 1 1 1 1 1 1 1 1 1)");
    EXPECT_EQ(core->player_type_count(), kMaxPlayerTypes);
    EXPECT_TRUE(core->player_type_known[31]);
}

TEST_F(ParserTypes, PlayerParamsInTheirOrder) {
    // "(player_param 18 3 1 0 0 0 -0.1 0.1 25 0 0 -100 -0.1 0.1 1 0 50 -0.004 -0.004)"
    EXPECT_EQ(core->player_types, 18);
    EXPECT_EQ(core->subs_max, 3);
    EXPECT_EQ(core->pt_max, 1);
    EXPECT_FLOAT_EQ(core->player_speed_max_delta_max, 0.0f);
    EXPECT_FLOAT_EQ(core->player_decay_delta_min, -0.1f);
    EXPECT_FLOAT_EQ(core->player_decay_delta_max, 0.1f);
    EXPECT_FLOAT_EQ(core->inertia_moment_delta_factor, 25.0f);
    EXPECT_FLOAT_EQ(core->player_size_delta_factor, -100.0f);
    EXPECT_FLOAT_EQ(core->kickable_margin_delta_min, -0.1f);
    EXPECT_FLOAT_EQ(core->kick_rand_delta_factor, 1.0f);
    EXPECT_FLOAT_EQ(core->extra_stamina_delta_max, 50.0f);
    EXPECT_FLOAT_EQ(core->effort_max_delta_factor, -0.004f);
    EXPECT_FLOAT_EQ(core->effort_min_delta_factor, -0.004f);
}

TEST_F(ParserTypes, OwnChangeAtKickOffRewritesTheConfigurationAndItsKickValues) {
    ASSERT_EQ(info().unum, 2);
    parse_text(fixture_line("player-types.txt", "(change_player_type 2 "));
    // "(player_type 1 1.05 51.7496 0.495472 7.3868 0.00487507 0.3 0.781486 0.181486 51.2909 0.994836 0.594836)"
    EXPECT_EQ(info().message_kind, MK_NONE);
    EXPECT_FLOAT_EQ(core->stamina_inc_max, 51.7496f);
    EXPECT_FLOAT_EQ(core->player_decay, 0.495472f);
    EXPECT_FLOAT_EQ(core->inertia_moment, 7.3868f);
    EXPECT_FLOAT_EQ(core->dash_power_rate, 0.00487507f);
    EXPECT_FLOAT_EQ(core->kickable_margin, 0.781486f);
    EXPECT_FLOAT_EQ(core->kick_rand, 0.181486f);
    EXPECT_FLOAT_EQ(core->extra_stamina, 51.2909f);
    EXPECT_FLOAT_EQ(core->effort_max, 0.994836f);
    EXPECT_FLOAT_EQ(core->effort_min, 0.594836f);
    // 0.781486 + 0.085 + 0.3, and 0.6 of it; the other two do not depend on the margin
    EXPECT_NEAR(core->kickable_area, 1.166486, 1e-5);
    EXPECT_NEAR(core->hard_kick_ball_dist, 0.6998916, 1e-5);
    EXPECT_NEAR(core->closest_margin, 0.49, 1e-5);
    EXPECT_NEAR(core->ball_ctrl_dist, 0.59, 1e-5);
    expect_type(core->world->teammates[2], 1, 0.781486f, 51.7496f);
    EXPECT_NEAR(core->world->teammates[2].kickable_area, 1.166486, 1e-5);
}

TEST_F(ParserTypes, TeammateAndOpponentChanges) {
    const float margin = core->kickable_margin;
    parse_text(fixture_line("player-types.txt", "(change_player_type 3 "));
    expect_type(core->world->teammates[3], 2, 0.779933f, 42.4096f);
    EXPECT_FLOAT_EQ(core->kickable_margin, margin);    // not our number
    // At kick-off the server gives an eleven types 0 to 10: the last ones count too.
    parse_text("(change_player_type 11 10)");
    expect_type(core->world->teammates[11], 10, 0.69487f, 41.1853f);

    parse_text(fixture_line("player-right-match.txt", "(change_player_type 4)"));
    EXPECT_EQ(core->world->teammates[4].type, 0);
    EXPECT_FLOAT_EQ(core->world->teammates[4].kickable_margin, margin);

    // Numbers outside the team, types beyond the announced ones, and a type
    // whose row never came change nobody.
    parse_text("(change_player_type 12 1)");
    parse_text("(change_player_type 0 1)");
    parse_text("(change_player_type 5 18)");
    parse_text("(player_param 20 3 1)");
    parse_text("(change_player_type 5 19)");
    expect_type(core->world->teammates[5], 0, margin, core->stamina_inc_max);
}

// ---- whole captures ----

class ParserCaptured : public ParserScene {};

// Every line of every capture; each player's message gets the kind of its name,
// and every heard text and referee word is kept whole.
TEST_F(ParserCaptured, EveryLineOfEveryFile) {
    const char *files[] = {"player-basic.txt",          "player-left-match.txt",
                           "player-right-match.txt",    "player-right-coach-advice.txt",
                           "player-errors.txt",         "player-types.txt",
                           "coach-errors.txt",          "coach-basic.txt",
                           "coach-match.txt"};
    for (const char *file : files) {
        const bool player_file = std::string(file).rfind("player-", 0) == 0;
        int referee_words = 0;
        for (const std::string &line : fixture_lines(file)) {
            parse_text(line);
            if (line.rfind("(sense_body ", 0) == 0)
                info().hear_index = -1;                // what the world update does each cycle
            if (!player_file)
                continue;
            int expected = MK_NONE;
            if (line.rfind("(see ", 0) == 0)
                expected = MK_SEE;
            else if (line.rfind("(sense_body ", 0) == 0)
                expected = MK_SENSE;
            else if (line.rfind("(init ", 0) == 0)
                expected = MK_INIT;
            else if (line.rfind("(hear ", 0) == 0 && line.find(" referee ") == std::string::npos &&
                     line.find(" online_coach_") == std::string::npos)
                expected = MK_HEAR;
            EXPECT_EQ(info().message_kind, expected) << file << ": " << line;
            if (expected == MK_HEAR) {
                const std::string said = line.substr(line.find('"'), line.size() - line.find('"') - 1);
                EXPECT_EQ(said, info().hear[info().hear_index].text) << line;
            }
            if (line.find(" referee ") != std::string::npos) {
                const std::string word = line.substr(line.find(" referee ") + 9);
                EXPECT_NE(error_file().find("received " + word.substr(0, word.size() - 1) + "\n"),
                          std::string::npos)
                    << line;
                ++referee_words;
            }
        }
        if (std::string(file) == "player-left-match.txt") {
            EXPECT_EQ(referee_words, 11);
        }
    }
}

}  // namespace
