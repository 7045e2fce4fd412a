#pragma once
// The goalkeeper's positioning: it stays on a small circle in front of our goal,
// on the line from the ball to a point just beside the goal's centre.

#include "player/agent/position.h"

class TGoalie_Position : public TPosition {
public:
    TGoalie_Position();
    void assess() override;

    // The keeper's table positions: one metre behind the ball where asked, and
    // up to the offside line itself.
    TPoint get_position() override;
    TPoint calc_pos_by_attraction() override;
    float limit_offside(float x) override;

    // Where the line from the ball to the goal-line point on its side meets
    // goal_circle in front of the goal line.
    TPoint guard_point(TPoint ball) const;
};
