#pragma once
// The direct pass to a teammate: aimed where he will be on his way back to his
// strategic position, turned a little away from opponents in between, rated
// as a pass and weighted by his distance, how far ahead of the ball he stands
// and how well he could shoot from there. Proposed as a hard kick.

#include "common/geometry.h"
#include "player/skills/pass.h"

class TShort_Pass : public TPass {
public:
    TShort_Pass();
    void assess() override;

    // The best teammate's pass direction (absolute degrees from the ball),
    // kick speed and weighted chance; direction 0, speed 0 and chance 0 when
    // nobody qualifies.
    void get_best_pass(float *angle, float *speed, float *chance);
    // Direction after turning away from opponents, speed and raw chance of a pass to unum.
    void get_best_pass_to_player(int unum, float *angle, float *speed, float *chance);
    // Direction and speed of a pass led to where unum is going.
    void get_pass_to_player(int unum, float *angle, float *speed);
    float get_speed(float dist) const;   // kick speed for a pass of this length
    float direction_chance(TPoint p) const;   // how well a shot from p would go

private:
    // The teammate's raw chance is multiplied by this; my_score is my own direction_chance.
    float qualification(TPoint teammate, float my_score) const;
};
