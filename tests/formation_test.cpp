// Posts, formations and the positions they give: the shipped data files, hand-
// written files with one post, and malformed files that must end the program.

#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

#include "player/agent/core.h"
#include "player/agent/pos.h"
#include "standin/child_process.h"

namespace {

const std::string kPosts = std::string(DATA_DIR) + "/posts.conf";
const std::string kFormations = std::string(DATA_DIR) + "/formation.rf";

std::string write_file(const std::string &name, const std::string &text) {
    static const std::string dir = make_work_dir();
    const std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
}

std::string read_file(const std::string &path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Ten slots of one post in one formation.
std::string ten_of(const std::string &post) {
    std::string text = "@only\n{\n";
    for (int i = 0; i < 10; ++i)
        text += "  " + post + " free\n";
    return text + "}\n";
}

// A centre midfielder with base (-20, 5), back pull (0.5, 0.25), front pull
// (0.3, 0.2) and the x range [-40, 10].
std::string midfield_post(int behind_ball) {
    return "center_midfield -20 5 0 0 0 0 0 0 0 0 0 0 0 0 0.5 0.25 0.3 0.2 " +
           std::to_string(behind_ball) + " -40 10\n";
}

void expect_point(TPoint p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-4);
    EXPECT_NEAR(p.Y, y, 1e-4);
}

// Loading the files ends the program, printing message on standard output.
void expect_abort(const std::string &posts, const std::string &formations, const std::string &message) {
    const std::string out = write_file("stdout.txt", "");
    EXPECT_EXIT(
        {
            if (!freopen(out.c_str(), "w", stdout))
                _exit(2);
            TForm_Config config(write_file("p.conf", posts).c_str(), write_file("f.rf", formations).c_str());
        },
        ::testing::KilledBySignal(SIGABRT), "");
    EXPECT_NE(read_file(out).find(message), std::string::npos) << read_file(out);
}

}  // namespace

TEST(FormationFiles, ShippedFilesGiveA433) {
    TLQP lqp(kPosts.c_str(), kFormations.c_str());
    ASSERT_EQ(lqp.formations_read(), 2);
    const TFormation f = lqp.get_current_formation();
    EXPECT_STREQ(f.name, "433");
    const int expected[10] = {left_wing_defense, right_wing_defense, left_defense, right_defense,
                              left_midfield, center_midfield, right_midfield,
                              left_wing_attack, right_wing_attack, striker};
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(f.player_post(slot), expected[slot]) << slot;
    EXPECT_EQ(f.player_mode(0), 1);   // defenders are restricted
    EXPECT_EQ(f.player_mode(9), 0);
    EXPECT_EQ(lqp.post(11).id, striker);
    EXPECT_TRUE(lqp.is_post(striker));
    EXPECT_FALSE(lqp.is_post(sweeper));
    // Left posts lie at y < 0, right ones at y > 0, everybody in our half.
    for (int u = 2; u <= 11; ++u) {
        const Post p = lqp.post(u);
        EXPECT_LT(lqp.get_current_base(u).X, 0) << u;
        if (std::string(p.name).find("left") == 0) {
            EXPECT_LT(p.base.Y, 0) << p.name;
        }
        if (std::string(p.name).find("right") == 0) {
            EXPECT_GT(p.base.Y, 0) << p.name;
        }
    }
    EXPECT_TRUE(lqp.set_current_formation("442"));
    EXPECT_EQ(lqp.post(11).id, right_attack);
    EXPECT_FALSE(lqp.set_current_formation("4-4-2"));
}

TEST(FormationFiles, SlotAccessorsOutsideTheFormation) {
    TLQP lqp(kPosts.c_str(), kFormations.c_str());
    EXPECT_EQ(lqp.post(12).id, left_wing_defense);   // slot 0's post
    EXPECT_EQ(lqp.post(-1).id, left_wing_defense);
    EXPECT_FLOAT_EQ(lqp.min_x(10), -50.0f);
    EXPECT_FLOAT_EQ(lqp.max_x(10), 50.0f);
    EXPECT_FALSE(lqp.behind_ball(10));
    expect_point(lqp.base_pos(10), 0, 0);
    EXPECT_EQ(lqp.post(static_cast<Player_Post>(40)).id, striker);
}

TEST(FormationFiles, IntegerReaderStopsAtBlanksAndBrackets) {
    char text[] = "12}  -7 ) 3.5 -99999999999999999999";
    char *cur = text;
    int value = 0;
    ASSERT_TRUE(TForm_Config::get_integer(&cur, true, &value));
    EXPECT_EQ(value, 12);
    ASSERT_TRUE(TForm_Config::get_integer(&cur, true, &value));
    EXPECT_EQ(value, -7);
    EXPECT_FALSE(TForm_Config::get_integer(&cur, true, &value));   // an empty token before ')'
    EXPECT_FALSE(TForm_Config::get_integer(&cur, false, &value));  // not a whole number
    EXPECT_STREQ(cur, " -99999999999999999999");                   // left on its delimiter
    cur++;
    EXPECT_FALSE(TForm_Config::get_integer(&cur, true, &value));   // beyond the file's range
    EXPECT_EQ(value, -7);
    EXPECT_EQ(*cur, '\0');
}

TEST(FormationFiles, MissingFilesLeaveZeroPostsAndNoFormation) {
    TLQP lqp("/nonexistent/posts.conf", "/nonexistent/formation.rf");
    EXPECT_EQ(lqp.formations_read(), 0);
    expect_point(lqp.base_pos(center_defense), 0, 0);
    expect_point(lqp.get_position(7, TPoint(30, 10)), 0, 0);
}

TEST(FormationFiles, PostsInAnyOrderSomeOmittedTextAfterTheNumbersIgnored) {
    TForm_Config config(
        write_file("any.conf", "# a comment\n\nsweeper -40,0 1 1 2 2 3 3 4 4 5 5 6 6 0.4 0.25 0.35 0.2 1 -50 -12 7 x\n"
                               "strikers -2 0 0 0 0 0 0 0 0 0 0 0 0 0 0.5 0.3 0.6 0.3 0 -25 42 # the striker\n")
            .c_str(),
        write_file("none.rf", "").c_str());
    expect_point(config.base_pos(sweeper), -40, 0);
    expect_point(config.v_integrated_base_pos(sweeper), 6, 6);
    EXPECT_TRUE(config.behind_ball(sweeper));
    EXPECT_FLOAT_EQ(config.max_x(sweeper), -12);
    expect_point(config.base_pos(striker), -2, 0);     // "strikers" is the striker's line
    EXPECT_FLOAT_EQ(config.max_x(striker), 42);
    expect_point(config.base_pos(left_wing), 0, 0);    // never named
}

TEST(FormationFiles, BlockEndedByTheFileKeepsItsSlots) {
    TLQP lqp(write_file("one.conf", midfield_post(0)).c_str(),
             write_file("short.rf", "@short\n  center_midfield    restricted\n{\n").c_str());
    ASSERT_EQ(lqp.formations_read(), 1);
    EXPECT_EQ(lqp.get_current_formation().player_mode(0), 1);
    expect_point(lqp.get_current_base(2), -20, 5);
    expect_point(lqp.get_position(5, TPoint(10, 10)), 0, 0);   // an empty slot
}

TEST(FormationFiles, MalformedPostsLinesEndTheProgram) {
    const std::string f = ten_of("striker");
    expect_abort("goalie 1 2\n", f, "Illegal line:Aborting:|goalie 1 2|");
    expect_abort("sweeper -40 0 1 1\n", f, "Illegal getfloat...Aborting....");
    expect_abort("sweeper -40 nan 1 1 2 2 3 3 4 4 5 5 6 6 0.4 0.25 0.35 0.2 1 -50 -12\n", f,
                 "Illegal getfloat");
    expect_abort("sweeper -40 1e300 1 1 2 2 3 3 4 4 5 5 6 6 0.4 0.25 0.35 0.2 1 -50 -12\n", f,
                 "Illegal getfloat");
    expect_abort("sweeper -40 abc 1 1 2 2 3 3 4 4 5 5 6 6 0.4 0.25 0.35 0.2 1 -50 -12\n", f,
                 "Illegal getfloat");
}

TEST(FormationFiles, MalformedFormationsEndTheProgram) {
    const std::string p = midfield_post(0);
    std::string nine = ten_of("center_midfield");
    nine.erase(nine.find("  center_midfield"), std::string("  center_midfield free\n").size());
    expect_abort(p, nine, "Must have 10 posts in each formation.");
    std::string eleven = ten_of("center_midfield");
    eleven.insert(eleven.find('}'), "  striker free\n");
    expect_abort(p, eleven, "Must have 10 posts in each formation.");
    expect_abort(p, "@x\n}\n", "Block closed without opening {");
    expect_abort(p, "@\n{\n}\n", "No name for formation.");
    expect_abort(p, "@x\n{\n  striker lazy\n", "Invalid formation line |  striker lazy|");
    expect_abort(p, "@x\n{\n  goalie free\n", "Invalid formation line|  goalie free|");
}

TEST(Positioning, AttractionRangeAndBall) {
    TLQP lqp(write_file("mid.conf", midfield_post(0)).c_str(),
             write_file("mid.rf", ten_of("center_midfield")).c_str());
    expect_point(lqp.get_position(7, TPoint(-10, 8)), -25, 7);
    expect_point(lqp.get_position(7, TPoint(20, -8)), -14, 3.4);
    expect_point(lqp.get_position(7, TPoint(100, 0)), 10, 5);          // -20 + 30 held at 10
    expect_point(lqp.get_position(7, TPoint(0, 4)), -20, 6);           // x = 0 pulls backwards
    expect_point(lqp.get_position(7, TPoint(0, 0), TPoint(-30, 0)), -30, 0);

    TLQP behind(write_file("mid1.conf", midfield_post(1)).c_str(),
                write_file("mid1.rf", ten_of("center_midfield")).c_str());
    expect_point(behind.get_position(7, TPoint(-30, 0)), -35, 5);
    expect_point(behind.get_position(7, TPoint(-60, 0)), -60, 5);      // -50, -40, then the ball
}

TEST(Positioning, CrossedRangeGivesTheUpperBound) {
    TLQP lqp(write_file("cross.conf", "center_midfield -20 5 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 10 5\n")
                 .c_str(),
             write_file("cross.rf", ten_of("center_midfield")).c_str());
    for (float x : {-100.0f, 7.0f, 100.0f})
        EXPECT_FLOAT_EQ(lqp.limit_min_max(4, x), 5.0f);
}

TEST(Positioning, NumbersAndSlotsWithoutAPost) {
    TLQP lqp(kPosts.c_str(), kFormations.c_str());
    expect_point(lqp.get_position(1, TPoint(0, 0)), -50, 0);
    expect_point(lqp.get_position(12, TPoint(0, 0)), -50, 0);
    expect_point(lqp.get_current_base(0), -50, 0);
    expect_point(lqp.TPositioning::get_position(10, TPoint(0, 0)), -50, 0);
    expect_point(lqp.TPositioning::calc_position_by_attraction(10, TPoint(0, 0)), 0, 52);
    EXPECT_FLOAT_EQ(lqp.limit_min_max(1, 77), 77);
    lqp.change_task(11, 2);
    EXPECT_EQ(lqp.post(2).id, striker);
    lqp.change_task(11, 12);   // ignored
    EXPECT_EQ(lqp.post(11).id, left_wing_defense);
}

// With the shipped 4-3-3 (numbers from data/posts.conf).
TEST(Positioning, ShippedPostsFollowTheBall) {
    TLQP lqp(kPosts.c_str(), kFormations.c_str());
    expect_point(lqp.get_position(11, TPoint(0, 0)), -2, 0);
    expect_point(lqp.get_position(11, TPoint(20, -10)), 10, -3);       // 0.6 and 0.3 of the ball
    expect_point(lqp.get_position(11, TPoint(100, 0)), 42, 0);         // the striker's max_x
    expect_point(lqp.get_position(4, TPoint(20, -10)), -28, -9.5);     // 0.4, 0.25 ahead
    expect_point(lqp.get_position(4, TPoint(-40, 10)), -48, -4);       // -54 held at min_x
    expect_point(lqp.get_position(5, TPoint(-50, 0)), -50, 7);         // behind the ball
    expect_point(lqp.get_position(3, TPoint(-30, -20)), -46.5, 15);
    expect_point(lqp.get_position(8, TPoint(50, 30)), 9.5, 24.5);
    EXPECT_TRUE(lqp.set_team_mode(IM_EXPANDED));
    expect_point(lqp.get_current_base(11), -1, 0);
    EXPECT_FALSE(lqp.set_team_mode(static_cast<Integrity>(7)));
    EXPECT_EQ(lqp.current_team_mode(), IM_EXPANDED);
}

TEST(FormationTable, ShippedWorkingDirectoryFile) {
    Formation_Table table;
    ASSERT_TRUE(table.load((std::string(DATA_DIR) + "/wd-formation.rf").c_str()));
    expect_point(table.base_pos[1], -45, 0);
    expect_point(table.base_pos[3], -33, 20);
    expect_point(table.attraction[7], 0.6, 0.4);
    EXPECT_FLOAT_EQ(table.min_x[11], -25);
    EXPECT_FLOAT_EQ(table.max_x[2], 0);
    EXPECT_TRUE(table.behind_ball[5]);
    EXPECT_FALSE(table.behind_ball[6]);
}

TEST(FormationTable, BadLinesKeepTheirValues) {
    const std::string eleven = "1 2 3 4 5 6 7 8 9 10 11\n";
    std::string full = "8 8 8 8 8 8 8 8 8 8 8";
    full += std::string(99 - full.size(), ' ') + "\n";   // just fits the line buffer
    Formation_Table table;
    ASSERT_TRUE(table.load(write_file("t.rf", "1 2 3 4 5 6 7 8 9 10\n" +               // ten
                                                  std::string(120, '1') + " 2\n" +      // too long
                                                  "1 2 nan 4 5 6 7 8 9 10 11\n" +
                                                  "1 2 3 4 5 6 7 8 9 10 1e40\n" + eleven + full)
                                .c_str()));
    expect_point(table.base_pos[4], 0, 0);
    EXPECT_FLOAT_EQ(table.min_x[4], -52.5f);
    EXPECT_FLOAT_EQ(table.max_x[11], 52.5f);
    EXPECT_FLOAT_EQ(table.attraction[4].X, 4);     // line 5 still read as line 5
    EXPECT_FLOAT_EQ(table.attraction[4].Y, 8);
    EXPECT_FALSE(table.behind_ball[1]);            // line 7 missing
    EXPECT_FALSE(table.load("/nonexistent/formation.rf"));
}

TEST(FormationTable, CoreReadsItsFilesFromTheWorkingDirectory) {
    const std::string dir = make_work_dir();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ASSERT_EQ(symlink(DATA_DIR, (dir + "/data").c_str()), 0);
    std::ofstream(dir + "/formation.rf") << read_file(std::string(DATA_DIR) + "/wd-formation.rf");
    TCore agent;
    agent.info_snapshot.unum = 9;
    EXPECT_EQ(agent.my_post(), left_wing_attack);
    expect_point(agent.positioning.get_current_base(9), -5, -22);
    expect_point(agent.formation_table.base_pos[9], -5, -22);
}

TEST(FormationTable, CoreWithoutDataFilesStillStands) {
    ASSERT_EQ(chdir(make_work_dir().c_str()), 0);
    TCore agent;
    agent.info_snapshot.unum = 7;
    EXPECT_EQ(agent.positioning.formations_read(), 0);
    expect_point(agent.positioning.get_current_base(7), 0, 0);
    expect_point(agent.formation_table.base_pos[7], 0, 0);
}
