#include "player/world/world.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "common/utils.h"
#include "player/agent/core.h"
#include "player/world/encrypt.h"
#include "player/runtime/client.h"
#include "player/runtime/parser.h"

namespace {

const double kDegToRad = kPi / 180;
const double kRadToDeg = 180 / kPi;
const int kKicks = 4;                  // entries of the core's kick history
const int kMaxRollCycles = 100;        // a motion has died out long before; longer gaps are jumped
const int kMaxUnnumbered = 10;         // slots 12..21 of a team
const float kSeenChance = 0.81f;       // an estimate this sure counts as touching or seen lately
const float kHolderMargin = 0.035f;    // a holder has the ball this far inside its kickable area

// Field landmarks, metres.
const double kHalfLength = 52.5, kHalfWidth = 34, kOuterX = 57.5, kOuterY = 39;
const double kPenaltyX = 36, kPenaltyY = 20.16;

TPoint polar_deg(double r, double deg) {
    TPoint p;
    p.insert_polar(r, deg * kDegToRad);
    return p;
}

// v shortened to length max when longer.
TPoint capped(TPoint v, double max) {
    const double speed = v.abs();
    return speed > max ? v * (max / speed) : v;
}

// The distance from a to b as a float; beyond the float range it reads as the largest float.
float float_dist(TPoint a, TPoint b) { return static_cast<float>(std::min<double>(a.dist(b), kNoAnswer)); }

int bounded_count(int count, int max) { return std::min(std::max(count, 0), max); }

long long gap(int from, int to) { return static_cast<long long>(to) - from; }

// The cycles of a gap that are worked through one by one.
int rolled_steps(long long g) { return g <= 0 ? 0 : static_cast<int>(std::min<long long>(g, kMaxRollCycles)); }

int clamp_to_int(long long v) { return static_cast<int>(std::min<long long>(std::max<long long>(v, INT_MIN), INT_MAX)); }

// 1 + decay + ... + decay^(n-1): how far a unit velocity carries in n cycles.
double decay_sum(double decay, long long n) {
    return decay == 1 ? static_cast<double>(n) : (std::pow(decay, static_cast<double>(n)) - 1) / (decay - 1);
}

// Index of the first kick of the history sent at cycle c or later; the newest when none of the others is.
int first_kick_since(int c) {
    for (int k = 0; k < kKicks - 1; ++k)
        if (core->kick_history[k].cycle >= c)
            return k;
    return kKicks - 1;
}

// vel decayed from cycle `from` up to `to`, with the effect of every kick from
// kick_history[first_kick] on added in the cycle it was sent (kKicks: none).
TPoint rolled_velocity(TPoint vel, int from, int to, int first_kick, float decay) {
    int k = first_kick;
    const int steps = rolled_steps(gap(from, to));
    for (int i = 0; i < steps; ++i) {
        if (k < kKicks && core->kick_history[k].cycle == from + i)
            vel += core->kick_history[k++].acceleration;
        vel *= decay;
    }
    return vel;
}

// Moves pos by vel and decays vel once per cycle from pos_cycle up to `to`;
// both stamps move by the whole gap.
void roll_motion(TPoint &pos, TPoint &vel, int &pos_cycle, int &vel_cycle, int to, float decay) {
    const long long g = gap(pos_cycle, to);
    for (int i = rolled_steps(g); i > 0; --i) {
        pos += vel;
        vel *= decay;
    }
    if (g > 0) {
        pos_cycle = to;
        vel_cycle = clamp_to_int(vel_cycle + g);
    }
}

bool kick_sent_last_cycle() { return core->an_action_sent() && core->last_body_com.type == BC_KICK; }

// The velocity that a seen object's distance and direction changes give:
// relative to my head, turned into the field, plus my own velocity, at most
// the ball's top speed.
TPoint velocity_from_changes(const TPlayer &me, float dist, float dir, float dist_change, float dir_change) {
    const TPoint u = polar_deg(1, dir);
    const double w = dir_change * kDegToRad;
    TPoint v(dist_change * u.X - dist * w * u.Y, dist * w * u.X + dist_change * u.Y);
    v.rotate(me.head * kDegToRad);
    return capped(v + me.vel, core->ball_speed_max);
}

Flag_Info landmark_marks(Flag_Side side, Flag_Vert_Pos vert, int kind = 0, int line = 0, int mark = -1) {
    Flag_Info f;
    f.side = side;
    f.vert_pos = vert;
    f.kind = kind;
    f.line = line;
    f.mark = mark;
    return f;
}

double side_sign(Flag_Side s) { return s == FLAG_SIDE_LEFT ? -1 : s == FLAG_SIDE_RIGHT ? 1 : 0; }
double vert_sign(Flag_Vert_Pos v) { return v == FLAG_VERT_TOP ? -1 : v == FLAG_VERT_BOTTOM ? 1 : 0; }

// The landmark's name as the server writes it: "(flag t l 10)", "(goal r)".
void landmark_text(const Flag_Info &m, char *text, size_t size) {
    const bool goal = m.kind == 'g' && m.vert_pos == FLAG_VERT_NONE;
    std::string name = goal ? "(goal" : "(flag";
    auto add = [&name](int letter) {
        if (letter != 0) {
            name += ' ';
            name += static_cast<char>(letter);
        }
    };
    if (m.line == 'h') {
        add(m.vert_pos);
        add(m.side);
    } else {
        if (!goal)
            add(m.kind);
        add(m.side);
        add(m.vert_pos);
    }
    if (m.mark >= 0)
        name += " " + std::to_string(m.mark);
    snprintf(text, size, "%s)", name.c_str());
}

// Why a seen flag's marks name no landmark.
const char *flag_marks_fault(const Flag_Info &f) {
    if (f.side != FLAG_SIDE_NONE && f.side != FLAG_SIDE_CENTER && f.side != FLAG_SIDE_LEFT && f.side != FLAG_SIDE_RIGHT)
        return "illegal flag side!";
    if (f.vert_pos != FLAG_VERT_NONE && f.vert_pos != FLAG_VERT_CENTER && f.vert_pos != FLAG_VERT_TOP &&
        f.vert_pos != FLAG_VERT_BOTTOM)
        return "illegal flag vertical pos!";
    if (f.kind != 0 && f.kind != 'g' && f.kind != 'p')
        return "illegal flag extended!";
    if (f.line == 'h')
        return "unknown horizonatal flag!";
    return "unknown vertical flag!";
}

const char kNoTeam[] = "";

}  // namespace

void TPlayer::set_type_values(const float v[11], float ball_size) {
    player_speed_max = v[0];
    stamina_inc_max = v[1];
    player_decay = v[2];
    inertia_moment = v[3];
    dash_power_rate = v[4];
    player_size = v[5];
    kickable_margin = v[6];
    kick_rand = v[7];
    extra_stamina = v[8];
    effort_max = v[9];
    effort_min = v[10];
    kickable_area = player_size + ball_size + kickable_margin;
}

TWorld_Model::TWorld_Model() {
    const float own[11] = {core->player_speed_max, core->stamina_inc_max, core->player_decay,
                           core->inertia_moment,   core->dash_power_rate, core->player_size,
                           core->kickable_margin,  core->kick_rand,       core->extra_stamina,
                           core->effort_max,       core->effort_min};
    for (int u = 1; u <= 11; ++u) {
        teammates[u].set_type_values(own, core->ball_size);
        opponents[u].set_type_values(own, core->ball_size);
    }
    std::fill(head_history, head_history + kHeadHistory, kNoAnswer);
    fill_flag_table();
}

void TWorld_Model::fill_flag_table() {
    const Flag_Side sides[] = {FLAG_SIDE_LEFT, FLAG_SIDE_RIGHT};
    const Flag_Vert_Pos ends[] = {FLAG_VERT_TOP, FLAG_VERT_BOTTOM};
    const Flag_Vert_Pos penalty[] = {FLAG_VERT_TOP, FLAG_VERT_CENTER, FLAG_VERT_BOTTOM};
    const double half_goal = core->goal_width / 2;
    int n = 0;
    auto add = [this, &n](const Flag_Info &marks, double x, double y) {
        if (n >= kFlagCount)
            return;
        TFlag &f = flags[n++];
        f.marks = marks;
        f.pos = TPoint(x, y);
        landmark_text(marks, f.text, sizeof f.text);
    };
    add(landmark_marks(FLAG_SIDE_CENTER, FLAG_VERT_NONE), 0, 0);
    for (Flag_Vert_Pos v : ends)
        add(landmark_marks(FLAG_SIDE_CENTER, v), 0, vert_sign(v) * kHalfWidth);
    for (Flag_Side s : sides) {
        const double sx = side_sign(s);
        add(landmark_marks(s, FLAG_VERT_NONE, 'g'), sx * kHalfLength, 0);
        add(landmark_marks(s, FLAG_VERT_NONE, 0, 'v', 0), sx * kOuterX, 0);
        for (Flag_Vert_Pos v : penalty)
            add(landmark_marks(s, v, 'p'), sx * kPenaltyX, vert_sign(v) * kPenaltyY);
        for (Flag_Vert_Pos v : ends) {
            add(landmark_marks(s, v), sx * kHalfLength, vert_sign(v) * kHalfWidth);
            add(landmark_marks(s, v, 'g'), sx * kHalfLength, vert_sign(v) * half_goal);
            for (int m = 10; m <= 30; m += 10)
                add(landmark_marks(s, v, 0, 'v', m), sx * kOuterX, vert_sign(v) * m);
        }
    }
    for (Flag_Vert_Pos v : ends) {
        add(landmark_marks(FLAG_SIDE_NONE, v, 0, 'h', 0), 0, vert_sign(v) * kOuterY);
        for (Flag_Side s : sides)
            for (int m = 10; m <= 50; m += 10)
                add(landmark_marks(s, v, 0, 'h', m), side_sign(s) * m, vert_sign(v) * kOuterY);
    }
}

// ---- the per-cycle update ----

void TWorld_Model::update() {
    Info &snapshot = core->info_snapshot;
    const int now = core->real_cycle;
    if (snapshot.see_cycle == now)
        return;
    ++update_count;
    ball_kickable = core->ball_is_kickable();
    merge_heard_maps();

    core->info_snapshot = core->info;
    core->info.hear_index = -1;
    snapshot.hear_index = -1;

    if (++snapshot.sense.cycle != now)
        core->rerror("World_Model::update --> this cycle we haven't sense body.");
    if (snapshot.see_cycle != now)
        ++snapshot.see_cycle;
    parser->see_free(&core->info);

    if (exactly_stopped) {
        ball.vel = TPoint(0, 0);
        ball.vel_chance = 1.0f;
        exactly_stopped = false;
    }
    set_flags_info();
    if (me)
        set_positions();
    update_recovery();
    if (me) {
        update_head_history();
        count_collisions();
        find_ball_holder();
    }
    if (me)
        note_fastest_player();
    place_kick_off_ball();
    if (core->game_stopped)
        ball.vel = TPoint(0, 0);
    if (me)
        tell_map();
}

namespace {

// When a player tells its map: the ball in a zone, on some cycles, by post.
struct Map_Say_Rule {
    int post;                                  // -1: every post
    bool (*ball_in)(TPoint ball);
    int mod, rest;                             // cycle % mod == rest
    int known_teammate;                        // says only while this teammate is known; 0: always
    bool (*post_says)(int post, TPoint ball);  // for the rules of every post
};

const Map_Say_Rule kMapSayRules[] = {
    {-1, [](TPoint b) { return b.X > 32 && std::fabs(b.Y) > 20; }, 6, 1, 0,
     [](int post, TPoint) { return post == 13 || post == 14; }},
    {-1, [](TPoint b) { return b.X > 32 && std::fabs(b.Y) < 20; }, 6, 1, 0,
     [](int post, TPoint b) { return (post == 18 && b.Y >= 0) || (post == 17 && b.Y < 0); }},
    {4, [](TPoint b) { return b.Y > 20; }, 4, 3, 0, nullptr},
    {4, [](TPoint b) { return b.X > 20 && b.Y > -20; }, 4, 3, 0, nullptr},
    {4, [](TPoint b) { return b.X > -20 && b.Y > -20; }, 4, 3, 11, nullptr},
    {3, [](TPoint b) { return b.Y < -20; }, 4, 1, 0, nullptr},
    {3, [](TPoint b) { return b.X > 20 && b.Y < 20; }, 4, 1, 0, nullptr},
    {3, [](TPoint b) { return b.X > -20 && b.Y < 20; }, 4, 1, 10, nullptr},
    {17, [](TPoint b) { return b.Y < -20; }, 4, 3, 0, nullptr},
    {17, [](TPoint b) { return b.X < -20 && b.Y < 20; }, 4, 3, 0, nullptr},
    {17, [](TPoint b) { return b.X < 20 && b.Y < 20; }, 4, 1, 2, nullptr},
    {18, [](TPoint b) { return b.Y > 20; }, 4, 1, 0, nullptr},
    {18, [](TPoint b) { return b.X < -20 && b.Y > -20; }, 4, 1, 0, nullptr},
    {18, [](TPoint b) { return b.X < 20 && b.Y > -20; }, 4, 3, 5, nullptr},
};

}  // namespace

// A teammate near a fast ball hears the map at once; otherwise each post tells
// it on the cycles and ball zones where its neighbours need it.
void TWorld_Model::tell_map() {
    if (!core->map_encoder)
        return;
    char text[kMapTextSize];
    if (!core->map_encoder->get_map_string(text, core->info_snapshot.unum))
        return;
    core->rlog(30, "for sending map, vel_chance of ball is ", ball.vel_chance);

    const int fastest = fastest_teammate_to_ball();
    teammate_best_point_to_ball(fastest, 30);
    if (fastest != core->info_snapshot.unum && ball_dist_from_body() < 6.0f &&
        ball.vel_chance == 1.0f && ball.vel.abs() > 1.3) {
        core->say_map_now();
        return;
    }
    if (!ball.know_pos())
        return;
    const int post = core->my_post();
    const int cycle = core->cycle;
    for (const Map_Say_Rule &rule : kMapSayRules) {
        if ((rule.post != -1 && rule.post != post) || !rule.ball_in(ball.pos) || cycle % rule.mod != rule.rest)
            continue;
        const bool says = rule.post_says ? rule.post_says(post, ball.pos)
                                         : rule.known_teammate == 0 || teammates[rule.known_teammate].know_pos();
        if (says)
            core->say(text);
        return;
    }
}

// Teammates' map messages of this and the last cycle; my own says are skipped.
void TWorld_Model::merge_heard_maps() {
    const Info &heard = core->info;
    const int now = core->real_cycle;
    const int last = std::min(heard.hear_index, kMaxHear - 1);
    for (int i = 0; i <= last && core->map_encoder; ++i) {
        const Hear_Info &h = heard.hear[i];
        if ((h.cycle == now || h.cycle == now - 1) && h.sender != 's' &&
            core->map_encoder->is_map_string(h.text)) {
            core->rlog(30, "map message received, calling encryptor.");
            core->map_encoder->fill_received_map(h.text);
        }
    }
}

void TWorld_Model::note_fastest_player() {
    int number = 0;
    bool is_teammate = false;
    fastest_player_to_ball(&number, &is_teammate);
    core->rlog(30, is_teammate ? "+++fastest is teammate" : "---fastest is opponent", number);
}

void TWorld_Model::update_recovery() {
    if (recovery_cycle == core->real_cycle)
        return;
    recovery_cycle = core->real_cycle;
    if (core->my_stamina() <= core->recover_dec_stamina && recovery > core->recover_min)
        recovery -= core->recover_dec;
}

void TWorld_Model::update_head_history() {
    std::copy_backward(head_history, head_history + kHeadHistory - 1, head_history + kHeadHistory);
    head_history[0] = me->head;
    core->rlog(40, "setting head_history[0] to ", me->head);
}

void TWorld_Model::count_collisions() {
    const double reach = 2 * core->player_size + 0.1;
    auto touches = [this, reach](const TPlayer &p) {
        return &p != me && p.pos_chance >= kSeenChance && p.pos.dist(me->pos) <= reach;
    };
    bool near = false;
    for (int u = 1; u <= 11; ++u)
        near = near || touches(teammates[u]) || touches(opponents[u]);
    cycles_in_collision = near ? cycles_in_collision + 1 : 0;
}

// The most advanced teammate that surely has the ball at its feet; me when none has.
void TWorld_Model::find_ball_holder() {
    core->ball_holder = core->info_snapshot.unum;
    double best_x = -60;
    for (int u = 1; u <= 11; ++u) {
        const TPlayer &p = teammates[u];
        if (p.pos_chance >= 1.0f && p.pos.dist(ball.pos) <= p.kickable_area - kHolderMargin && p.pos.X > best_x) {
            best_x = p.pos.X;
            core->ball_holder = u;
        }
    }
}

// A kick-off starts from the centre spot. A goalkeeper's catch shares the
// play-mode codes; it leaves the catch state set, a kick-off does not.
void TWorld_Model::place_kick_off_ball() {
    const int mode = core->info_snapshot.play_mode;
    if ((mode == PM_KICK_OFF_OURS || mode == PM_KICK_OFF_THEIRS) && core->catch_state == 0) {
        ball.pos = TPoint(0, 0);
        ball.pos_chance = 1.0f;
    }
}

// ---- self-localisation ----

int TWorld_Model::find_flag(const Flag_Info &marks) const {
    for (int i = 0; i < kFlagCount; ++i)
        if (is_equal_flag(flags[i].marks, marks))
            return i;
    return -1;
}

bool TWorld_Model::is_equal_flag(const Flag_Info &a, const Flag_Info &b) {
    return a.side == b.side && a.vert_pos == b.vert_pos && a.kind == b.kind && a.line == b.line && a.mark == b.mark;
}

bool TWorld_Model::fill_flag(Flag_Info *flag, const Flag_Info &marks) const {
    const int k = find_flag(marks);
    *flag = marks;
    if (k < 0)
        return false;
    flag->pos = flags[k].pos;
    return true;
}

// The snapshot's seen flag of that index, or none.
static Flag_Info *seen_flag(int index) {
    See_Info &see = core->info_snapshot.see;
    return index >= 0 && index < bounded_count(see.flag_count, kMaxFlags) ? &see.flags[index] : nullptr;
}

bool TWorld_Model::fill_flag(Flag_Info *flag, int index) const {
    const Flag_Info *seen = seen_flag(index);
    return seen && fill_flag(flag, *seen);
}

bool TWorld_Model::fill_flag(int index) {
    Flag_Info *seen = seen_flag(index);
    return seen && fill_flag(seen);
}

void TWorld_Model::set_flags_info() {
    for (TFlag &f : flags)
        f.seen = false;
    const See_Info &see = core->info_snapshot.see;
    // The last flag of the record is left unmarked.
    const int count = bounded_count(see.flag_count, kMaxFlags) - 1;
    for (int i = 0; i < count; ++i) {
        const int k = find_flag(see.flags[i]);
        if (k < 0) {
            core->rerror(flag_marks_fault(see.flags[i]));
            continue;
        }
        flags[k].seen = true;
        flags[k].seen_flag = see.flags[i];
    }
}

int TWorld_Model::get_desired_line() const {
    const See_Info &see = core->info_snapshot.see;
    int best = -1;
    float best_dist = -1.0f;
    for (int i = 0; i < bounded_count(see.line_count, kMaxLines); ++i)
        if (see.lines[i].dist > best_dist) {
            best_dist = see.lines[i].dist;
            best = i;
        }
    return best;
}

bool TWorld_Model::fill_line_info(int index, TLine *line) const {
    const See_Info &see = core->info_snapshot.see;
    if (index < 0 || index >= bounded_count(see.line_count, kMaxLines))
        return false;
    switch (see.lines[index].side) {
    case LINE_LEFT: line->insert(1, 0, kHalfLength); break;
    case LINE_RIGHT: line->insert(1, 0, -kHalfLength); break;
    case LINE_TOP: line->insert(0, 1, kHalfWidth); break;
    case LINE_BOTTOM: line->insert(0, 1, -kHalfWidth); break;
    default: return false;
    }
    line->set_width(1.0);
    return true;
}

int TWorld_Model::get_flags(Flag_Info *first, Flag_Info *second, const Flag_Info &excluded) const {
    const See_Info &see = core->info_snapshot.see;
    const int count = bounded_count(see.flag_count, kMaxFlags);
    int best_i = -1, best_j = -1;
    float best = kNoAnswer;
    for (int i = 0; i < count; ++i) {
        if (is_equal_flag(see.flags[i], excluded))
            continue;
        for (int j = i + 1; j < count; ++j) {
            if (is_equal_flag(see.flags[j], excluded) || is_equal_flag(see.flags[i], see.flags[j]))
                continue;
            const float off = std::fabs(90 - std::fabs(see.flags[i].dir - see.flags[j].dir));
            if (off < best) {
                best = off;
                best_i = i;
                best_j = j;
            }
        }
    }
    if (best_i < 0)
        return -1;
    fill_flag(first, best_i);
    fill_flag(second, best_j);
    return 0;
}

// My absolute head direction from seen line index: the field line turned by
// the seen direction, the half-turn chosen so that I stand inside the field.
float TWorld_Model::head_from_line(int index) const {
    TLine line;
    if (!fill_line_info(index, &line))
        return me->head;
    const Line_Info &seen = core->info_snapshot.see.lines[index];
    line.rotate(-seen.dir * kDegToRad);
    double a = line.ang();
    switch (seen.side) {
    case LINE_LEFT:
        if (a > -kPi / 2 && a < kPi / 2)
            a += kPi;
        break;
    case LINE_BOTTOM:
        if (a < 0) a += kPi;
        if (a > kPi) a -= kPi;
        break;
    case LINE_RIGHT:
        if (a < -kPi / 2) a += kPi;
        if (a > kPi / 2) a -= kPi;
        break;
    default:   // top
        if (a > 0) a -= kPi;
        if (a < -kPi) a += kPi;
        break;
    }
    if (a < -kPi) a += 2 * kPi;
    if (a > kPi) a -= 2 * kPi;
    return static_cast<float>(a * kRadToDeg);
}

// The nearest seen flag that names a landmark (the last of the record included); -1 when none.
int TWorld_Model::nearest_identified_flag() const {
    const See_Info &see = core->info_snapshot.see;
    int best = -1;
    for (int i = 0; i < bounded_count(see.flag_count, kMaxFlags); ++i)
        if (find_flag(see.flags[i]) >= 0 && (best < 0 || see.flags[i].dist < see.flags[best].dist))
            best = i;
    return best;
}

void TWorld_Model::set_my_position_with_see() {
    const Info &snapshot = core->info_snapshot;
    if (!new_sight())
        core->rerror("set_my_position_with_see : see is not new!");
    const int line = get_desired_line();
    if (line < 0) {
        core->rlog(25, "No line to calculate position . . .");
        core->rlog(25, "World model is using previouse information . . .");
        me->pos_chance *= 0.9f;
        return;
    }
    me->head = head_from_line(line);
    core->rlog(25, "head_theta from see: ", me->head);
    if (snapshot.see_time == core->cycle)
        me->neck = core->my_head_angle();
    me->body = get_normal_angle_deg(me->head - me->neck);

    if (snapshot.see.flag_count <= 0) {
        core->rerror("not enough flags to calculate position...");
        return;
    }
    Flag_Info flag;
    if (!fill_flag(&flag, nearest_identified_flag())) {
        core->rerror("all flags are unknown...");
        return;
    }
    me->pos = flag.pos - polar_deg(flag.dist, get_normal_angle_deg(flag.dir + me->head));
    me->pos_chance = 1.0f;
    me->pos_cycle = snapshot.see_time;
}

void TWorld_Model::set_my_position_with_estimate() {
    core->rlog(25, "setting my position using estimate...");
    const int now = core->cycle;
    if (me->pos_cycle < me->vel_cycle)
        core->rerror("my velocity cycle is bigger than my position cycle!");
    TPoint v = me->vel;
    if (me->vel_cycle < me->pos_cycle) {
        me->vel = rolled_velocity(me->vel, me->vel_cycle, me->pos_cycle, kKicks, core->player_decay);
        me->vel_cycle = me->pos_cycle;
    }
    roll_motion(me->pos, me->vel, me->pos_cycle, me->vel_cycle, now - 1, core->player_decay);

    // Only the commands of the last cycle act now.
    const bool sent = core->an_action_sent();
    const Body_Command &last = core->last_body_com;
    if (know_my_vel() && sent && last.type == BC_DASH)
        v += polar_deg(last.power * core->dash_power_rate * core->my_effort(), me->body);
    if (me->pos_cycle < now) {
        me->neck = core->my_head_angle();
        if (sent && last.type == BC_TURN)
            me->body = get_normal_angle_deg(me->body + last.direction);
        me->head = get_normal_angle_deg(me->body + me->neck);
    }
    if (me->pos_cycle != now)
        me->pos += v;
    me->pos_cycle = now;
    me->pos_chance *= 0.92f;
}

void TWorld_Model::take_velocity_from_sense() {
    me->vel = polar_deg(core->my_speed(), core->info_snapshot.sense.speed_dir + me->head);
    me->vel_chance = 1.0f;
    me->vel_cycle = core->cycle;
}

void TWorld_Model::set_positions() {
    const Info &snapshot = core->info_snapshot;
    const int now = core->cycle;
    const bool fresh = new_sight();
    const bool current_see = fresh && snapshot.see_time == now;
    if (current_see) {
        set_my_position_with_estimate();
        take_velocity_from_sense();
    }
    const TPoint reckoned = me->pos;
    if (!fresh) {
        set_my_position_with_estimate();
        take_velocity_from_sense();
    } else {
        set_my_position_with_see();
        coordinate_frame_correction = me->pos - reckoned;
        correction_cycle = snapshot.see_time;
    }
    set_ball_position();
    set_other_players();
    if (me->pos_cycle != now)
        set_my_position_with_estimate();
    if (current_see && !snapshot.see.ball_seen && ball_must_be_in_sight_with_no_care()) {
        core->rlog(25, "ball must be in sight!");
        ball.pos_chance = ball.vel_chance = 0;
    }
    take_velocity_from_sense();
    // A ball seen a cycle ago inside my body has bounced off me.
    if (fresh && snapshot.see.ball_seen && snapshot.see_time == now - 1 &&
        ball.pos.dist(me->pos) < core->player_size + core->ball_size) {
        ball.vel *= -0.1;
        ball.vel_chance *= 0.95f;
    }
}

// ---- ball tracking ----

void TWorld_Model::set_ball_position() {
    const Info &snapshot = core->info_snapshot;
    const int now = core->cycle;
    if (new_sight() && snapshot.see.ball_seen) {
        core->rlog(25, "setting ball position with see...");
        set_ball_position_with_see();
        if (ball.pos_cycle != now || ball.vel_cycle != now)
            set_ball_position_with_estimate();
        return;
    }
    if (new_sight() && snapshot.see_time == now - 1 && ball_must_be_in_sight_with_no_care()) {
        core->rlog(25, "ball must be in sight!");
        ball.pos_chance = ball.vel_chance = 0;
    }
    set_ball_position_with_estimate();
}

void TWorld_Model::set_ball_position_with_estimate() {
    core->rlog(25, "set_ball_position_with_estimate ");
    const int now = core->cycle;
    const float decay = core->ball_decay;
    if (ball.vel_cycle > ball.pos_cycle)
        core->rerror("The ball vel_cycle is bigger than the pos_cycle");
    if (ball.vel_cycle < now - 1)
        core->rerror("why last cycle we didn't update the ball velocity?");
    if (ball.pos_cycle < now - 1)
        core->rerror("why last cycle we didn't update the ball position?");

    if (ball.vel_cycle < ball.pos_cycle) {
        ball.vel = rolled_velocity(ball.vel, ball.vel_cycle, ball.pos_cycle, first_kick_since(ball.pos_cycle), decay);
        ball.vel_cycle = ball.pos_cycle;
    }
    roll_motion(ball.pos, ball.vel, ball.pos_cycle, ball.vel_cycle, now - 1, decay);

    TPoint step = ball.vel;   // the velocity of this cycle's move, before its decay
    if (ball.vel_cycle < now) {
        TPoint kick;
        if (kick_sent_last_cycle())
            kick = capped(core->last_kick_effect(), core->ball_accel_max);
        step = capped(ball.vel + kick, core->ball_speed_max);
        ball.vel = step * decay;
        ball.vel_cycle = now;
        ball.vel_chance *= 0.9f;
    } else if (decay > 0) {
        step = ball.vel / decay;
    }
    if (ball.pos_cycle < now) {
        ball.pos += step;
        ball.pos_chance *= 0.9f;
        ball.pos_cycle = now;
    }
}

void TWorld_Model::set_ball_position_with_see() {
    const Info &snapshot = core->info_snapshot;
    const See_Info &see = snapshot.see;
    const int see_time = snapshot.see_time;
    const bool knew_pos = ball.know_pos(), knew_vel = ball.know_vel();
    core->rlog(25, knew_pos ? "I knew ball position" : "I didn't know ball position");
    core->rlog(25, knew_vel ? "I knew ball velocity" : "I didn't know ball velocity");

    // Where the ball should be now if nothing but my own kick touched it.
    TPoint predicted = ball.pos;
    const bool predicts = knew_pos && see_time == core->cycle;
    if (predicts) {
        if (kick_sent_last_cycle())
            predicted += core->last_kick_effect();
        predicted += ball.vel;
    }
    const bool fresh = new_sight();
    const bool seen = fresh && see.ball_seen;
    const bool changed = fresh && see.ball_dist_change_known;

    ball.pos = me->pos + polar_deg(see.ball_dist, me->head + see.ball_dir);
    ball.source_dist = float_dist(ball.pos, me->pos);
    ball.pos_chance = 1.0f;
    ball.pos_cycle = see_time;

    bool collision = false;
    if (!changed) {
        core->rlog(25, "we have see, but we haven't dist_change");
        const bool trusted = knew_pos && (!predicts || knew_vel);
        if (trusted && correction_cycle == see_time)
            collision = check_seen_ball(predicted, see_time);
    } else {
        if (see.ball_dist == 0)
            return;
        ball.vel = velocity_from_changes(*me, see.ball_dist, see.ball_dir, see.ball_dist_change, see.ball_dir_change);
        ball.vel_chance = 1.0f;
        ball.vel_cycle = see_time;
    }
    ball.position_based = !collision && position_based_ball_velocity(see_time);
    if (seen) {
        ball.prev_seen_pos = ball.pos;
        ball.prev_seen_cycle = see_time;
    }
}

// Compares the seen ball with its prediction (in the corrected frame): a
// prediction inside my body is a collision (returns true), a jump beyond the
// noise of the sensors and of the ball's motion makes the velocity unknown.
bool TWorld_Model::check_seen_ball(TPoint predicted, int see_time) {
    const TPoint q = predicted + coordinate_frame_correction;
    if (q.dist(me->pos) < core->player_size + core->ball_size) {
        core->rlog(25, "Distnace based: It's a collision!");
        ball.vel *= -0.1;
        ball.vel_chance *= 0.7f;
        return true;
    }
    const double d = ball.pos.dist(me->pos);
    const double e = d * core->quantize_spread / 2;
    const double a = core->tan_half_degree * (d - e);
    const double b = core->tan_half_degree * (d + e);
    const double see_cycles = static_cast<double>(core->see_interval()) / std::max(core->simulator_step, 1);
    const double error = std::hypot(e, a) + std::hypot(e, b) +
                         see_cycles * std::sqrt(2.0) * core->ball_rand * ball.vel.abs();
    core->rlog(25, "Distance Based : total dist error : ", error);
    const double jump = q.dist(ball.pos);
    if (jump > 1.5 * error) {
        core->rlog(25, "Distnace based: The difference is not nois, it's invalid");
        core->rlog(25, "   -->distnace : %f, total_dist_error : %f", jump, error);
        ball.vel_cycle = see_time;
        ball.vel_chance = 0;
    }
    return false;
}

// The velocity from the positions of two sees of a near ball, less the kicks
// between them; false when the conditions for it do not hold.
bool TWorld_Model::position_based_ball_velocity(int see_time) {
    if (ball.prev_seen_cycle <= 0 || ball.prev_seen_cycle >= see_time || ball.vel_chance >= kSeenChance ||
        me->pos_chance <= 0.8f || ball.pos_chance <= 0.8f ||
        ball.pos.dist(me->pos) >= core->visible_distance - 0.1)
        return false;
    core->rlog(25, "using Position Based Velocity Estimation!");
    const float decay = core->ball_decay;
    TPoint kicks;
    for (const Kick_Save_Info &k : core->kick_history)
        if (k.cycle >= ball.prev_seen_cycle)
            kicks += k.acceleration * decay_sum(decay, gap(k.cycle, see_time));
    TPoint earlier = ball.prev_seen_pos;
    if (correction_cycle == see_time)
        earlier += coordinate_frame_correction;
    const TPoint then = (ball.pos - earlier - kicks) / decay_sum(decay, gap(ball.prev_seen_cycle, see_time));
    ball.vel = rolled_velocity(then, ball.prev_seen_cycle, see_time, first_kick_since(ball.prev_seen_cycle), decay);
    ball.vel_chance = 1.0f;
    ball.vel_cycle = see_time;
    return true;
}

// ---- player tracking ----

void TWorld_Model::set_other_players() {
    if (new_sight())
        set_other_players_with_see();
    set_other_players_with_estimate();
}

// The array entry of a seen player with team and number; null for me, for
// numbers beyond 1..11 and for players without team or number.
TPlayer *TWorld_Model::numbered_entry(const Seen_Player &seen) {
    if (seen.team[0] == '\0' || !seen.unum_known || seen.unum < 1 || seen.unum > 11)
        return nullptr;
    TPlayer *entry = &(strcmp(seen.team, core->team_name) == 0 ? teammates : opponents)[seen.unum];
    return entry == me ? nullptr : entry;
}

// The slot a seen player goes to: numbered players to their number, the others
// to the next free slot of their kind; null when the slots are used up.
TPlayer *TWorld_Model::slot_for(const Seen_Player &seen) {
    if (seen.team[0] == '\0')
        return unknown_count < kPlayerSlots ? &unknown[unknown_count++] : nullptr;
    if (seen.unum_known)
        return numbered_entry(seen);
    const bool ours = strcmp(seen.team, core->team_name) == 0;
    int &count = ours ? teammates_without_number : opponents_without_number;
    if (count >= kMaxUnnumbered)
        return nullptr;
    return &(ours ? teammates : opponents)[12 + count++];
}

void TWorld_Model::note_team(TPlayer &player, const Seen_Player &seen) {
    if (seen.team[0] == '\0') {
        player.team = kNoTeam;
    } else if (strcmp(seen.team, core->team_name) == 0) {
        player.team = core->team_name;
    } else {
        const int room = static_cast<int>(sizeof their_team_name) - 1;   // longer names are cut
        snprintf(their_team_name, sizeof their_team_name, "%.*s", room, seen.team);
        player.team = their_team_name;
    }
}

void TWorld_Model::set_other_players_with_see() {
    unknown_count = teammates_without_number = opponents_without_number = 0;
    const Info &snapshot = core->info_snapshot;
    const See_Info &see = snapshot.see;
    for (int i = 0; i < bounded_count(see.player_count, kMaxSeenPlayers); ++i) {
        const Seen_Player &seen = see.players[i];
        TPlayer *p = slot_for(seen);
        if (!p)
            continue;
        note_team(*p, seen);
        p->pos = me->pos + polar_deg(seen.dist, me->head + seen.dir);
        p->source_dist = float_dist(p->pos, me->pos);
        p->seen_dist = seen.dist;
        p->seen_cycle = core->real_cycle;
        p->pos_chance = 1.0f;
        p->pos_cycle = snapshot.see_time;
    }
    update_players_vel_with_see();
}

void TWorld_Model::update_players_vel_with_see() {
    if (!new_sight())
        return;
    const See_Info &see = core->info_snapshot.see;
    for (int i = 0; i < bounded_count(see.player_count, kMaxSeenPlayers); ++i) {
        const Seen_Player &seen = see.players[i];
        TPlayer *p = numbered_entry(seen);
        if (!p || !seen.dist_change_known || seen.dist < 0.001f)
            continue;
        p->vel = velocity_from_changes(*me, seen.dist, seen.dir, seen.dist_change, seen.dir_change);
        p->vel_cycle = core->cycle;
        p->vel_chance = 1.0f;
        p->goalie = seen.is_goalie;
    }
}

void TWorld_Model::update_players_vel_with_estimate() {
    const int now = core->cycle;
    auto decay_velocity = [now](TPlayer &p) {
        if (p.vel_cycle == now - 1 && p.vel_chance >= 0.2f) {
            p.vel *= core->player_decay;
            p.vel_cycle = now;
            p.vel_chance *= 0.85f;
        }
    };
    for (int i = 1; i < kPlayerSlots; ++i) {
        if (&teammates[i] != me)
            decay_velocity(teammates[i]);
        decay_velocity(opponents[i]);
    }
}

void TWorld_Model::set_other_players_with_estimate() {
    update_players_vel_with_estimate();
    const int now = core->cycle;
    auto move_on = [now](TPlayer &p) {
        if (p.pos_cycle < now) {
            p.pos_chance *= core->player_chance_decay;
            p.pos += p.vel;
            p.pos_cycle = now;
        }
    };
    for (int i = 1; i < kPlayerSlots; ++i) {
        if (&teammates[i] != me)
            move_on(teammates[i]);
        move_on(opponents[i]);
    }
}

// ---- visibility ----

bool TWorld_Model::in_view_cone(TPoint p, float margin, float near) const {
    const float half_width = core->info_snapshot.sense.view_width / 2.0f;
    const float off_head = std::fabs(get_normal_angle_deg(body_angle_from_point(p) - me->neck));
    return off_head - half_width <= margin || p.dist(me->pos) < near;
}

bool TWorld_Model::must_be_in_sight(TPoint p) const { return in_view_cone(p, 0, core->visible_distance); }

bool TWorld_Model::must_be_in_sight_with_no_care(TPoint p) const {
    return in_view_cone(p, -11, core->visible_distance - 0.1f);
}

// The ball lies inside a cone whose edges run 3 metres inside my view cone's.
bool TWorld_Model::ball_must_be_in_sight_with_no_care() const {
    if (!ball.know_pos())
        return false;
    const int width = core->my_view_width();
    TPoint rel = ball_rel_to_head_position();
    rel.X -= 3 / std::sin(width / 2.0 * kDegToRad);
    return std::fabs(rel.ang() * kRadToDeg) <= width / 2 ||
           ball.pos.dist(me->pos) < core->visible_distance - 0.1;
}

// ---- kick rates ----

float TWorld_Model::get_kick_rate(float dist, float dir) const {
    dir = get_normal_angle_deg(dir);
    return core->kick_power_rate *
           (1 - 0.25f * std::fabs(dir) / 180 -
            0.25f * (dist - core->player_size - core->ball_size) / core->kickable_margin);
}

float TWorld_Model::ball_kick_rate() const {
    if (!me)
        return core->kick_power_rate;
    return get_kick_rate(ball_dist_from_body(), ball_angle_from_body());
}
