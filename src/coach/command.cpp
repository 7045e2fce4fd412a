// The coach's server commands: each is formatted and sent at once.
#include "coach/core.h"

#include "common/transfer.h"

#include <cstdarg>
#include <cstdio>

static const char *const kModeNames[] = {
    "before_kick_off", "corner_kick_l", "corner_kick_r", "free_kick_l", "free_kick_r",
    "goal_kick_l",     "goal_kick_r",   "kick_in_l",     "kick_in_r",   "kick_off_l",
    "kick_off_r",      "play_on",       "time_over",
};
static const int kModeNameCount = sizeof kModeNames / sizeof kModeNames[0];

// A command that does not fit the protocol buffer is not sent at all: a cut
// one would be a different command.
int TCore::send_formatted(const char *format, ...) {
    char command[kCoachTextSize];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(command, sizeof command, format, args);
    va_end(args);
    if (length < 0 || length >= static_cast<int>(sizeof command))
        return -1;
    return send_command(command);
}

int TCore::send_command(const char *command) { return link ? link->send_message(command) : -1; }

int TCore::switch_eye(Eye_Status status) {
    return send_formatted("(eye %s)", status == ES_ON ? "on" : "off");
}

int TCore::say(const char *message) {
    char command[kCoachTextSize];
    const int length = snprintf(command, sizeof command, "(say %s)", message);
    if (length < 0 || length >= static_cast<int>(sizeof command))
        return -1;
    rlog("Saying:", command);
    const int result = send_command(command);
    rlog("End Say");
    return result;
}

int TCore::check_ball() { return send_formatted("(check_ball)"); }

int TCore::look() { return send_formatted("(look)"); }

int TCore::change_player_type(int unum, int type) {
    return send_formatted("(change_player_type %d %d)", unum, type);
}

int TCore::move_ball(float x, float y) { return send_formatted("(move (ball) %.2f %.2f)", x, y); }

int TCore::move_ball(float x, float y, float dir) {
    return send_formatted("(move (ball) %.2f %.2f %.2f)", x, y, dir);
}

int TCore::move_ball(float x, float y, float dir, float vx, float vy) {
    return send_formatted("(move (ball) %.2f %.2f %.2f %.2f %.2f)", x, y, dir, vx, vy);
}

// The team name as last seen: ours for TV_OUR, the opponents' for TV_OPP.
const char *TCore::team_of(Team_Value team) const {
    if (!inf)
        return "";
    return team == TV_OUR ? inf->our_team_name : inf->their_team_name;
}

int TCore::move_player(Team_Value team, int unum, float x, float y) {
    return send_formatted("(move (player %s %d) %.2f %.2f)", team_of(team), unum, x, y);
}

int TCore::move_player(Team_Value team, int unum, float x, float y, float dir) {
    return send_formatted("(move (player %s %d) %.2f %.2f %.2f)", team_of(team), unum, x, y, dir);
}

int TCore::move_player(Team_Value team, int unum, float x, float y, float dir, float vx, float vy) {
    return send_formatted("(move (player %s %d) %.2f %.2f %.2f %.2f %.2f)", team_of(team), unum, x, y,
                          dir, vx, vy);
}

// Only the modes with a name can be asked for; stopped and anything beyond send nothing.
int TCore::change_mode(Play_Mode mode) {
    const int index = static_cast<int>(mode);
    if (index < 0 || index >= kModeNameCount)
        return -1;
    return send_formatted("(change_mode %s)", kModeNames[index]);
}
