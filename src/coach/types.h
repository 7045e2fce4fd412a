#pragma once
// The coach's world state as the parser fills it from the server's messages:
// play mode and referee events, the eye and check-ball replies, the last heard
// message, every player and the ball in absolute field coordinates.

#include "common/geometry.h"

enum Play_Mode {
    before_kick_off = 0,
    corner_kick_l = 1,
    corner_kick_r = 2,
    free_kick_l = 3,
    free_kick_r = 4,
    goal_kick_l = 5,
    goal_kick_r = 6,
    kick_in_l = 7,
    kick_in_r = 8,
    kick_off_l = 9,
    kick_off_r = 10,
    play_on = 11,
    time_over = 12,
    stopped = 13
};

enum Play_Event {
    none = 0,
    foul_l = 1,
    foul_r = 2,
    goal_l = 3,
    goal_r = 4,
    half_time = 5,
    offside_l = 6,
    offside_r = 7,
    time_up = 8,
    time_up_without_a_team = 9,
    time_extended = 10,
    goalie_catch_ball_l = 11,
    goalie_catch_ball_r = 12
};

enum Eye_Status { ES_ON = 0, ES_OFF = 1 };

enum Ball_Status { BS_IN_FIELD = 0, BS_OUT_OF_FIELD = 1, BS_GOAL_R = 2, BS_GOAL_L = 3 };

enum Voice_Sender { VS_REFEREE = 114, VS_SELF = 115, VS_OTHER = 0 };

enum Team_Side { TS_LEFT = 0, TS_RIGHT = 1 };

enum Message_Type { MT_NONE = 0, MT_SEE = 1, MT_HEAR = 2 };

const int kCoachTextSize = 8192;   // every protocol text, terminator included
const int kTeamSize = 11;          // uniform numbers 1 to 11

// One player as the coach sees it.
struct World_Player_Info {
    int uniform = 0;
    char team_name[kCoachTextSize] = {};
    TPoint pos;                    // metres
    TPoint vel;                    // metres per cycle
    int hetro_type = 0;            // heterogeneous type; never filled
    float head_dir = 0;            // degrees, as the server sends them
    float body_dir = 0;
    bool in_field = false;         // seen in the last see_global
    bool is_goalie = false;
};

struct Ball_Info {
    TPoint pos;
    TPoint vel;
};

struct Check_Ball_Status {
    Ball_Status status = BS_IN_FIELD;
    int time = 0;
};

// The last heard message.
struct Hear_Info {
    int s_time = 0;                        // the cycle in the message
    char message[kCoachTextSize] = {};     // its first word
    Voice_Sender sender = VS_OTHER;
    float theta = 0;                       // direction, for other senders
    long time = 0;                         // not maintained
};

struct TInfo {
    Play_Mode play_mode = before_kick_off;
    Play_Event event = none;               // none after a play-mode message
    Play_Event last_event = none;          // the event before the last referee message
    Eye_Status eye_status = ES_OFF;
    Check_Ball_Status ball_status;
    Hear_Info hear;
    World_Player_Info teammate_players[kTeamSize + 1];   // by uniform number; entry 0 unused
    World_Player_Info opponent_players[kTeamSize + 1];
    Ball_Info ball;
    Team_Side side = TS_LEFT;
    Message_Type last_message = MT_NONE;
    int our_goalie_uniform = 0;
    int their_goalie_uniform = 0;
    char our_team_name[kCoachTextSize] = {};
    char their_team_name[kCoachTextSize] = {};

    TPoint get_bpos() const { return ball.pos; }
    TPoint *get_bpos_p() { return &ball.pos; }
};

extern TInfo *inf;
