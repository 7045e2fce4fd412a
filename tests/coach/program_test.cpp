// The coach program and its server commands against the stand-in server.

#include "coach/core.h"
#include "coach/parser.h"
#include "common/transfer.h"
#include "standin/child_process.h"
#include "standin/standin_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

bool coach_sent(const StandInServer &server, const std::string &text, std::chrono::milliseconds timeout) {
    return server.wait_for([&](const StandInDatagram &d) { return d.coach && d.text == text; }, timeout);
}

// A work directory whose coach.conf points the coach at the stand-in's coach port.
std::string coach_dir(const StandInServer &server, const std::string &team) {
    const std::string dir = make_work_dir();
    std::ofstream(dir + "/coach.conf") << "server 127.0.0.1\nport " << server.coach_port() << "\nteam_name "
                                        << team << "\n";
    return dir;
}

#ifdef COACH_BIN
TEST(CoachProgram, ConnectsWatchesAndLeavesWhenTheServerFallsSilent) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.add_still_player("Alpha", 1, -49, 0, 0, true));
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {}, coach_dir(server, "Alpha")));

    ASSERT_TRUE(coach_sent(server, "(init Alpha (version 7.10))", 5s)) << coach.output();
    ASSERT_TRUE(coach_sent(server, "(eye on)", 5s)) << coach.output();
    EXPECT_TRUE(server.coach().eye_on);
    EXPECT_EQ(server.coach().side, 'l');

    // The see_global messages keep the silence watch (about a second) from ending the run.
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(coach.running()) << coach.output();

    server.fall_silent();
    EXPECT_EQ(coach.wait_exit(10s), 0) << coach.output();
}

TEST(CoachProgram, OfflineInitNamesNoTeam) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {"-file", "none.conf", "-offline"}, coach_dir(server, "Alpha")));
    ASSERT_TRUE(coach_sent(server, "(init (version 7.10))", 5s)) << coach.output();
    EXPECT_TRUE(coach_sent(server, "(eye on)", 5s)) << coach.output();
    server.stop();
    EXPECT_EQ(coach.wait_exit(10s), 0) << coach.output();
}

TEST(CoachProgram, VectorQuantiserSelfTestWithoutConnecting) {
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {"-vq_test"}, make_work_dir()));
    ASSERT_EQ(coach.wait_exit(10s), 0) << coach.output();
    // The owners of the twelve points, then the settled centre of class 1;
    // class 0 owns no point and keeps its centre.
    EXPECT_EQ(coach.output(), "1 3 1 3 4 1 4 2 2 1 1 4 \n\n\n4.00 3.80 5.00 5.60 6.00 ");
}

TEST(CoachProgram, UnknownArgumentShowsTheUsage) {
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {"-file", "x.conf", "-consol"}, make_work_dir()));
    EXPECT_EQ(coach.wait_exit(10s), 2);
    EXPECT_NE(coach.output().find("unknown argument: -consol\nusage: coach"), std::string::npos) << coach.output();
}

// Waits until the process runs a number of threads that meets the condition.
template <class Condition>
int threads_when(pid_t pid, Condition condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    int count = 0;
    do {
        count = 0;
        if (DIR *tasks = opendir(("/proc/" + std::to_string(pid) + "/task").c_str())) {
            while (const dirent *entry = readdir(tasks))
                count += entry->d_name[0] != '.';
            closedir(tasks);
        }
        if (condition(count))
            return count;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

TEST(CoachProgram, ConsoleEndsAtTheEndOfItsInputAndTheCoachPlaysOn) {
    StandInServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.add_still_player("Alpha", 1, -49, 0, 0, true));
    const std::string dir = coach_dir(server, "Alpha");
    const std::string console = dir + "/console";
    ASSERT_EQ(mkfifo(console.c_str(), 0600), 0);
    // Held open for reading too, so that the coach's open finds a writer at once.
    const int input = open(console.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(input, 0);
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {"-console"}, dir, "", console));
    ASSERT_TRUE(coach_sent(server, "(eye on)", 5s)) << coach.output();

    const char commands[] = "sub 1 2\nform 3\n";
    ASSERT_EQ(write(input, commands, sizeof commands - 1), static_cast<ssize_t>(sizeof commands - 1));
    const int with_console = threads_when(coach.pid(), [](int n) { return n >= 2; }, 5s);
    ASSERT_GE(with_console, 2);
    close(input);   // the end of input
    EXPECT_EQ(threads_when(coach.pid(), [&](int n) { return n == with_console - 1; }, 5s), with_console - 1);

    std::this_thread::sleep_for(1500ms);   // longer than the silence watch
    EXPECT_TRUE(coach.running()) << coach.output();
    server.fall_silent();
    EXPECT_EQ(coach.wait_exit(10s), 0) << coach.output();
}

TEST(CoachProgram, WithoutAnyServerTheRunEnds) {
    StandInServer server;   // never started: nothing listens on the coach's port
    const std::string dir = make_work_dir();
    std::ofstream(dir + "/coach.conf") << "server 127.0.0.1\nport 9\n";
    ChildProcess coach;
    ASSERT_TRUE(coach.start(COACH_BIN, {}, dir));
    EXPECT_EQ(coach.wait_exit(10s), 0) << coach.output();
    EXPECT_TRUE(std::ifstream(dir + "/log1").good());
    EXPECT_TRUE(std::ifstream(dir + "/err1").good());
}
#endif

// A raw client on the stand-in's main port, to see what players hear.
class RawPlayer {
public:
    explicit RawPlayer(int port) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        timeval wait{0, 100000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const char init[] = "(init Alpha (version 7))";
        sendto(fd_, init, sizeof init, 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
    }
    ~RawPlayer() { close(fd_); }
    // Sends text to the port of its own that the server gave this player.
    void send(const std::string &text, int own_port) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(own_port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(fd_, text.c_str(), text.size() + 1, 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
    }
    // True when a datagram beginning with prefix arrives in time.
    bool hears(const std::string &prefix, std::string *text, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        char buffer[8193];
        while (std::chrono::steady_clock::now() < end) {
            const ssize_t n = recv(fd_, buffer, sizeof buffer - 1, 0);
            if (n <= 0)
                continue;
            buffer[n] = '\0';
            if (std::string(buffer).compare(0, prefix.size(), prefix) == 0) {
                *text = buffer;
                return true;
            }
        }
        return false;
    }

private:
    int fd_ = -1;
};

// The core's commands over a real link; the test reads no replies, so SIGIO is ignored.
class CoachCommands : public ::testing::Test {
protected:
    void SetUp() override {
        signal(SIGIO, SIG_IGN);
        ASSERT_TRUE(server_.start());
        core_ = std::make_unique<TCore>(&link_);
        snprintf(link_.server, TTransfer::kHostSize, "%s", "127.0.0.1");
        link_.port = server_.coach_port();
        world_ = std::make_unique<TInfo>();
        inf = world_.get();
    }
    void TearDown() override { inf = nullptr; }

    StandInServer server_;
    TTransfer link_;
    std::unique_ptr<TCore> core_;
    std::unique_ptr<TInfo> world_;
};

TEST_F(CoachCommands, SayReachesThePlayersAsTheOnlineCoach) {
    RawPlayer player(server_.port());
    std::string text;
    ASSERT_TRUE(player.hears("(init l 1 ", &text, 2s));
    core_->init();
    ASSERT_TRUE(coach_sent(server_, "(init Corvane (version 7.10))", 2s));
    EXPECT_EQ(core_->switch_eye(ES_OFF), 0);
    // The coach's team is the second to come, so it plays from the right. A
    // player hears coach-language messages only after asking for them.
    EXPECT_EQ(core_->say("(meta (ver 7))"), 0);
    ASSERT_TRUE(player.hears("(hear ", &text, 2s));
    EXPECT_NE(text.find(" online_coach_right (unsupported_clang))"), std::string::npos) << text;
    EXPECT_EQ(core_->say("(freeform \"hello\")"), 0);
    ASSERT_TRUE(player.hears("(hear ", &text, 2s));
    EXPECT_NE(text.find(" online_coach_right (freeform \"hello\"))"), std::string::npos) << text;
    player.send("(clang (ver 7 7))", server_.players().front().own_port);
    ASSERT_TRUE(player.hears("(ok clang ", &text, 2s));
    EXPECT_EQ(text, "(ok clang (ver 7 7))");
    EXPECT_EQ(core_->say("(meta (ver 7))"), 0);
    ASSERT_TRUE(player.hears("(hear ", &text, 2s));
    EXPECT_NE(text.find(" online_coach_right (meta (ver 7)))"), std::string::npos) << text;
    EXPECT_TRUE(coach_sent(server_, "(eye off)", 2s));
    EXPECT_FALSE(server_.coach().eye_on);
}

TEST_F(CoachCommands, CommandTexts) {
    snprintf(inf->their_team_name, kCoachTextSize, "%s", "Beta");
    core_->init();
    EXPECT_EQ(core_->move_player(TV_OPP, 3, 1.5f, -2.25f, 90), 0);
    EXPECT_EQ(core_->move_ball(0, 0, 0, 1, -1), 0);
    EXPECT_EQ(core_->change_mode(kick_in_r), 0);
    EXPECT_EQ(core_->change_mode(stopped), -1);
    EXPECT_EQ(core_->say(std::string(kCoachTextSize, 'x').c_str()), -1);   // would not fit: not sent
    EXPECT_TRUE(coach_sent(server_, "(move (player Beta 3) 1.50 -2.25 90.00)", 2s));
    EXPECT_TRUE(coach_sent(server_, "(move (ball) 0.00 0.00 0.00 1.00 -1.00)", 2s));
    EXPECT_TRUE(coach_sent(server_, "(change_mode kick_in_r)", 2s));
}

// The stand-in's global view, read back by the coach's parser, is the true state.
TEST(StandInSeeGlobal, ParsesBackToTheTrueState) {
    StandInServer server;
    ASSERT_TRUE(server.add_still_player("Alpha", 1, -49, 0, -59, true));
    ASSERT_TRUE(server.add_still_player("Beta", 7, 20.25, -5, 180));
    server.place_ball(3, 4, 0.5, -0.25);
    const std::string text = standin_see_global(server.players(), server.world(), 12);
    EXPECT_EQ(text.rfind("(see_global 12 ((g r) 52.5 0) ((g l) -52.5 0) ((b) 3 4 0.5 -0.25) ((p \"Alpha\" 1 goalie)", 0),
              0u) << text;

    TCore coach_core(nullptr);
    snprintf(coach_core.team_name, TConfig::kTextSize, "%s", "Alpha");
    auto world = std::make_unique<TInfo>();
    core = &coach_core;
    inf = world.get();
    TCoach_Parser().parse_message(text.c_str());
    EXPECT_EQ(coach_core.cycle, 12);
    EXPECT_DOUBLE_EQ(inf->ball.pos.Y, 4);
    EXPECT_DOUBLE_EQ(inf->ball.vel.Y, -0.25);
    EXPECT_TRUE(inf->teammate_players[1].is_goalie);
    EXPECT_FLOAT_EQ(inf->teammate_players[1].body_dir, -59);
    EXPECT_DOUBLE_EQ(inf->opponent_players[7].pos.X, 20.25);
    EXPECT_STREQ(inf->their_team_name, "Beta");
    core = nullptr;
    inf = nullptr;
}

}  // namespace
