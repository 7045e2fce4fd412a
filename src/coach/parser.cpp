#include "coach/parser.h"

#include "coach/core.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

TCoach_Parser *parser = nullptr;

namespace {

const int kNumberSize = 64;   // longer numeric tokens are cut here

// Moves the cursor on by n characters, never past the end of the text.
void skip_chars(const char *&cursor, int n) {
    for (; n > 0 && *cursor; n--)
        cursor++;
}

// The character n places on, or the terminator when the text ends before.
char char_at(const char *text, int n) {
    for (int i = 0; i < n; i++)
        if (!text[i])
            return '\0';
    return text[n];
}

bool is_terminator(char c) { return c == ' ' || c == ')' || c == '\0'; }

// Length of the token under the cursor, at most kCoachTextSize - 1.
int token_length(const char *cursor) {
    int length = 0;
    while (length < kCoachTextSize - 1 && !is_terminator(cursor[length]))
        length++;
    return length;
}

// Copies the numeric token and moves the cursor past it (and its terminator with skip).
void take_number(const char *&cursor, bool skip, char *number) {
    const int length = token_length(cursor);
    snprintf(number, kNumberSize, "%.*s", length < kNumberSize - 1 ? length : kNumberSize - 1, cursor);
    skip_chars(cursor, length + (skip ? 1 : 0));
}

bool starts_with(const char *text, const char *prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

struct Mode_Word {
    const char *word;
    Play_Mode mode;
};

const Mode_Word kModeWords[] = {
    {"before_kick_off", before_kick_off}, {"time_over", time_over},
    {"corner_kick_l", corner_kick_l},     {"corner_kick_r", corner_kick_r},
    {"free_kick_l", free_kick_l},         {"free_kick_r", free_kick_r},
    {"goal_kick_l", goal_kick_l},         {"goal_kick_r", goal_kick_r},
    {"kick_in_l", kick_in_l},             {"kick_in_r", kick_in_r},
    {"kick_off_l", kick_off_l},           {"kick_off_r", kick_off_r},
    {"play_on", play_on},
};

struct Event_Word {
    const char *word;
    Play_Event event;
    bool prefix;   // the word only begins so (the goal messages carry the score)
};

const Event_Word kEventWords[] = {
    {"foul_l", foul_l, false},
    {"foul_r", foul_r, false},
    {"offside_l", offside_l, false},
    {"offside_r", offside_r, false},
    {"goalie_catch_ball_l", goalie_catch_ball_l, false},
    {"goalie_catch_ball_r", goalie_catch_ball_r, false},
    {"goal_l", goal_l, true},
    {"goal_r", goal_r, true},
    {"half_time", half_time, false},
    {"time_up", time_up, false},
    {"time_up_without_a_team", time_up_without_a_team, false},
};

// The float fields of a player type, in record order after the id.
float Player_Type::*const kTypeFields[] = {
    &Player_Type::player_speed_max, &Player_Type::stamina_inc_max, &Player_Type::player_decay,
    &Player_Type::inertia_moment,   &Player_Type::dash_power_rate, &Player_Type::player_size,
    &Player_Type::kickable_margin,  &Player_Type::kick_rand,       &Player_Type::extra_stamina,
    &Player_Type::effort_max,       &Player_Type::effort_min,
};

// The heterogeneous delta parameters, in the order of the player_param message.
float TConfig::*const kDeltaFields[] = {
    &TConfig::HP_player_speed_max_delta_min, &TConfig::HP_player_speed_max_delta_max,
    &TConfig::HP_stamina_inc_max_delta_factor, &TConfig::HP_player_decay_delta_min,
    &TConfig::HP_player_decay_delta_max,     &TConfig::HP_inertia_moment_delta_factor,
    &TConfig::HP_dash_power_rate_delta_min,  &TConfig::HP_dash_power_rate_delta_max,
    &TConfig::HP_player_size_delta_factor,   &TConfig::HP_kickable_margin_delta_min,
    &TConfig::HP_kickable_margin_delta_max,  &TConfig::HP_kick_rand_delta_factor,
    &TConfig::HP_extra_stamina_delta_min,    &TConfig::HP_extra_stamina_delta_max,
    &TConfig::HP_effort_max_delta_factor,    &TConfig::HP_effort_min_delta_factor,
};

void read_point(const char *&cursor, TPoint &point) {
    point.X = TCoach_Parser::get_float(cursor, true);
    point.Y = TCoach_Parser::get_float(cursor, true);
}

}  // namespace

int TCoach_Parser::get_integer(const char *&cursor, bool skip) {
    char number[kNumberSize];
    take_number(cursor, skip, number);
    const long value = strtol(number, nullptr, 10);
    if (value < INT_MIN)
        return INT_MIN;
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

float TCoach_Parser::get_float(const char *&cursor, bool skip) {
    char number[kNumberSize];
    take_number(cursor, skip, number);
    const double value = strtod(number, nullptr);
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return 0;
    return static_cast<float>(value);
}

void TCoach_Parser::get_string(const char *&cursor, char *out) {
    const int length = token_length(cursor);
    snprintf(out, kCoachTextSize, "%.*s", length, cursor);
    cursor += length;
}

void TCoach_Parser::normalize_team_name(char *name) {
    const size_t length = strlen(name);
    if (length < 2) {
        name[0] = '\0';
        return;
    }
    memmove(name, name + 1, length - 2);
    name[length - 2] = '\0';
}

void TCoach_Parser::parse_message(const char *msg) {
    switch (char_at(msg, 4)) {
    case '_': parse_look_msg(msg, true); break;
    case 'l': parse_look_msg(msg, false); break;
    case 'c': parse_check_ball(msg); break;
    case 'e':
        if (char_at(msg, 5) == 'y')
            parse_eye_com(msg);
        break;
    case 'r': parse_hear_com(msg); break;
    case 's': parse_say_msg(msg); break;
    case 't': parse_init_msg(msg); break;
    default: break;
    }
    core->rlog(msg);
}

void TCoach_Parser::parse_init_msg(const char *msg) {
    inf->side = char_at(msg, 6) == 'l' ? TS_LEFT : TS_RIGHT;
}

// "(ok eye on)" or "(ok eye off)": the second letter of the switch word tells them apart.
void TCoach_Parser::parse_eye_com(const char *msg) {
    const char letter = char_at(msg, 9);
    if (letter == 'n')
        inf->eye_status = ES_ON;
    else if (letter == 'f')
        inf->eye_status = ES_OFF;
}

void TCoach_Parser::parse_check_ball(const char *msg) {
    const char *cursor = msg;
    skip_chars(cursor, 17);
    inf->ball_status.time = get_integer(cursor, false);
    skip_chars(cursor, 1);
    switch (char_at(cursor, 6)) {
    case 'i': inf->ball_status.status = BS_IN_FIELD; break;
    case 'o': inf->ball_status.status = BS_OUT_OF_FIELD; break;
    case 'r': inf->ball_status.status = BS_GOAL_R; break;
    case 'l': inf->ball_status.status = BS_GOAL_L; break;
    default: break;
    }
}

// The reply to a say carries nothing to keep.
void TCoach_Parser::parse_say_msg(const char *) {}

void TCoach_Parser::free_inf() {
    for (World_Player_Info *team : {inf->teammate_players, inf->opponent_players}) {
        for (int unum = 0; unum <= kTeamSize; unum++) {
            World_Player_Info &player = team[unum];
            player.uniform = 0;
            player.team_name[0] = '\0';
            player.pos = TPoint();
            player.vel = TPoint();
            player.body_dir = player.head_dir = 0;
            player.in_field = player.is_goalie = false;
        }
    }
    inf->ball.pos = TPoint();
}

void TCoach_Parser::parse_look_msg(const char *msg, bool is_see_global) {
    free_inf();
    inf->last_message = MT_SEE;
    core->rlog("Parsing look...");
    const char *cursor = msg;
    skip_chars(cursor, is_see_global ? 12 : 9);
    core->cycle = get_integer(cursor, true);
    while (*cursor) {
        if (starts_with(cursor, "((b")) {
            skip_chars(cursor, 5);
            read_point(cursor, inf->ball.pos);
            read_point(cursor, inf->ball.vel);
        } else if (starts_with(cursor, "((p")) {
            parse_player(cursor);
        }
        skip_chars(cursor, 1);
    }
}

// One "((p "TEAM" UNUM [goalie]) X Y VX VY BODY HEAD)" entry; a uniform number
// outside 1 to 11 is read over and stored nowhere.
void TCoach_Parser::parse_player(const char *&cursor) {
    char name[kCoachTextSize];
    skip_chars(cursor, 4);
    get_string(cursor, name);
    skip_chars(cursor, 1);
    normalize_team_name(name);
    core->rlog("Team name:", name);
    const int unum = get_integer(cursor, true);
    skip_chars(cursor, 1);
    const bool ours = strcmp(name, core->team_name) == 0;
    snprintf(ours ? inf->our_team_name : inf->their_team_name, kCoachTextSize, "%s", name);
    const bool valid = unum >= 1 && unum <= kTeamSize;
    World_Player_Info scratch;
    World_Player_Info &player = !valid ? scratch : ours ? inf->teammate_players[unum] : inf->opponent_players[unum];
    if (*cursor == 'o') {
        player.is_goalie = true;
        if (valid)
            (ours ? inf->our_goalie_uniform : inf->their_goalie_uniform) = unum;
        skip_chars(cursor, 7);
    }
    player.uniform = unum;
    snprintf(player.team_name, kCoachTextSize, "%s", name);
    player.in_field = true;
    read_point(cursor, player.pos);
    read_point(cursor, player.vel);
    player.body_dir = get_float(cursor, true);
    player.head_dir = get_float(cursor, true);
}

void TCoach_Parser::parse_hear_com(const char *msg) {
    inf->last_message = MT_HEAR;
    const char *cursor = msg;
    skip_chars(cursor, 6);
    inf->hear.s_time = get_integer(cursor, true);
    if (*cursor == 'r') {
        inf->hear.sender = VS_REFEREE;
        skip_chars(cursor, 8);
    } else if (*cursor == 's') {
        inf->hear.sender = VS_SELF;
        skip_chars(cursor, 5);
    } else {
        inf->hear.sender = VS_OTHER;
        inf->hear.theta = get_float(cursor, true);
    }
    get_string(cursor, inf->hear.message);
    if (inf->hear.sender == VS_REFEREE)   // only the referee's words change the play
        parse_referee_msg(inf->hear.message);
}

void TCoach_Parser::parse_referee_msg(const char *word) {
    if (!parse_play_mode(word))
        parse_event(word);
}

bool TCoach_Parser::parse_play_mode(const char *word) {
    for (const Mode_Word &entry : kModeWords) {
        if (strcmp(word, entry.word) != 0)
            continue;
        inf->play_mode = entry.mode;
        inf->last_event = inf->event;
        inf->event = none;
        core->game_stopped = entry.mode == before_kick_off || entry.mode == time_over;
        return true;
    }
    return false;
}

bool TCoach_Parser::parse_event(const char *word) {
    for (const Event_Word &entry : kEventWords) {
        if (entry.prefix ? !starts_with(word, entry.word) : strcmp(word, entry.word) != 0)
            continue;
        inf->play_mode = stopped;
        core->game_stopped = true;
        inf->last_event = inf->event;
        inf->event = entry.event;
        return true;
    }
    return false;
}

void TCoach_Parser::player_param_fill(const char *msg) {
    const char *cursor = msg;
    skip_chars(cursor, 14);
    core->HP_player_types = get_integer(cursor, true);
    core->HP_subs_max = get_integer(cursor, true);
    core->HP_pt_max = get_integer(cursor, true);
    for (float TConfig::*field : kDeltaFields)
        core->*field = get_float(cursor, true);
}

// A type id outside the core's table is read over and stored nowhere.
void TCoach_Parser::player_type_fill(const char *msg) {
    const char *cursor = msg;
    skip_chars(cursor, 13);
    const int id = get_integer(cursor, true);
    if (id < 0 || id >= kPlayerTypeCount)
        return;
    Player_Type &type = core->player_types[id];
    for (float Player_Type::*field : kTypeFields)
        type.*field = get_float(cursor, true);
}
