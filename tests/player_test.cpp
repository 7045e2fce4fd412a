// The player program against the stand-in server: start-up, the per-cycle
// messages and the orderly exit when the server falls silent.

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

#include "agent_scene.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"
#include "standin/test_client.h"
#include "player/runtime/netif.h"

using namespace std::chrono_literals;

namespace {

class PlayerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        dir = program_dir(server.port(), "Testers", false);
    }

    void start_player(const std::vector<std::string> &args = {}) { ASSERT_TRUE(player.start(PLAYER_BIN, args, dir)); }

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
    const std::string out = player.output();
    EXPECT_NE(out.find("playing..."), std::string::npos);
    // Its directory holds no formation table, which it tells once.
    const size_t told = out.find("cannot open formation.rf");
    EXPECT_NE(told, std::string::npos) << out;
    EXPECT_EQ(out.find("cannot open formation.rf", told + 1), std::string::npos) << out;

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

TEST_F(PlayerProgram, KillHandlerSaysByeAndLeavesOnSigintAndSigterm) {
    int byes = 0;
    for (int sig : {SIGINT, SIGTERM}) {
        ChildProcess one;
        ASSERT_TRUE(one.start(PLAYER_BIN, {"-kill_handler"}, dir));
        ASSERT_TRUE(server.wait_for([&](const StandInDatagram &d) {
            return d.text.rfind("(move ", 0) == 0 && d.unum == byes + 1;
        }, 5s));
        std::this_thread::sleep_for(300ms);
        one.signal(sig);
        EXPECT_EQ(one.wait_exit(5s), 0) << sig << one.output();
        ++byes;
        EXPECT_TRUE(server.wait_for([&](const StandInDatagram &d) { return d.text == "(bye)" && d.unum == byes; }, 1s))
            << sig;
    }
}

// A display position in metres, from its 16-bit network-order field.
double metres(int16_t field) { return static_cast<int16_t>(ntohs(static_cast<uint16_t>(field))) / 16.0; }

TEST_F(PlayerProgram, MonitorRegistersOnceAndSeesThePlayersWorld) {
    {
        // The port keeps one entry per monitor, however often it registers.
        Port port;
        port.init();
        TestClient first, second, third;
        for (const char *text : {"(dispinit)", "(dispinit)", "(dispinitx)", "(dispinit version 2)"})
            first.send(port.port, text);
        second.send(port.port, std::string("(dispinit)") + std::string(246, 'x'));   // a full buffer
        second.send(port.port, std::string("(dispinit)") + '\0');
        third.send(port.port, "(dispinit version 1)");
        int read = 0;
        for (int i = 0; i < 100 && read < 7; ++i)
            read += port.recv_info() > 0 ? 1 : (std::this_thread::sleep_for(10ms), 0);
        EXPECT_EQ(read, 7);
        EXPECT_EQ(port.monitor_count, 3);
    }
    start_player({"-monitor"});
    TestClient monitor;
    // The player connects once a monitor came.
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    while (server.received().empty() && player.running() && std::chrono::steady_clock::now() < give_up) {
        monitor.send(5999, std::string("(dispinit version 1)") + '\0');   // as today's monitors register
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_TRUE(received("(init Testers (version 7.10))"));
    std::this_thread::sleep_for(1s);                           // it has moved home and looked around

    dispinfo_t record{};
    std::string raw;
    for (int i = 0; i < 10; ++i)                              // the freshest record
        raw = monitor.receive_raw(200ms);
    ASSERT_EQ(raw.size(), sizeof record);
    memcpy(&record, raw.data(), sizeof record);
    EXPECT_EQ(ntohs(static_cast<uint16_t>(record.mode)), 1);
    const showinfo_t &show = record.body.show;
    EXPECT_STREQ(show.team[0].name, "Corvane");
    const pos_t &me = show.pos[1];                            // the first to connect is number 1
    ASSERT_EQ(ntohs(static_cast<uint16_t>(me.enable)), 1);
    const StandInPlayer truth = server.players().front();
    EXPECT_NEAR(metres(me.x), truth.x, 0.5);
    EXPECT_NEAR(metres(me.y), truth.y, 0.5);
    const StandInWorld world = server.world();                 // seen from 30 m away
    EXPECT_NEAR(metres(show.pos[0].x), world.ball_x, 1.5);
    EXPECT_NEAR(metres(show.pos[0].y), world.ball_y, 1.5);
    // No opponent is known: each is sent disabled, on a spot of its own beyond a touchline.
    std::set<double> spots;
    for (int i = 12; i <= 22; ++i) {
        EXPECT_EQ(ntohs(static_cast<uint16_t>(show.pos[i].enable)), 0) << i;
        EXPECT_GT(std::fabs(metres(show.pos[i].y)), 34) << i;
        spots.insert(metres(show.pos[i].x));
    }
    EXPECT_EQ(spots.size(), 11u);
}

}  // namespace
