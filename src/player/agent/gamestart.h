#pragma once
// Our set plays: where I stand at each of our restarts and which teammate
// takes it. The assessment itself never proposes anything (chance 0).

#include "common/geometry.h"
#include "player/agent/objects.h"

class TGame_Start : public TWithout_Ball {
public:
    void assess() override;

    // My position at our restart pm (play-mode code); the invalid point for
    // other play modes.
    TPoint get_my_pos(int pm) const;
    // The uniform number of the teammate who restarts play at pm; for a play
    // mode that is no restart of ours, pm itself.
    int best_player_to_start(int pm) const;

private:
    TPoint free_kick_pos(TPoint ball, int u, float side) const;
    TPoint corner_kick_pos(TPoint ball, int u, float side) const;
    static int free_kick_taker(TPoint ball);
};
