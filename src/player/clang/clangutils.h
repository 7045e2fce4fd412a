#pragma once
// The player's model of its coach's coach-language messages: points, regions,
// conditions, actions, directives, advice and info tokens and named
// definitions, and the small token readers the coach-language parser walks the
// text with. Records own their sub-records (lists, related points); a copy is
// a deep copy.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Bounds on what one coach text may build: records nest at most kClangMaxDepth
// heap nodes deep, one token or definition holds at most kClangMaxNodes of them.
const int kClangMaxDepth = 16;
const int kClangMaxNodes = 256;
const int kClangMaxTokens = 1024;        // per message kind; the one followed last goes first
const int kClangMaxDefinitions = 128;
const int kClangTextSize = 8192;         // the parser's message buffer
const int kClangMaxFreeforms = 128;

enum Team_Value { TV_OUR = 0, TV_OPP = 1 };
enum Point_Type { PT_POINT = 0, PT_BALL = 1, PT_PLAYER = 2 };
enum Region_Type { RT_NULL = 0, RT_POINT = 1, RT_QUAD = 2, RT_ARC = 3, RT_COMBINE = 4, RT_DEFINED = 5 };
// CT_FALSE is also the kind of a condition left unresolved by an unknown name.
enum Condition_Type {
    CT_TRUE = 0, CT_FALSE = 1, CT_PPOS = 2, CT_BPOS = 3, CT_BOWNER = 4,
    CT_PMODE = 5, CT_AND = 6, CT_OR = 7, CT_NOT = 8, CT_STRING = 9
};
enum Condition_List_Type { CLT_AND = 0, CLT_OR = 1, CLT_NOT = 2 };
// CPM_UNKNOWN: a play-mode name outside the 17; such a condition never holds.
enum Coach_Play_Mode {
    CPM_BKO = 0, CPM_TIME_OVER, CPM_PLAY_ON, CPM_KO_OUR, CPM_KO_OPP, CPM_KI_OUR, CPM_KI_OPP,
    CPM_FK_OUR, CPM_FK_OPP, CPM_CK_OUR, CPM_CK_OPP, CPM_GK_OUR, CPM_GK_OPP, CPM_GC_OUR,
    CPM_GC_OPP, CPM_AG_OUR, CPM_AG_OPP, CPM_UNKNOWN
};
// CAT_NONE: an action left unresolved by an unknown name; it is never executed.
enum Coach_Action_Type {
    CAT_POS = 0, CAT_HOME = 1, CAT_BTO_REGIONAL = 2, CAT_BTO_UNIFORMAL = 3, CAT_MARK = 4,
    CAT_MARKL_UNIFORMAL = 5, CAT_MARKL_REGIONAL = 6, CAT_OLINE = 7, CAT_HTYPE = 8,
    CAT_DEFINED = 9, CAT_NONE = 10
};
enum Directive_Action_Type { DAT_POSITIVE = 0, DAT_NEGATIVE = 1 };
// DT_ANY matches a definition of any kind (by name alone).
enum Define_Type { DT_ACTION = 0, DT_DIRECTIVE = 1, DT_CONDITION = 2, DT_REGION = 3, DT_ANY = 4 };

// A list of owned nodes in the order they were added. Copying copies every node.
template <class Node>
class Clang_List {
public:
    Clang_List() = default;
    Clang_List(const Clang_List &other) { copy_nodes(other); }
    Clang_List &operator=(const Clang_List &other) {
        if (this != &other) {
            destroy_all();
            copy_nodes(other);
        }
        return *this;
    }
    Clang_List(Clang_List &&) = default;
    Clang_List &operator=(Clang_List &&) = default;

    int add() { return add(std::make_unique<Node>()); }          // a new default node; the new count
    int add(std::unique_ptr<Node> node) {
        nodes.push_back(std::move(node));
        return count();
    }
    Node *get(int i) const { return i >= 0 && i < count() ? nodes[i].get() : nullptr; }
    Node *last() const { return get(count() - 1); }
    void destroy(int i) {
        if (i >= 0 && i < count())
            nodes.erase(nodes.begin() + i);
    }
    void destroy_all() { nodes.clear(); }
    int count() const { return static_cast<int>(nodes.size()); }

private:
    void copy_nodes(const Clang_List &other) {
        for (const std::unique_ptr<Node> &node : other.nodes)
            nodes.push_back(std::make_unique<Node>(*node));
    }
    std::vector<std::unique_ptr<Node>> nodes;
};

// Uniform numbers of a set: players[n] for n = 1..11 (0 only when the text lists 0).
struct Uniform_List {
    int count = 0;                // members read, duplicates counted again
    bool players[12] = {};
};

// A coach-language point; a related point is (X, Y) added to rel_point.
struct Reg_Point {
    Reg_Point() = default;
    Reg_Point(const Reg_Point &other);
    Reg_Point &operator=(const Reg_Point &other);
    Reg_Point(Reg_Point &&) = default;
    Reg_Point &operator=(Reg_Point &&) = default;

    float X = 0, Y = 0;           // metres, in the frame of a team playing on the left
    Point_Type type = PT_POINT;
    bool related = false;
    std::unique_ptr<Reg_Point> rel_point;
    Team_Value team = TV_OUR;     // PT_PLAYER
    int uniform = 0;              // PT_PLAYER
};

// The server passes a quadrangle on with its first three corners only; such a
// one stands for the parallelogram they span (see calc_reg_quad).
struct Reg_Quad {
    Reg_Point P1, P2, P3, P4;
    int corners = 4;              // 3 when the text gave no fourth corner
};

// The annular sector between two radii (metres) from start_ang spanning rotate_ang (degrees).
struct Reg_Arc {
    Reg_Point point;
    float small_radius = 0, big_radius = 0, start_ang = 0, rotate_ang = 0;
};

struct Region;
using Region_List = Clang_List<Region>;

// RT_DEFINED is also the kind of a region left unresolved (nothing lies in it).
struct Region {
    Region_Type type = RT_DEFINED;
    Reg_Point point;
    Reg_Quad quad;
    Reg_Arc arc;
    Region_List list;             // RT_COMBINE: the united regions
    int defined_index = -1;       // -1 inline, else the definition it copies
};

struct Cond_Player_Pos {
    Team_Value team = TV_OUR;
    int min = 0, max = 0;
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
    Coach_Play_Mode mode = CPM_UNKNOWN;
};

struct Condition;
using Condition_List = Clang_List<Condition>;

struct Condition {
    Condition_Type type = CT_FALSE;
    Cond_Player_Pos ppos;
    Cond_Ball_Pos bpos;
    Cond_Ball_Owner bowner;
    Cond_Play_Mode pmode;
    Condition_List logic_list;    // CT_AND, CT_OR, CT_NOT
    int defined_index = -1;
};

struct Action_Region {
    Region region;
};
struct Action_Send_Region {
    Region region;
    bool pass = false, dribble = false, clear = false, score = false;
};
struct Action_Send_Players {
    Uniform_List player_list;
};
struct Action_Uniform {
    int uniform = 0;
};
struct Action_Type {
    int type = 0;
};

// Every kind's part is present; `type` tells which one holds.
struct Coach_Action {
    Coach_Action_Type type = CAT_NONE;
    Action_Region pos, home, markl_regional, oline;
    Action_Send_Region bto_regional;
    Action_Send_Players bto_uniformal;
    Action_Uniform mark, markl_uniformal;
    Action_Type htype;
    int defined_index = -1;
};

// The listed players of `team` are told to do (or not to do) `action`.
struct Directive {
    Directive_Action_Type type = DAT_POSITIVE;
    Team_Value team = TV_OUR;
    Uniform_List player_list;
    Coach_Action action;
    int defined_index = -1;
};
using Directive_List = Clang_List<Directive>;

// One advice or info token: when `condition` holds, the directives apply;
// `time` is its priority.
struct AI_Token {
    int time = 0;
    Condition condition;
    Directive_List directive_list;
};
using Advice_Message = Clang_List<AI_Token>;
using Info_Message = Clang_List<AI_Token>;

// A named definition; only the body of `type` is used.
struct Define_Token {
    Define_Type type = DT_REGION;
    std::string string;           // the name
    Coach_Action action;
    Directive directive;
    Condition condition;
    Region region;
};
using Define_Message = Clang_List<Define_Token>;

struct Meta_Message {
    bool is_received = false;
    int ver = 0;
};

// The freeform texts kept, in the order read; once kClangMaxFreeforms are
// kept, further ones are dropped.
struct Freeform_Message {
    int count = 0;
    std::string strings[kClangMaxFreeforms];
};

// All the player has heard from its coach. The parser writes it on the main
// thread holding `mutex`; a reader on another thread holds `mutex` while it
// reads, so it never sees a half-built list.
struct Coach_Message {
    Advice_Message advice;
    Info_Message info;
    Meta_Message meta;
    Freeform_Message freeform;
    Define_Message define;
    std::mutex mutex;
};

// Heap nodes a record owns (list nodes and related points) and how deep they nest.
struct Tree_Size {
    int nodes = 0;
    int depth = 0;
};
Tree_Size size_of(const Reg_Point &point);
Tree_Size size_of(const Region &region);
Tree_Size size_of(const Condition &condition);
Tree_Size size_of(const Coach_Action &action);
Tree_Size size_of(const Directive &directive);

// Token readers over a cursor that they advance; none reads past the end of
// the text. Numbers that do not begin the token read as 0, infinite and NaN
// ones as 0, huge ones as their type's nearest bound.
void pass_spaces(char **cur);
// Up to a blank, ')' or '}'; with skip, steps over that character and the spaces after.
int get_integer(char **cur, bool skip);
// Up to a blank, ')' or ','; with skip, steps over that character; then the spaces after.
float get_float(char **cur, bool skip);
// Copies the characters up to a blank or ')' into out, at most size - 1 of
// them, and leaves the cursor on that delimiter.
void get_string(char **cur, char *out, size_t size);
// The text between double quotes (the cursor on the opening one), then the spaces after.
std::string get_q_string(char **cur);

// Called once per cycle by the timer step: coach advice does not expire, a
// token lasts until a "(clear)" of its kind.
void decrease_coach_message_TTLs();
