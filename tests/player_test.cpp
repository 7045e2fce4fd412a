// The player program against the stand-in server: start-up, the per-cycle
// messages and the orderly exit when the server falls silent.

#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

#include "agent_scene.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

using namespace std::chrono_literals;

namespace {

class PlayerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        dir = program_dir(server.port(), "Testers", false);
    }

    void start_player() { ASSERT_TRUE(player.start(PLAYER_BIN, {}, dir)); }

    bool received(const std::string &text, std::chrono::milliseconds timeout = 5s) {
        return server.wait_for([&](const StandInDatagram &d) { return d.text == text; }, timeout);
    }

    StandInServer server;
    ChildProcess player;
    std::string dir;
};

TEST_F(PlayerProgram, AnnouncesItselfFirstThenMovesHome) {
    start_player();
    ASSERT_TRUE(received("(init Testers (version 7.10))"));
    ASSERT_TRUE(server.wait_for([](const StandInDatagram &d) { return d.text.rfind("(move ", 0) == 0; }, 5s));
    const std::vector<StandInDatagram> all = server.received();
    EXPECT_EQ(all.front().text, "(init Testers (version 7.10))");
    EXPECT_EQ(all[1].text.rfind("(move ", 0), 0u);
    ASSERT_TRUE(received("(clang (ver 7 7))"));   // then asks to hear its coach
    EXPECT_EQ(server.received()[2].text, "(clang (ver 7 7))");
    // The move reached the port that answered the init, and home is in our half.
    EXPECT_LE(server.players().front().x, -1.0);
}

TEST_F(PlayerProgram, ExitsWithByeWhenTheServerFallsSilent) {
    start_player();
    ASSERT_TRUE(received("(init Testers (version 7.10))"));
    std::this_thread::sleep_for(600ms);   // a few cycles of sense_body messages
    ASSERT_EQ(player.running(), true);
    server.kick_off();
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(player.running());

    const auto silent_at = std::chrono::steady_clock::now();
    server.fall_silent();
    EXPECT_EQ(player.wait_exit(5s), 0) << player.output();
    const auto took = std::chrono::steady_clock::now() - silent_at;
    EXPECT_GT(took, 900ms);               // 50 silent ticks of 20 ms come first
    EXPECT_LT(took, 4s);
    EXPECT_TRUE(received("(bye)", 1s));
    EXPECT_NE(player.output().find("playing..."), std::string::npos);

    // One line break in the log per cycle counted after kick-off, none before it.
    std::ifstream log(dir + "/log1");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    const long counted = std::count(text.begin(), text.end(), '\n');
    EXPECT_GE(counted, 2);
    EXPECT_LE(counted, 8);
    // The referee's kick-off reached the error file.
    std::ifstream err(dir + "/err1");
    const std::string errors((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(errors.find("received kick_off_l"), std::string::npos) << errors;
}

TEST_F(PlayerProgram, RefusedInitEndsWithAnError) {
    std::ofstream conf(dir + "/agent.conf");
    conf << "server 127.0.0.1\nport " << server.port() << "\nteam_name Bad.Name\n";
    conf.close();
    start_player();
    EXPECT_EQ(player.wait_exit(10s), 1);
    EXPECT_NE(player.output().find("illegal_teamname"), std::string::npos) << player.output();
}

TEST_F(PlayerProgram, NoServerEndsWithAnError) {
    server.stop();
    start_player();
    EXPECT_EQ(player.wait_exit(15s), 1);
    EXPECT_NE(player.output().find("no reply to the init message"), std::string::npos) << player.output();
}

}  // namespace
