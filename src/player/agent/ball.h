#pragma once
// Going for the ball while it is not mine: sure when I reach it first, less so
// at set plays, never when a teammate gets there sooner.

#include "common/geometry.h"
#include "player/agent/objects.h"
#include "player/world/world.h"

class TGet_Ball : public TWithout_Ball {
public:
    void assess() override;

    // Follows the ball's free roll for up to 20 cycles; *p receives where it
    // stopped being followed. True when it comes within 4 m of me.
    bool ball_goes_for_me(TPoint *p) const;
    // Whether the moving ball is my own recent kick towards my teammates.
    bool I_passed() const;
    // Whether I, though not the fastest, reach the ball no later than the fastest teammate.
    static bool reaches_no_later(const Ball_Intercept_Info &mine, const Ball_Intercept_Info &theirs);

private:
    float chance_as_fastest() const;
    bool restart_is_theirs() const;
};
