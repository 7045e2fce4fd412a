#include "player/runtime/parser.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/clang/cparser.h"
#include "player/runtime/client.h"

namespace {

const size_t kTokenSize = 64;      // numbers and words of the protocol are short
const size_t kRefereeBaseSize = 32;

bool is_delimiter(char c) { return c == ' ' || c == ')' || c == '\0'; }

bool is_one_of(char c, const char *set) { return c != '\0' && strchr(set, c) != nullptr; }

bool starts_number(char c) { return isdigit(static_cast<unsigned char>(c)) || is_one_of(c, "+-."); }

// Copies the token at the cursor into buf, cut to the buffer, and leaves the
// cursor on the token's delimiter.
void copy_token(char **cur, char *buf, size_t size) {
    char *p = *cur;
    size_t n = 0;
    for (; !is_delimiter(*p); ++p)
        if (n + 1 < size)
            buf[n++] = *p;
    if (size > 0)
        buf[n] = '\0';
    *cur = p;
}

void step_over_delimiter(char **cur) {
    if (**cur != '\0')
        ++*cur;
}

// True when another value of the entry follows at the cursor.
bool goes_on(const char *cur) { return !is_delimiter(*cur); }

// Moves at most n characters on, never past the end of the text.
char *skip(char *p, size_t n) {
    for (; n > 0 && *p != '\0'; --n)
        ++p;
    return p;
}

// Just past the blank that ends the word at p (the end of the text when none does).
char *after_word(char *p) {
    while (*p != '\0' && *p != ' ')
        ++p;
    return *p != '\0' ? p + 1 : p;
}

// The text after an item's name and its blank, or null when the item has another name.
char *after_item(char *item, const char *name) {
    const size_t n = strlen(name);
    return strncmp(item, name, n) == 0 && item[n] == ' ' ? item + n + 1 : nullptr;
}

// The first value of a see entry "((name ...) values)": past the ')' that ends the name.
char *values_of(char *entry) {
    char *p = entry + 2;
    while (*p != '\0' && *p != ')')
        ++p;
    if (*p != '\0')
        ++p;
    while (*p == ' ')
        ++p;
    return p;
}

void read_pair(char **cur, float *first, float *second) {
    *first = TParser::get_float(cur);
    *second = TParser::get_float(cur);
}

// A fullstate position or velocity, in the server's frame, turned into our
// team's frame: a right-side player mirrors it through the centre spot.
TPoint read_team_point(char **cur) {
    const float x = TParser::get_float(cur);
    const float y = TParser::get_float(cur);
    return core->info.side == 'r' ? TPoint(-x, -y) : TPoint(x, y);
}

int bounded_count(int count, int max) { return std::min(std::max(count, 0), max); }

// Writes one line to the error file at once, so that it survives a crash.
void error_line(const char *format, const char *text) {
    if (!core->err_stream)
        return;
    fprintf(core->err_stream, format, text);
    fflush(core->err_stream);
}

// The team, uniform number and goalie mark of a player's name, from the
// character after "((p": ')' for an anonymous player, else a blank and the
// quoted team name. Numbers outside 1..11 are not taken.
void read_player_name(char *name, Seen_Player &player) {
    if (*name != ' ')
        return;
    ++name;
    TParser::get_string(&name, player.team, sizeof player.team);
    TParser::normalize_team_name(player.team);
    if (name[0] != ' ' || !isdigit(static_cast<unsigned char>(name[1])))
        return;
    ++name;
    const int unum = TParser::get_integer(&name);
    if (unum >= 1 && unum <= 11) {
        player.unum = unum;
        player.unum_known = true;
    }
    player.is_goalie = strncmp(name, "goalie", 6) == 0 ? 1 : 0;
}

// A flag from the letters of its name, up to the ')' that ends it.
Flag_Info flag_from_name(const char *name) {
    Flag_Info flag;
    for (const char *c = name; *c != '\0' && *c != ')'; ++c) {
        switch (*c) {
        case 'b': case 't':
            flag.vert_pos = static_cast<Flag_Vert_Pos>(*c);
            if (flag.side == FLAG_SIDE_NONE)
                flag.line = 'h';
            break;
        case 'l': case 'r':
            flag.side = static_cast<Flag_Side>(*c);
            if (flag.vert_pos == FLAG_VERT_NONE)
                flag.line = 'v';
            break;
        case 'p': case 'g':
            flag.kind = *c;
            break;
        case 'c':
            if (flag.side == FLAG_SIDE_LEFT || flag.side == FLAG_SIDE_RIGHT)
                flag.vert_pos = FLAG_VERT_CENTER;
            else
                flag.side = FLAG_SIDE_CENTER;
            break;
        case '0':
            if (flag.mark < 0)
                flag.mark = 0;
            break;
        case '1': case '2': case '3': case '4': case '5':
            flag.mark = 10 * (*c - '0');
            break;
        default:
            break;
        }
    }
    if (flag.mark < 0)
        flag.line = 0;
    return flag;
}

void clear_player(Seen_Player &player) {
    player.team[0] = '\0';
    player.unum = 0;
    player.is_goalie = 0;
    player.dist_change_known = player.dir_change_known = false;
    player.body_dir_known = player.head_dir_known = false;
    player.unum_known = false;
    player.dist = player.dir = player.dist_change = player.dir_change = 0;
    player.body_dir = player.head_dir = 0;
}

void clear_ball(See_Info &see) {
    see.ball_seen = see.ball_dist_change_known = see.ball_dir_change_known = false;
    see.ball_dir = see.ball_dist = see.ball_dist_change = see.ball_dir_change = 0;
}

// "view_mode QUALITY WIDTH": high or low; narrow, normal or wide (by the second letter).
void read_view_mode(char **cur, Sense_Info &sense) {
    char quality[kTokenSize];
    char width[kTokenSize];
    TParser::get_string(cur, quality, sizeof quality);
    if (**cur == ' ')
        ++*cur;
    TParser::get_string(cur, width, sizeof width);
    if (quality[0] == 'h')
        sense.view_quality = 1;
    else if (quality[0] == 'l')
        sense.view_quality = 0;
    switch (width[0] != '\0' ? width[1] : '\0') {
    case 'a': sense.view_width = 45; break;
    case 'i': sense.view_width = 180; break;
    case 'o': sense.view_width = 90; break;
    default: break;
    }
}

// How the referee's words change the play mode and the core's flags.
enum Stop_Rule { STOP_NEVER, STOP_ALWAYS, STOP_IF_THEIRS };
const int kKeepCatch = -1;

struct Referee_Rule {
    const char *base;            // the word without its side letter
    bool lettered;               // the word names a side: "..._l" or "..._r"
    int mode_ours, mode_theirs;
    int event_ours, event_theirs;    // by field side (left, right) when event_by_side
    bool event_by_side;
    Stop_Rule stop;
    bool set_play_by_letter;     // their_set_play when the letter is the opponents'
    bool marks_cycle;            // play_mode_cycle := cycle
    bool moves_home;
    int catch_ours, catch_theirs;
};

const Referee_Rule kRefereeRules[] = {
    {"before_kick_off", false, PM_BEFORE_KICK_OFF, PM_BEFORE_KICK_OFF, EV_NONE, EV_NONE, false,
     STOP_ALWAYS, false, false, false, kKeepCatch, kKeepCatch},
    {"corner_kick", true, PM_CORNER_KICK_OURS, PM_CORNER_KICK_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, true, false, kKeepCatch, kKeepCatch},
    {"free_kick", true, PM_FREE_KICK_OURS, PM_FREE_KICK_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, true, false, kKeepCatch, kKeepCatch},
    {"goal_kick", true, PM_GOAL_KICK_OURS, PM_GOAL_KICK_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, true, false, kKeepCatch, kKeepCatch},
    {"kick_in", true, PM_KICK_IN_OURS, PM_KICK_IN_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, true, false, kKeepCatch, kKeepCatch},
    // A kick-off ends any catch, so the ball can be put on the centre spot.
    {"kick_off", true, PM_KICK_OFF_OURS, PM_KICK_OFF_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, true, false, 0, 0},
    {"drop_ball", false, PM_STOPPED, PM_STOPPED, EV_DROP_BALL, EV_DROP_BALL, false,
     STOP_NEVER, false, false, false, kKeepCatch, kKeepCatch},
    {"play_on", false, PM_PLAY_ON, PM_PLAY_ON, EV_NONE, EV_NONE, false,
     STOP_NEVER, false, true, false, 0, 0},
    {"time_over", false, PM_TIME_OVER, PM_TIME_OVER, EV_NONE, EV_NONE, false,
     STOP_ALWAYS, false, false, false, kKeepCatch, kKeepCatch},
    {"foul", true, PM_STOPPED, PM_STOPPED, EV_FOUL_BY_US, EV_FOUL_BY_THEM, false,
     STOP_IF_THEIRS, false, false, false, kKeepCatch, kKeepCatch},
    {"goal", true, PM_STOPPED, PM_STOPPED, EV_GOAL_BY_US, EV_GOAL_BY_THEM, false,
     STOP_ALWAYS, true, false, true, kKeepCatch, kKeepCatch},
    {"half_time", false, PM_STOPPED, PM_STOPPED, EV_HALF_TIME, EV_HALF_TIME, false,
     STOP_ALWAYS, false, false, true, kKeepCatch, kKeepCatch},
    {"goalie_catch_ball", true, PM_KICK_OFF_OURS, PM_KICK_OFF_THEIRS, EV_NONE, EV_NONE, false,
     STOP_NEVER, true, false, false, 1, 2},
    {"offside", true, PM_STOPPED, PM_STOPPED, EV_OFFSIDE_LEFT, EV_OFFSIDE_RIGHT, true,
     STOP_IF_THEIRS, true, false, false, kKeepCatch, kKeepCatch},
    {"time_up", false, PM_STOPPED, PM_STOPPED, EV_TIME_UP, EV_TIME_UP, false,
     STOP_ALWAYS, false, false, false, kKeepCatch, kKeepCatch},
    {"time_up_without_a_team", false, PM_STOPPED, PM_STOPPED, EV_TIME_UP_WITHOUT_TEAM,
     EV_TIME_UP_WITHOUT_TEAM, false, STOP_ALWAYS, false, false, false, kKeepCatch, kKeepCatch},
};

// Splits a referee word into its base and the side letter it names (0 when
// none): "kick_off_l" gives "kick_off" and 'l'. A goal word is matched on its
// first six characters, so that the score behind it is allowed ("goal_l_1").
int split_referee_word(const char *word, char *base, size_t size) {
    if (strncmp(word, "goal_", 5) == 0 && (word[5] == 'l' || word[5] == 'r') &&
        (word[6] == '\0' || word[6] == '_')) {
        snprintf(base, size, "goal");
        return word[5];
    }
    const size_t n = strlen(word);
    if (n > 2 && word[n - 2] == '_' && (word[n - 1] == 'l' || word[n - 1] == 'r')) {
        snprintf(base, size, "%.*s", static_cast<int>(std::min<size_t>(n - 2, size)), word);
        return word[n - 1];
    }
    snprintf(base, size, "%s", word);
    return 0;
}

const Referee_Rule *find_referee_rule(const char *base, bool lettered) {
    for (const Referee_Rule &rule : kRefereeRules)
        if (rule.lettered == lettered && strcmp(rule.base, base) == 0)
            return &rule;
    return nullptr;
}

void apply_referee_rule(const Referee_Rule &rule, int letter) {
    Info &info = core->info;
    const bool ours = letter != 0 && letter == info.side;
    const bool theirs = letter != 0 && letter == info.their_side;
    if (rule.moves_home) {
        error_line("%s\n", "Moving to home");
        core->move_to_home();
    }
    info.last_event = info.event;
    info.play_mode = ours ? rule.mode_ours : rule.mode_theirs;
    if (rule.event_by_side)
        info.event = letter == 'l' ? rule.event_ours : rule.event_theirs;
    else
        info.event = ours ? rule.event_ours : rule.event_theirs;
    core->game_stopped = rule.stop == STOP_ALWAYS || (rule.stop == STOP_IF_THEIRS && theirs);
    core->their_set_play = rule.set_play_by_letter && theirs;
    if (rule.marks_cycle)
        core->play_mode_cycle = core->cycle;
    if (rule.catch_ours != kKeepCatch)
        core->catch_state = ours ? rule.catch_ours : rule.catch_theirs;
}

// The values of a heterogeneous player type, in the order of the player_type message.
float TConfig::*const kTypeFields[kPlayerTypeValues] = {
    &TConfig::player_speed_max, &TConfig::stamina_inc_max, &TConfig::player_decay,
    &TConfig::inertia_moment,   &TConfig::dash_power_rate, &TConfig::player_size,
    &TConfig::kickable_margin,  &TConfig::kick_rand,       &TConfig::extra_stamina,
    &TConfig::effort_max,       &TConfig::effort_min};

}  // namespace

// ---- token readers ----

int TParser::get_integer(char **cur) {
    char token[kTokenSize];
    copy_token(cur, token, sizeof token);
    step_over_delimiter(cur);
    const long value = strtol(token, nullptr, 10);
    return static_cast<int>(std::min<long>(std::max<long>(value, INT_MIN), INT_MAX));
}

float TParser::get_float(char **cur) {
    char token[kTokenSize];
    copy_token(cur, token, sizeof token);
    step_over_delimiter(cur);
    const double value = strtod(token, nullptr);
    if (std::isnan(value))
        return 0;
    return static_cast<float>(std::min<double>(std::max<double>(value, -FLT_MAX), FLT_MAX));
}

void TParser::get_string(char **cur, char *dst, size_t size) { copy_token(cur, dst, size); }

void TParser::get_string2(char **cur, char *dst, size_t size) {
    if (size == 0)
        return;
    const char *text = *cur;
    size_t n = strlen(text);
    while (n > 0 && is_one_of(text[n - 1], " \n\r"))
        --n;
    if (n > 0 && text[n - 1] == ')')
        --n;
    n = std::min(n, size - 1);
    memcpy(dst, text, n);
    dst[n] = '\0';
}

void TParser::normalize_team_name(char *name) {
    size_t n = strlen(name);
    if (n > 0 && name[n - 1] == '"')
        name[--n] = '\0';
    if (name[0] == '"')
        memmove(name, name + 1, n);
}

// ---- dispatch ----

void TParser::parse_message(char *msg) {
    core->info.message_kind = MK_NONE;
    if (!msg || strnlen(msg, 4) < 4)
        return;
    const bool long_enough = strnlen(msg, 9) == 9;
    switch (msg[3]) {
    case 'a':
        if (msg[1] == 'h')
            hear_fill(msg);
        else if (msg[1] == 'c')
            change_player_fill(msg);
        else if (long_enough && msg[8] == 't')
            player_type_fill(msg);
        else if (long_enough && msg[8] == 'p')
            player_param_fill(msg);
        break;
    case ' ':
        if (strncmp(msg, "(ok clang ", 10) == 0)
            core->clang_state = CLANG_ON;
        break;
    case 'r':
        if (msg[1] == 'e')
            error_fill(msg);
        break;
    case 'e': see_fill(msg); break;
    case 'i': init_fill(msg); break;
    case 'l': fullstate_fill(msg); break;
    case 'n': sense_fill(msg); break;
    default: break;
    }
}

// ---- see ----

void TParser::see_fill(char *msg) {
    Info &info = core->info;
    see_free(&info);
    info.see_cycle = core->real_cycle;
    core->last_see_msec = core->msec;
    info.message_kind = MK_SEE;
    char *cur = skip(msg, 5);
    info.see_time = get_integer(&cur);
    for (char *p = cur; *p != '\0';) {
        if (p[0] == '(' && p[1] == '(' && p[2] != '\0') {
            char *next = read_see_object(p, info.see);
            p = next > p ? next : p + 1;
        } else {
            ++p;
        }
    }
}

char *TParser::read_see_object(char *entry, See_Info &see) {
    switch (entry[2]) {
    case 'g': case 'G': return read_goal(entry, see);
    case 'l': return read_line(entry, see);
    case 'p': case 'P': return read_player(entry, see);
    case 'f': case 'F': return read_flag(entry, see);
    case 'b': case 'B': return read_ball(entry, see);
    default: return entry + 1;
    }
}

char *TParser::read_goal(char *entry, See_Info &see) {
    char *cur = values_of(entry);
    Seen_Goal *goal = &see.unknown_goal;
    if (entry[2] == 'g') {
        if (entry[3] != ' ' || !is_one_of(entry[4], "lr"))
            return cur;
        goal = &see.goals[entry[4] == core->info.side ? 0 : 1];
    }
    goal->seen = true;
    read_pair(&cur, &goal->dist, &goal->dir);
    return cur;
}

char *TParser::read_line(char *entry, See_Info &see) {
    char *cur = values_of(entry);
    if (entry[3] != ' ' || !is_one_of(entry[4], "lrtb") || see.line_count >= kMaxLines)
        return cur;
    Line_Info &line = see.lines[see.line_count++];
    const Line_Side side = static_cast<Line_Side>(entry[4]);
    line.side = core->info.side == 'r' ? -side : side;
    read_pair(&cur, &line.dist, &line.dir);
    return cur;
}

char *TParser::read_player(char *entry, See_Info &see) {
    char *cur = values_of(entry);
    if (see.player_count >= kMaxSeenPlayers)
        return cur;
    Seen_Player &player = see.players[see.player_count++];
    read_player_name(entry + 3, player);
    read_pair(&cur, &player.dist, &player.dir);
    if (goes_on(cur)) {
        read_pair(&cur, &player.dist_change, &player.dir_change);
        player.dist_change_known = player.dir_change_known = true;
        if (goes_on(cur)) {
            read_pair(&cur, &player.body_dir, &player.head_dir);
            player.body_dir_known = player.head_dir_known = true;
        }
    }
    return cur;
}

char *TParser::read_flag(char *entry, See_Info &see) {
    char *cur = values_of(entry);
    if (see.flag_count >= kMaxFlags)
        return cur;
    Flag_Info flag = flag_from_name(entry + 3);
    read_pair(&cur, &flag.dist, &flag.dir);
    see.flags[see.flag_count++] = core->info.side == 'r' ? -flag : flag;
    return cur;
}

char *TParser::read_ball(char *entry, See_Info &see) {
    char *cur = values_of(entry);
    read_pair(&cur, &see.ball_dist, &see.ball_dir);
    if (goes_on(cur)) {
        read_pair(&cur, &see.ball_dist_change, &see.ball_dir_change);
        see.ball_dist_change_known = see.ball_dir_change_known = true;
    }
    see.ball_seen = true;
    return cur;
}

void TParser::see_free(Info *info) {
    See_Info &see = info->see;
    for (int i = 0; i < bounded_count(see.flag_count, kMaxFlags); ++i)
        see.flags[i] = Flag_Info();
    for (int i = 0; i < bounded_count(see.line_count, kMaxLines); ++i)
        see.lines[i] = Line_Info();
    for (int i = 0; i < bounded_count(see.player_count, kMaxSeenPlayers); ++i)
        clear_player(see.players[i]);
    see.goals[0] = see.goals[1] = see.unknown_goal = Seen_Goal();
    clear_ball(see);
    see.flag_count = see.line_count = see.player_count = 0;
    info->see_cycle = -1;
}

// ---- fullstate ----

void TParser::fullstate_fill(char *msg) {
    Info &info = core->info;
    info.message_kind = MK_SEE;
    char *cur = skip(msg, 11);
    info.see_time = get_integer(&cur);
    info.see.fullstate_seen = true;
    see_free(&info);
    for (char *p = cur; *p != '\0'; ++p)
        if (*p == '(')
            read_fullstate_item(p + 1);
}

void TParser::read_fullstate_item(char *item) {
    if (char *cur = after_item(item, "vmode")) {
        read_view_mode(&cur, core->info.sense);
    } else if (char *cur = after_item(item, "pmode")) {
        char word[kTokenSize];
        get_string(&cur, word, sizeof word);
        referee_fill(word);
    } else if (char *cur = after_item(item, "ball")) {
        if (!core->world)
            return;
        TBall &ball = core->world->ball;
        ball.pos = read_team_point(&cur);
        ball.vel = read_team_point(&cur);
        ball.pos_chance = ball.vel_chance = 1.0f;
    } else if (is_one_of(item[0], "lr") && is_one_of(item[1], "_ ") &&
               isdigit(static_cast<unsigned char>(item[2]))) {
        read_fullstate_player(item);
    }
}

// "l_N x y vx vy body neck stamina effort recovery"; our own stamina, effort and
// recovery go to the sense record. Positions and the body direction are taken
// into our team's frame, as every other sensor record is.
void TParser::read_fullstate_player(char *item) {
    Info &info = core->info;
    char *cur = item + 2;
    const int unum = get_integer(&cur);
    if (!core->world || unum < 1 || unum > 11)
        return;
    const bool teammate = item[0] == info.side;
    TPlayer &player = (teammate ? core->world->teammates : core->world->opponents)[unum];
    player.pos = read_team_point(&cur);
    player.vel = read_team_point(&cur);
    player.pos_chance = player.vel_chance = 1.0f;
    player.body = get_normal_angle_deg(get_float(&cur) + (info.side == 'r' ? 180 : 0));
    player.neck = get_float(&cur);
    player.head = get_normal_angle_deg(player.body + player.neck);
    const int stamina = get_integer(&cur);
    const float effort = get_float(&cur);
    const float recovery = get_float(&cur);
    if (teammate && unum == info.unum) {
        info.sense.fullstate_int = stamina;
        info.sense.effort = effort;
        info.sense.fullstate_float = recovery;
    }
}

// ---- sense_body ----

void TParser::sense_fill(char *msg) {
    Info &info = core->info;
    info.message_kind = MK_SENSE;
    info.sense.cycle = core->real_cycle;
    char *cur = skip(msg, 12);
    info.sense.time = get_integer(&cur);
    for (char *p = cur; *p != '\0'; ++p)
        if (*p == '(')
            read_sense_item(p + 1, info.sense);
}

void TParser::read_sense_item(char *item, Sense_Info &sense) {
    struct Counter {
        const char *name;
        int Sense_Info::*field;
    };
    static const Counter kCounters[] = {
        {"kick", &Sense_Info::kick_count},   {"dash", &Sense_Info::dash_count},
        {"turn_neck", &Sense_Info::turn_neck_count}, {"say", &Sense_Info::say_count},
        {"turn", &Sense_Info::turn_count},   {"catch", &Sense_Info::catch_count},
        {"move", &Sense_Info::move_count},   {"change_view", &Sense_Info::change_view_count}};

    if (char *cur = after_item(item, "view_mode")) {
        read_view_mode(&cur, sense);
    } else if (char *cur = after_item(item, "stamina")) {
        sense.stamina = get_integer(&cur);
        sense.effort = get_float(&cur);
    } else if (char *cur = after_item(item, "speed")) {
        read_pair(&cur, &sense.speed, &sense.speed_dir);
    } else if (char *cur = after_item(item, "head_angle")) {
        sense.head_angle = get_float(&cur);
    } else {
        for (const Counter &counter : kCounters)
            if (char *cur = after_item(item, counter.name)) {
                sense.*counter.field = get_integer(&cur);
                return;
            }
    }
}

// ---- init ----

void TParser::init_fill(char *msg) {
    Info &info = core->info;
    info.message_kind = MK_INIT;
    char *cur = skip(msg, 6);
    if (*cur == 'l' || *cur == 'r') {
        info.side = *cur;
        info.their_side = *cur == 'l' ? 'r' : 'l';
    }
    cur = skip(cur, 2);
    const int unum = get_integer(&cur);
    if (unum >= 1 && unum <= 11)
        info.unum = unum;
    get_string(&cur, info.play_mode_text, sizeof info.play_mode_text);
    referee_fill(info.play_mode_text);
}

// ---- hear ----

void TParser::hear_fill(char *msg) {
    char *cur = skip(msg, 6);
    const int time = get_integer(&cur);
    switch (*cur) {
    case 'r': {
        char word[kTokenSize];
        cur = after_word(cur);
        get_string2(&cur, word, sizeof word);
        referee_fill(word);
        return;
    }
    case 's':
        store_heard(time, 's', 0, after_word(cur));
        return;
    case 'o':
        coach_heard(cur);
        return;
    default:
        break;
    }
    if (!starts_number(*cur)) {
        core->rerror("Hear message from an unknown sender dropped:", cur);
        return;
    }
    const float dir = get_float(&cur);
    store_heard(time, 0, dir, cur);
}

void TParser::store_heard(int time, int sender, float dir, char *text) {
    Info &info = core->info;
    const int index = info.hear_index + 1;
    if (index < 0 || index >= kMaxHear) {
        core->rerror("Too many messages heard in one cycle; dropped one of time", time);
        return;
    }
    info.hear_index = index;
    info.message_kind = MK_HEAR;
    Hear_Info &heard = info.hear[index];
    heard.time = time;
    heard.cycle = core->real_cycle;
    heard.sender = sender;
    heard.dir = dir;
    get_string2(&text, heard.text, sizeof heard.text);
}

// Our online coach's messages go to the coach-language parser; the other
// team's coach and quoted freeform texts (which the player ignores) do not.
// A number before the message, which the server may put there, is dropped.
void TParser::coach_heard(const char *sender) {
    core->rlog(20, "A coach message heared");
    const size_t length = strcspn(sender, " ");
    if (sender[1] != 'n' || length <= 13 || sender[13] == core->info.their_side)
        return;
    core->rlog(20, "Coachable->hearing standard message from coach.", sender);
    const char *text = sender + length;
    if (*text == ' ')
        ++text;
    if (*text == '"' || !c_parser)
        return;
    if (starts_number(*text)) {
        text += strcspn(text, " ");
        if (*text == ' ')
            ++text;
    }
    core->rlog(20, "Coachable->parsing stdmesg:", text);
    c_parser->parse_coach_message(text);
}

// ---- replies ----

// The server refused a command. An error while the coach language is asked
// for and not yet agreed is taken as its refusal (no advice of our coach will
// reach us); an agreement that comes later still counts.
void TParser::error_fill(char *msg) {
    core->rerror("The server refused a command:", msg);
    int asked = CLANG_ASKED;
    core->clang_state.compare_exchange_strong(asked, CLANG_REFUSED);
}

// ---- player types ----

void TParser::player_type_fill(char *msg) {
    char *cur = skip(msg, 13);
    const int id = get_integer(&cur);
    float values[kPlayerTypeValues] = {};
    int count = 0;
    while (count < kPlayerTypeValues && goes_on(cur))
        values[count++] = get_float(&cur);
    if (id < 0 || id >= core->player_type_count() || count < kPlayerTypeValues) {
        core->rlog(32, "Player type ignored:", id);
        return;
    }
    std::copy(values, values + kPlayerTypeValues, core->player_type_table[id]);
    core->player_type_known[id] = true;
}

void TParser::player_param_fill(char *msg) {
    static int TConfig::*const kIntegers[] = {&TConfig::player_types, &TConfig::subs_max,
                                              &TConfig::pt_max};
    static float TConfig::*const kFloats[] = {
        &TConfig::player_speed_max_delta_min, &TConfig::player_speed_max_delta_max,
        &TConfig::stamina_inc_max_delta_factor, &TConfig::player_decay_delta_min,
        &TConfig::player_decay_delta_max,     &TConfig::inertia_moment_delta_factor,
        &TConfig::dash_power_rate_delta_min,  &TConfig::dash_power_rate_delta_max,
        &TConfig::player_size_delta_factor,   &TConfig::kickable_margin_delta_min,
        &TConfig::kickable_margin_delta_max,  &TConfig::kick_rand_delta_factor,
        &TConfig::extra_stamina_delta_min,    &TConfig::extra_stamina_delta_max,
        &TConfig::effort_max_delta_factor,    &TConfig::effort_min_delta_factor};

    char *cur = skip(msg, 14);
    for (int TConfig::*field : kIntegers) {
        if (!goes_on(cur))
            return;
        core->*field = get_integer(&cur);
    }
    for (float TConfig::*field : kFloats) {
        if (!goes_on(cur))
            return;
        core->*field = get_float(&cur);
    }
}

// "(change_player_type UNUM TYPE)" changes a teammate; without a type it tells
// that an opponent changed, which we cannot follow.
void TParser::change_player_fill(char *msg) {
    core->rlog(32, "Changing player type:", msg);
    char *cur = skip(msg, 20);
    const int unum = get_integer(&cur);
    core->rlog(32, "Buffer is|%s|", cur);
    if (!goes_on(cur))
        return;
    core->rlog(32, "Yes it is teammate");
    const int type = get_integer(&cur);
    if (unum < 1 || unum > 11 || type < 0 || type >= core->player_type_count() ||
        !core->player_type_known[type]) {
        core->rlog(32, "Player type change out of range or to an unknown type:", unum, type);
        return;
    }
    const float *values = core->player_type_table[type];
    if (unum == core->info.unum) {
        core->rlog(32, "I am changing to type ", type);
        take_own_type(values);
    }
    if (core->world) {
        core->rlog(32, "Changing teammate uni:", unum);
        TPlayer &mate = core->world->teammates[unum];
        mate.type = type;
        mate.set_type_values(values, core->ball_size);
    }
}

// Our own type: its values replace the configuration's, and the kick distances
// that derive from the kickable area follow.
void TParser::take_own_type(const float values[]) {
    for (int i = 0; i < kPlayerTypeValues; ++i)
        core->*kTypeFields[i] = values[i];
    core->derive_values();
}

// ---- referee ----

void TParser::referee_fill(const char *word) {
    error_line("received %s\n", word);
    char base[kRefereeBaseSize];
    const int letter = split_referee_word(word, base, sizeof base);
    if (const Referee_Rule *rule = find_referee_rule(base, letter != 0))
        apply_referee_rule(*rule, letter);
    if (core->game_stopped && core->world)
        core->world->ball_exactly_stopped();
}
