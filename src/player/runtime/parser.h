#pragma once
// The reader of the server's messages (protocol 7.10). Each handler walks the
// text with a cursor and writes what it finds into the core's parse-side sensor
// record, the configuration and, for fullstate messages and player-type changes,
// the world model. A malformed or truncated message yields the fields of its
// prefix; every reader stops at the end of the text and every index is bounded.

#include <cstddef>

#include "player/runtime/info.h"

class TParser {
public:
    // Dispatches one NUL-terminated message to its handler.
    void parse_message(char *msg);
    // Clears the see part of a record (the entries the last see used).
    void see_free(Info *info);

    void see_fill(char *msg);
    void fullstate_fill(char *msg);
    void sense_fill(char *msg);
    void init_fill(char *msg);
    void hear_fill(char *msg);
    void player_type_fill(char *msg);
    void player_param_fill(char *msg);
    void change_player_fill(char *msg);
    // "(error WORD)": a refused command.
    void error_fill(char *msg);
    // One play-mode word of the referee, the init reply or a fullstate message.
    void referee_fill(const char *word);

    // Token readers over a cursor into a message. A token ends at a blank, ')'
    // or the end of the text. The number readers step over the delimiter (never
    // over the end); an empty or malformed token reads as 0, a number beyond
    // the type's range as its nearest bound.
    static int get_integer(char **cur);
    static float get_float(char **cur);
    // Copies one token into dst (at most size - 1 characters); the cursor stops
    // on the delimiter.
    static void get_string(char **cur, char *dst, size_t size);
    // Copies the rest of the message without its closing ')' (and any trailing
    // line end or blank) into dst; the cursor does not move.
    static void get_string2(char **cur, char *dst, size_t size);
    // Strips the quotes around a team name.
    static void normalize_team_name(char *name);

private:
    char *read_see_object(char *entry, See_Info &see);
    char *read_goal(char *entry, See_Info &see);
    char *read_line(char *entry, See_Info &see);
    char *read_player(char *entry, See_Info &see);
    char *read_flag(char *entry, See_Info &see);
    char *read_ball(char *entry, See_Info &see);
    void read_sense_item(char *item, Sense_Info &sense);
    void read_fullstate_item(char *item);
    void read_fullstate_player(char *item);
    void store_heard(int time, int sender, float dir, char *text);
    void coach_heard(const char *sender);
    void take_own_type(const float values[]);
};
