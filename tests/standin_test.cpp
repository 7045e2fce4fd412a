// The stand-in server and the child-process helper, driven by a plain UDP client.

#include "fixtures.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

#include <arpa/inet.h>
#include <cmath>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

const milliseconds kPatience{5000};    // generous: tests must not depend on speed

// A client socket on 127.0.0.1, as a player would have.
class TestClient {
public:
    TestClient() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    ~TestClient() { close(fd_); }

    void send(int port, const std::string &text) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<uint16_t>(port));
        sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
    }

    // The next datagram as raw bytes (empty when none came in time); from_port gets its source.
    std::string receive_raw(milliseconds timeout = kPatience) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
            return std::string();
        char buffer[9000];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        from_port = ntohs(from.sin_port);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }

    // The next message's text without its NUL byte.
    std::string receive(milliseconds timeout = kPatience) {
        std::string raw = receive_raw(timeout);
        if (!raw.empty() && raw.back() == '\0')
            raw.pop_back();
        return raw;
    }

    // The next message that begins with prefix, skipping others.
    std::string receive_starting(const std::string &prefix) {
        for (int i = 0; i < 100; ++i) {
            const std::string text = receive();
            if (text.empty() || text.compare(0, prefix.size(), prefix) == 0)
                return text;
        }
        return std::string();
    }

    // Sends init and returns the port that answered.
    int join(int server_port, const std::string &init) {
        send(server_port, init);
        EXPECT_EQ(receive().compare(0, 6, "(init "), 0);
        return from_port;
    }

    int from_port = 0;

private:
    int fd_ = -1;
};

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
    const std::string first = player.receive();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(player.receive(), first);    // before kick-off the clock stands at 0
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

    const StandInPlayer placed = server.players().at(0);
    EXPECT_DOUBLE_EQ(placed.x, -10.0);
    EXPECT_DOUBLE_EQ(placed.y, 5.0);
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
