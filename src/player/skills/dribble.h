#pragma once
// The dribble assessor: on a wing of the opponents' half, kick the ball ahead
// towards a point near the corner or the penalty area and run after it, with a
// speed that lets me reach it before any opponent. Published as a hard kick.

#include "common/geometry.h"
#include "player/agent/objects.h"

class TDribble : public TWith_Ball {
public:
    TDribble() = default;
    void assess() override;

    // Kick direction (absolute degrees), ball speed and chance; all 0 when the
    // ball lies where no dribble is tried.
    void get_best_dribble(float *abs_dir, float *speed, float *chance);
    // Simulates my run in the absolute direction dir until I leave the field
    // or an opponent would reach the ball first. Writes where the ball should
    // be met and returns the kick speed that rolls it there.
    float direction_dribble_speed(float dir, TPoint *end);
    // Four candidate dribble directions (absolute degrees) by the zone of the
    // field the ball is in; all 0 where no zone holds.
    void get_dribble_direction(float *a1, float *a2, float *a3, float *a4);
};
