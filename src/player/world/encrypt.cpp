// The team map message. Written:
//   ((TEAM)(UNUM)<tp(N X Y C)...><op(N X Y C)...><b(X Y C VX VY VC)>)
// and heard back with the server's quotes around it.

#include "player/world/encrypt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "player/agent/core.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"

namespace {

const int kMaxUnum = 11;
const float kSharedChance = 0.5f;       // entries at least this confident are told
const size_t kEmptyGroupLength = 4;     // "<tp>" or "<op>"
const size_t kReceivedTextSize = 532;   // a heard text is read up to this many characters
const size_t kEntrySize = 160;          // room for one entry's text
const double kMaxMagnitude = 1000;      // beyond any coordinate or speed on the field
const int kPlayerValues = 4;            // number, x, y, confidence
const int kBallValues = 6;              // x, y, confidence, vx, vy, velocity confidence

// A text in a bounded buffer: a piece that does not fit whole is refused and
// the text stays as it was.
class Bounded_Text {
public:
    Bounded_Text(char *text, size_t size) : text(text), size(size) { text[0] = '\0'; }

    // Appends piece when keep_free characters still fit after it.
    bool add(const char *piece, size_t keep_free = 0) {
        const size_t length = strlen(piece);
        if (used + length + keep_free >= size)
            return false;
        memcpy(text + used, piece, length + 1);
        used += length;
        return true;
    }

private:
    char *text = nullptr;
    size_t size = 0;
    size_t used = 0;
};

// Characters a map text may have: its buffer, and no more than the server
// passes on in a say.
size_t text_limit() {
    size_t limit = kMapTextSize - 1;
    if (core && core->say_msg_size > 0)
        limit = std::min(limit, static_cast<size_t>(core->say_msg_size));
    return limit;
}

bool starts_with(const char *text, const char *prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// Appends "<tag", the entries of the players 1..11 known at least moderately
// and ">". Entries stop where one would not leave reserve characters free
// after the group.
void add_group(Bounded_Text &message, const char *tag, const TPlayer *players, size_t reserve) {
    char piece[kEntrySize];
    snprintf(piece, sizeof piece, "<%s", tag);
    message.add(piece);
    for (int unum = 1; unum <= kMaxUnum; ++unum) {
        const TPlayer &player = players[unum];
        if (player.pos_chance < kSharedChance)
            continue;
        snprintf(piece, sizeof piece, "(%d %.1f %.1f %.1f)", unum, static_cast<float>(player.pos.X),
                 static_cast<float>(player.pos.Y), player.pos_chance);
        if (!message.add(piece, reserve + 1))
            break;
    }
    message.add(">");
}

// The ')' that closes the entry opening at open, or nullptr when the text ends,
// or another entry or the group's end begins, before it.
const char *entry_close(const char *open) {
    const char *close = strpbrk(open + 1, ")(>");
    return close && *close == ')' ? close : nullptr;
}

// One number of an entry: the whole token must be a finite number of a size
// that can occur on the field.
bool read_value(char **cur, double *value) {
    while (**cur == ' ')
        ++*cur;
    char token[kEntrySize];
    TParser::get_string(cur, token, sizeof token);
    char *end = nullptr;
    *value = strtod(token, &end);
    return end != token && *end == '\0' && std::isfinite(*value) && std::fabs(*value) <= kMaxMagnitude;
}

// Reads exactly count numbers from the entry between open and close; false
// when one is missing, malformed or refused, or more follow.
bool read_entry(const char *open, const char *close, double *values, int count) {
    char entry[kEntrySize];
    const size_t length = static_cast<size_t>(close - open - 1);
    if (length >= sizeof entry)
        return false;
    memcpy(entry, open + 1, length);
    entry[length] = '\0';
    char *cur = entry;
    for (int i = 0; i < count; ++i)
        if (!read_value(&cur, &values[i]))
            return false;
    while (*cur == ' ')
        ++cur;
    return *cur == '\0';
}

bool is_unum(double value) { return value >= 1 && value <= kMaxUnum && value == std::floor(value); }

bool is_chance(double value) { return value >= 0 && value <= 1; }

// A received estimate replaces the stored one when it is more confident, or
// as confident and observed from nearer.
bool received_wins(float stored_chance, float stored_dist, float chance, float dist) {
    return stored_chance < chance || (stored_chance == chance && dist < stored_dist);
}

// The sender's number from the "(N)" group at cur; 0 when there is none valid.
int read_sender(const char *cur) {
    const char *close = *cur == '(' ? entry_close(cur) : nullptr;
    double unum = 0;
    if (!close || !read_entry(cur, close, &unum, 1) || !is_unum(unum))
        return 0;
    return static_cast<int>(unum);
}

}  // namespace

TMap_Encrypt::TMap_Encrypt(TPlayer *teammates, TPlayer *opponents, TBall *ball, const char *team_name)
    : teammates(teammates), opponents(opponents), ball(ball) {
    snprintf(this->team_name, sizeof this->team_name, "%s", team_name ? team_name : "");
}

bool TMap_Encrypt::get_map_string(char *text, int unum) const {
    char head[kTeamNameSize + 32];
    snprintf(head, sizeof head, "((%s)(%d)", team_name, unum);
    char ball_group[kMapTextSize];
    get_ball_string(ball_group, sizeof ball_group);
    const size_t op_reserve = strlen(ball_group) + 1;   // the ball group and the closing ')'
    const size_t tp_reserve = op_reserve + kEmptyGroupLength;
    Bounded_Text message(text, text_limit() + 1);
    if (!message.add(head, tp_reserve + kEmptyGroupLength))
        return false;
    add_group(message, "tp", teammates, tp_reserve);
    add_group(message, "op", opponents, op_reserve);
    message.add(ball_group);
    message.add(")");
    return true;
}

void TMap_Encrypt::get_ball_string(char *text, size_t size) const {
    snprintf(text, size, "<b(%.1f %.1f %.1f %.1f %.1f %.1f)>", static_cast<float>(ball->pos.X),
             static_cast<float>(ball->pos.Y), ball->pos_chance, static_cast<float>(ball->vel.X),
             static_cast<float>(ball->vel.Y), ball->vel_chance);
}

bool TMap_Encrypt::is_map_string(const char *text) const {
    char head[kTeamNameSize + 8];
    const int length = snprintf(head, sizeof head, "\"((%s)", team_name);
    return text && length > 0 && strncmp(text, head, static_cast<size_t>(length)) == 0;
}

void TMap_Encrypt::fill_received_map(const char *text) {
    if (!is_map_string(text))
        return;
    char copy[kReceivedTextSize];
    snprintf(copy, sizeof copy, "%s", text);
    const char *cur = copy + strlen("\"(()") + strlen(team_name);
    const int sender = read_sender(cur);
    if (sender == 0)
        return;
    const TPoint from = teammates[sender].pos;
    while (*cur != '\0') {
        if (starts_with(cur, "<tp"))
            cur = merge_group(cur + 3, teammates, from);
        else if (starts_with(cur, "<op"))
            cur = merge_group(cur + 3, opponents, from);
        else if (starts_with(cur, "<b"))
            cur = merge_ball(cur + 2, from);
        else
            ++cur;
    }
}

// Merges the entries of one group up to its '>'; an entry cut short or with a
// refused number is passed over. Returns where the group ends.
const char *TMap_Encrypt::merge_group(const char *cur, TPlayer *players, TPoint sender) {
    while (*cur != '\0' && *cur != '>') {
        const char *close = *cur == '(' ? entry_close(cur) : nullptr;
        if (!close) {
            ++cur;
            continue;
        }
        double entry[kPlayerValues];
        if (read_entry(cur, close, entry, kPlayerValues))
            merge_player(players, entry, sender);
        cur = close + 1;
    }
    return cur;
}

void TMap_Encrypt::merge_player(TPlayer *players, const double *entry, TPoint sender) {
    if (!is_unum(entry[0]) || !is_chance(entry[3]))
        return;
    TPlayer &player = players[static_cast<int>(entry[0])];
    const TPoint pos(entry[1], entry[2]);
    const float chance = static_cast<float>(entry[3]);
    const float dist = static_cast<float>(sender.dist(pos));
    if (!received_wins(player.pos_chance, player.source_dist, chance, dist))
        return;
    player.pos = pos;
    player.pos_chance = chance;
    player.source_dist = dist;
}

// Merges the ball group "(X Y C VX VY VC)" at cur: position and velocity each
// on its own confidence. Returns where the group ends.
const char *TMap_Encrypt::merge_ball(const char *cur, TPoint sender) {
    const char *close = *cur == '(' ? entry_close(cur) : nullptr;
    double values[kBallValues];
    if (!close || !read_entry(cur, close, values, kBallValues))
        return cur;
    if (!is_chance(values[2]) || !is_chance(values[5]))
        return close + 1;
    const TPoint pos(values[0], values[1]);
    const float dist = static_cast<float>(sender.dist(pos));
    const float pos_chance = static_cast<float>(values[2]);
    const float vel_chance = static_cast<float>(values[5]);
    if (received_wins(ball->pos_chance, ball->source_dist, pos_chance, dist)) {
        ball->pos = pos;
        ball->pos_chance = pos_chance;
    }
    if (received_wins(ball->vel_chance, ball->source_dist, vel_chance, dist)) {
        ball->vel = TPoint(values[3], values[4]);
        ball->vel_chance = vel_chance;
    }
    return close + 1;
}
