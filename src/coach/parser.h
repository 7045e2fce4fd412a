#pragma once
// The coach's reader of server messages: it dispatches each message on its
// kind and fills the world state `inf` (and the core's cycle). It keeps no
// state of its own. Every reader stops at the end of the text.

#include "coach/types.h"

class TCoach_Parser {
public:
    void parse_message(const char *msg);
    void parse_look_msg(const char *msg, bool is_see_global);
    void parse_hear_com(const char *msg);
    void parse_referee_msg(const char *word);
    void parse_init_msg(const char *msg);
    void parse_eye_com(const char *msg);
    void parse_check_ball(const char *msg);
    void parse_say_msg(const char *msg);
    void player_param_fill(const char *msg);
    void player_type_fill(const char *msg);
    void free_inf();

    // Token readers: a token runs up to the next blank, ')' or the end of the
    // text. A number that cannot be used (not finite, out of range) reads as 0
    // (an int out of range is clamped). With skip the cursor passes the
    // terminator; at the end of the text it stays there.
    static int get_integer(const char *&cursor, bool skip);
    static float get_float(const char *&cursor, bool skip);
    // Copies the token into out (kCoachTextSize characters) and leaves the
    // cursor on its terminator.
    static void get_string(const char *&cursor, char *out);
    // Removes the first and the last character (the quotes) in place.
    static void normalize_team_name(char *name);

private:
    void parse_player(const char *&cursor);
    bool parse_play_mode(const char *word);
    bool parse_event(const char *word);
};

extern TCoach_Parser *parser;
