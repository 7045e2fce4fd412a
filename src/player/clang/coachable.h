#pragma once
// Ratings the coach-advice step chooses its targets by: how safe a pass from
// my position to a point is, and which point of a coach region to pass to or
// run to. The advice step itself is part of the agent core (TCore::do_coach_advices).

#include "common/geometry.h"
#include "player/clang/clangutils.h"

// 1 - danger / 30: opponents near the target or the pass line raise the
// danger, teammates there lower it; may fall below 0 or rise above 1.
float get_chance_of_pass_to_point(TPoint target);
// The best chance of a pass to a known teammate other than me in the region, that
// teammate's position in *out; with none there, the chance of a pass to the
// centre of a quadrangle or arc. -1 and *out unchanged when there is no target.
float get_best_point_of_region_for_pass(const Region &region, TPoint *out);
// The point to run to for a point, quadrangle or arc region; other kinds
// leave *out unchanged.
void get_best_point_of_region_to_go(const Region &region, TPoint *out);
