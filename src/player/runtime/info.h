#pragma once
// The sensor records that the parser fills from the server's messages. The core
// holds two: `info`, written by the parser, and `info_snapshot`, the per-cycle
// copy that everything else reads. Positions are in the team frame: a player of
// the right-hand team stores every name mirrored, as the left team would read it.

#include "common/geometry.h"

// Text buffers of the protocol: a whole message fits in one.
const int kMessageSize = 8592;

const int kMaxFlags = 60;
const int kMaxLines = 4;
const int kMaxSeenPlayers = 22;
const int kMaxHear = 10;

// Message kinds of `Info::message_kind`.
enum Message_Kind { MK_NONE = 0, MK_INIT = 1, MK_SEE = 2, MK_HEAR = 3, MK_SENSE = 4 };

// Team-relative play modes: odd codes are ours, even codes theirs.
enum Play_Mode_Code {
    PM_BEFORE_KICK_OFF = 0,
    PM_CORNER_KICK_OURS = 1, PM_CORNER_KICK_THEIRS = 2,
    PM_FREE_KICK_OURS = 3, PM_FREE_KICK_THEIRS = 4,
    PM_GOAL_KICK_OURS = 5, PM_GOAL_KICK_THEIRS = 6,
    PM_KICK_IN_OURS = 7, PM_KICK_IN_THEIRS = 8,
    PM_KICK_OFF_OURS = 9, PM_KICK_OFF_THEIRS = 10,   // also a catch by our / their goalkeeper
    PM_PLAY_ON = 11, PM_TIME_OVER = 12, PM_STOPPED = 13
};

// Referee events; the two offside codes name the field side, not the team.
enum Event_Code {
    EV_NONE = 0, EV_DROP_BALL = 1, EV_FOUL_BY_US = 2, EV_FOUL_BY_THEM = 3,
    EV_GOAL_BY_US = 4, EV_GOAL_BY_THEM = 5, EV_OFFSIDE_LEFT = 6, EV_OFFSIDE_RIGHT = 7,
    EV_HALF_TIME = 8, EV_TIME_UP = 9, EV_TIME_UP_WITHOUT_TEAM = 10
};

enum Line_Side { LINE_NONE = 0, LINE_LEFT = 'l', LINE_RIGHT = 'r', LINE_TOP = 't', LINE_BOTTOM = 'b' };
enum Flag_Side { FLAG_SIDE_NONE = 0, FLAG_SIDE_LEFT = 'l', FLAG_SIDE_RIGHT = 'r', FLAG_SIDE_CENTER = 'c' };
enum Flag_Vert_Pos { FLAG_VERT_NONE = 0, FLAG_VERT_TOP = 't', FLAG_VERT_BOTTOM = 'b', FLAG_VERT_CENTER = 'c' };

// Mirroring for a player of the right-hand team.
Line_Side operator-(Line_Side s);
Flag_Side operator-(Flag_Side s);
Flag_Vert_Pos operator-(Flag_Vert_Pos v);

struct Flag_Info {
    float dist = 0, dir = 0;
    Flag_Vert_Pos vert_pos = FLAG_VERT_NONE;
    Flag_Side side = FLAG_SIDE_NONE;
    int kind = 0;          // 'p' penalty-area flag, 'g' goal flag, 0 other
    int line = 0;          // 'h' on a horizontal boundary, 'v' on a vertical one, 0 unmarked
    TPoint pos;            // field position, filled by the world model
    int mark = -1;         // distance mark 0..50 of the name, -1 when none
};
Flag_Info operator-(const Flag_Info &f);

struct Line_Info {
    Line_Side side = LINE_NONE;
    TLine line;            // filled by the world model
    float dist = 0, dir = 0;
};

struct Seen_Goal {
    bool seen = false;
    float dist = 0, dir = 0;
};

struct Seen_Player {
    char team[kMessageSize] = {};   // team name without quotes, empty when not given
    int unum = 0;
    int is_goalie = 0;
    bool dist_change_known = false, dir_change_known = false;
    bool body_dir_known = false, head_dir_known = false;
    bool unum_known = false;
    float dist = 0, dir = 0, dist_change = 0, dir_change = 0, body_dir = 0, head_dir = 0;
};

struct See_Info {
    bool fullstate_seen = false;
    int flag_count = 0, line_count = 0, player_count = 0;
    bool ball_seen = false, ball_dist_change_known = false, ball_dir_change_known = false;
    float ball_dir = 0, ball_dist = 0, ball_dist_change = 0, ball_dir_change = 0;
    Seen_Goal goals[2];        // 0 our goal, 1 theirs
    Seen_Goal unknown_goal;    // a goal seen without its letter
    Flag_Info flags[kMaxFlags];
    Line_Info lines[kMaxLines];
    Seen_Player players[kMaxSeenPlayers];
};

struct Hear_Info {
    int time = -1;             // -1 in an empty record
    char text[kMessageSize] = {};
    int sender = 0;            // 0 a player, 's' this player itself
    float dir = 0;
    int cycle = 0;             // the core's real_cycle when heard
};

struct Sense_Info {
    int time = 0;
    int stamina = 0;           // integer part of the stamina
    float effort = 0;
    int view_quality = 1;      // 1 high, 0 low
    int view_width = 90;       // 45 narrow, 90 normal, 180 wide
    float speed = 0, speed_dir = 0, head_angle = 0;
    int kick_count = 0, dash_count = 0, turn_count = 0, say_count = 0;
    int turn_neck_count = 0, catch_count = 0, move_count = 0, change_view_count = 0;
    int cycle = 0;             // the core's real_cycle when parsed
    int fullstate_int = 0;     // written only by fullstate messages
    float fullstate_float = 1.0f;
};

struct Info {
    int play_mode = PM_BEFORE_KICK_OFF;
    int event = EV_NONE, last_event = EV_NONE;
    int side = 'l', their_side = 'r';
    char play_mode_text[kMessageSize] = {};
    int unum = 0;
    See_Info see;
    int see_time = 0;
    int see_cycle = -1;
    Hear_Info hear[kMaxHear];
    int hear_index = -1;
    Sense_Info sense;
    int message_kind = MK_NONE;
};
