#include "common/transfer.h"
#include "player/runtime/config.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

TEST(ConfigDefaults, DerivedValuesAndFixedMembers) {
    TConfig config;
    config.init_config(nullptr);
    EXPECT_FLOAT_EQ(config.kickable_area, 1.085f);
    EXPECT_FLOAT_EQ(config.hard_kick_ball_dist, 0.651f);
    EXPECT_FLOAT_EQ(config.closest_margin, 0.49f);
    EXPECT_FLOAT_EQ(config.ball_ctrl_dist, 0.59f);
    EXPECT_STREQ(config.team_name, "OstraCorvane2001");
    EXPECT_STREQ(config.rlog_file, "log");
    EXPECT_EQ(config.pt_max, 3);
    EXPECT_FLOAT_EQ(config.effort_max, 1.0f);
    EXPECT_FLOAT_EQ(config.extra_stamina, 0.0f);
    EXPECT_TRUE(config.use_offside);
    EXPECT_FALSE(config.verbose);
    EXPECT_STREQ(config.server_host(), "localhost");
    EXPECT_EQ(config.server_port(), 6000);
}

TEST(ConfigDefaults, InitConfigResetsTheRecordAndTheLink) {
    TTransfer link;
    snprintf(link.server, TTransfer::kHostSize, "%s", "elsewhere");
    link.port = 7000;
    TConfig config;
    config.half_time = 1;
    config.kickable_margin = 3;
    config.init_config(&link);
    EXPECT_STREQ(link.server, "localhost");
    EXPECT_EQ(link.port, 6000);
    EXPECT_EQ(config.half_time, 300);
    EXPECT_FLOAT_EQ(config.kickable_area, 1.085f);
}

// Each test runs in a fresh working directory, where "agent.conf" is looked for.
class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/config_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        old_dir = cwd;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        config.init_config(&link);
    }
    void TearDown() override {
        for (const std::string &name : written)
            std::remove(name.c_str());
        EXPECT_EQ(chdir(old_dir.c_str()), 0);
        rmdir(dir.c_str());
    }
    void write(const std::string &name, const std::string &text) {
        std::ofstream(name) << text;
        written.push_back(name);
    }
    // Runs get_config with these arguments after the program name; returns what it printed.
    std::string read_config(std::vector<std::string> args = {}) {
        args.insert(args.begin(), "player");
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        config.get_config(static_cast<int>(args.size()), argv.data());
        errors = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }

    TTransfer link;
    TConfig config;
    std::string errors;
    std::string dir, old_dir;
    std::vector<std::string> written;
};

TEST_F(ConfigFiles, PortGoesToTheLinkNotToTheShadowedField) {
    write("agent.conf", "port 6001\nserver 10.0.0.7\n");
    read_config();
    EXPECT_EQ(link.port, 6001);
    EXPECT_STREQ(link.server, "10.0.0.7");
    EXPECT_EQ(config.port, 6000);
}

TEST_F(ConfigFiles, WithoutALinkServerAndPortStayInTheRecord) {
    config.init_config(nullptr);
    write("agent.conf", "port 6002\nserver far.host\n");
    read_config();
    EXPECT_EQ(config.server_port(), 6002);
    EXPECT_STREQ(config.server_host(), "far.host");
    EXPECT_EQ(config.port, 6000);
    EXPECT_EQ(link.port, 6000);
}

TEST_F(ConfigFiles, FlagIsSetWhateverFollows) {
    write("agent.conf", "print_on_screen\nerror_on_screen off\n");
    const std::string out = read_config();
    EXPECT_TRUE(config.print_on_screen);
    EXPECT_TRUE(config.error_on_screen);
    EXPECT_EQ(out.find("illegal"), std::string::npos);
}

TEST_F(ConfigFiles, OnOffNeedsItsValueWord) {
    write("agent.conf", "use_offside off\nverbose on\nlog_times yes\nforbid_kick_off_offside\n");
    const std::string out = read_config();
    EXPECT_FALSE(config.use_offside);
    EXPECT_TRUE(config.verbose);
    EXPECT_FALSE(config.log_times);
    EXPECT_TRUE(config.forbid_kick_off_offside);
    EXPECT_NE(out.find("   illegal line : forbid_kick_off_offside\n"), std::string::npos);
}

TEST_F(ConfigFiles, CommentsColonsAndLeadingBlanks) {
    write("agent.conf", "#kickable_margin 2.0\n\n   flush_freq 20\nhalf_time: 600\nteam_name:Eagles\n");
    const std::string out = read_config();
    EXPECT_FLOAT_EQ(config.kickable_margin, 0.7f);
    EXPECT_EQ(config.flush_freq, 20);
    EXPECT_EQ(config.half_time, 600);
    EXPECT_STREQ(config.team_name, "Eagles");
    EXPECT_EQ(out.find("illegal"), std::string::npos);
}

TEST_F(ConfigFiles, BadLinesAreReportedAndChangeNothing) {
    write("agent.conf",
          "no_such_key 1\nport abc\nhalf_time 12x\nflush_freq\nkick_factor nan\n"
          "drop_ball_time 1e99\nsend_step 99999999999\n   \n");
    const std::string out = read_config();
    EXPECT_EQ(out,
              "trying to open default configuration file. . .\n"
              "file agent.conf opened :\n"
              "   illegal line : no_such_key 1\n"
              "   illegal line : port abc\n"
              "   illegal line : half_time 12x\n"
              "   illegal line : flush_freq\n"
              "   illegal line : kick_factor nan\n"
              "   illegal line : drop_ball_time 1e99\n"
              "   illegal line : send_step 99999999999\n"
              "   illegal line :    \n");
    EXPECT_EQ(link.port, 6000);
    EXPECT_EQ(config.half_time, 300);
    EXPECT_EQ(config.flush_freq, 10);
    EXPECT_FLOAT_EQ(config.kick_factor, 1.0f);
    EXPECT_FLOAT_EQ(config.drop_ball_time, 200.0f);
    EXPECT_EQ(config.send_step, 150);
}

TEST_F(ConfigFiles, OverlongCommentIsSkippedWhole) {
    // Past the 99th character the comment reads like a key line.
    write("agent.conf", "#" + std::string(98, 'x') + "half_time 900\n");
    const std::string out = read_config();
    EXPECT_EQ(config.half_time, 300);
    EXPECT_EQ(out.find("illegal"), std::string::npos);
}

TEST_F(ConfigFiles, OverlongLineIsIllegal) {
    write("agent.conf", "half_time 900" + std::string(90, ' ') + "flush_freq 20\nsend_step 200\n");
    const std::string out = read_config();
    EXPECT_EQ(config.half_time, 300);
    EXPECT_EQ(config.flush_freq, 10);
    EXPECT_EQ(config.send_step, 200);
    EXPECT_NE(out.find("   illegal line : half_time 900"), std::string::npos);
}

TEST_F(ConfigFiles, LineOfNinetyNineCharactersIsRead) {
    const std::string line = "half_time 900";
    write("agent.conf", line + std::string(99 - line.size(), ' ') + "\n");
    read_config();
    EXPECT_EQ(config.half_time, 900);
}

TEST_F(ConfigFiles, TextLongerThanItsFieldIsRefused) {
    const std::string fits(29, 'a'), too_long(30, 'b');
    write("agent.conf", "team_name " + fits + "\nrlog_file " + too_long + "\nserver " + too_long + "\n");
    const std::string out = read_config();
    EXPECT_EQ(config.team_name, fits);
    EXPECT_STREQ(config.rlog_file, "log");
    EXPECT_STREQ(link.server, "localhost");
    EXPECT_NE(out.find("   illegal line : rlog_file " + too_long + "\n"), std::string::npos);
    EXPECT_NE(out.find("   illegal line : server " + too_long + "\n"), std::string::npos);
}

TEST_F(ConfigFiles, CorvaneKeyInAFileOptionSuppressesTheDefaultFile) {
    write("mine.conf", "corvane_config_file\nflush_freq 20\nkickable_margin 1.0\n");
    write("agent.conf", "flush_freq 30\n");
    const std::string out = read_config({"-file", "mine.conf"});
    EXPECT_EQ(out, "file mine.conf opened :\n");
    EXPECT_EQ(config.flush_freq, 20);
    EXPECT_FLOAT_EQ(config.kickable_area, 1.385f);
}

TEST_F(ConfigFiles, CorvaneKeyInsideAgentConfHasNoEffect) {
    write("mine.conf", "flush_freq 20\n");
    write("agent.conf", "corvane_config_file\nhalf_time 400\n");
    read_config({"-file", "mine.conf"});
    EXPECT_EQ(config.flush_freq, 20);
    EXPECT_EQ(config.half_time, 400);
    // The key is local to each reading: a second reading still opens "agent.conf".
    write("agent.conf", "half_time 500\n");
    read_config();
    EXPECT_EQ(config.half_time, 500);
}

TEST_F(ConfigFiles, FileOptionsAreReadInOrderBeforeTheDefaultFile) {
    write("one.conf", "half_time 100\nflush_freq 1\n");
    write("two.conf", "half_time 200\n");
    write("agent.conf", "send_step 300\n");
    const std::string out = read_config({"-file", "one.conf", "-file", "missing.conf", "-file", "two.conf"});
    EXPECT_EQ(out,
              "file one.conf opened :\n"
              "\ncan't open configuration file : missing.conf\n"
              "file two.conf opened :\n"
              "trying to open default configuration file. . .\n"
              "file agent.conf opened :\n");
    EXPECT_EQ(config.half_time, 200);
    EXPECT_EQ(config.flush_freq, 1);
    EXPECT_EQ(config.send_step, 300);
}

TEST_F(ConfigFiles, FileOptionWithoutAPathIsReportedAndSkipped) {
    write("agent.conf", "half_time 400\n");
    read_config({"-file"});
    EXPECT_NE(errors.find("-file"), std::string::npos);
    EXPECT_EQ(config.half_time, 400);
}

TEST_F(ConfigFiles, KickableMarginDrivesTheDerivedValues) {
    write("agent.conf", "kickable_margin 1.0\nhard_kick_dist_buffer 0.2\n");
    read_config();
    EXPECT_FLOAT_EQ(config.kickable_area, 1.385f);
    EXPECT_FLOAT_EQ(config.hard_kick_ball_dist, 0.831f);
    EXPECT_FLOAT_EQ(config.closest_margin, 0.595f);
    EXPECT_FLOAT_EQ(config.ball_ctrl_dist, 0.695f);
}

TEST_F(ConfigFiles, MissingDefaultFileLeavesDerivedValuesAsTheyWere) {
    write("mine.conf", "kickable_margin 1.0\n");
    const std::string out = read_config({"-file", "mine.conf"});
    EXPECT_EQ(out,
              "file mine.conf opened :\n"
              "trying to open default configuration file. . .\n"
              "\ncan't open default configuration file : using default configuration. . .\n");
    EXPECT_FLOAT_EQ(config.kickable_margin, 1.0f);
    EXPECT_FLOAT_EQ(config.kickable_area, 1.085f);
}
