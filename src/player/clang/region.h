#pragma once
// Coach-language points, regions and conditions read against the player's
// world model, play mode and configuration. Points are in the team frame: a
// player of the right-hand team mirrors the coach's absolute coordinates.
// Nothing here changes the world.

#include "common/geometry.h"
#include "player/clang/clangutils.h"

// The field point a coach-language point stands for; the invalid point for a
// player number outside 1 to 11 (and for a point based on one).
TPoint calc_reg_point_position(const Reg_Point &point, bool mirror);

// The quadrangle of the four corners, in the team frame; one given with three
// corners is the parallelogram they span (its fourth corner P1 + P3 - P2).
TQuadrangle calc_reg_quad(const Reg_Quad &quad);
// The annular sector of a coach arc: from start_ang spanning rotate_ang degrees.
TArc calc_reg_arc(const Reg_Arc &arc);
// Where the diagonals cross, or the mean of the corners when they do not.
TPoint quad_center(const TQuadrangle &quad);

// Unresolved regions (RT_DEFINED) and figures with an invalid corner or
// centre contain nothing; a quadrangle without area contains nothing.
bool is_point_in_region(TPoint p, const Region *region);

// Unresolved conditions (CT_FALSE), CT_STRING and unknown play modes never hold.
bool is_condition(const Condition *c);
bool is_player_pos(const Cond_Player_Pos *c);
bool is_ball_pos(const Cond_Ball_Pos *c);
bool is_ball_owner(const Cond_Ball_Owner *c);
bool is_play_mode(const Cond_Play_Mode *c);
bool is_logic(const Condition_List *list, unsigned short logic);
