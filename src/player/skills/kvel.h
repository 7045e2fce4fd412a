#pragma once
// The forward pass into space: points on an arc ahead of me, and a line in
// front of their goal when I stand wide near their corner, each rated as a pass;
// the best one is shortened so that the ball stays in the field and, from
// outside, out of their penalty area.

#include "common/geometry.h"
#include "player/agent/formation.h"
#include "player/skills/pass.h"

class TKVEL : public TPass {
public:
    TKVEL();
    void assess() override;

private:
    void scan_arc(TPoint *target, float *best) const;
    void scan_corner_line(TPoint *target, float *best);
    void slow_down_for_post(TPoint target, float *best, float *arrival) const;
    void keep_out_of_trouble(TPoint *target, float *arrival) const;
    // Whether I play base_post while the formation has none of attack_posts, or one of these.
    bool plays_forward(Player_Post base_post, Player_Post attack_a, Player_Post attack_b) const;
};
