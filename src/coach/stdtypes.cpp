#include "coach/stdtypes.h"

bool Uniform_List::add_player(int unum)
{
    if (unum < 0 || unum > 11)
        return false;
    players[unum] = true;
    ++count;
    return true;
}

Reg_Point &Reg_Point::operator=(const Reg_Point &other)
{
    if (this == &other)
        return *this;
    X = other.X;
    Y = other.Y;
    type = other.type;
    related = other.related;
    // Copy the base before releasing ours: other may be our own base point.
    std::unique_ptr<Reg_Point> base = other.rel_point ? std::make_unique<Reg_Point>(*other.rel_point) : nullptr;
    rel_point = std::move(base);
    team = other.team;
    uniform = other.uniform;
    return *this;
}

int Region_List::add_region() { return add(Region()); }
int Region_List::add_region(Region region) { return add(std::move(region)); }

int Condition_List::add_condition() { return add(Condition()); }
int Condition_List::add_condition(Condition condition) { return add(std::move(condition)); }

int Directive_List::add_directive() { return add(Directive()); }
int Directive_List::add_directive(Directive directive) { return add(std::move(directive)); }
