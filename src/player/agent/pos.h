#pragma once
// Positioning: the strategic position of a field player for a ball position,
// from the base point of its post, the ball's pull and the post's x range.

#include "player/agent/formation.h"

// Which of a post's seven base points is the current base.
enum Integrity {
    IM_BASE = 0,
    IM_INTEGRATED = 1,
    IM_V_INTEGRATED = 2,
    IM_H_INTEGRATED = 3,
    IM_EXPANDED = 4,
    IM_V_EXPANDED = 5,
    IM_H_EXPANDED = 6,
};

// The formation's positions by slot (0 to 9) for the current team mode.
class TPositioning : public TForm_Config {
public:
    using TForm_Config::TForm_Config;

    Integrity current_team_mode() const { return team_mode; }
    bool set_team_mode(Integrity mode);   // false (and no change) outside 0..6

    TPoint get_current_base(int slot) const;   // (0, 0) outside 0..9
    TPoint calc_position_by_attraction(int slot, TPoint ball) const;
    TPoint calc_position_by_attraction(int slot, TPoint ball, TPoint base) const;
    float limit_min_max(int slot, float x) const;
    TPoint get_position(int slot, TPoint ball) const;
    TPoint get_position(int slot, TPoint ball, TPoint base) const;
    bool is_post(Player_Post p) const;

private:
    Integrity team_mode = IM_BASE;
};

// Positions by uniform number: number u plays slot tasks[u] (u - 2 at start,
// so the goalkeeper, number 1, has no slot).
class TLQP : public TPositioning {
public:
    explicit TLQP(const char *posts_path = kPostsFile, const char *formation_path = kFormationFile);

    // (-50, 0) for a number outside 2 to 11.
    TPoint calc_position_by_attraction(int u, TPoint ball) const;
    TPoint get_position(int u, TPoint ball) const;
    TPoint get_position(int u, TPoint ball, TPoint base) const;
    TPoint get_current_base(int u) const;
    float limit_min_max(int u, float x) const;   // x unchanged outside 2 to 11

    using TForm_Config::post;
    Post post(int u) const;   // slot 0's post for a number without a slot
    void change_task(int a, int b);

private:
    static bool is_field_player(int u) { return u >= 2 && u <= 11; }
    int tasks[12] = {};
};
