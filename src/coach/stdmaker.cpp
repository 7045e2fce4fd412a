#include "coach/stdmaker.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/clang_format.h"

// ---- builders ----

void Reg_Point::insert_point(float x, float y)
{
    type = PT_POINT;
    related = false;
    rel_point.reset();
    X = x;
    Y = y;
}

void Reg_Point::insert_related_point(float x, float y, const Reg_Point &base)
{
    auto copy = std::make_unique<Reg_Point>(base);   // base may be this point itself
    insert_point(x, y);
    related = true;
    rel_point = std::move(copy);
}

void Reg_Point::insert_ball()
{
    insert_point(0, 0);
    type = PT_BALL;
}

void Reg_Point::insert_player(Team_Value t, int unum)
{
    insert_point(0, 0);
    type = PT_PLAYER;
    team = t;
    uniform = unum;
}

void Reg_Quad::insert(TPoint p1, TPoint p2, TPoint p3, TPoint p4)
{
    insert(static_cast<float>(p1.X), static_cast<float>(p1.Y), static_cast<float>(p2.X),
           static_cast<float>(p2.Y), static_cast<float>(p3.X), static_cast<float>(p3.Y),
           static_cast<float>(p4.X), static_cast<float>(p4.Y));
}

void Reg_Quad::insert(const Reg_Point &p1, const Reg_Point &p2, const Reg_Point &p3, const Reg_Point &p4)
{
    P1 = p1;
    P2 = p2;
    P3 = p3;
    P4 = p4;
}

void Reg_Quad::insert(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4)
{
    P1.insert_point(x1, y1);
    P2.insert_point(x2, y2);
    P3.insert_point(x3, y3);
    P4.insert_point(x4, y4);
}

void Reg_Arc::insert(const Reg_Point &centre, float small, float big, float start, float rotate)
{
    point = centre;
    small_radius = small;
    big_radius = big;
    start_ang = start;
    rotate_ang = rotate;
}

void Reg_Arc::insert(TPoint centre, float small, float big, float start, float rotate)
{
    insert(static_cast<float>(centre.X), static_cast<float>(centre.Y), small, big, start, rotate);
}

void Reg_Arc::insert(float x, float y, float small, float big, float start, float rotate)
{
    Reg_Point centre;
    centre.insert_point(x, y);
    insert(centre, small, big, start, rotate);
}

void Region::insert(const Reg_Point &p)
{
    type = RT_POINT;
    point = p;
}

void Region::insert(const Reg_Quad &q)
{
    type = RT_QUAD;
    quad = q;
}

void Region::insert(const Reg_Arc &a)
{
    type = RT_ARC;
    arc = a;
}

void Region::insert(const Region_List &regions)
{
    Region_List copy = regions;   // regions may be our own list
    type = RT_COMBINE;
    list = std::move(copy);
}

void Region::insert(const char *name)
{
    type = RT_DEFINED;
    defstr = name ? name : "";
}

void Coach_Action::insert_action_pos(const Region &region)
{
    type = CAT_POS;
    pos.region = region;
}

void Coach_Action::insert_action_home(const Region &region)
{
    type = CAT_HOME;
    home.region = region;
}

void Coach_Action::insert_send_ball(const Region &region, bool pass, bool dribble, bool clear, bool score)
{
    type = CAT_BTO_REGIONAL;
    bto_regional.region = region;
    bto_regional.pass = pass;
    bto_regional.dribble = dribble;
    bto_regional.clear = clear;
    bto_regional.score = score;
}

void Coach_Action::insert_send_ball(const Uniform_List &players)
{
    type = CAT_BTO_UNIFORMAL;
    bto_uniformal.player_list = players;
}

void Coach_Action::insert_mark(int unum)
{
    type = CAT_MARK;
    mark.uniform = unum;
}

void Coach_Action::insert_mark_line(int unum)
{
    type = CAT_MARKL_UNIFORMAL;
    markl_uniformal.uniform = unum;
}

void Coach_Action::insert_mark_line(const Region &region)
{
    type = CAT_MARKL_REGIONAL;
    markl_regional.region = region;
}

void Coach_Action::insert_offside_line(const Region &region)
{
    type = CAT_OLINE;
    oline.region = region;
}

void Coach_Action::insert_htype(int t)
{
    type = CAT_HTYPE;
    htype.type = t;
}

void Condition::insert_player_pos(Team_Value team, const Uniform_List &players, int min, int max,
                                  const Region &region)
{
    type = CT_PPOS;
    ppos.team = team;
    ppos.player_list = players;
    ppos.min = min;
    ppos.max = max;
    ppos.region = region;
}

void Condition::insert_ball_pos(const Region &region)
{
    type = CT_BPOS;
    bpos.region = region;
}

void Condition::insert_ball_owner(Team_Value team, const Uniform_List &players)
{
    type = CT_BOWNER;
    bowner.team = team;
    bowner.player_list = players;
}

void Condition::insert_play_mode(Coach_Play_Mode mode)
{
    type = CT_PMODE;
    pmode.mode = mode;
}

void Condition::insert_logic(Condition_Type logic, const Condition_List &operands)
{
    Condition_List copy = operands;   // operands may be our own list
    type = logic;
    logic_list = std::move(copy);
}

static std::string name_or_empty(const char *name) { return name ? name : ""; }

void Define_Token::insert(const Coach_Action &body, const char *name)
{
    type = DT_ACTION;
    string = name_or_empty(name);
    action = body;
}

void Define_Token::insert(const Directive &body, const char *name)
{
    type = DT_DIRECTIVE;
    string = name_or_empty(name);
    directive = body;
}

void Define_Token::insert(const Condition &body, const char *name)
{
    type = DT_CONDITION;
    string = name_or_empty(name);
    condition = body;
}

void Define_Token::insert(const Region &body, const char *name)
{
    type = DT_REGION;
    string = name_or_empty(name);
    region = body;
}

Directive dir_get_dir(Directive_Action_Type type, Team_Value team, const Uniform_List &players,
                      const Coach_Action &action)
{
    Directive d;
    d.type = type;
    d.team = team;
    d.player_list = players;
    d.action = action;
    return d;
}

// ---- writers ----

// printf-style text of any length.
__attribute__((format(printf, 1, 2))) static std::string format(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        std::vsnprintf(&text[0], text.size() + 1, fmt, again);
    va_end(again);
    return text;
}

static const char *team_word(Team_Value team) { return team == TV_OUR ? "our " : "opp "; }

static float rad_to_deg(float rad) { return static_cast<float>(rad * 180.0 / kPi); }

std::string get_point_string(const Reg_Point *p)
{
    if (!p)
        return "";
    if (p->related)
        return format("(pt %.1f %.1f %s)", p->X, p->Y, get_point_string(p->rel_point.get()).c_str());
    switch (p->type) {
    case PT_BALL:
        return "(pt ball)";
    case PT_PLAYER:
        return format("(pt %s %d)", p->team == TV_OUR ? "our" : "opp", p->uniform);
    default:
        return format("(pt %.1f %.1f)", p->X, p->Y);
    }
}

std::string get_arc_string(const Reg_Arc *a)
{
    if (!a)
        return "";
    return format("(arc %s %.1f %.1f %.1f %.1f)", get_point_string(&a->point).c_str(), a->small_radius,
                  a->big_radius, a->start_ang, a->rotate_ang);
}

// A geometric sector keeps its middle direction and half opening in radians;
// the text wants the start direction and the whole span in degrees.
std::string get_arc_string(const TArc *a)
{
    if (!a)
        return "";
    return format("(arc (pt %.1f %.1f) %.1f %.1f %.1f %.1f)", a->Center.X, a->Center.Y, a->R1, a->R2,
                  rad_to_deg(a->angle - a->delta_ang), rad_to_deg(2 * a->delta_ang));
}

std::string get_quad_string(const Reg_Quad *q)
{
    if (!q)
        return "";
    return "(quad " + get_point_string(&q->P1) + get_point_string(&q->P2) + get_point_string(&q->P3) +
           get_point_string(&q->P4) + ")";
}

std::string get_quad_string(const TQuadrangle *q)
{
    if (!q)
        return "";
    return format("(quad (pt %.1f %.1f)(pt %.1f %.1f)(pt %.1f %.1f)(pt %.1f %.1f))", q->P1.X, q->P1.Y, q->P2.X,
                  q->P2.Y, q->P3.X, q->P3.Y, q->P4.X, q->P4.Y);
}

std::string get_region_string(const Region *r)
{
    if (!r)
        return "";
    switch (r->type) {
    case RT_POINT:
        return get_point_string(&r->point);
    case RT_QUAD:
        return get_quad_string(&r->quad);
    case RT_ARC:
        return get_arc_string(&r->arc);
    case RT_COMBINE: {
        std::string text = "(reg ";
        for (int i = 0; i < r->list.count(); ++i)
            text += get_region_string(r->list.get_region(i));
        return text + ")";
    }
    case RT_DEFINED:
        return "\"" + r->defstr + "\"";
    default:
        return "";
    }
}

std::string get_uniform_list_string(const Uniform_List *l)
{
    if (!l)
        return "";
    std::string text = "{";
    for (int unum = 1; unum <= 11; ++unum)
        if (l->players[unum])
            text += format("%d ", unum);
    return text + "}";
}

std::string get_cond_ppos_string(const Cond_Player_Pos *c)
{
    if (!c)
        return "";
    return std::string("(ppos ") + team_word(c->team) + get_uniform_list_string(&c->player_list) +
           format(" %d %d ", c->min, c->max) + get_region_string(&c->region) + ")";
}

std::string get_cond_bpos_string(const Cond_Ball_Pos *c)
{
    return c ? "(bpos " + get_region_string(&c->region) + ")" : "";
}

std::string get_cond_bowner_string(const Cond_Ball_Owner *c)
{
    if (!c)
        return "";
    return std::string("(bowner ") + team_word(c->team) + get_uniform_list_string(&c->player_list) + ")";
}

std::string get_cond_pmode_string(const Cond_Play_Mode *c)
{
    const char *name = c ? clang_play_mode_name(c->mode) : nullptr;
    return name ? std::string("(pmode ") + name + ")" : "";
}

std::string get_cond_true_string() { return "(true)"; }
std::string get_cond_false_string() { return "(false)"; }

static std::string logic_string(const char *head, const Condition_List &operands)
{
    std::string text = head;
    for (int i = 0; i < operands.count(); ++i)
        text += get_condition_string(operands.get_condition(i));
    return text + ")";
}

std::string get_condition_string(const Condition *c)
{
    if (!c)
        return "";
    switch (c->type) {
    case CT_TRUE:
        return get_cond_true_string();
    case CT_FALSE:
        return get_cond_false_string();
    case CT_PPOS:
        return get_cond_ppos_string(&c->ppos);
    case CT_BPOS:
        return get_cond_bpos_string(&c->bpos);
    case CT_BOWNER:
        return get_cond_bowner_string(&c->bowner);
    case CT_PMODE:
        return get_cond_pmode_string(&c->pmode);
    case CT_AND:
        return logic_string("(and ", c->logic_list);
    case CT_OR:
        return logic_string("(or ", c->logic_list);
    case CT_NOT:
        return logic_string("(not ", c->logic_list);
    default:   // named conditions have no written form
        return "";
    }
}

static std::string region_action(const char *head, const Region &region)
{
    return head + get_region_string(&region) + ")";
}

static std::string send_flags(const Action_Send_Regional &s)
{
    std::string flags = "{";
    if (s.pass)
        flags += 'p';
    if (s.dribble)
        flags += 'd';
    if (s.score)
        flags += 's';
    if (s.clear)
        flags += 'c';
    return flags + "}";
}

std::string get_action_string(const Coach_Action *a)
{
    if (!a)
        return "";
    switch (a->type) {
    case CAT_POS:
        return region_action("(pos ", a->pos.region);
    case CAT_HOME:
        return region_action("(home ", a->home.region);
    case CAT_BTO_REGIONAL:
        return "(bto " + get_region_string(&a->bto_regional.region) + send_flags(a->bto_regional) + ")";
    case CAT_BTO_UNIFORMAL:
        return "(bto " + get_uniform_list_string(&a->bto_uniformal.player_list) + ")";
    case CAT_MARK:
        return format("(mark %d)", a->mark.uniform);
    case CAT_MARKL_UNIFORMAL:
        return format("(markl %d)", a->markl_uniformal.uniform);
    case CAT_MARKL_REGIONAL:
        return region_action("(markl ", a->markl_regional.region);
    case CAT_OLINE:
        return region_action("(oline ", a->oline.region);
    case CAT_HTYPE:
        return format("(htype %d)", a->htype.type);
    default:   // named actions have no written form
        return "";
    }
}

std::string get_directive_string(const Directive *d)
{
    if (!d)
        return "";
    return std::string(d->type == DAT_NEGATIVE ? "(dont " : "(do ") + team_word(d->team) +
           get_uniform_list_string(&d->player_list) + get_action_string(&d->action) + ")";
}

std::string get_AI_token_string(const AI_Token *t)
{
    if (!t)
        return "";
    if (t->clear)
        return "(clear)";
    std::string text = format("(%d ", t->time) + get_condition_string(&t->condition);
    for (int i = 0; i < t->get_dir_count(); ++i)
        text += get_directive_string(t->get_directive(i));
    return text + ")";
}

// head + the tokens that fit + tail, at most kClangBufferSize - 1 characters.
static std::string message_string(const Token_Message *m, const char *head, const char *tail)
{
    if (!m)
        return "";
    std::string text = head;
    const size_t room = static_cast<size_t>(kClangBufferSize - 1) - std::strlen(tail);
    for (int i = 0; i < m->count(); ++i) {
        const std::string token = get_AI_token_string(m->get_token(i));
        if (text.size() + token.size() > room) {
            std::fprintf(stderr, "clang: message full, %d of %d tokens left out\n", m->count() - i, m->count());
            break;
        }
        text += token;
    }
    return text + tail;
}

std::string get_info_string(const Info_Message *m) { return message_string(m, "(info ", ")"); }

std::string get_advice_string(const Advice_Message *m) { return message_string(m, "(advice ", "   )"); }
