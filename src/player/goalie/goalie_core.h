#pragma once
// The goalkeeper's core: announces itself as goalie, catches the ball when it
// can, holds it for a while turning, moves, and otherwise decides as a field player.

#include "player/agent/core.h"

class TGoalie_Core : public TCore {
public:
    static const int kHoldCycles = 20;   // cycles the keeper holds the ball before moving

    TGoalie_Core();

    int init() override;
    void decision() override;
    int kick(float power, float direction, bool locked) override;

    bool ball_is_catchable(float tolerance = 0.01f) const;
    void catch_(bool locked);
    bool ball_is_catched() const { return catch_state == 1; }

    int last_catch_cycle = -213;   // real_cycle of the last catch command
    bool released = false;         // kicked, and the ball is still kickable

private:
    // One step of the holding phase; false once it is over.
    bool hold_ball();

    bool set = false;              // the turn of this holding phase is fixed
    float theta = 0;               // the turn still to make
    bool moved = false;            // the move of this holding phase was sent
};
