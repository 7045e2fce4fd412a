#pragma once
// A player's long-lived objects as its start-up builds them, in the working
// directory (a scratch one for a fuzz target): the link (never connected, so
// commands go nowhere), the server-message parser, the core as player unum of
// a side ('l' or 'r') that has had its init reply, its world model, the
// coach-language parser and the map encoder of its team.

#include <initializer_list>

const char *const kFuzzTeam = "Seagulls";   // the team of the shipped agent.conf

void make_player(int unum, char side);
void destroy_player();

// Runs play with a fresh player unum of the left side, then of the right side.
template <class Play>
void as_player_of_each_side(int unum, Play play) {
    for (char side : {'l', 'r'}) {
        make_player(unum, side);
        play();
        destroy_player();
    }
}

// A fixed scene of play on at cycle 30 for the core of make_player: I stand at
// (-5, 5) facing the opponents' goal, teammates and opponents spread over the
// field (two of each known only vaguely), and the ball either half a metre
// ahead of me and mine, or at (20, -10) rolling towards their goal.
void place_fixed_world(bool ball_at_my_feet);
