#pragma once
// Taking up the strategic position while the ball is not mine: run to the
// formation's point for the current ball, or face the ball once there.

#include "common/geometry.h"
#include "player/agent/formation.h"
#include "player/agent/objects.h"

class TPosition : public TWithout_Ball {
public:
    TPosition();
    void assess() override;

    void load_formations();                // this object's table from "formation.rf"
    // The target before the assessment's own rules: the strategic position,
    // shifted forward at our goal kick and while our goalkeeper holds the ball.
    virtual TPoint get_position();
    // Positions from this object's own table, by my uniform number.
    virtual TPoint calc_pos_by_attraction();
    virtual float limit_offside(float x);
    float limit_min_max(float x);

    Formation_Table formation;             // entries 1 to 11 by uniform number
    TCircle goal_circle;                   // in front of our goal, for the goalkeeper's variant

protected:
    // Faces the ball when I am within near_dist of target, else runs there at
    // full speed, proposing run_chance.
    void take_position(TPoint target, float near_dist, float buffer, float run_chance);
    void scan_field();                     // looks around for the ball, proposing it surely
    // False for a target that is no number or the invalid point (unknown ball, broken estimate).
    static bool usable_target(TPoint target);

private:
    TPoint target_in_width(TPoint target) const;
    TPoint steady_target(TPoint target);   // the remembered target, when it is nearly the same

    TPoint remembered_target = kInvalidPoint;
};
