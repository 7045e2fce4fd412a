#include "player/clang/cparser.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

bool at(const char *cur, const char *keyword) { return strncmp(cur, keyword, strlen(keyword)) == 0; }

// Moves at most n characters on, never past the end of the text.
void skip(char **cur, int n) {
    for (; n > 0 && **cur != '\0'; --n)
        ++*cur;
}

void skip_and_pass(char **cur, int n) {
    skip(cur, n);
    pass_spaces(cur);
}

bool is_digit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }

// Steps over one item that is not read: a quoted name or a bracketed group
// (to its matching ')' or the end of the text), or else one character.
void skip_item(char **cur) {
    if (**cur == '"') {
        get_q_string(cur);
        return;
    }
    int open = 0;
    do {
        if (**cur == '(')
            ++open;
        else if (**cur == ')')
            --open;
        skip(cur, 1);
    } while (open > 0 && **cur != '\0');
    pass_spaces(cur);
}

// The team word: 'u' in its second letter is our team, 'p' the opponents.
Team_Value read_team(char **cur, Team_Value team) {
    pass_spaces(cur);
    skip(cur, 1);
    if (**cur == 'u')
        team = TV_OUR;
    else if (**cur == 'p')
        team = TV_OPP;
    skip_and_pass(cur, 2);
    return team;
}

const char *const kPlayModeNames[] = {"bko",    "time_over", "play_on", "ko_our", "ko_opp", "ki_our",
                                      "ki_opp", "fk_our",    "fk_opp",  "ck_our", "ck_opp", "gk_our",
                                      "gk_opp", "gc_our",    "gc_opp",  "ag_our", "ag_opp"};

}  // namespace

void TCoach_Parser::parse_coach_message(const char *text) {
    std::lock_guard<std::mutex> hold(message->mutex);
    snprintf(buffer, sizeof buffer, "%s", text);
    char *cur = buffer;
    if (at(cur, "(info"))
        parse_ai_message(&cur, message->info, 5);
    else if (at(cur, "(advice"))
        parse_ai_message(&cur, message->advice, 7);
    else if (at(cur, "(meta"))
        parse_meta_message(&cur);
    else if (at(cur, "(define"))
        parse_define_message(&cur);
}

void TCoach_Parser::parse_ai_message(char **cur, Clang_List<AI_Token> &kind, int keyword_length) {
    skip(cur, keyword_length);
    while (**cur != '\0') {
        if (at(*cur, "(clear)")) {
            kind.destroy_all();
            skip(cur, 6);
        } else if (**cur == '(') {
            parse_ai_token(cur, kind);
        } else {
            skip(cur, 1);
        }
    }
}

// A token is built aside and stored only when whole and within bounds.
void TCoach_Parser::parse_ai_token(char **cur, Clang_List<AI_Token> &kind) {
    budget = Budget();
    auto token = std::make_unique<AI_Token>();
    skip_and_pass(cur, 1);
    token->time = get_integer(cur, true);
    AI_parse_condition(cur, &token->condition);
    pass_spaces(cur);
    while (**cur != '\0' && **cur != ')') {
        if (**cur == '(' || **cur == '"')
            add_nested(cur, token->directive_list, [this](char **c, Directive *d) { AI_parse_directive(c, d); });
        else
            skip(cur, 1);
    }
    skip_and_pass(cur, 1);
    if (budget.exceeded) {
        printf("ParseError->A token nested too deep or too large was dropped");
        return;
    }
    store_token(kind, std::move(token));
}

// When the kind is full, the token that would be followed last makes room: the
// one of least time, the earliest of equal ones, the new token counting as the
// latest. The tokens said first, which carry the greatest times, stay.
void TCoach_Parser::store_token(Clang_List<AI_Token> &kind, std::unique_ptr<AI_Token> token) {
    if (kind.count() >= kClangMaxTokens) {
        int last_followed = 0;
        for (int i = 1; i < kind.count(); ++i)
            if (kind.get(i)->time < kind.get(last_followed)->time)
                last_followed = i;
        if (token->time < kind.get(last_followed)->time)
            return;
        kind.destroy(last_followed);
    }
    kind.add(std::move(token));
}

void TCoach_Parser::parse_freeform_message(char **cur) {
    skip(cur, 10);
    const std::string text = get_q_string(cur);
    Freeform_Message &freeform = message->freeform;
    if (freeform.count < kClangMaxFreeforms)
        freeform.strings[freeform.count++] = text;
}

void TCoach_Parser::parse_meta_message(char **cur) {
    skip_and_pass(cur, 5);
    while (**cur != '\0' && !at(*cur, "(ver"))
        skip(cur, 1);
    if (**cur == '\0')
        return;
    skip_and_pass(cur, 4);
    message->meta.ver = get_integer(cur, true);
    message->meta.is_received = true;
}

// ---- budget ----

bool TCoach_Parser::fits(Tree_Size extra) {
    if (!budget.exceeded && budget.depth + extra.depth <= kClangMaxDepth &&
        budget.nodes + extra.nodes <= kClangMaxNodes) {
        budget.nodes += extra.nodes;
        return true;
    }
    budget.exceeded = true;
    return false;
}

// Appends a node to list and reads it one level deeper; past the bounds the
// item is stepped over instead. An item that reads nothing is stepped over too,
// so that every loop moves on.
template <class Node, class Read>
void TCoach_Parser::add_nested(char **cur, Clang_List<Node> &list, Read read) {
    if (!fits({1, 1})) {
        skip_item(cur);
        return;
    }
    list.add();
    const char *start = *cur;
    ++budget.depth;
    read(cur, list.last());
    --budget.depth;
    if (*cur == start)
        skip_item(cur);
}

template <class Record>
void TCoach_Parser::take_definition(char **cur, Record *record, Define_Type kind, Record Define_Token::*body,
                                    const char *what) {
    const std::string name = get_q_string(cur);
    const int index = is_string_defined(name, kind);
    if (index < 0) {
        printf("ParseError->Using an undefined string \"%s\" as %s", name.c_str(), what);
        return;
    }
    const Record &definition = message->define.get(index)->*body;
    if (fits(size_of(definition)))
        *record = definition;
}

// ---- conditions ----

void TCoach_Parser::AI_parse_condition(char **cur, Condition *condition) {
    if (**cur == '"') {
        take_definition(cur, condition, DT_CONDITION, &Define_Token::condition, "a condition");
        return;
    }
    if (at(*cur, "(true)") || at(*cur, "(false)")) {   // read whole, closing parenthesis included
        condition->type = at(*cur, "(true)") ? CT_TRUE : CT_FALSE;
        skip_and_pass(cur, condition->type == CT_TRUE ? 6 : 7);
        return;
    }
    if (at(*cur, "(ppos")) {
        condition->type = CT_PPOS;
        skip(cur, 5);
        Cond_Player_Pos &ppos = condition->ppos;
        ppos.team = read_team(cur, ppos.team);
        ppos.player_list = get_uniform_list(cur);
        ppos.min = get_integer(cur, true);
        ppos.max = get_integer(cur, true);
        get_region(cur, &ppos.region);
    } else if (at(*cur, "(bpos")) {
        condition->type = CT_BPOS;
        skip_and_pass(cur, 5);
        get_region(cur, &condition->bpos.region);
    } else if (at(*cur, "(bowner")) {
        condition->type = CT_BOWNER;
        skip(cur, 7);
        condition->bowner.team = read_team(cur, condition->bowner.team);
        condition->bowner.player_list = get_uniform_list(cur);
    } else if (at(*cur, "(playm")) {
        condition->type = CT_PMODE;
        skip_and_pass(cur, 6);
        condition->pmode.mode = get_coach_play_mode(cur);
        pass_spaces(cur);
    } else if (at(*cur, "(and") || at(*cur, "(or") || at(*cur, "(not")) {
        const bool is_or = at(*cur, "(or");
        condition->type = is_or ? CT_OR : at(*cur, "(and") ? CT_AND : CT_NOT;
        skip_and_pass(cur, is_or ? 3 : 4);
        while (**cur != '\0' && **cur != ')') {
            if (**cur == '(' || **cur == '"')
                add_nested(cur, condition->logic_list,
                           [this](char **c, Condition *sub) { AI_parse_condition(c, sub); });
            else
                skip(cur, 1);
        }
    } else {
        if (**cur == '\0')
            condition->type = CT_STRING;
        return;
    }
    skip_and_pass(cur, 1);
}

Uniform_List TCoach_Parser::get_uniform_list(char **cur) {
    Uniform_List list;
    while (**cur != '\0' && **cur != '}') {
        if (!is_digit(**cur)) {
            skip(cur, 1);
            continue;
        }
        const int n = get_integer(cur, false);
        ++list.count;
        if (n >= 0 && n <= 11)
            list.players[n] = true;
    }
    skip_and_pass(cur, 1);
    return list;
}

Coach_Play_Mode TCoach_Parser::get_coach_play_mode(char **cur) {
    for (int mode = CPM_BKO; mode <= CPM_AG_OPP; ++mode)
        if (at(*cur, kPlayModeNames[mode])) {
            skip(cur, static_cast<int>(strlen(kPlayModeNames[mode])));
            return static_cast<Coach_Play_Mode>(mode);
        }
    return CPM_UNKNOWN;
}

// ---- points and regions ----

Reg_Point TCoach_Parser::get_point(char **cur) {
    Reg_Point point;
    skip_and_pass(cur, 3);
    if (**cur == 'b') {
        point.type = PT_BALL;
        skip_and_pass(cur, 5);
        return point;
    }
    if (**cur == 'o') {
        point.type = PT_PLAYER;
        skip(cur, 1);
        point.team = **cur == 'p' ? TV_OPP : TV_OUR;
        skip(cur, 3);
        point.uniform = get_integer(cur, false);
        pass_spaces(cur);
        skip_and_pass(cur, 1);
        return point;
    }
    point.X = get_float(cur, false);
    pass_spaces(cur);
    point.Y = get_float(cur, false);
    pass_spaces(cur);
    if (at(*cur, "(pt")) {
        if (fits({1, 1})) {
            point.related = true;
            ++budget.depth;
            point.rel_point = std::make_unique<Reg_Point>(get_point(cur));
            --budget.depth;
        } else {
            skip_item(cur);
        }
    }
    skip_and_pass(cur, 1);
    return point;
}

// Reads a corner when the text has one; else the corner repeats `previous`
// (when given). Whether the text had it.
bool TCoach_Parser::read_corner(char **cur, Reg_Point *corner, const Reg_Point *previous) {
    if (at(*cur, "(pt")) {
        *corner = get_point(cur);
        return true;
    }
    if (previous)
        *corner = *previous;
    return false;
}

void TCoach_Parser::get_region(char **cur, Region *region) {
    if (**cur == '"') {
        take_definition(cur, region, DT_REGION, &Define_Token::region, "a region");
        return;
    }
    if (at(*cur, "(pt")) {
        region->type = RT_POINT;
        region->point = get_point(cur);
    } else if (at(*cur, "(null)")) {
        region->type = RT_NULL;
        skip_and_pass(cur, 6);
    } else if (at(*cur, "(quad")) {
        region->type = RT_QUAD;
        skip_and_pass(cur, 5);
        Reg_Quad &quad = region->quad;
        read_corner(cur, &quad.P1, nullptr);
        read_corner(cur, &quad.P2, &quad.P1);
        read_corner(cur, &quad.P3, &quad.P2);
        quad.corners = read_corner(cur, &quad.P4, nullptr) ? 4 : 3;
        skip_and_pass(cur, 1);
    } else if (at(*cur, "(arc")) {
        region->type = RT_ARC;
        skip_and_pass(cur, 4);
        Reg_Arc &arc = region->arc;
        read_corner(cur, &arc.point, nullptr);
        arc.small_radius = get_float(cur, true);
        arc.big_radius = get_float(cur, true);
        arc.start_ang = get_float(cur, true);
        arc.rotate_ang = get_float(cur, false);
        skip_and_pass(cur, 1);
    } else if (at(*cur, "(reg")) {
        region->type = RT_COMBINE;
        skip(cur, 4);
        while (**cur != '\0' && **cur != ')') {
            if (**cur == '(' || **cur == '"')
                add_nested(cur, region->list, [this](char **c, Region *sub) { get_region(c, sub); });
            else
                skip(cur, 1);
        }
        skip_and_pass(cur, 1);
    } else if (**cur == '\0') {
        region->type = RT_DEFINED;
    }
}

// ---- actions and directives ----

void TCoach_Parser::get_action(char **cur, Coach_Action *action) {
    if (**cur == '"') {
        take_definition(cur, action, DT_ACTION, &Define_Token::action, "an action");
        return;
    }
    if (at(*cur, "(pos")) {
        action->type = CAT_POS;
        skip_and_pass(cur, 4);
        get_region(cur, &action->pos.region);
    } else if (at(*cur, "(home")) {
        action->type = CAT_HOME;
        skip_and_pass(cur, 5);
        get_region(cur, &action->home.region);
    } else if (at(*cur, "(bto")) {
        skip_and_pass(cur, 4);
        if (**cur == '{') {
            action->type = CAT_BTO_UNIFORMAL;
            action->bto_uniformal.player_list = get_uniform_list(cur);
        } else {
            action->type = CAT_BTO_REGIONAL;
            Action_Send_Region &send = action->bto_regional;
            send.pass = send.dribble = send.clear = send.score = false;
            get_region(cur, &send.region);
            pass_spaces(cur);
            for (; **cur != '\0' && **cur != '}'; skip(cur, 1)) {
                send.pass |= **cur == 'p';
                send.dribble |= **cur == 'd';
                send.clear |= **cur == 'c';
                send.score |= **cur == 's';
            }
            skip_and_pass(cur, 1);
        }
    } else if (at(*cur, "(markl")) {
        skip_and_pass(cur, 6);
        if (is_digit(**cur)) {
            action->type = CAT_MARKL_UNIFORMAL;
            action->markl_uniformal.uniform = get_integer(cur, false);
        } else {
            action->type = CAT_MARKL_REGIONAL;
            get_region(cur, &action->markl_regional.region);
        }
    } else if (at(*cur, "(mark")) {
        action->type = CAT_MARK;
        skip_and_pass(cur, 5);
        action->mark.uniform = get_integer(cur, false);
        pass_spaces(cur);
    } else if (at(*cur, "(oline")) {
        action->type = CAT_OLINE;
        skip_and_pass(cur, 6);
        get_region(cur, &action->oline.region);
    } else if (at(*cur, "(htype")) {
        action->type = CAT_HTYPE;
        skip_and_pass(cur, 6);
        action->htype.type = get_integer(cur, false);
        pass_spaces(cur);
    } else {
        return;
    }
    skip_and_pass(cur, 1);
}

void TCoach_Parser::AI_parse_directive(char **cur, Directive *directive) {
    if (**cur == '"') {
        take_definition(cur, directive, DT_DIRECTIVE, &Define_Token::directive, "a directive");
        return;
    }
    skip(cur, 3);
    if (**cur == 'n') {
        directive->type = DAT_NEGATIVE;
        skip(cur, 2);
    }
    directive->team = read_team(cur, directive->team);
    directive->player_list = get_uniform_list(cur);
    get_action(cur, &directive->action);
    skip_and_pass(cur, 1);
}

// ---- definitions ----

int TCoach_Parser::is_string_defined(const std::string &name, Define_Type kind) const {
    for (int i = 0; i < message->define.count(); ++i) {
        const Define_Token &definition = *message->define.get(i);
        if (definition.string == name && (kind == DT_ANY || definition.type == kind))
            return i;
    }
    return -1;
}

void TCoach_Parser::parse_define_message(char **cur) {
    skip_and_pass(cur, 7);
    while (**cur != '\0') {
        if (!at(*cur, "(define")) {
            skip(cur, 1);
            continue;
        }
        skip(cur, 7);
        switch (**cur) {
        case 'r': parse_definition(cur, DT_REGION); break;
        case 'c': parse_definition(cur, DT_CONDITION); break;
        case 'd': parse_definition(cur, DT_DIRECTIVE); break;
        case 'a': parse_definition(cur, DT_ACTION); break;
        default: break;
        }
    }
}

// One definition after its kind letter. The body is built aside: a body beyond
// the bounds, or a new name past kClangMaxDefinitions, changes nothing.
void TCoach_Parser::parse_definition(char **cur, Define_Type kind) {
    skip_and_pass(cur, 1);
    if (**cur != '"')
        return;
    Define_Token fresh;
    fresh.type = kind;
    fresh.string = get_q_string(cur);
    const int found = is_string_defined(fresh.string, kind);
    const int index = found >= 0 ? found : message->define.count();
    budget = Budget();
    switch (kind) {
    case DT_REGION: get_region(cur, &fresh.region); fresh.region.defined_index = index; break;
    case DT_CONDITION: AI_parse_condition(cur, &fresh.condition); fresh.condition.defined_index = index; break;
    case DT_DIRECTIVE: AI_parse_directive(cur, &fresh.directive); fresh.directive.defined_index = index; break;
    default: get_action(cur, &fresh.action); fresh.action.defined_index = index; break;
    }
    skip_and_pass(cur, 1);
    if (budget.exceeded || (found < 0 && index >= kClangMaxDefinitions)) {
        printf("ParseError->The definition \"%s\" was dropped", fresh.string.c_str());
        return;
    }
    if (found < 0) {
        message->define.add(std::make_unique<Define_Token>(std::move(fresh)));
        return;
    }
    *message->define.get(found) = std::move(fresh);
    definition_replace(found);
}

// ---- replacement ----

void TCoach_Parser::definition_replace(int index) {
    const Define_Type kind = message->define.get(index)->type;
    for (Clang_List<AI_Token> *tokens : {&message->info, &message->advice})
        for (int i = 0; i < tokens->count(); ++i) {
            AI_Token &token = *tokens->get(i);
            budget = Budget();
            budget.nodes = size_of(token.condition).nodes;
            for (int d = 0; d < token.directive_list.count(); ++d)
                budget.nodes += 1 + size_of(*token.directive_list.get(d)).nodes;
            if (kind == DT_CONDITION || kind == DT_REGION)
                condition_replace(&token.condition, index);
            if (kind != DT_CONDITION)
                for (int d = 0; d < token.directive_list.count(); ++d) {
                    ++budget.depth;
                    directive_replace(token.directive_list.get(d), index);
                    --budget.depth;
                }
        }
    for (int i = 0; i < message->define.count(); ++i)
        if (i != index)
            replace_in_definition(*message->define.get(i), index);
}

void TCoach_Parser::replace_in_definition(Define_Token &definition, int index) {
    budget = Budget();
    switch (definition.type) {
    case DT_ACTION:
        budget.nodes = size_of(definition.action).nodes;
        action_replace(&definition.action, index);
        break;
    case DT_DIRECTIVE:
        budget.nodes = size_of(definition.directive).nodes;
        directive_replace(&definition.directive, index);
        break;
    case DT_CONDITION:
        budget.nodes = size_of(definition.condition).nodes;
        condition_replace(&definition.condition, index);
        break;
    default:
        budget.nodes = size_of(definition.region).nodes;
        region_replace(&definition.region, index);
        break;
    }
}

// A copy of definition index becomes a copy of its new body; a new body that
// does not fit where the copy stands leaves the record as an unresolved name
// would. A renewed record is not searched further: a body that names its own
// definition would otherwise be copied into itself without end.
template <class Record>
bool TCoach_Parser::overwritten(Record *record, int index, Define_Type kind, Record Define_Token::*body) {
    const Define_Token &definition = *message->define.get(index);
    if (record->defined_index != index || definition.type != kind)
        return false;
    const Record &fresh = definition.*body;
    const Tree_Size old_size = size_of(*record);
    const Tree_Size new_size = size_of(fresh);
    const int nodes = budget.nodes - old_size.nodes + new_size.nodes;
    if (budget.depth + new_size.depth <= kClangMaxDepth && nodes <= kClangMaxNodes) {
        *record = fresh;
        budget.nodes = nodes;
    } else {
        *record = Record();
        record->defined_index = index;
        budget.nodes -= old_size.nodes;
    }
    return true;
}

void TCoach_Parser::condition_replace(Condition *condition, int index) {
    if (overwritten(condition, index, DT_CONDITION, &Define_Token::condition))
        return;
    region_replace(&condition->ppos.region, index);
    region_replace(&condition->bpos.region, index);
    ++budget.depth;
    for (int i = 0; i < condition->logic_list.count(); ++i)
        condition_replace(condition->logic_list.get(i), index);
    --budget.depth;
}

void TCoach_Parser::action_replace(Coach_Action *action, int index) {
    if (overwritten(action, index, DT_ACTION, &Define_Token::action))
        return;
    for (Region *region : {&action->pos.region, &action->home.region, &action->bto_regional.region,
                           &action->markl_regional.region, &action->oline.region})
        region_replace(region, index);
}

void TCoach_Parser::directive_replace(Directive *directive, int index) {
    if (!overwritten(directive, index, DT_DIRECTIVE, &Define_Token::directive))
        action_replace(&directive->action, index);
}

void TCoach_Parser::region_replace(Region *region, int index) {
    if (overwritten(region, index, DT_REGION, &Define_Token::region))
        return;
    ++budget.depth;
    for (int i = 0; i < region->list.count(); ++i)
        region_replace(region->list.get(i), index);
    --budget.depth;
}
