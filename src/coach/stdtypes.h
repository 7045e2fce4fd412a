#pragma once
// The coach's records of the standard coach language: points, regions,
// conditions, actions, directives, tokens and messages, with their list
// containers. Records are values: copying one copies everything it holds
// (sub-regions, sub-conditions, directives, related points), and every list
// owns its nodes. The builders declared here are defined in stdmaker.cpp.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/geometry.h"

enum Team_Value { TV_OUR = 0, TV_OPP = 1 };

enum Point_Type { PT_POINT = 0, PT_BALL = 1, PT_PLAYER = 2 };

enum Region_Type { RT_NULL = 0, RT_POINT = 1, RT_QUAD = 2, RT_ARC = 3, RT_COMBINE = 4, RT_DEFINED = 5 };

enum Condition_Type {
    CT_TRUE = 0, CT_FALSE = 1, CT_PPOS = 2, CT_BPOS = 3, CT_BOWNER = 4,
    CT_PMODE = 5, CT_AND = 6, CT_OR = 7, CT_NOT = 8, CT_STRING = 9
};

enum Coach_Play_Mode {
    CPM_BKO = 0, CPM_TIME_OVER, CPM_PLAY_ON, CPM_KO_OUR, CPM_KO_OPP, CPM_KI_OUR,
    CPM_KI_OPP, CPM_FK_OUR, CPM_FK_OPP, CPM_CK_OUR, CPM_CK_OPP, CPM_GK_OUR,
    CPM_GK_OPP, CPM_GC_OUR, CPM_GC_OPP, CPM_AG_OUR, CPM_AG_OPP = 16
};

enum Coach_Action_Type {
    CAT_POS = 0, CAT_HOME = 1, CAT_BTO_REGIONAL = 2, CAT_BTO_UNIFORMAL = 3, CAT_MARK = 4,
    CAT_MARKL_UNIFORMAL = 5, CAT_MARKL_REGIONAL = 6, CAT_OLINE = 7, CAT_HTYPE = 8, CAT_DEFINED = 9
};

enum Directive_Action_Type { DAT_POSITIVE = 0, DAT_NEGATIVE = 1 };

enum Define_Type { DT_ACTION = 0, DT_DIRECTIVE = 1, DT_CONDITION = 2, DT_REGION = 3 };

// An owning list of records, kept in order. Indices run from 0 at the head;
// operations on an index outside [0, count) do nothing and find nothing.
template <class Node>
class TClang_List {
public:
    TClang_List() = default;
    TClang_List(const TClang_List &other) { copy_nodes(other); }
    TClang_List(TClang_List &&) noexcept = default;
    TClang_List &operator=(const TClang_List &other)
    {
        if (this != &other) {
            nodes.clear();
            copy_nodes(other);
        }
        return *this;
    }
    TClang_List &operator=(TClang_List &&) noexcept = default;

    int count() const { return static_cast<int>(nodes.size()); }

protected:
    int add(Node node)
    {
        nodes.push_back(std::make_unique<Node>(std::move(node)));
        return count();
    }
    Node *get(int i) const { return in_range(i) ? nodes[static_cast<size_t>(i)].get() : nullptr; }
    void destroy(int i)
    {
        if (in_range(i))
            nodes.erase(nodes.begin() + i);
    }
    void destroy_all() { nodes.clear(); }

private:
    bool in_range(int i) const { return i >= 0 && i < count(); }
    void copy_nodes(const TClang_List &other)
    {
        for (const auto &n : other.nodes)
            nodes.push_back(std::make_unique<Node>(*n));
    }

    std::vector<std::unique_ptr<Node>> nodes;
};

// A set of uniform numbers; count is how many numbers were added, repeats included.
struct Uniform_List {
    int count = 0;
    bool players[12] = {};

    bool add_player(int unum);   // flags 0..11; false (nothing changed) for other numbers
};

// A point: absolute (possibly moved relative to another point), the ball or a player.
struct Reg_Point {
    float X = 0;
    float Y = 0;
    Point_Type type = PT_POINT;
    bool related = false;
    std::unique_ptr<Reg_Point> rel_point;   // the base point of a related point
    Team_Value team = TV_OUR;
    int uniform = 0;

    Reg_Point() = default;
    Reg_Point(const Reg_Point &other) { *this = other; }
    Reg_Point(Reg_Point &&) noexcept = default;
    Reg_Point &operator=(const Reg_Point &other);
    Reg_Point &operator=(Reg_Point &&) noexcept = default;

    void insert_point(float x, float y);
    void insert_related_point(float x, float y, const Reg_Point &base);
    void insert_ball();
    void insert_player(Team_Value t, int unum);
};

struct Reg_Quad {
    Reg_Point P1, P2, P3, P4;

    void insert(TPoint p1, TPoint p2, TPoint p3, TPoint p4);
    void insert(const Reg_Point &p1, const Reg_Point &p2, const Reg_Point &p3, const Reg_Point &p4);
    void insert(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
};

// An annular sector: radii in metres, start angle and span in degrees.
struct Reg_Arc {
    Reg_Point point;
    float small_radius = 0;
    float big_radius = 0;
    float start_ang = 0;
    float rotate_ang = 0;

    void insert(const Reg_Point &centre, float small, float big, float start, float rotate);
    void insert(TPoint centre, float small, float big, float start, float rotate);
    void insert(float x, float y, float small, float big, float start, float rotate);
};

struct Region;
class Region_List : public TClang_List<Region> {
public:
    int add_region();
    int add_region(Region region);
    Region *get_region(int i) const { return get(i); }
    void destroy_region(int i) { destroy(i); }
    void destroy_all_regions() { destroy_all(); }
};

struct Region {
    Region_Type type = RT_NULL;
    Reg_Point point;
    Reg_Quad quad;
    Reg_Arc arc;
    Region_List list;      // the parts of a union
    std::string defstr;    // the name a defined region refers to

    void insert(const Reg_Point &p);
    void insert(const Reg_Quad &q);
    void insert(const Reg_Arc &a);
    void insert(const Region_List &regions);
    void insert(const char *name);
};

struct Cond_Player_Pos {
    Team_Value team = TV_OUR;
    int min = 0;
    int max = 0;
    Uniform_List player_list;
    Region region;
};

struct Cond_Ball_Pos {
    Region region;
};

struct Cond_Ball_Owner {
    Team_Value team = TV_OUR;
    Uniform_List player_list;
};

struct Cond_Play_Mode {
    Coach_Play_Mode mode = CPM_BKO;
};

struct Condition;
class Condition_List : public TClang_List<Condition> {
public:
    int add_condition();
    int add_condition(Condition condition);
    Condition *get_condition(int i) const { return get(i); }
    void destroy_condition(int i) { destroy(i); }
    void destroy_all_conditions() { destroy_all(); }
};

// A condition; a fresh one is "(true)".
struct Condition {
    Condition_Type type = CT_TRUE;
    Cond_Player_Pos ppos;
    Cond_Ball_Pos bpos;
    Cond_Ball_Owner bowner;
    Cond_Play_Mode pmode;
    Condition_List logic_list;   // the operands of and, or, not
    std::string defined_cond;    // the name a named condition refers to

    void insert_player_pos(Team_Value team, const Uniform_List &players, int min, int max,
                           const Region &region);
    void insert_ball_pos(const Region &region);
    void insert_ball_owner(Team_Value team, const Uniform_List &players);
    void insert_play_mode(Coach_Play_Mode mode);
    // CT_AND, CT_OR or CT_NOT over the given operands.
    void insert_logic(Condition_Type logic, const Condition_List &operands);
};

struct Action_Region {
    Region region;
};

struct Action_Send_Regional {
    Region region;
    bool pass = false;
    bool dribble = false;
    bool clear = false;
    bool score = false;
};

struct Action_Send_Uniformal {
    Uniform_List player_list;
};

struct Action_Uniform {
    int uniform = 0;
};

struct Action_Htype {
    int type = 0;
};

// An action; every kind's part is present, the one of `type` is used.
struct Coach_Action {
    Coach_Action_Type type = CAT_POS;
    Action_Region pos;
    Action_Region home;
    Action_Send_Regional bto_regional;
    Action_Send_Uniformal bto_uniformal;
    Action_Uniform mark;
    Action_Uniform markl_uniformal;
    Action_Region markl_regional;
    Action_Region oline;
    Action_Htype htype;

    void insert_action_pos(const Region &region);
    void insert_action_home(const Region &region);
    void insert_send_ball(const Region &region, bool pass, bool dribble, bool clear, bool score);
    void insert_send_ball(const Uniform_List &players);
    void insert_mark(int unum);
    void insert_mark_line(int unum);
    void insert_mark_line(const Region &region);
    void insert_offside_line(const Region &region);
    void insert_htype(int type);
};

// Tells the listed players of a team to do, or not to do, an action.
struct Directive {
    Directive_Action_Type type = DAT_POSITIVE;
    Team_Value team = TV_OUR;
    Uniform_List player_list;
    Coach_Action action;
    std::string defined_directive;   // the name a named directive refers to
};

class Directive_List : public TClang_List<Directive> {
public:
    int add_directive();
    int add_directive(Directive directive);
    Directive *get_directive(int i) const { return get(i); }
    void destroy_directive(int i) { destroy(i); }
    void destroy_all_directives() { destroy_all(); }
};

// One piece of advice: when the condition holds, follow the directives; the
// greatest time wins. A clear token stands for "(clear)".
struct AI_Token {
    int time = 0;
    bool clear = false;
    Condition condition;
    Directive_List directive_list;

    int get_dir_count() const { return directive_list.count(); }
    Directive *get_directive(int i) const { return directive_list.get_directive(i); }
};

// The tokens of an advice or an info message, in the order they are written.
class Token_Message : public TClang_List<AI_Token> {
public:
    int add_token() { return add(AI_Token()); }
    int add_token(AI_Token token) { return add(std::move(token)); }
    AI_Token *get_token(int i) const { return get(i); }
    void destroy_token(int i) { destroy(i); }
    void destroy_all_tokens() { destroy_all(); }
};

class Advice_Message : public Token_Message {};
class Info_Message : public Token_Message {};

// A named definition; only the body of `type` is used.
struct Define_Token {
    Define_Type type = DT_ACTION;
    std::string string;   // the name
    Coach_Action action;
    Directive directive;
    Condition condition;
    Region region;

    void insert(const Coach_Action &body, const char *name);
    void insert(const Directive &body, const char *name);
    void insert(const Condition &body, const char *name);
    void insert(const Region &body, const char *name);
};

class Define_Message : public TClang_List<Define_Token> {
public:
    int add_token() { return add(Define_Token()); }
    int add_token(Define_Token token) { return add(std::move(token)); }
    Define_Token *get_token(int i) const { return get(i); }
    void destroy_token(int i) { destroy(i); }
    void destroy_all_tokens() { destroy_all(); }
};
