#pragma once
// The shot assessor: while the ball is mine it proposes a shot and rates it by
// how much of the goal mouth is free of opponents, seen from the ball, and by
// the distance to the goal. Its helpers are shared with the cautious assessor.

#include "player/agent/objects.h"

struct Goal_Cone;

const TPoint kTheirGoalCentre(52.5, 0);
const float kShootRange = 30;      // no shot from farther than this from their goal centre
const float kShootPostMargin = 1;  // aim this far inside each post

// Beyond `beyond` metres the rating is scaled by `factor`; the steps run from far to near.
struct Distance_Step {
    float beyond = 0, factor = 0;
};
const int kDistanceSteps = 4;
const float kClosestFactor = 1.5f; // nearer than every step

class TShoot : public TWith_Ball {
public:
    void assess() override;
};

float shot_distance_factor(float d, const Distance_Step (&steps)[kDistanceSteps]);
// 0.2 for a free width of 2 to 3 degrees up to 1.1 for 30 degrees and more.
float free_width_value(float w);
// With no opponent in the mouth: the wider of the two free sides, 0 below 2 degrees.
float open_goal_chance(const Goal_Cone &c, float factor);
// Sets the chance (0 when it is no number) and publishes the work record.
void publish_shot(TWith_Ball *o, float chance);
