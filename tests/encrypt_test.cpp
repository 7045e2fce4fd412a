// The team map message: the text a player says, and the merge of a heard one
// into another player's world model.

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "common/transfer.h"
#include "fixtures.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"
#include "player/world/encrypt.h"
#include "standin/child_process.h"

namespace {

// A map text as a teammate hears it: the server puts it in quotes.
std::string heard(const std::string &text) { return "\"" + text + "\""; }

void place(TPlayer &player, double x, double y, float chance, float source_dist = 0) {
    player.pos = TPoint(x, y);
    player.pos_chance = chance;
    player.source_dist = source_dist;
}

class MapMessage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir(make_work_dir().c_str()), 0);
        net = new TTransfer();
        parser = new TParser();
        core = new TCore();
        core->world = new TWorld_Model();
        core->world->me = &core->world->teammates[7];
        core->info_snapshot.unum = 7;
        hearer = new TWorld_Model();
        sender = new TMap_Encrypt(core->world->teammates, core->world->opponents, &core->world->ball, "Tigers");
        receiver = new TMap_Encrypt(hearer->teammates, hearer->opponents, &hearer->ball, "Tigers");
    }
    void TearDown() override {
        delete receiver;
        delete sender;
        delete hearer;
        delete core->world;
        delete core;
        delete parser;
        delete net;
        core = nullptr;
        parser = nullptr;
        net = nullptr;
    }

    // The sender's world: two teammates and an opponent known, others too vaguely.
    void small_world() {
        TWorld_Model &world = *core->world;
        place(world.teammates[2], -10.26, 5.04, 0.9f);
        place(world.teammates[5], 8.0, 8.0, 0.4f);
        place(world.teammates[7], 3.0, -2.0, 1.0f);
        place(world.opponents[3], 20.44, -7.71, 0.5f);
        place(world.opponents[9], 30.0, 0.0, 0.49f);
        world.ball.pos = TPoint(1.26, -3.54);
        world.ball.pos_chance = 0.8f;
        world.ball.vel = TPoint(0.52, -0.27);
        world.ball.vel_chance = 0.6f;
    }

    std::string map_text(int unum = 7) {
        char text[kMapTextSize];
        sender->get_map_string(text, unum);
        return text;
    }

    void hear(const std::string &text) { receiver->fill_received_map(text.c_str()); }

    TMap_Encrypt *sender = nullptr;
    TMap_Encrypt *receiver = nullptr;
    TWorld_Model *hearer = nullptr;   // the world of the teammate that hears the message
};

// ---- the text said ----

TEST_F(MapMessage, ExactTextOfASmallMap) {
    small_world();
    EXPECT_EQ(map_text(), "((Tigers)(7)<tp(2 -10.3 5.0 0.9)(7 3.0 -2.0 1.0)><op(3 20.4 -7.7 0.5)>"
                          "<b(1.3 -3.5 0.8 0.5 -0.3 0.6)>)");
}

TEST_F(MapMessage, GroupsWithoutEntriesAreJustTheirMarks) {
    EXPECT_EQ(map_text(4), "((Tigers)(4)<tp><op><b(0.0 0.0 0.0 0.0 0.0 0.0)>)");
}

TEST_F(MapMessage, AFullMapWithALongNameStopsAtAnEntryAndKeepsItsFrame) {
    const std::string name(kTeamNameSize - 1, 'T');
    TMap_Encrypt encoder(core->world->teammates, core->world->opponents, &core->world->ball, name.c_str());
    for (int unum = 1; unum <= 11; ++unum) {
        place(core->world->teammates[unum], -52.5, -34.0, 1.0f);
        place(core->world->opponents[unum], 52.5, 34.0, 1.0f);
    }
    char text[kMapTextSize];
    ASSERT_TRUE(encoder.get_map_string(text, 10));
    const std::string said = text;
    EXPECT_EQ(said.substr(0, name.size() + 10), "((" + name + ")(10)<tp");
    // 143 characters of head, group marks, ball and tail; 211 for the eleven
    // teammates; 17 for each opponent: nine fit, in 507 characters.
    EXPECT_EQ(said.size(), 507u);
    EXPECT_NE(said.find("(11 -52.5 -34.0 1.0)><op(1 52.5 34.0 1.0)"), std::string::npos);
    EXPECT_EQ(said.substr(said.find("(9 52.5")), "(9 52.5 34.0 1.0)><b(0.0 0.0 0.0 0.0 0.0 0.0)>)");

    TMap_Encrypt listener(hearer->teammates, hearer->opponents, &hearer->ball, name.c_str());
    listener.fill_received_map(heard(said).c_str());
    EXPECT_FLOAT_EQ(hearer->teammates[11].pos_chance, 1.0f);
    EXPECT_FLOAT_EQ(hearer->opponents[9].pos_chance, 1.0f);
    EXPECT_FLOAT_EQ(hearer->opponents[10].pos_chance, 0.0f);
}

TEST_F(MapMessage, TheServersSaySizeLimitsTheText) {
    small_world();
    core->say_msg_size = 100;
    const std::string said = map_text();
    EXPECT_EQ(said, "((Tigers)(7)<tp(2 -10.3 5.0 0.9)(7 3.0 -2.0 1.0)><op><b(1.3 -3.5 0.8 0.5 -0.3 0.6)>)");
    core->say_msg_size = 40;
    char text[kMapTextSize];
    EXPECT_FALSE(sender->get_map_string(text, 7));
    EXPECT_STREQ(text, "");
}

// ---- recognising our team's messages ----

TEST_F(MapMessage, OnlyOurExactTeamNameIsAMapMessage) {
    EXPECT_TRUE(receiver->is_map_string("\"((Tigers)(7)<tp><op><b(0.0 0.0 0.0 0.0 0.0 0.0)>)\""));
    EXPECT_FALSE(receiver->is_map_string("\"((TigersB)(7)<tp>"));
    EXPECT_FALSE(receiver->is_map_string("\"((Tiger)(7)<tp>"));
    EXPECT_FALSE(receiver->is_map_string("\"((tigers)(7)<tp>"));
    EXPECT_FALSE(receiver->is_map_string("((Tigers)(7)<tp>"));
    EXPECT_FALSE(receiver->is_map_string("\"((Tigers"));
    EXPECT_FALSE(receiver->is_map_string(""));
}

TEST_F(MapMessage, AnotherTeamsHeardTextsAreNoMapMessages) {
    TMap_Encrypt alpha(hearer->teammates, hearer->opponents, &hearer->ball, "Alpha");
    int texts = 0;
    for (const std::string &line : fixture_lines("player-left-match.txt")) {
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (line.compare(0, 6, "(hear ") != 0 || open == std::string::npos || close == open)
            continue;
        const std::string text = line.substr(open, close - open + 1);
        EXPECT_FALSE(alpha.is_map_string(text.c_str())) << text;
        alpha.fill_received_map(text.c_str());
        ++texts;
    }
    EXPECT_GT(texts, 100);
    for (int unum = 0; unum < kPlayerSlots; ++unum)
        EXPECT_EQ(hearer->teammates[unum].pos_chance + hearer->opponents[unum].pos_chance, 0.0f);
    EXPECT_EQ(hearer->ball.pos_chance, 0.0f);
}

// ---- merging what is heard ----

TEST_F(MapMessage, RoundTripMergesTheMoreConfidentAndTheNearerObserved) {
    small_world();
    place(hearer->teammates[7], 3.0, -2.0, 0.8f);     // where the hearer sees the sender
    place(hearer->teammates[2], -9.0, 4.0, 0.3f);
    place(hearer->opponents[3], 21.0, -8.0, 0.5f, 30.0f);
    hearer->ball.pos = TPoint(1.0, -3.0);
    hearer->ball.pos_chance = 0.9f;
    hearer->ball.vel_chance = 0.2f;
    hear(heard(map_text()));

    EXPECT_NEAR(hearer->teammates[2].pos.X, -10.3, 1e-5);
    EXPECT_NEAR(hearer->teammates[2].pos.Y, 5.0, 1e-5);
    EXPECT_FLOAT_EQ(hearer->teammates[2].pos_chance, 0.9f);
    EXPECT_NEAR(hearer->teammates[2].source_dist, std::hypot(13.3, 7.0), 1e-4);
    EXPECT_NEAR(hearer->teammates[7].pos.X, 3.0, 1e-5);   // the sender on itself, more confident
    EXPECT_FLOAT_EQ(hearer->teammates[7].pos_chance, 1.0f);
    EXPECT_FLOAT_EQ(hearer->teammates[5].pos_chance, 0.0f);
    EXPECT_NEAR(hearer->opponents[3].pos.X, 20.4, 1e-5);  // as confident, seen from 18.3 < 30
    EXPECT_NEAR(hearer->opponents[3].source_dist, std::hypot(17.4, 5.7), 1e-4);
    EXPECT_NEAR(hearer->ball.pos.X, 1.0, 1e-9);           // own ball is more confident
    EXPECT_FLOAT_EQ(hearer->ball.pos_chance, 0.9f);
    EXPECT_NEAR(hearer->ball.vel.X, 0.5, 1e-5);
    EXPECT_NEAR(hearer->ball.vel.Y, -0.3, 1e-5);
    EXPECT_FLOAT_EQ(hearer->ball.vel_chance, 0.6f);
}

TEST_F(MapMessage, ASeenPlayerGivesWayOnlyToAFullConfidenceFromNearer) {
    place(hearer->teammates[4], 6.0, 8.0, 1.0f, 10.0f);   // I saw it this cycle from 10 m
    place(hearer->teammates[7], 0.0, 0.0, 1.0f);
    hear("\"((Tigers)(7)<tp(4 6.5 8.0 0.9)(4 6.2 8.0 1.0)><op><b(0 0 0 0 0 0)>)\"");
    EXPECT_NEAR(hearer->teammates[4].pos.X, 6.0, 1e-9);   // 0.9 is less, 10.1 m is not nearer
    EXPECT_FLOAT_EQ(hearer->teammates[4].source_dist, 10.0f);

    place(hearer->teammates[7], 3.6, 4.0, 1.0f);
    hear("\"((Tigers)(7)<tp(4 6.6 8.0 1.0)><op><b(0 0 0 0 0 0)>)\"");
    EXPECT_NEAR(hearer->teammates[4].pos.X, 6.6, 1e-5);
    EXPECT_NEAR(hearer->teammates[4].source_dist, 5.0, 1e-3);
}

TEST_F(MapMessage, AsConfidentFromFartherIsIgnored) {
    place(hearer->opponents[9], 10.0, 0.0, 0.7f, 5.0f);
    hear("\"((Tigers)(7)<tp><op(9 12.0 0.0 0.7)><b(0 0 0 0 0 0)>)\"");
    EXPECT_NEAR(hearer->opponents[9].pos.X, 10.0, 1e-9);
    EXPECT_FLOAT_EQ(hearer->opponents[9].source_dist, 5.0f);
}

TEST_F(MapMessage, BallPositionAndVelocityAreMergedIndependently) {
    hearer->ball.pos = TPoint(9.0, 0.0);
    hearer->ball.pos_chance = 1.0f;
    hearer->ball.source_dist = 2.0f;
    hearer->ball.vel_chance = 0.3f;
    hear("\"((Tigers)(7)<tp><op><b(10.0 0.0 1.0 2.0 -1.0 0.9)>)\"");
    EXPECT_NEAR(hearer->ball.pos.X, 9.0, 1e-9);
    EXPECT_NEAR(hearer->ball.vel.X, 2.0, 1e-9);
    EXPECT_NEAR(hearer->ball.vel.Y, -1.0, 1e-9);
    EXPECT_FLOAT_EQ(hearer->ball.vel_chance, 0.9f);
    EXPECT_FLOAT_EQ(hearer->ball.source_dist, 2.0f);
}

// ---- untrusted texts ----

TEST_F(MapMessage, UniformNumbersOutsideOneToElevenAreSkipped) {
    hear("\"((Tigers)(7)<tp(0 1.0 1.0 1.0)(12 1.0 1.0 1.0)(-3 1.0 1.0 1.0)(99999999999 1 1 1)"
         "(2.5 1 1 1)(5 1.0 2.0 0.9)><op(21 1 1 1)>\"");
    for (int unum = 0; unum < kPlayerSlots; ++unum) {
        EXPECT_EQ(hearer->teammates[unum].pos_chance, unum == 5 ? 0.9f : 0.0f) << unum;
        EXPECT_EQ(hearer->opponents[unum].pos_chance, 0.0f) << unum;
    }
}

TEST_F(MapMessage, NonFiniteHugeAndMalformedNumbersAreRefused) {
    hear("\"((Tigers)(7)<tp(3 nan 1.0 0.9)(4 1.0 inf 0.9)(6 1e39 0 0.9)(8 1.0 1.0 5.0)(9 1 1 -0.5)"
         "(1 abc 1.0 0.9)(2 1.0 1.0)(11 1.0 1.0 0.9 7)(10 1.0 2.0 0.8)><b(nan 0 1 0 0 1)>\"");
    for (int unum = 0; unum < kPlayerSlots; ++unum)
        EXPECT_EQ(hearer->teammates[unum].pos_chance, unum == 10 ? 0.8f : 0.0f) << unum;
    EXPECT_EQ(hearer->ball.pos_chance, 0.0f);
    EXPECT_EQ(hearer->ball.vel_chance, 0.0f);
}

TEST_F(MapMessage, WithoutAValidSenderNothingIsMerged) {
    for (const char *head : {"(0)", "(12)", "(x)", "", "(7"}) {
        hear(std::string("\"((Tigers)") + head + "<tp(6 1.0 2.0 0.8)><b(1 1 1 1 1 1)>)\"");
        EXPECT_EQ(hearer->teammates[6].pos_chance, 0.0f) << head;
        EXPECT_EQ(hearer->ball.pos_chance, 0.0f) << head;
    }
}

TEST_F(MapMessage, ATruncatedTextGivesWhatItsPrefixGave) {
    small_world();
    const std::string text = heard(map_text());
    TWorld_Model whole;
    TMap_Encrypt(whole.teammates, whole.opponents, &whole.ball, "Tigers").fill_received_map(text.c_str());

    int previous = 0;
    for (size_t length = 0; length <= text.size(); ++length) {
        TWorld_Model part;
        const std::string prefix = text.substr(0, length);
        TMap_Encrypt(part.teammates, part.opponents, &part.ball, "Tigers").fill_received_map(prefix.c_str());
        int merged = 0;
        for (int unum = 1; unum <= 11; ++unum)
            for (const TPlayer *side : {part.teammates, part.opponents}) {
                const TPlayer &got = side[unum];
                const TPlayer &full = (side == part.teammates ? whole.teammates : whole.opponents)[unum];
                if (got.pos_chance == 0)
                    continue;
                ++merged;
                EXPECT_EQ(got.pos, full.pos) << prefix;
                EXPECT_EQ(got.pos_chance, full.pos_chance) << prefix;
            }
        EXPECT_TRUE(part.ball.pos_chance == 0 || part.ball.pos == whole.ball.pos) << prefix;
        EXPECT_GE(merged, previous) << prefix;
        previous = merged;
    }
    EXPECT_EQ(previous, 3);
}

TEST_F(MapMessage, AnEntryCutShortIsPassedOver) {
    hear("\"((Tigers)(7)<tp(3 1.0><op(4 2.0 2.0 0.9)(5 1.0 2.0 0.9");
    EXPECT_EQ(hearer->teammates[3].pos_chance, 0.0f);
    EXPECT_EQ(hearer->opponents[4].pos_chance, 0.9f);
    EXPECT_EQ(hearer->opponents[5].pos_chance, 0.0f);
}

}  // namespace
