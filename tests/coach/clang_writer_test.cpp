// The coach's coach-language writers: the texts the coach says, checked against
// what a player heard from its coach and against hand-worked examples.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>

#include "coach/stdmaker.h"
#include "common/clang_format.h"
#include "fixtures.h"

namespace {

Uniform_List players(std::initializer_list<int> unums)
{
    Uniform_List l;
    for (int u : unums)
        l.add_player(u);
    return l;
}

Region point_region(float x, float y)
{
    Reg_Point p;
    p.insert_point(x, y);
    Region r;
    r.insert(p);
    return r;
}

Region ball_region()
{
    Reg_Point p;
    p.insert_ball();
    Region r;
    r.insert(p);
    return r;
}

Directive do_our(int unum, const Coach_Action &action)
{
    return dir_get_dir(DAT_POSITIVE, TV_OUR, players({unum}), action);
}

AI_Token token(int time, const Condition &cond, std::initializer_list<Directive> directives)
{
    AI_Token t;
    t.time = time;
    t.condition = cond;
    for (const Directive &d : directives)
        t.directive_list.add_directive(d);
    return t;
}

// The coach-language message inside "(hear T online_coach_SIDE MESSAGE)".
std::string heard_message(const std::string &line)
{
    const size_t start = line.find("online_coach_");
    const size_t body = line.find(' ', start) + 1;
    return line.substr(body, line.size() - body - 1);
}

// The words of a coach-language text as the server relays it: parentheses and
// braces apart, blanks dropped, numbers in their shortest form ("-10.0" is -10).
std::vector<std::string> relayed_words(const std::string &text)
{
    std::vector<std::string> words;
    std::string word;
    auto flush = [&] {
        if (word.empty())
            return;
        char *end = nullptr;
        const double v = std::strtod(word.c_str(), &end);
        char number[32];
        std::snprintf(number, sizeof number, "%g", v);
        words.push_back(*end == '\0' ? number : word);
        word.clear();
    };
    for (char c : text) {
        if (c == ' ' || c == '(' || c == ')' || c == '{' || c == '}') {
            flush();
            if (c != ' ')
                words.push_back(std::string(1, c));
        } else {
            word += c;
        }
    }
    flush();
    return words;
}

}  // namespace

TEST(ClangWriter, AdviceHeardByThePlayer)
{
    // Player 1, in the square of 20 m about the centre with the ball within 20 m of
    // it, passes to (30, 5) and otherwise goes to the ball.
    Reg_Quad square;
    square.insert(TPoint(-10, -10), TPoint(10, -10), TPoint(10, 10), TPoint(-10, 10));
    Region in_square;
    in_square.insert(square);
    Reg_Arc disc;
    disc.insert(0.0f, 0.0f, 0, 20, 0, 360);
    Region near_centre;
    near_centre.insert(disc);

    Condition_List both;
    Condition player_in, ball_in;
    player_in.insert_player_pos(TV_OUR, players({1}), 1, 1, in_square);
    ball_in.insert_ball_pos(near_centre);
    both.add_condition(player_in);
    both.add_condition(ball_in);
    Condition cond;
    cond.insert_logic(CT_AND, both);

    Coach_Action pass, go;
    pass.insert_send_ball(point_region(30, 5), true, false, false, false);
    go.insert_action_pos(ball_region());
    Advice_Message msg;
    msg.add_token(token(12000, cond, {do_our(1, pass), do_our(1, go)}));

    const std::string said = get_advice_string(&msg);
    EXPECT_EQ(said,
              "(advice (12000 (and (ppos our {1 } 1 1 (quad (pt -10.0 -10.0)(pt 10.0 -10.0)(pt 10.0 10.0)"
              "(pt -10.0 10.0)))(bpos (arc (pt 0.0 0.0) 0.0 20.0 0.0 360.0)))(do our {1 }(bto (pt 30.0 5.0){p}))"
              "(do our {1 }(pos (pt ball))))   )");

    // The server passed the quadrangle on without its fourth corner.
    std::string relayed = said;
    relayed.erase(relayed.find("(pt -10.0 10.0)"), 15);
    const std::string heard = heard_message(
        fixture_line("player-right-coach-advice.txt", "(hear 257 online_coach_right (advice"));
    EXPECT_EQ(relayed_words(relayed), relayed_words(heard));
}

TEST(ClangWriter, InfoAndShortAdviceHeardByThePlayer)
{
    Coach_Action home, pos;
    home.insert_action_home(point_region(-5, 0));
    pos.insert_action_pos(point_region(0, 0));
    Info_Message info;
    info.add_token(token(6000, Condition(), {do_our(1, home)}));
    Advice_Message advice;
    advice.add_token(token(7078, Condition(), {do_our(1, pos)}));

    EXPECT_EQ(get_info_string(&info), "(info (6000 (true)(do our {1 }(home (pt -5.0 0.0)))))");
    EXPECT_EQ(relayed_words(get_info_string(&info)),
              relayed_words(heard_message(
                  fixture_line("player-right-coach-advice.txt", "(hear 257 online_coach_right (info"))));
    EXPECT_EQ(relayed_words(get_advice_string(&advice)),
              relayed_words(heard_message(
                  fixture_line("player-right-coach-advice.txt", "(hear 0 online_coach_right (advice"))));
}

TEST(ClangWriter, WorkedExamples)
{
    Advice_Message empty;
    EXPECT_EQ(get_advice_string(&empty), "(advice    )");

    Coach_Action go;
    go.insert_action_pos(ball_region());
    Advice_Message one;
    one.add_token(token(12000, Condition(), {do_our(5, go)}));
    AI_Token clear;
    clear.clear = true;
    one.add_token(clear);
    EXPECT_EQ(get_advice_string(&one), "(advice (12000 (true)(do our {5 }(pos (pt ball))))(clear)   )");

    Coach_Action send;
    send.insert_send_ball(point_region(0, 32), true, false, false, true);
    EXPECT_EQ(get_action_string(&send), "(bto (pt 0.0 32.0){ps})");
    send.insert_send_ball(point_region(0, 32), false, true, true, false);
    EXPECT_EQ(get_action_string(&send), "(bto (pt 0.0 32.0){dc})");
    send.insert_send_ball(point_region(0, 32), false, false, false, false);
    EXPECT_EQ(get_action_string(&send), "(bto (pt 0.0 32.0){})");

    Reg_Quad zone;
    zone.insert(30, -20, 45, -20, 45, 20, 30, 20);
    EXPECT_EQ(get_quad_string(&zone), "(quad (pt 30.0 -20.0)(pt 45.0 -20.0)(pt 45.0 20.0)(pt 30.0 20.0))");
    TQuadrangle geo(TPoint(30, -20), TPoint(45, -20), TPoint(45, 20), TPoint(30, 20));
    EXPECT_EQ(get_quad_string(&geo), get_quad_string(&zone));

    Reg_Arc disc;
    disc.insert(TPoint(35, -20), 0, 20, 0, 360);
    EXPECT_EQ(get_arc_string(&disc), "(arc (pt 35.0 -20.0) 0.0 20.0 0.0 360.0)");
    // A geometric sector about direction 0 opening 90 degrees starts at -45.
    TArc sector(TPoint(1, 2), 3, 4, 0, static_cast<float>(kPi / 4));
    EXPECT_EQ(get_arc_string(&sector), "(arc (pt 1.0 2.0) 3.0 4.0 -45.0 90.0)");

    Reg_Point mate, beside;
    mate.insert_player(TV_OPP, 9);
    beside.insert_related_point(1.5f, -2, mate);
    EXPECT_EQ(get_point_string(&beside), "(pt 1.5 -2.0 (pt opp 9))");
}

TEST(ClangWriter, EveryConditionActionAndRegionForm)
{
    Condition owner, mode, negated;
    owner.insert_ball_owner(TV_OPP, players({11, 2, 5}));
    mode.insert_play_mode(CPM_AG_OPP);
    Condition_List ops;
    ops.add_condition(owner);
    ops.add_condition(mode);
    negated.insert_logic(CT_NOT, ops);
    EXPECT_EQ(get_condition_string(&negated), "(not (bowner opp {2 5 11 })(pmode ag_opp))");
    Condition never;
    never.type = CT_FALSE;
    ops.destroy_all_conditions();
    ops.add_condition(never);
    negated.insert_logic(CT_OR, ops);
    EXPECT_EQ(get_condition_string(&negated), "(or (false))");
    Cond_Play_Mode bad;
    bad.mode = static_cast<Coach_Play_Mode>(kClangPlayModeCount);
    EXPECT_EQ(get_cond_pmode_string(&bad), "");

    Region_List parts;
    parts.add_region(point_region(1, 2));
    Region named;
    named.insert("REG1");
    parts.add_region(named);
    Region both;
    both.insert(parts);
    EXPECT_EQ(get_region_string(&both), "(reg (pt 1.0 2.0)\"REG1\")");
    const Region nowhere;
    EXPECT_EQ(get_region_string(&nowhere), "");

    Coach_Action a;
    a.insert_mark(7);
    EXPECT_EQ(get_action_string(&a), "(mark 7)");
    a.insert_mark_line(8);
    EXPECT_EQ(get_action_string(&a), "(markl 8)");
    a.insert_mark_line(named);
    EXPECT_EQ(get_action_string(&a), "(markl \"REG1\")");
    a.insert_offside_line(point_region(-30, 0));
    EXPECT_EQ(get_action_string(&a), "(oline (pt -30.0 0.0))");
    a.insert_htype(3);
    EXPECT_EQ(get_action_string(&a), "(htype 3)");
    a.insert_send_ball(players({4, 6}));
    const Directive dont = dir_get_dir(DAT_NEGATIVE, TV_OPP, players({}), a);
    EXPECT_EQ(get_directive_string(&dont), "(dont opp {}(bto {4 6 }))");
}

TEST(ClangWriter, RecordsAreDeepCopies)
{
    Reg_Point base, rel;
    base.insert_point(1, 1);
    rel.insert_related_point(2, 2, base);
    rel.insert_related_point(3, 3, rel);   // a point moved from its own former self
    EXPECT_EQ(get_point_string(&rel), "(pt 3.0 3.0 (pt 2.0 2.0 (pt 1.0 1.0)))");

    Coach_Action go;
    go.insert_action_pos(ball_region());
    Advice_Message msg;
    msg.add_token(token(1, Condition(), {do_our(2, go)}));
    msg.add_token(token(2, Condition(), {do_our(3, go)}));
    msg.add_token(token(3, Condition(), {do_our(4, go)}));
    Advice_Message copy = msg;
    copy.get_token(0)->get_directive(0)->action.insert_htype(1);
    copy.destroy_token(1);
    EXPECT_EQ(get_AI_token_string(msg.get_token(0)), "(1 (true)(do our {2 }(pos (pt ball))))");
    EXPECT_EQ(msg.count(), 3);
    EXPECT_EQ(copy.count(), 2);
    EXPECT_EQ(copy.get_token(1)->time, 3);
    EXPECT_EQ(msg.get_token(3), nullptr);
    EXPECT_EQ(msg.get_token(-1), nullptr);
    copy.destroy_token(5);
    EXPECT_EQ(copy.count(), 2);

    Define_Token def;
    def.insert(ball_region(), "BALL");
    EXPECT_EQ(def.type, DT_REGION);
    EXPECT_EQ(def.string, "BALL");
    EXPECT_EQ(get_region_string(&def.region), "(pt ball)");
}

TEST(ClangWriter, AdviceTooLongForOneMessageKeepsWholeTokens)
{
    Coach_Action go;
    go.insert_action_pos(ball_region());
    Advice_Message msg;
    for (int i = 0; i < 400; ++i)
        msg.add_token(token(9000 + i, Condition(), {do_our(2 + i % 10, go)}));
    const std::string said = get_advice_string(&msg);
    ASSERT_LT(said.size(), static_cast<size_t>(kClangBufferSize));
    EXPECT_GT(said.size(), static_cast<size_t>(kClangBufferSize) - 50);
    const std::string end = "(pos (pt ball))))   )";
    EXPECT_EQ(said.substr(said.size() - end.size()), end);
}
