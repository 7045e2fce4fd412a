#include "coach/core.h"
#include "standin/child_process.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Runs the coach core's configuration in an empty directory of its own, with
// the given command line after the program name; stdout is kept.
class CoachConfig : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = make_work_dir();
        ASSERT_FALSE(dir_.empty());
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        core_ = std::make_unique<TCore>(nullptr);
    }
    void TearDown() override { chdir("/"); }

    void write_file(const std::string &name, const std::string &text) {
        std::ofstream(dir_ + "/" + name) << text;
    }
    std::string configure(std::vector<std::string> args) {
        args.insert(args.begin(), "coach");
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(&arg[0]);
        testing::internal::CaptureStdout();
        core_->get_config(static_cast<int>(argv.size()), argv.data());
        return testing::internal::GetCapturedStdout();
    }

    std::string dir_;
    std::unique_ptr<TCore> core_;
};

TEST_F(CoachConfig, WithoutAnyFileTheDefaultsHold) {
    const std::string out = configure({});
    EXPECT_NE(out.find("can't open default configuration file"), std::string::npos);
    EXPECT_STREQ(core_->team_name, "Corvane");
    EXPECT_EQ(core_->server_port(), 6000);
    EXPECT_STREQ(core_->server_host(), "localhost");
    EXPECT_EQ(core_->SBE_grid_X, 12);
    EXPECT_EQ(core_->SBE_grid_Y, 5);
    EXPECT_EQ(core_->SP_say_msg_size, 8192);
    EXPECT_FLOAT_EQ(core_->SP_ball_accel_max, 1.6f);
    EXPECT_FLOAT_EQ(core_->no_turn_max_cycle_diff, -1);
    EXPECT_FLOAT_EQ(core_->SP_kickable_area, 0.7f + 0.085f + 0.3f);
    EXPECT_EQ(core_->interval, 10);
    EXPECT_FALSE(core_->offline);
}

TEST_F(CoachConfig, DefaultFileAndOfflineAfterAnExplicitFile) {
    write_file("coach.conf", "team_name Gamma\nSBE_grid_X 20\n");
    write_file("other.conf", "port 6002\nsimulator_step 50\nkickable_margin 1.0\n");
    const std::string out = configure({"-file", "other.conf", "-offline"});
    EXPECT_TRUE(core_->offline);
    EXPECT_EQ(core_->server_port(), 6002);
    EXPECT_STREQ(core_->team_name, "Gamma");
    EXPECT_EQ(core_->SBE_grid_X, 20);
    EXPECT_EQ(core_->interval, 5);
    EXPECT_FLOAT_EQ(core_->SP_kickable_area, 1.0f + 0.085f + 0.3f);
    EXPECT_NE(out.find("file other.conf opened :"), std::string::npos);
    EXPECT_NE(out.find("file coach.conf opened :"), std::string::npos);
}

TEST_F(CoachConfig, PlayerOnlyKeysAndBadValuesAreIllegal) {
    write_file("a.conf", "eval_conf x.conf\ndrop_ball_time 100\nSBE_grid_Y 1e99\nteam_name "
                         "NameMuchLongerThanThirtyCharacters\ncorvane_config_file\n");
    const std::string out = configure({"-file", "a.conf"});
    EXPECT_NE(out.find("   illegal line : eval_conf x.conf"), std::string::npos);
    EXPECT_NE(out.find("   illegal line : drop_ball_time 100"), std::string::npos);
    EXPECT_NE(out.find("   illegal line : SBE_grid_Y 1e99"), std::string::npos);
    EXPECT_EQ(out.find("default configuration"), std::string::npos);
    EXPECT_EQ(core_->SBE_grid_Y, 5);
    EXPECT_STREQ(core_->team_name, "Corvane");
}

TEST_F(CoachConfig, FileOptionWithoutNameAndTimerFloor) {
    write_file("coach.conf", "simulator_step 5\n");
    const std::string out = configure({"-file"});
    EXPECT_NE(out.find("can't open configuration file"), std::string::npos);
    EXPECT_EQ(core_->interval, 1);   // a period of 0 would stop the silence watch
}

}  // namespace
