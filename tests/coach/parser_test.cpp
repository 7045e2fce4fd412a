#include "coach_scene.h"
#include "fixtures.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CoachParser : public Coach_Scene {
protected:
    void parse(const std::string &text) { parser_.parse_message(text.c_str()); }
};

TEST_F(CoachParser, InitAndEyeReplies) {
    parse(fixture_line("coach-match.txt", "(init "));
    EXPECT_EQ(inf->side, TS_RIGHT);
    parse(fixture_line("coach-basic.txt", "(init "));
    EXPECT_EQ(inf->side, TS_LEFT);
    parse("(ok eye on)");
    EXPECT_EQ(inf->eye_status, ES_ON);
    parse("(ok eye off)");
    EXPECT_EQ(inf->eye_status, ES_OFF);
}

TEST_F(CoachParser, SeeGlobalFillsBallPlayersAndCycle) {
    snprintf(core->team_name, TConfig::kTextSize, "%s", "Alpha");
    parse(fixture_line("coach-match.txt", "(see_global 0 "));
    EXPECT_EQ(core->cycle, 0);
    EXPECT_EQ(inf->last_message, MT_SEE);
    const World_Player_Info &goalie = inf->teammate_players[1];
    EXPECT_TRUE(goalie.in_field);
    EXPECT_TRUE(goalie.is_goalie);
    EXPECT_EQ(inf->our_goalie_uniform, 1);
    EXPECT_DOUBLE_EQ(goalie.pos.X, -49);
    EXPECT_FLOAT_EQ(goalie.body_dir, -59);
    EXPECT_STREQ(goalie.team_name, "Alpha");
    EXPECT_DOUBLE_EQ(inf->teammate_players[10].pos.Y, 10);
    EXPECT_FLOAT_EQ(inf->teammate_players[10].body_dir, 175);
    EXPECT_TRUE(inf->opponent_players[1].in_field);
    EXPECT_FALSE(inf->opponent_players[1].is_goalie);
    EXPECT_DOUBLE_EQ(inf->opponent_players[1].pos.X, 20);
    EXPECT_STREQ(inf->their_team_name, "Beta");
    EXPECT_FALSE(inf->opponent_players[2].in_field);
}

TEST_F(CoachParser, SeeGlobalReadsMotion) {
    snprintf(core->team_name, TConfig::kTextSize, "%s", "TestTeam");
    parse(fixture_line("coach-basic.txt", "(see_global 3 "));
    const World_Player_Info &player = inf->teammate_players[1];
    EXPECT_EQ(core->cycle, 3);
    EXPECT_NEAR(player.pos.X, -8.51171, 1e-5);
    EXPECT_NEAR(player.vel.X, 0.355044, 1e-6);
    EXPECT_NEAR(player.vel.Y, 0.0115563, 1e-6);
}

TEST_F(CoachParser, LookReplyFillsTheWorldLikeSeeGlobal) {
    parse("(ok look 5 ((g r) 52.5 0) ((b) 1.5 -2 0.5 0.25) ((p \"Corvane\" 4) -3 7 0 0 90 10))");
    EXPECT_EQ(core->cycle, 5);
    EXPECT_DOUBLE_EQ(inf->ball.pos.X, 1.5);
    EXPECT_DOUBLE_EQ(inf->ball.vel.Y, 0.25);
    EXPECT_EQ(inf->teammate_players[4].uniform, 4);
    EXPECT_FLOAT_EQ(inf->teammate_players[4].head_dir, 10);
}

TEST_F(CoachParser, AMissingPlayerIsCleared) {
    parse("(see_global 1 ((b) 0 0 0 0) ((p \"Corvane\" 3) 1 2 0 0 0 0))");
    parse("(see_global 2 ((b) 0 0 0 0))");
    EXPECT_FALSE(inf->teammate_players[3].in_field);
    EXPECT_EQ(inf->teammate_players[3].uniform, 0);
}

TEST_F(CoachParser, TeamNameDifferingInCaseIsAnOpponent) {
    parse("(see_global 1 ((p \"corvane\" 2) 1 2 0 0 0 0))");
    EXPECT_TRUE(inf->opponent_players[2].in_field);
    EXPECT_FALSE(inf->teammate_players[2].in_field);
}

TEST_F(CoachParser, RefereeGoalThenKickOff) {
    parse("(hear 60 referee goal_l_2)");
    EXPECT_EQ(inf->play_mode, stopped);
    EXPECT_EQ(inf->event, goal_l);
    EXPECT_TRUE(core->game_stopped);
    EXPECT_EQ(inf->last_message, MT_HEAR);
    parse("(hear 60 referee kick_off_r)");
    EXPECT_EQ(inf->play_mode, kick_off_r);
    EXPECT_EQ(inf->last_event, goal_l);
    EXPECT_EQ(inf->event, none);
    EXPECT_FALSE(core->game_stopped);
    EXPECT_EQ(inf->hear.s_time, 60);
    EXPECT_EQ(inf->hear.sender, VS_REFEREE);
}

TEST_F(CoachParser, CapturedRefereeSequence) {
    const Play_Mode modes[] = {kick_off_l, stopped, before_kick_off, kick_off_r};
    const bool stopped_game[] = {false, true, true, false};
    int i = 0;
    for (const std::string &line : fixture_lines("coach-basic.txt")) {
        if (line.compare(0, 6, "(hear ") != 0)
            continue;
        parse(line);
        ASSERT_LT(i, 4);
        EXPECT_EQ(inf->play_mode, modes[i]) << line;
        EXPECT_EQ(core->game_stopped, stopped_game[i]) << line;
        EXPECT_EQ(inf->event, i == 1 ? half_time : none) << line;
        EXPECT_EQ(inf->last_event, i == 2 ? half_time : none) << line;
        i++;
    }
    EXPECT_EQ(i, 4);
}

TEST_F(CoachParser, PlayerMessagesAndOtherKindsChangeNothing) {
    parse(fixture_line("coach-match.txt", "(hear 207 referee play_on"));
    parse(fixture_line("coach-match.txt", "(hear 200 (p \"Alpha\" 11)"));
    EXPECT_EQ(inf->play_mode, play_on);
    EXPECT_EQ(inf->hear.sender, VS_OTHER);
    EXPECT_STREQ(inf->hear.message, "\"Alpha\"");
    parse("(hear 208 -30 goal_l_1)");   // referee words from others count for nothing
    parse("(hear 209 online_coach_right kick_off_r)");
    EXPECT_EQ(inf->event, none);
    core->cycle = 42;
    parse(fixture_line("coach-match.txt", "(player_type 3 "));
    parse(fixture_line("coach-match.txt", "(server_param "));
    parse(fixture_line("coach-match.txt", "(change_player_type "));
    parse(fixture_line("coach-errors.txt", "(error "));
    parse("(ok say)");
    EXPECT_EQ(inf->last_message, MT_HEAR);
    EXPECT_EQ(inf->play_mode, play_on);
    EXPECT_EQ(inf->side, TS_LEFT);
    EXPECT_EQ(core->cycle, 42);
    EXPECT_FLOAT_EQ(core->player_types[3].stamina_inc_max, 0);
}

TEST_F(CoachParser, EveryCapturedLineParses) {
    snprintf(core->team_name, TConfig::kTextSize, "%s", "Alpha");
    for (const char *file : {"coach-basic.txt", "coach-errors.txt", "coach-match.txt"})
        for (const std::string &line : fixture_lines(file))
            parse(line);
    EXPECT_EQ(core->cycle, 227);   // the last see_global of the match
    for (int unum = 1; unum <= kTeamSize; unum++)
        EXPECT_TRUE(inf->teammate_players[unum].in_field) << unum;
}

TEST_F(CoachParser, PlayerTypesAndParametersStayInBounds) {
    parser_.player_type_fill(fixture_line("coach-match.txt", "(player_type 2 ").c_str());
    EXPECT_NEAR(core->player_types[2].stamina_inc_max, 40.8176, 1e-4);
    EXPECT_NEAR(core->player_types[2].effort_min, 0.430344, 1e-6);
    parser_.player_type_fill(fixture_line("coach-match.txt", "(player_type 17 ").c_str());
    EXPECT_FLOAT_EQ(core->player_types[6].player_speed_max, 0);
    parser_.player_param_fill(fixture_line("coach-match.txt", "(player_param ").c_str());
    EXPECT_EQ(core->HP_player_types, 18);
    EXPECT_FLOAT_EQ(core->HP_stamina_inc_max_delta_factor, 0);
    EXPECT_FLOAT_EQ(core->HP_effort_min_delta_factor, -0.004f);
}

TEST_F(CoachParser, HostileTextIsReadSafely) {
    parse("(see_global 7 ((p \"Corvane\" 99) 1 2 3 4 5 6) ((p \"Corvane\" -3 goalie) 1 2))");
    parse("(see_global 8 ((b) nan inf 1e300 -1e39) ((p \"Corvane\" 2) 1e99999 nan");
    EXPECT_EQ(core->cycle, 8);
    EXPECT_EQ(inf->our_goalie_uniform, 0);
    EXPECT_DOUBLE_EQ(inf->ball.pos.X, 0);
    EXPECT_DOUBLE_EQ(inf->ball.vel.X, 0);
    EXPECT_TRUE(inf->teammate_players[2].in_field);
    EXPECT_DOUBLE_EQ(inf->teammate_players[2].pos.X, 0);
    parse("(see_global 99999999999999999999");
    EXPECT_EQ(core->cycle, 2147483647);
    for (const char *cut : {"", "(", "(ok", "(ok e", "(ok ey", "(init", "(ok c", "(hear", "(hear 5 ",
                            "(see_global", "(see_global 1 ((p", "(see_global 1 ((p \"", "(see_global 1 ((b"})
        parse(cut);
    std::string long_name = "(see_global 9 ((p \"" + std::string(9000, 'x') + "\" 1) 1 1 0 0 0 0))";
    parse(long_name);
    EXPECT_EQ(strlen(inf->their_team_name), static_cast<size_t>(kCoachTextSize - 3));
}

}  // namespace
