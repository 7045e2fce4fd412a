// The coach's advice and the decision that says it, heard on a local socket.

#include "coach/coachlang.h"
#include "coach_scene.h"
#include "coach/sbe.h"
#include "coach/stdmaker.h"
#include "common/transfer.h"
#include "fixtures.h"

#include <arpa/inet.h>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char *const kIdentification = "(say (freeform \"Ostra-Corvane Standard Coach Version 1.00\"))";

// A coach core whose commands go to a socket of the test, with a world state
// and a behaviour model the tests fill.
class AdviceScene : public Coach_Scene {
protected:
    void SetUp() override {
        signal(SIGIO, SIG_IGN);
        ear_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ASSERT_EQ(bind(ear_, reinterpret_cast<sockaddr *>(&address), size), 0);
        getsockname(ear_, reinterpret_cast<sockaddr *>(&address), &size);
        make_coach(&link_);
        snprintf(link_.server, TTransfer::kHostSize, "%s", "127.0.0.1");
        link_.port = ntohs(address.sin_port);
        link_.init_connection();
        sbe_ = std::make_unique<TSBE>();
        core->SBE = sbe_.get();
        set_team("Alpha");
        srandom(7);
    }
    void TearDown() override {
        close(ear_);
        Coach_Scene::TearDown();
    }

    void set_team(const char *name) { snprintf(inf->our_team_name, kCoachTextSize, "%s", name); }

    // An opponent's shot from a point, that went in (counted as a goal) or out.
    void shot(int unum, TPoint from, Shoot_Target_Info target = STI_GOALED) {
        Shoot_Info *s = sbe_->op[unum].add_shoot();
        s->target = target;
        s->set_start_point(from);
        if (target == STI_GOALED)
            sbe_->their_team.add_goaled_shoot_count();
    }

    // The next command the coach sent, or empty text when none comes within a second.
    std::string said() {
        pollfd waiting{ear_, POLLIN, 0};
        char text[kCoachTextSize + 1];
        if (poll(&waiting, 1, 1000) < 1)
            return "";
        const ssize_t n = recv(ear_, text, kCoachTextSize, 0);
        return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
    }
    bool silent() {
        char text[kCoachTextSize];
        return recv(ear_, text, sizeof text, MSG_DONTWAIT) < 0;
    }

    int ear_ = -1;
    TTransfer link_;
    std::unique_ptr<TSBE> sbe_;
};

std::string text_of(int token, const Advice_Message &message) {
    return get_AI_token_string(message.get_token(token));
}

const char *const kGoalFromLeft =
    "(11995 (and (ppos our {2 } 1 1 (quad (pt -47.0 -17.0)(pt -33.0 -17.0)(pt -33.0 -3.0)(pt -47.0 -3.0)))"
    "(bpos (quad (pt -47.0 -17.0)(pt -33.0 -17.0)(pt -33.0 -3.0)(pt -47.0 -3.0))))"
    "(do our {2 }(bto (pt 0.0 -32.0){p}))(do our {2 }(pos (pt ball))))";

TEST_F(AdviceScene, ClearingAdviceAroundEachGoalPlaceOnce) {
    set_team("Corvane");   // no attacking advice
    core->cycle = 5;
    shot(9, TPoint(-40, -10), STI_WENT_OUT);
    Advice_Message none;
    get_advice_message(&none);
    EXPECT_EQ(none.count(), 0);   // no goal yet, whatever went out

    shot(10, TPoint(-41, -11));   // the same grid cell as the shot that went out
    shot(11, TPoint(30, 30));     // two goals: only the first two shots that went in or out count
    Advice_Message first;
    get_advice_message(&first);
    ASSERT_EQ(first.count(), 10);   // players 2 to 11
    EXPECT_EQ(text_of(0, first), kGoalFromLeft);
    EXPECT_NE(text_of(9, first).find("(ppos our {11 } 1 1 "), std::string::npos);
    Advice_Message again;
    get_advice_message(&again);
    EXPECT_EQ(again.count(), 0);   // the place was advised
    EXPECT_EQ(core->ball_clearing_said, 1);

    // From the right the advice is the same text: the place is where the coach
    // saw it, in the server's frame that the coach language is written in.
    inf->side = TS_RIGHT;
    core->ball_clearing_said = 0;
    Advice_Message right;
    get_advice_message(&right);
    EXPECT_EQ(text_of(0, right), kGoalFromLeft);
}

TEST_F(AdviceScene, AttackingAdviceFromTwoDrawsPerPlayer) {
    core->cycle = 23;
    Advice_Message message;
    get_advice_message(&message);
    ASSERT_EQ(message.count(), 10);
    // Seed 7: player 2 draws the point (37, -20), player 4 (39, 20).
    EXPECT_EQ(text_of(0, message),
              "(9400 (ppos our {2 } 1 1 (arc (pt 37.0 -20.0) 0.0 20.0 0.0 360.0))"
              "(do our {2 }(bto (quad (pt 30.0 -20.0)(pt 45.0 -20.0)(pt 45.0 20.0)(pt 30.0 20.0)){p})))");
    EXPECT_EQ(text_of(2, message).rfind("(9400 (ppos our {4 } 1 1 (arc (pt 39.0 20.0) ", 0), 0u);

    // From the right the same points and zone, in the server's frame.
    inf->side = TS_RIGHT;
    srandom(7);
    Advice_Message right;
    get_advice_message(&right);
    EXPECT_EQ(text_of(0, right),
              "(9400 (ppos our {2 } 1 1 (arc (pt -37.0 20.0) 0.0 20.0 0.0 360.0))"
              "(do our {2 }(bto (quad (pt -30.0 20.0)(pt -45.0 20.0)(pt -45.0 -20.0)(pt -30.0 -20.0)){p})))");
}

// Four new places do not fit one say command: three are said with the attacking
// tokens that still fit, the fourth comes with the next message.
TEST_F(AdviceScene, AdviceTooLongForTheSayCommandIsSplitNotCut) {
    for (int i = 0; i < 4; i++)
        shot(2 + i, TPoint(-45 + 12 * i, -20 + 10 * i));
    Advice_Message first;
    get_advice_message(&first);
    EXPECT_EQ(core->ball_clearing_said, 3);
    EXPECT_GT(first.count(), 30);
    EXPECT_LE(get_advice_string(&first).size(), static_cast<size_t>(kAdviceTextRoom));
    Advice_Message second;
    get_advice_message(&second);
    EXPECT_EQ(core->ball_clearing_said, 4);
    EXPECT_EQ(second.count(), 20);
}

// The captured advice, as a player hears it, has the same shape as ours once
// numbers and spacing are set aside.
TEST_F(AdviceScene, ClearingTokenHasTheShapePlayersHear) {
    // Every number (sign and decimals included) becomes N; blanks go.
    const auto shape = [](const std::string &text) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            const bool sign = text[i] == '-' && i + 1 < text.size() && isdigit(static_cast<unsigned char>(text[i + 1]));
            if (sign || isdigit(static_cast<unsigned char>(text[i]))) {
                i += sign;
                while (i < text.size() && (isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                    ++i;
                out += 'N';
            } else {
                if (!isspace(static_cast<unsigned char>(text[i])))
                    out += text[i];
                ++i;
            }
        }
        return out;
    };
    const std::string heard = shape(fixture_line("player-right-coach-advice.txt", "(hear 257 online_coach_right (advice"));
    const std::string ours = shape(kGoalFromLeft);
    const std::string head = "(N(and(pposour{N}NN(quad(ptNN)";
    const std::string tail = "(doour{N}(bto(ptNN){p}))(doour{N}(pos(ptball))))";
    EXPECT_EQ(ours.rfind(head, 0), 0u);
    EXPECT_NE(heard.find("(advice" + head), std::string::npos) << heard;
    EXPECT_EQ(ours.substr(ours.size() - tail.size()), tail);
    EXPECT_NE(heard.find(tail), std::string::npos) << heard;
}

TEST_F(AdviceScene, IdentificationOnlyAtCycleOne) {
    set_team("Corvane");   // and no goals: nothing to advise
    core->cycle = 2;
    core->dec.decision();
    EXPECT_TRUE(silent());
    core->cycle = 1;
    core->dec.decision();
    EXPECT_EQ(said(), kIdentification);
    core->dec.decision();
    EXPECT_TRUE(silent());
}

// Two looks read in one go are decided on one after the other, each with its
// own state: the one of cycle 1 says the identification line.
TEST_F(AdviceScene, EachLookIsDecidedOnWithItsOwnState) {
    set_team("Corvane");   // and no goals: the identification line is all there is to say
    net = &link_;
    sockaddr_in coach{};
    socklen_t size = sizeof coach;
    getsockname(link_.sock.socketfd, reinterpret_cast<sockaddr *>(&coach), &size);
    for (const char *look : {"(see_global 1 ((b) 0 0 0 0))", "(see_global 2 ((b) 0 0 0 0))"})
        sendto(ear_, look, strlen(look) + 1, 0, reinterpret_cast<sockaddr *>(&coach), size);
    sigio_handler(SIGIO);
    make_due_decisions();
    net = nullptr;
    EXPECT_EQ(said(), kIdentification);
    EXPECT_EQ(core->cycle, 2);
    EXPECT_EQ(core->dec.advice_quite_cycles, 2);
}

TEST_F(AdviceScene, AdviceOncePerInterruptionThenEvery300Calls) {
    core->cycle = 40;
    inf->play_mode = free_kick_r;
    core->dec.decision();
    const std::string advice = said();
    EXPECT_EQ(advice.rfind("(say (advice (9383 (ppos our {2 } 1 1 (arc (pt 37.0 -20.0) ", 0), 0u) << advice;
    EXPECT_EQ(advice.substr(advice.size() - 5), "   ))");
    core->dec.decision();   // the same interruption
    EXPECT_TRUE(silent());

    inf->play_mode = play_on;
    for (int i = 0; i < 298; i++)   // the 300th call after the advice says the next
        core->dec.decision();
    EXPECT_TRUE(silent());
    EXPECT_EQ(core->dec.advice_quite_cycles, 300);
    core->dec.decision();
    EXPECT_EQ(said().rfind("(say (advice (9383 ", 0), 0u);
    EXPECT_EQ(core->dec.advice_quite_cycles, 1);
}

TEST_F(AdviceScene, AnEmptyAdviceAt300LetsTheCountRunOn) {
    set_team("Corvane");
    inf->play_mode = play_on;
    core->dec.advice_quite_cycles = 300;
    core->dec.decision();
    EXPECT_TRUE(silent());
    EXPECT_EQ(core->dec.advice_quite_cycles, 301);

    shot(9, TPoint(-40, -10));
    inf->play_mode = kick_off_l;   // after the goal
    core->dec.decision();
    EXPECT_EQ(said().rfind("(say (advice (12000 (and ", 0), 0u);
    EXPECT_EQ(core->dec.advice_quite_cycles, 1);
}

}  // namespace
