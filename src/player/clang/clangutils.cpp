#include "player/clang/clangutils.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

Reg_Point::Reg_Point(const Reg_Point &other)
    : X(other.X), Y(other.Y), type(other.type), related(other.related),
      rel_point(other.rel_point ? std::make_unique<Reg_Point>(*other.rel_point) : nullptr),
      team(other.team), uniform(other.uniform) {}

Reg_Point &Reg_Point::operator=(const Reg_Point &other) {
    if (this != &other)
        *this = Reg_Point(other);
    return *this;
}

namespace {

Tree_Size combined(Tree_Size a, Tree_Size b) { return {a.nodes + b.nodes, std::max(a.depth, b.depth)}; }

// The size of a list: each node counts itself, one level above its own content.
template <class Node>
Tree_Size size_of_list(const Clang_List<Node> &list) {
    Tree_Size size;
    for (int i = 0; i < list.count(); ++i) {
        const Tree_Size node = size_of(*list.get(i));
        size = combined(size, {node.nodes + 1, node.depth + 1});
    }
    return size;
}

}  // namespace

Tree_Size size_of(const Reg_Point &point) {
    if (!point.rel_point)
        return {};
    const Tree_Size rel = size_of(*point.rel_point);
    return {rel.nodes + 1, rel.depth + 1};
}

Tree_Size size_of(const Region &region) {
    Tree_Size size = combined(size_of(region.point), size_of(region.arc.point));
    for (const Reg_Point *corner : {&region.quad.P1, &region.quad.P2, &region.quad.P3, &region.quad.P4})
        size = combined(size, size_of(*corner));
    return combined(size, size_of_list(region.list));
}

Tree_Size size_of(const Condition &condition) {
    return combined(combined(size_of(condition.ppos.region), size_of(condition.bpos.region)),
                  size_of_list(condition.logic_list));
}

Tree_Size size_of(const Coach_Action &action) {
    Tree_Size size = size_of(action.bto_regional.region);
    for (const Action_Region *part : {&action.pos, &action.home, &action.markl_regional, &action.oline})
        size = combined(size, size_of(part->region));
    return size;
}

Tree_Size size_of(const Directive &directive) { return size_of(directive.action); }

// ---- token readers ----

namespace {

// Moves the cursor to the end of its token: the first of stops or the end of
// the text. Gives the token's start, or null for an empty token or one that
// begins with white space (which the conversions would skip). A conversion
// from the start stops inside the token: no stop character belongs to a number.
const char *take_token(char **cur, const char *stops) {
    const char *start = *cur;
    while (**cur != '\0' && strchr(stops, **cur) == nullptr)
        ++*cur;
    return *cur == start || isspace(static_cast<unsigned char>(*start)) ? nullptr : start;
}

void step_over(char **cur) {
    if (**cur != '\0')
        ++*cur;
}

}  // namespace

void pass_spaces(char **cur) {
    while (**cur == ' ')
        ++*cur;
}

int get_integer(char **cur, bool skip) {
    const char *token = take_token(cur, " )}");
    if (skip) {
        step_over(cur);
        pass_spaces(cur);
    }
    const long value = token ? strtol(token, nullptr, 10) : 0;
    return static_cast<int>(std::min<long>(std::max<long>(value, INT_MIN), INT_MAX));
}

float get_float(char **cur, bool skip) {
    const char *token = take_token(cur, " ),");
    if (skip)
        step_over(cur);
    pass_spaces(cur);
    const double value = token ? strtod(token, nullptr) : 0;
    if (!std::isfinite(value))
        return 0;
    return static_cast<float>(std::min<double>(std::max<double>(value, -FLT_MAX), FLT_MAX));
}

void get_string(char **cur, char *out, size_t size) {
    const char *start = *cur;
    while (**cur != '\0' && **cur != ' ' && **cur != ')')
        ++*cur;
    if (size == 0)
        return;
    const size_t length = std::min(static_cast<size_t>(*cur - start), size - 1);
    memcpy(out, start, length);
    out[length] = '\0';
}

std::string get_q_string(char **cur) {
    step_over(cur);
    const char *start = *cur;
    while (**cur != '\0' && **cur != '"')
        ++*cur;
    std::string text(start, static_cast<size_t>(*cur - start));
    step_over(cur);
    pass_spaces(cur);
    return text;
}

void decrease_coach_message_TTLs() {}
