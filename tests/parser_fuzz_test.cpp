// The parser under damaged input: captured lines cut, flipped, with brackets
// doubled or lost and numbers out of every range, crowded and overlong
// messages. Each must parse without a fault and leave a record whose counts and
// indices stay inside their tables.

#include "player/runtime/parser.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "fixtures.h"
#include "lcg.h"
#include "player/agent/core.h"
#include "player/runtime/client.h"

// From parser_test.cpp: a fresh core, world model and parser in a temporary directory.
void start_parser_scene();
void end_parser_scene();
void parse_text(const std::string &text);

namespace {

const int kVariants = 4000;

const char *const kGiantNumbers[] = {"1e999", "-1e999", "nan", "-nan", "inf", "-2147483648999",
                                     "99999999999999999999", "3.4e38", "-1e39", "0x7fffffff"};

std::vector<std::string> all_capture_lines() {
    std::vector<std::string> lines;
    for (const char *file : {"player-basic.txt", "player-left-match.txt", "player-right-match.txt",
                             "player-right-coach-advice.txt", "player-errors.txt", "coach-errors.txt",
                             "coach-basic.txt", "coach-match.txt"})
        for (const std::string &line : fixture_lines(file))
            lines.push_back(line);
    return lines;
}

std::vector<size_t> positions_of(const std::string &text, const char *chars) {
    std::vector<size_t> found;
    for (size_t i = text.find_first_of(chars); i != std::string::npos; i = text.find_first_of(chars, i + 1))
        found.push_back(i);
    return found;
}

// One damage of a line: cut, a flipped byte, a bracket doubled or removed, or a
// number replaced by one beyond every range.
std::string damaged(std::string text, Lcg &rng) {
    switch (rng.below(5)) {
    case 0:
        text.resize(rng.below(text.size() + 1));
        break;
    case 1:
        if (!text.empty())
            text[rng.below(text.size())] = static_cast<char>(1 + rng.below(255));
        break;
    case 2:
    case 3: {
        const std::vector<size_t> brackets = positions_of(text, "()");
        if (brackets.empty())
            break;
        const size_t at = brackets[rng.below(brackets.size())];
        if (rng.below(2) == 0)
            text.insert(at, 1, text[at]);
        else
            text.erase(at, 1);
        break;
    }
    default: {
        const std::vector<size_t> digits = positions_of(text, "0123456789");
        if (digits.empty())
            break;
        const size_t start = digits[rng.below(digits.size())];
        const size_t end = text.find_first_of(" )", start);
        text.replace(start, end == std::string::npos ? std::string::npos : end - start,
                     kGiantNumbers[rng.below(sizeof kGiantNumbers / sizeof kGiantNumbers[0])]);
        break;
    }
    }
    return text;
}

void expect_sound_record() {
    const Info &info = core->info;
    ASSERT_GE(info.see.flag_count, 0);
    ASSERT_LE(info.see.flag_count, kMaxFlags);
    ASSERT_GE(info.see.line_count, 0);
    ASSERT_LE(info.see.line_count, kMaxLines);
    ASSERT_GE(info.see.player_count, 0);
    ASSERT_LE(info.see.player_count, kMaxSeenPlayers);
    ASSERT_GE(info.hear_index, -1);
    ASSERT_LT(info.hear_index, kMaxHear);
    ASSERT_GE(info.unum, 0);
    ASSERT_LE(info.unum, 11);
    ASSERT_TRUE(info.side == 'l' || info.side == 'r');
    ASSERT_GE(info.play_mode, PM_BEFORE_KICK_OFF);
    ASSERT_LE(info.play_mode, PM_STOPPED);
    ASSERT_GE(core->catch_state, 0);
    ASSERT_LE(core->catch_state, 2);
    for (int i = 0; i < info.see.player_count; ++i) {
        ASSERT_GE(info.see.players[i].unum, 0);
        ASSERT_LE(info.see.players[i].unum, 11);
    }
}

class ParserFuzz : public ::testing::Test {
protected:
    void SetUp() override { start_parser_scene(); }
    void TearDown() override { end_parser_scene(); }
};

TEST_F(ParserFuzz, DamagedCapturedLines) {
    const std::vector<std::string> lines = all_capture_lines();
    ASSERT_FALSE(lines.empty());
    Lcg rng(20011);
    for (int i = 0; i < kVariants; ++i) {
        std::string text = damaged(lines[rng.below(lines.size())], rng);
        if (rng.below(4) == 0)
            text = damaged(text, rng);
        parse_text(text);
        expect_sound_record();
        if (HasFatalFailure()) {
            ADD_FAILURE() << "variant " << i << ": " << text;
            return;
        }
    }
}

TEST_F(ParserFuzz, ShortAndEmptyMessages) {
    for (const char *text : {"", "(", "()", "(se", "(see", "(see ", "(hear", "(hear 1", "(hear 1 r",
                             "(hear 1 referee", "(hear 1 s", "(hear 1 o", "(init", "(init l",
                             "(init l 1", "(sense_body", "(sense_body 1 (", "(fullstate",
                             "(fullstate 1 (l_", "(player_type", "(player_param",
                             "(change_player_type", "(change_player_type 1", "(see 1 ((",
                             "(see 1 ((p", "(see 1 ((p \"", "(see 1 ((f", "(see 1 ((g ", "(see 1 ((l "}) {
        parse_text(text);
        expect_sound_record();
    }
}

TEST_F(ParserFuzz, CrowdedSeeKeepsWhatItsTablesHold) {
    std::string text = "(see 5";
    for (int i = 0; i < 70; ++i)
        text += " ((f t l 10) 1 " + std::to_string(i) + ")";
    for (int i = 0; i < 35; ++i)
        text += " ((p \"Alpha\" " + std::to_string(1 + i % 11) + ") 2 " + std::to_string(i) + " 0 0 10 20)";
    for (int i = 0; i < 10; ++i)
        text += " ((l b) 3 " + std::to_string(i) + ")";
    text += " ((b) 4 5))";
    parse_text(text);
    const See_Info &see = core->info.see;
    EXPECT_EQ(see.flag_count, kMaxFlags);
    EXPECT_EQ(see.player_count, kMaxSeenPlayers);
    EXPECT_EQ(see.line_count, kMaxLines);
    EXPECT_FLOAT_EQ(see.flags[kMaxFlags - 1].dir, kMaxFlags - 1);
    EXPECT_FLOAT_EQ(see.players[kMaxSeenPlayers - 1].dir, kMaxSeenPlayers - 1);
    EXPECT_FLOAT_EQ(see.lines[kMaxLines - 1].dir, kMaxLines - 1);
    EXPECT_TRUE(see.ball_seen);                // entries after the full tables are still read
    EXPECT_FLOAT_EQ(see.ball_dist, 4.0f);
}

TEST_F(ParserFuzz, OverlongMessagesAreCutToTheBuffer) {
    // What the link hands over of a datagram longer than its buffer.
    auto as_received = [](std::string text) {
        if (text.size() > static_cast<size_t>(kMessageSize))
            text.resize(kMessageSize);
        return text;
    };
    std::string crowded = "(see 9";
    while (crowded.size() < 9000)
        crowded += " ((f r b 30) 62.8 36) ((p \"Alpha\" 4) 20 3 0 0 1 2)";
    crowded += ")";
    parse_text(as_received(crowded));
    expect_sound_record();

    parse_text(as_received("(hear 5 10 \"" + std::string(9000, 'x') + "\")"));
    ASSERT_EQ(core->info.hear_index, 0);
    EXPECT_EQ(std::string(core->info.hear[0].text).size(), static_cast<size_t>(kMessageSize) - 11);

    parse_text("(hear 5 10 \"" + std::string(9000, 'y') + "\")");     // not cut: the field cuts it
    EXPECT_EQ(std::string(core->info.hear[1].text).size(), static_cast<size_t>(kMessageSize) - 1);

    parse_text("(see 9 ((p \"" + std::string(9000, 'T') + "\" 3) 1 2))");
    // the field holds the opening quote and 8590 letters; the quote goes
    EXPECT_EQ(std::string(core->info.see.players[0].team).size(), static_cast<size_t>(kMessageSize) - 2);
    EXPECT_FLOAT_EQ(core->info.see.players[0].dist, 1.0f);

    parse_text("(sense_body 3 (stamina " + std::string(9000, '9') + " 1))");
    EXPECT_GT(core->info.sense.stamina, 0);
    parse_text("(hear 5 referee " + std::string(9000, 'g') + ")");
    parse_text("(init l " + std::string(9000, '7') + " play_on)");
    expect_sound_record();
}

TEST_F(ParserFuzz, WithoutAWorldModel) {
    delete core->world;
    core->world = nullptr;
    for (const std::string &line : fixture_lines("player-basic.txt"))
        parse_text(line);
    parse_text("(fullstate 3 (pmode play_on) (ball 1 2 3 4) (l_1 1 2 3 4 5 6 7 8 9))");
    parse_text("(change_player_type 1 1)");
    parse_text("(hear 100 referee goal_l_1)");
    expect_sound_record();
    EXPECT_FLOAT_EQ(core->kickable_margin, core->player_type_table[1][6]);
}

}  // namespace
