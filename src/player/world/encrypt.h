#pragma once
// The team map message: the say-text in which a player tells its teammates
// where it believes the players and the ball are, and the merge of a heard one
// into the world model (a received entry wins when it is more confident, or as
// confident and observed from nearer).

#include <cstddef>

#include "player/world/world.h"

const int kMapTextSize = 512;        // buffer of a map text, terminator included
const size_t kTeamNameSize = 100;    // team name, terminator included

class TMap_Encrypt {
public:
    // Works on the world model's arrays (index = uniform number) and ball.
    TMap_Encrypt(TPlayer *teammates, TPlayer *opponents, TBall *ball, const char *team_name);

    // Writes the message of sender unum into text (kMapTextSize characters).
    // Entries that would make it longer than the buffer or the server's say
    // size are left out, from the last one back. False, with text empty, when
    // not even the message without entries fits.
    bool get_map_string(char *text, int unum) const;
    // True when a heard text is a map message of our team: it begins with a
    // quote, "((", exactly our team name and ")".
    bool is_map_string(const char *text) const;
    // Merges a heard map message of our team; other texts change nothing.
    void fill_received_map(const char *text);

private:
    void get_ball_string(char *text, size_t size) const;
    const char *merge_group(const char *cur, TPlayer *players, TPoint sender);
    void merge_player(TPlayer *players, const double *entry, TPoint sender);
    const char *merge_ball(const char *cur, TPoint sender);

    TPlayer *teammates = nullptr;
    TPlayer *opponents = nullptr;
    TBall *ball = nullptr;
    char team_name[kTeamNameSize] = {};
};
