#pragma once
// The cautious shooting target, the direction TCore::shoot kicks in, and the
// cautious shot assessor built on the same look at the goal mouth, in which
// every opponent covers his reach (the goalkeeper his catch area).

#include "player/agent/objects.h"

// The absolute shot direction from the ball: a post moved margin metres inward
// (and inward again past a close outside opponent), the middle of the widest
// gap between opponents, or the goal centre when nothing is better.
float get_cautious_best_target(float margin);

// Rates a shot like TShoot, by my distance to the goal and the widest free
// part of the mouth. The player program does not create it.
class TCautious_Shoot : public TWith_Ball {
public:
    void assess() override;
};
