#pragma once
// Passes: the rating of a pass from my position to a point (how likely no
// opponent cuts it off), the pass assessor that plays to a few fixed points of
// the field, and the ball's free roll that keeps a pass inside the field.

#include "common/geometry.h"
#include "player/agent/objects.h"

const int kTeamSize = 11;   // uniform numbers run from 1 to this

// A ball rolling freely, one server cycle per step. The steps are bounded so
// that no decay value can keep the ball rolling for ever.
struct Ball_Roll {
    static const int kMaxSteps = 1000;
    static constexpr float kStopSpeed = 0.01f;   // slower counts as stopped

    TPoint pos, vel;
    TPoint last;                  // the position before the last step
    int steps = 0;

    Ball_Roll(TPoint from, TPoint velocity) : pos(from), vel(velocity) {}
    bool rolling() const { return steps < kMaxSteps && vel.abs() >= kStopSpeed; }
    // Whether the roll was ended from outside (not by its step bound) while
    // the ball, having moved, still rolled.
    bool cut_while_rolling() const { return steps > 0 && steps < kMaxSteps && vel.abs() >= kStopSpeed; }
    void step(float decay);
};

// How much more an opponent at dist from the passer weighs on the pass line:
// a close one has less time to be beaten by the ball.
float closeness_weight(float dist);

class TPass : public TWith_Ball {
public:
    void assess() override;

    // Chance that a pass from me to p arrives: 1 when free, lower for each
    // opponent near its line or its end, higher for teammates there unless
    // skip_teammates. Not clamped.
    float get_chance_of_pass(TPoint p) const;
    // A whole-degree absolute direction near the one from me to p that keeps
    // furthest from the directions of the known opponents.
    float best_angle_to_pass(TPoint p) const;

    // The ball speed at my foot that brings it to target with speed arrival, at most 2.7.
    static float foot_speed_for(TPoint target, float arrival);

    bool skip_teammates = false;

private:
    float side_danger(TPoint p, float reach, double pass_dir, bool teammates) const;
    float line_danger(TPoint p, float reach, double pass_dir, bool teammate) const;
};
