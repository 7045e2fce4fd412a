// The coach-language parser: the coach messages of the captures as the player
// hears them, every form of the language, named definitions and their renewal,
// and damaged, deep and huge texts that must leave a bounded model.

#include "player/clang/cparser.h"

#include <algorithm>
#include <climits>
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

class Clang : public ::testing::Test {
protected:
    void parse(const std::string &text) { parser.parse_coach_message(text.c_str()); }
    const AI_Token &advice(int i) { return *message.advice.get(i); }
    const Directive &directive(int token, int i) { return *advice(token).directive_list.get(i); }

    Coach_Message message;
    TCoach_Parser parser{&message};
};

void expect_point(const Reg_Point &p, float x, float y) {
    EXPECT_EQ(p.type, PT_POINT);
    EXPECT_FLOAT_EQ(p.X, x);
    EXPECT_FLOAT_EQ(p.Y, y);
}

std::vector<int> members(const Uniform_List &list) {
    std::vector<int> found;
    for (int n = 0; n < 12; ++n)
        if (list.players[n])
            found.push_back(n);
    return found;
}

TEST(ClangReaders, NumbersStopAtTheirDelimitersAndAreBounded) {
    char text[] = "12} 5.5,7 x 1e999 -99999999999 nan \t3";
    char *cur = text;
    EXPECT_EQ(get_integer(&cur, false), 12);
    EXPECT_EQ(*cur, '}');
    EXPECT_EQ(get_integer(&cur, true), 0);          // an empty token; steps over '}' and the blank
    EXPECT_FLOAT_EQ(get_float(&cur, true), 5.5f);   // steps over ','
    EXPECT_FLOAT_EQ(get_float(&cur, false), 7);
    EXPECT_FLOAT_EQ(get_float(&cur, true), 0);      // not a number
    EXPECT_FLOAT_EQ(get_float(&cur, true), 0);      // infinite
    EXPECT_EQ(get_integer(&cur, true), INT_MIN);
    EXPECT_FLOAT_EQ(get_float(&cur, true), 0);
    EXPECT_EQ(get_integer(&cur, true), 0);          // white space the conversion must not skip
    EXPECT_EQ(*cur, '\0');
    EXPECT_EQ(get_integer(&cur, true), 0);          // at the end it stays there
    EXPECT_EQ(*cur, '\0');
    char name[] = "\"REG1\"  (quad";
    cur = name;
    EXPECT_EQ(get_q_string(&cur), "REG1");
    EXPECT_EQ(*cur, '(');
    char words[] = "play_on) kick_off";
    cur = words;
    char word[5];
    get_string(&cur, word, sizeof word);   // cut to the buffer, read to the delimiter
    EXPECT_STREQ(word, "play");
    EXPECT_EQ(*cur, ')');
    cur += 2;
    char whole[16];
    get_string(&cur, whole, sizeof whole);
    EXPECT_STREQ(whole, "kick_off");
    EXPECT_EQ(*cur, '\0');
}

// ---- the captures, through the server-message parser ----

class ClangHeard : public ::testing::Test {
protected:
    void SetUp() override {
        start_parser_scene();
        core->info.side = 'r';
        core->info.their_side = 'l';
        c_parser = new TCoach_Parser(&core->coach_message);
    }
    void TearDown() override {
        delete c_parser;
        c_parser = nullptr;
        end_parser_scene();
    }
    // A server message as the player takes it.
    static void hear(const std::string &line) { parse_text(line); }
};

TEST_F(ClangHeard, RightPlayerHearsItsCoachInTheCaptures) {
    for (const char *file : {"player-right-coach-advice.txt", "player-right-match.txt"})
        for (const std::string &line : fixture_lines(file))
            if (line.find("online_coach") != std::string::npos)
                hear(line);
    const Coach_Message &m = core->coach_message;
    // advice said at 257, the 7078 one, the 257 one again at 475; unsupported_clang and freeform store nothing
    ASSERT_EQ(m.advice.count(), 3);
    ASSERT_EQ(m.info.count(), 2);
    ASSERT_EQ(m.define.count(), 1);
    EXPECT_TRUE(m.meta.is_received);
    EXPECT_EQ(m.meta.ver, 7);

    const AI_Token &clearing = *m.advice.get(0);
    EXPECT_EQ(clearing.time, 12000);
    ASSERT_EQ(clearing.condition.type, CT_AND);
    ASSERT_EQ(clearing.condition.logic_list.count(), 2);
    const Condition &me_in = *clearing.condition.logic_list.get(0);
    EXPECT_EQ(me_in.type, CT_PPOS);
    EXPECT_EQ(me_in.ppos.team, TV_OUR);
    EXPECT_EQ(members(me_in.ppos.player_list), std::vector<int>{1});
    EXPECT_EQ(me_in.ppos.min, 1);
    EXPECT_EQ(me_in.ppos.max, 1);
    const Reg_Quad &quad = me_in.ppos.region.quad;
    EXPECT_EQ(me_in.ppos.region.type, RT_QUAD);
    expect_point(quad.P1, -10, -10);
    expect_point(quad.P2, 10, -10);
    expect_point(quad.P3, 10, 10);
    EXPECT_EQ(quad.corners, 3);                // the server passed three corners on
    const Condition &ball_in = *clearing.condition.logic_list.get(1);
    EXPECT_EQ(ball_in.type, CT_BPOS);
    EXPECT_EQ(ball_in.bpos.region.type, RT_ARC);
    expect_point(ball_in.bpos.region.arc.point, 0, 0);
    EXPECT_FLOAT_EQ(ball_in.bpos.region.arc.small_radius, 0);
    EXPECT_FLOAT_EQ(ball_in.bpos.region.arc.big_radius, 20);
    EXPECT_FLOAT_EQ(ball_in.bpos.region.arc.start_ang, 0);
    EXPECT_FLOAT_EQ(ball_in.bpos.region.arc.rotate_ang, 360);

    ASSERT_EQ(clearing.directive_list.count(), 2);
    const Directive &pass = *clearing.directive_list.get(0);
    EXPECT_EQ(pass.type, DAT_POSITIVE);
    EXPECT_EQ(pass.team, TV_OUR);
    EXPECT_EQ(members(pass.player_list), std::vector<int>{1});
    EXPECT_EQ(pass.action.type, CAT_BTO_REGIONAL);
    EXPECT_EQ(pass.action.bto_regional.region.type, RT_POINT);
    expect_point(pass.action.bto_regional.region.point, 30, 5);
    EXPECT_TRUE(pass.action.bto_regional.pass);
    EXPECT_FALSE(pass.action.bto_regional.dribble || pass.action.bto_regional.clear ||
                 pass.action.bto_regional.score);
    const Directive &to_ball = *clearing.directive_list.get(1);
    EXPECT_EQ(to_ball.action.type, CAT_POS);
    EXPECT_EQ(to_ball.action.pos.region.point.type, PT_BALL);

    const AI_Token &centre = *m.advice.get(1);
    EXPECT_EQ(centre.time, 7078);
    EXPECT_EQ(centre.condition.type, CT_TRUE);
    expect_point(centre.directive_list.get(0)->action.pos.region.point, 0, 0);
    EXPECT_EQ(m.advice.get(2)->time, 12000);

    const AI_Token &home = *m.info.get(0);
    EXPECT_EQ(home.time, 6000);
    EXPECT_EQ(home.directive_list.get(0)->action.type, CAT_HOME);
    expect_point(home.directive_list.get(0)->action.home.region.point, -5, 0);

    const Define_Token &reg1 = *m.define.get(0);
    EXPECT_EQ(reg1.string, "REG1");
    EXPECT_EQ(reg1.type, DT_REGION);
    EXPECT_EQ(reg1.region.type, RT_QUAD);
    EXPECT_EQ(reg1.region.defined_index, 0);
    EXPECT_EQ(reg1.region.quad.corners, 3);
}

TEST_F(ClangHeard, OnlyOurOwnCoachIsHeard) {
    hear("(hear 3 online_coach_left (advice (1 (true) (do our {2} (pos (pt 1 2))))))");
    hear("(hear 3 online_coach_right \"hello\")");
    EXPECT_EQ(core->coach_message.advice.count(), 0);
    hear("(hear 3 online_coach_right 17 (advice (1 (true) (do our {2} (pos (pt 1 2))))))");
    ASSERT_EQ(core->coach_message.advice.count(), 1);     // the leading number is dropped
    EXPECT_EQ(core->coach_message.advice.get(0)->time, 1);
}

// ---- the forms of the language ----

TEST_F(Clang, OneAdviceTokenAsTheCoachWritesIt) {
    parse("(advice (12000 (true) (do our {5 }(pos (pt ball))))   )");
    ASSERT_EQ(message.advice.count(), 1);
    EXPECT_EQ(advice(0).time, 12000);
    EXPECT_EQ(advice(0).condition.type, CT_TRUE);
    ASSERT_EQ(advice(0).directive_list.count(), 1);
    EXPECT_EQ(members(directive(0, 0).player_list), std::vector<int>{5});
    EXPECT_EQ(directive(0, 0).action.type, CAT_POS);
    EXPECT_EQ(directive(0, 0).action.pos.region.point.type, PT_BALL);
    parse("(advice (9000 (true)(do our {6 }(pos (pt ball))))   )");   // no blank after the condition
    ASSERT_EQ(message.advice.count(), 2);
    ASSERT_EQ(advice(1).directive_list.count(), 1);
    EXPECT_EQ(members(directive(1, 0).player_list), std::vector<int>{6});
    EXPECT_EQ(directive(1, 0).action.type, CAT_POS);
}

TEST_F(Clang, ClearDropsOnlyWhatCameBefore) {
    parse("(advice (1 (true) (do our {2} (pos (pt 1 1)))))");
    parse("(advice (clear)(2 (true) (do our {3} (pos (pt 2 2)))))");
    ASSERT_EQ(message.advice.count(), 1);
    EXPECT_EQ(advice(0).time, 2);
    parse("(advice (clear)(clear))");
    EXPECT_EQ(message.advice.count(), 0);
    parse("(info (4 (false) (do our {3} (pos (pt 2 2)))))");
    parse("(advice (clear))");
    EXPECT_EQ(message.info.count(), 1);          // a clear touches its own kind only
}

TEST_F(Clang, SetsAndTeamWords) {
    parse("(advice (1 (bowner opp {}) (do our {2 5 } (pos (null))) (do xuz {2 5} (pos (null)))"
          " (do our {2,5} (pos (null))) (dont opp {4} (mark 9))))");
    const AI_Token &t = advice(0);
    EXPECT_EQ(t.condition.type, CT_BOWNER);
    EXPECT_EQ(t.condition.bowner.team, TV_OPP);
    EXPECT_EQ(t.condition.bowner.player_list.count, 0);
    ASSERT_EQ(t.directive_list.count(), 4);
    EXPECT_EQ(members(directive(0, 0).player_list), (std::vector<int>{2, 5}));
    EXPECT_EQ(directive(0, 1).team, TV_OUR);
    EXPECT_EQ(members(directive(0, 1).player_list), (std::vector<int>{2, 5}));
    EXPECT_EQ(members(directive(0, 2).player_list), std::vector<int>{2});
    EXPECT_EQ(directive(0, 2).player_list.count, 1);
    EXPECT_EQ(directive(0, 0).action.pos.region.type, RT_NULL);
    EXPECT_EQ(directive(0, 3).type, DAT_NEGATIVE);
    EXPECT_EQ(directive(0, 3).team, TV_OPP);
    EXPECT_EQ(directive(0, 3).action.type, CAT_MARK);
    EXPECT_EQ(directive(0, 3).action.mark.uniform, 9);
}

TEST_F(Clang, ActionsPointsAndRegions) {
    parse("(advice (3 (or (playm fk_opp) (not (ppos opp {3 12 0} 0 2 (reg (pt opp 3) (null)))))"
          " (do our {3} (bto (pt 0.0 32.0){p})) (do our {3} (bto {7 9})) (do our {3} (markl 4))"
          " (do our {3} (markl (pt 2 0 (pt 10 5)))) (do our {3} (oline (arc (pt -30 0) 5 10 -90 180)))"
          " (do our {3} (htype 2)) (do our {3} (home (quad (pt 0 0) (pt 5 0) (pt 5 5) (pt 0 5))))))");
    const Condition &c = advice(0).condition;
    ASSERT_EQ(c.type, CT_OR);
    ASSERT_EQ(c.logic_list.count(), 2);
    EXPECT_EQ(c.logic_list.get(0)->pmode.mode, CPM_FK_OPP);
    const Condition &negated = *c.logic_list.get(1)->logic_list.get(0);
    EXPECT_EQ(c.logic_list.get(1)->type, CT_NOT);
    EXPECT_EQ(members(negated.ppos.player_list), (std::vector<int>{0, 3}));   // 12 is no player
    EXPECT_EQ(negated.ppos.player_list.count, 3);
    EXPECT_EQ(negated.ppos.max, 2);
    const Region &both = negated.ppos.region;
    ASSERT_EQ(both.type, RT_COMBINE);
    ASSERT_EQ(both.list.count(), 2);
    EXPECT_EQ(both.list.get(0)->point.type, PT_PLAYER);
    EXPECT_EQ(both.list.get(0)->point.team, TV_OPP);
    EXPECT_EQ(both.list.get(0)->point.uniform, 3);
    EXPECT_EQ(both.list.get(1)->type, RT_NULL);

    ASSERT_EQ(advice(0).directive_list.count(), 7);
    const Coach_Action &send = directive(0, 0).action;
    EXPECT_EQ(send.type, CAT_BTO_REGIONAL);
    expect_point(send.bto_regional.region.point, 0, 32);
    EXPECT_TRUE(send.bto_regional.pass);
    EXPECT_FALSE(send.bto_regional.dribble);
    EXPECT_EQ(directive(0, 1).action.type, CAT_BTO_UNIFORMAL);
    EXPECT_EQ(members(directive(0, 1).action.bto_uniformal.player_list), (std::vector<int>{7, 9}));
    EXPECT_EQ(directive(0, 2).action.type, CAT_MARKL_UNIFORMAL);
    EXPECT_EQ(directive(0, 2).action.markl_uniformal.uniform, 4);
    const Reg_Point &related = directive(0, 3).action.markl_regional.region.point;
    EXPECT_EQ(directive(0, 3).action.type, CAT_MARKL_REGIONAL);
    ASSERT_TRUE(related.related);
    expect_point(related, 2, 0);
    expect_point(*related.rel_point, 10, 5);
    const Reg_Arc &arc = directive(0, 4).action.oline.region.arc;
    EXPECT_EQ(directive(0, 4).action.type, CAT_OLINE);
    expect_point(arc.point, -30, 0);
    EXPECT_FLOAT_EQ(arc.start_ang, -90);
    EXPECT_FLOAT_EQ(arc.rotate_ang, 180);
    EXPECT_EQ(directive(0, 5).action.htype.type, 2);
    expect_point(directive(0, 6).action.home.region.quad.P4, 0, 5);
}

TEST_F(Clang, MetaAndUnknownMessages) {
    parse("(meta (foo 3))");
    EXPECT_FALSE(message.meta.is_received);
    parse("(meta (ver 8))");
    EXPECT_TRUE(message.meta.is_received);
    EXPECT_EQ(message.meta.ver, 8);
    parse("(freeform \"(advice (1 (true)))\")");
    parse("(unsupported_clang)");
    EXPECT_EQ(message.advice.count(), 0);
}

TEST_F(Clang, FreeformTextsAreKeptUpToTheirBound) {
    parse("(freeform \"Ostra-Corvane Standard Coach Version 1.00\")");
    EXPECT_EQ(message.freeform.count, 0);   // the message loop keeps none
    for (int i = 0; i <= kClangMaxFreeforms; ++i) {
        char text[32];
        snprintf(text, sizeof text, "(freeform \"text %d\")", i);
        char *cur = text;
        parser.parse_freeform_message(&cur);
    }
    EXPECT_EQ(message.freeform.count, kClangMaxFreeforms);
    EXPECT_EQ(message.freeform.strings[0], "text 0");
    EXPECT_EQ(message.freeform.strings[kClangMaxFreeforms - 1], "text 127");
}

TEST_F(Clang, AdviceNeverExpires) {
    parse("(advice (1 (true) (do our {2} (pos (pt 1 1)))))");
    for (int cycle = 0; cycle < 6000; ++cycle)
        decrease_coach_message_TTLs();
    EXPECT_EQ(message.advice.count(), 1);
}

// ---- definitions ----

TEST_F(Clang, NamesStandForCopiesOfTheirDefinitions) {
    parse("(define (definer \"R\" (pt 1 2)) (definec \"C\" (bpos \"R\")) (definea \"A\" (pos \"R\"))"
          " (defined \"D\" (do our {4} \"A\")))");
    ASSERT_EQ(message.define.count(), 4);
    parse("(advice (5 \"C\" \"D\" (do our {6} (home \"R\"))))");
    const AI_Token &t = advice(0);
    EXPECT_EQ(t.condition.type, CT_BPOS);
    EXPECT_EQ(t.condition.defined_index, 1);
    EXPECT_EQ(t.condition.bpos.region.defined_index, 0);
    ASSERT_EQ(t.directive_list.count(), 2);        // the named directive, then the next one
    EXPECT_EQ(directive(0, 0).defined_index, 3);
    EXPECT_EQ(members(directive(0, 0).player_list), std::vector<int>{4});
    expect_point(directive(0, 0).action.pos.region.point, 1, 2);
    EXPECT_EQ(directive(0, 1).action.home.region.defined_index, 0);
}

TEST_F(Clang, RedefinitionRenewsEveryCopyButNotInlineRecords) {
    parse("(define (definer \"R\" (pt 1 2)) (definea \"A\" (pos \"R\")))");
    parse("(advice (5 (bpos \"R\") (do our {6} (home \"R\")) (do our {6} (home (pt 1 2)))))");
    parse("(info (5 (bpos \"R\") (do our {6} (pos (pt 1 2)))))");
    parse("(define (definer \"R\" (pt 7 8)))");
    expect_point(advice(0).condition.bpos.region.point, 7, 8);
    expect_point(directive(0, 0).action.home.region.point, 7, 8);
    expect_point(directive(0, 1).action.home.region.point, 1, 2);
    expect_point(message.info.get(0)->condition.bpos.region.point, 7, 8);
    expect_point(message.define.get(1)->action.pos.region.point, 7, 8);
    EXPECT_EQ(message.define.count(), 2);
}

TEST_F(Clang, UndefinedNameIsReportedAndReadingGoesOn) {
    testing::internal::CaptureStdout();
    parse("(advice (5 \"nowhere\" (do our {6} (pos (pt 1 2)))))");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ParseError->Using an undefined string \"nowhere\" as a condition");
    ASSERT_EQ(message.advice.count(), 1);
    EXPECT_EQ(advice(0).condition.type, CT_FALSE);        // never holds
    ASSERT_EQ(advice(0).directive_list.count(), 1);
    expect_point(directive(0, 0).action.pos.region.point, 1, 2);
}

TEST_F(Clang, SelfNamingRedefinitionEnds) {
    parse("(define (definec \"C\" (true)))");
    parse("(advice (1 \"C\" (do our {2} (pos (null)))))");
    parse("(define (definec \"C\" (and \"C\" \"C\")))");
    const Condition &c = advice(0).condition;
    ASSERT_EQ(c.type, CT_AND);
    ASSERT_EQ(c.logic_list.count(), 2);
    EXPECT_EQ(c.logic_list.get(0)->type, CT_TRUE);         // the old body, copied once
}

// ---- damaged, deep and huge texts ----

void expect_bounded(const Coach_Message &m) {
    for (const Clang_List<AI_Token> *kind : {&m.advice, &m.info}) {
        ASSERT_LE(kind->count(), kClangMaxTokens);
        for (int i = 0; i < kind->count(); ++i) {
            const AI_Token &t = *kind->get(i);
            Tree_Size size = size_of(t.condition);
            for (int d = 0; d < t.directive_list.count(); ++d) {
                const Tree_Size directive = size_of(*t.directive_list.get(d));
                size.nodes += directive.nodes + 1;
                size.depth = std::max(size.depth, directive.depth + 1);
            }
            ASSERT_LE(size.nodes, kClangMaxNodes);
            ASSERT_LE(size.depth, kClangMaxDepth);
        }
    }
    ASSERT_LE(m.define.count(), kClangMaxDefinitions);
}

std::vector<std::string> coach_texts() {
    std::vector<std::string> texts;
    for (const std::string &line : fixture_lines("player-right-coach-advice.txt")) {
        const size_t at = line.find("online_coach_right ");
        if (at != std::string::npos)
            texts.push_back(line.substr(at + 19));
    }
    texts.push_back("(advice (3 (or (playm fk_opp) (not (ppos opp {3} 0 2 (reg (pt opp 3) \"R\"))))"
                    " (do our {3} (bto (pt 0.0 32.0){p})) (dont our {3} (markl (pt 2 0 (pt 10 5))))))");
    texts.push_back("(define (definer \"R\" (arc (pt 1 1) 0 5 0 90)) (definec \"C\" (bowner our {1})))");
    return texts;
}

TEST_F(Clang, EveryCutAndDamageOfRealTextsStaysBounded) {
    testing::internal::CaptureStdout();      // the error lines of damaged names
    const std::vector<std::string> texts = coach_texts();
    for (const std::string &text : texts)
        for (size_t n = 0; n <= text.size(); ++n)
            parse(text.substr(0, n));
    expect_bounded(message);
    const char *const damage[] = {"(", ")", "\"", "{", "}", " ", "1e999", "nan", "-99999999999"};
    Lcg rng(7001);
    for (int variant = 0; variant < 4000 && !HasFatalFailure(); ++variant) {
        std::string text = texts[rng.below(texts.size())];
        for (size_t k = 1 + rng.below(3); k > 0; --k) {
            const size_t at = rng.below(text.size());
            if (rng.below(2) == 0)
                text.erase(at, 1 + rng.below(4));
            else
                text.insert(at, damage[rng.below(sizeof damage / sizeof damage[0])]);
        }
        parse(text);
        if (variant % 250 == 0) {
            expect_bounded(message);
            parser.advice_clear_all();         // every renewal walks all tokens: keep the run short
            parser.info_clear_all();
        }
    }
    expect_bounded(message);
    testing::internal::GetCapturedStdout();
}

TEST_F(Clang, DeepNestingDropsTheTokenAndKeepsTheStack) {
    testing::internal::CaptureStdout();
    std::string deep = "(advice (1 ";
    for (int i = 0; i < 3000; ++i)
        deep += "(and ";
    parse(deep + "(true)" + std::string(3000, ')') + " (do our {2} (pos (null)))))");
    std::string points = "(advice (1 (true) (do our {2} (pos ";
    for (int i = 0; i < 1000; ++i)
        points += "(pt 1 1 ";
    parse(points + "(pt ball)" + std::string(1000, ')') + "))))");
    std::string regions = "(advice (1 (bpos ";
    for (int i = 0; i < 1500; ++i)
        regions += "(reg ";
    parse(regions);                                       // cut short as well
    EXPECT_EQ(message.advice.count(), 0);
    parse("(advice (2 (and (true) (or (not (true)))) (do our {2} (pos (null)))))");
    EXPECT_EQ(message.advice.count(), 1);                 // a shallow one after them is stored
    EXPECT_NE(testing::internal::GetCapturedStdout().find("ParseError->A token nested too deep"),
              std::string::npos);
}

// A match's advice as a player hears it: a message at each of 200 interruptions
// with the ten attacking tokens, whose times count down with the cycle, and
// once the clearing advice, which is never said again. The store keeps the
// tokens followed first: the clearing token and the earliest attacking ones.
TEST_F(Clang, AMatchOfAdviceKeepsWhatIsFollowedFirst) {
    const std::string clearing =
        "(11400 (and (ppos our {2} 1 1 (quad (pt 33 -7) (pt 47 -7) (pt 47 7))) (bpos (quad (pt 33 -7) (pt 47 -7) "
        "(pt 47 7)))) (do our {2} (bto (pt 0 32) {p})) (do our {2} (pos (pt ball))))";
    for (int cycle = 0; cycle < 6000; cycle += 30) {
        std::string text = "(advice " + std::string(cycle == 600 ? clearing : "");
        for (int unum = 2; unum <= 11; ++unum) {
            const std::string me = "{" + std::to_string(unum) + "}";
            text += "(" + std::to_string(9423 - cycle) + " (ppos our " + me + " 1 1 (arc (pt -35 20) 0 20 0 360)) "
                    "(do our " + me + " (bto (quad (pt -30 20) (pt -45 20) (pt -45 -20)) {p})))";
        }
        parse(text + ")");
    }
    ASSERT_EQ(message.advice.count(), kClangMaxTokens);
    int least = INT_MAX, clearings = 0;
    for (int i = 0; i < message.advice.count(); ++i) {
        least = std::min(least, advice(i).time);
        clearings += advice(i).time == 11400;
    }
    EXPECT_EQ(clearings, 1);
    EXPECT_EQ(advice(0).time, 9423);
    EXPECT_EQ(least, 9423 - 3060);   // 102 messages and a part of the next one
}

TEST_F(Clang, HugeTextsAndCountsAreBounded) {
    testing::internal::CaptureStdout();
    std::string wide = "(advice (1 (and";
    while (wide.size() < 9000)
        wide += " (true)";
    parse(wide + ") (do our {2} (pos (null)))))");        // too many nodes for one token
    EXPECT_EQ(message.advice.count(), 0);

    for (int i = 0; i < kClangMaxTokens + 5; ++i)
        parse("(advice (" + std::to_string(i) + " (true) (do our {2} (pos (null)))))");
    ASSERT_EQ(message.advice.count(), kClangMaxTokens);
    EXPECT_EQ(advice(0).time, 5);                         // the least times went first
    EXPECT_EQ(message.advice.last()->time, kClangMaxTokens + 4);

    // Each definition doubles the one before: the copies stop at the node bound.
    parse("(define (definec \"C0\" (and (true) (true))))");
    for (int i = 1; i < 20; ++i) {
        const std::string prev = "\"C" + std::to_string(i - 1) + "\"";
        parse("(define (definec \"C" + std::to_string(i) + "\" (and " + prev + " " + prev + ")))");
    }
    for (int i = 0; i < message.define.count(); ++i)
        EXPECT_LE(size_of(message.define.get(i)->condition).nodes, kClangMaxNodes);
    EXPECT_LT(message.define.count(), 20);

    std::string many = "(define";
    for (int i = 0; i < kClangMaxDefinitions + 10; ++i)
        many += " (definer \"N" + std::to_string(i) + "\" (null))";
    parse(many + ")");
    EXPECT_EQ(message.define.count(), kClangMaxDefinitions);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("ParseError->The definition \"N"), std::string::npos);
}

}  // namespace
