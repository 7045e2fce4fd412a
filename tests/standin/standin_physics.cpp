#include "standin/standin_physics.h"

#include "standin/standin_server.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

using namespace standin_param;

namespace {

const double kPi = 3.14159265358979323846;
const double kDegToRad = kPi / 180.0;

// A fixed object of the field and the name the server gives it.
struct Landmark {
    std::string name;
    double x = 0, y = 0;
};

std::vector<Landmark> make_flags() {
    const double post = kGoalWidth / 2;
    std::vector<Landmark> flags = {
        {"f c", 0, 0},          {"f c t", 0, -34},       {"f c b", 0, 34},
        {"f l t", -52.5, -34},  {"f l b", -52.5, 34},    {"f r t", 52.5, -34},
        {"f r b", 52.5, 34},    {"f g l t", -52.5, -post}, {"f g l b", -52.5, post},
        {"f g r t", 52.5, -post}, {"f g r b", 52.5, post}, {"f p l t", -36, -20.16},
        {"f p l c", -36, 0},    {"f p l b", -36, 20.16}, {"f p r t", 36, -20.16},
        {"f p r c", 36, 0},     {"f p r b", 36, 20.16},  {"f t 0", 0, -39},
        {"f b 0", 0, 39},       {"f l 0", -57.5, 0},     {"f r 0", 57.5, 0},
    };
    for (int mark = 10; mark <= 50; mark += 10) {
        const std::string m = std::to_string(mark);
        flags.push_back({"f t l " + m, -mark * 1.0, -39});
        flags.push_back({"f t r " + m, mark * 1.0, -39});
        flags.push_back({"f b l " + m, -mark * 1.0, 39});
        flags.push_back({"f b r " + m, mark * 1.0, 39});
    }
    for (int mark = 10; mark <= 30; mark += 10) {
        const std::string m = std::to_string(mark);
        flags.push_back({"f l t " + m, -57.5, -mark * 1.0});
        flags.push_back({"f l b " + m, -57.5, mark * 1.0});
        flags.push_back({"f r t " + m, 57.5, -mark * 1.0});
        flags.push_back({"f r b " + m, 57.5, mark * 1.0});
    }
    return flags;
}

const std::vector<Landmark> kFlags = make_flags();
const Landmark kGoals[] = {{"g l", -kPitchHalfLength, 0}, {"g r", kPitchHalfLength, 0}};

// A boundary line: vertical ones at x = at, horizontal ones at y = at.
struct FieldLine {
    const char *name;
    bool vertical;
    double at;
};

const FieldLine kLines[] = {{"l l", true, -kPitchHalfLength}, {"l r", true, kPitchHalfLength},
                            {"l t", false, -kPitchHalfWidth}, {"l b", false, kPitchHalfWidth}};

// The server's distance quantisation: the logarithm rounded to the step, then
// the distance to 0.1 m.
double quantized_distance(double dist, double step) {
    const double log_dist = std::log(dist + 1e-10);
    return standin_rounded(std::exp(standin_rounded(log_dist, step)), 0.1);
}

// Scales (x, y) down to length limit when it is longer.
void cap_length(double &x, double &y, double limit) {
    const double length = std::hypot(x, y);
    if (length > limit) {
        x *= limit / length;
        y *= limit / length;
    }
}

int view_width_deg(const std::string &width) {
    return width == "narrow" ? 45 : width == "wide" ? 180 : 90;
}

// Where an object lies for the observer: distance, direction relative to the
// head, and how it shows (in the cone, or sensed close by behind).
struct Sight {
    double dist = 0;
    double dir = 0;
    bool in_cone = false;
    bool close = false;
    bool visible() const { return in_cone || close; }
};

Sight sight_of(const StandInPlayer &observer, double x, double y) {
    Sight sight;
    const double dx = x - observer.x, dy = y - observer.y;
    sight.dist = std::hypot(dx, dy);
    const double head = observer.body_deg + observer.neck_deg;
    sight.dir = standin_normal_angle_deg(std::atan2(dy, dx) / kDegToRad - head);
    sight.in_cone = std::fabs(sight.dir) <= view_width_deg(observer.view_width) / 2.0;
    sight.close = sight.dist <= kVisibleDistance;
    return sight;
}

// Distance change and direction change (degrees) of a body at (x, y) moving at
// (vx, vy), as the observer sees it.
void motion_of(const StandInPlayer &observer, double x, double y, double vx, double vy,
               double &dist_change, double &dir_change) {
    const double dx = x - observer.x, dy = y - observer.y;
    const double dist = std::hypot(dx, dy);
    dist_change = dir_change = 0;
    if (dist <= 0)
        return;
    const double ux = dx / dist, uy = dy / dist;
    const double rvx = vx - observer.vx, rvy = vy - observer.vy;
    dist_change = standin_rounded(rvx * ux + rvy * uy, 0.1);
    dir_change = standin_rounded((ux * rvy - uy * rvx) / dist / kDegToRad, 0.1);
}

// "((NAME) D DIR" without the closing parenthesis; low quality gives no distance.
std::string entry_head(const std::string &name, const Sight &sight, double step, bool high_quality) {
    std::string text = "((" + name + ")";
    if (high_quality)
        text += " " + standin_number_text(quantized_distance(sight.dist, step));
    return text + " " + standin_number_text(std::round(sight.dir));
}

std::string entry_values(std::initializer_list<double> values) {
    std::string text;
    for (double value : values)
        text += " " + standin_number_text(value);
    return text;
}

std::string landmark_entry(const StandInPlayer &observer, const Landmark &mark, const char *close_name) {
    const Sight sight = sight_of(observer, mark.x, mark.y);
    if (!sight.visible())
        return std::string();
    const std::string name = sight.in_cone ? mark.name : close_name;
    return " " + entry_head(name, sight, kQuantizeStepLandmark, observer.view_quality == "high") + ")";
}

std::string ball_entry(const StandInPlayer &observer, const StandInWorld &world) {
    const Sight sight = sight_of(observer, world.ball_x, world.ball_y);
    if (!sight.visible())
        return std::string();
    const bool high = observer.view_quality == "high";
    std::string text = " " + entry_head(sight.in_cone ? "b" : "B", sight, kQuantizeStep, high);
    if (sight.in_cone && high && sight.dist <= kUnumFarLength) {
        double dist_change = 0, dir_change = 0;
        motion_of(observer, world.ball_x, world.ball_y, world.ball_vx, world.ball_vy, dist_change, dir_change);
        text += entry_values({dist_change, dir_change});
    }
    return text + ")";
}

// The name of a seen player: team and number near, team only farther, nothing far.
std::string player_name(const StandInPlayer &other, double dist) {
    if (dist > kTeamFarLength)
        return "p";
    std::string name = "p \"" + other.team + "\"";
    if (dist > kUnumFarLength)
        return name;
    name += " " + std::to_string(other.unum);
    return other.goalie ? name + " goalie" : name;
}

std::string player_entry(const StandInPlayer &observer, const StandInPlayer &other) {
    const Sight sight = sight_of(observer, other.x, other.y);
    if (!sight.visible())
        return std::string();
    const bool high = observer.view_quality == "high";
    const std::string name = sight.in_cone ? player_name(other, sight.dist) : "P";
    std::string text = " " + entry_head(name, sight, kQuantizeStep, high);
    if (sight.in_cone && high && sight.dist <= kUnumFarLength) {
        double dist_change = 0, dir_change = 0;
        motion_of(observer, other.x, other.y, other.vx, other.vy, dist_change, dir_change);
        const double head = observer.body_deg + observer.neck_deg;
        const double body_dir = std::round(standin_normal_angle_deg(other.body_deg - head));
        const double head_dir = std::round(standin_normal_angle_deg(other.body_deg + other.neck_deg - head));
        text += entry_values({dist_change, dir_change, body_dir, head_dir});
    }
    return text + ")";
}

// A boundary line shows where the head's direction meets it; its direction is
// the line's angle relative to the head, in (-90, 90].
std::string line_entry(const StandInPlayer &observer, const FieldLine &line) {
    const double head = observer.body_deg + observer.neck_deg;
    const double along = line.vertical ? std::cos(head * kDegToRad) : std::sin(head * kDegToRad);
    const double across = line.vertical ? std::sin(head * kDegToRad) : std::cos(head * kDegToRad);
    if (std::fabs(along) < 1e-9)
        return std::string();
    const double reach = (line.at - (line.vertical ? observer.x : observer.y)) / along;
    const double meet = (line.vertical ? observer.y : observer.x) + reach * across;
    const double half = line.vertical ? kPitchHalfWidth : kPitchHalfLength;
    if (reach <= 0 || std::fabs(meet) > half)
        return std::string();
    double dir = standin_normal_angle_deg((line.vertical ? 90 : 0) - head);
    if (dir > 90)
        dir -= 180;
    if (dir <= -90)
        dir += 180;
    Sight sight;
    sight.dist = reach;
    sight.dir = dir;
    return " " + entry_head(line.name, sight, kQuantizeStepLandmark, observer.view_quality == "high") + ")";
}

// The thresholds read the stamina that this cycle's dash left, before it recovers.
void stamina_step(StandInPlayer &player) {
    player.lowest_stamina = std::min(player.lowest_stamina, player.stamina);
    if (player.stamina <= kRecoverDecThr * kStaminaMax && player.recovery > kRecoverMin)
        player.recovery = std::max(kRecoverMin, player.recovery - kRecoverDec);
    if (player.stamina <= kEffortDecThr * kStaminaMax && player.effort > kEffortMin)
        player.effort = std::max(kEffortMin, player.effort - kEffortDec);
    if (player.stamina >= kEffortIncThr * kStaminaMax && player.effort < kEffortMax)
        player.effort = std::min(kEffortMax, player.effort + kEffortInc);
    player.stamina = std::min(kStaminaMax, player.stamina + player.recovery * kStaminaIncMax);
}

bool same_player(const StandInPlayer &a, const StandInPlayer &b) {
    return a.team == b.team && a.unum == b.unum;
}

}  // namespace

double standin_rounded(double value, double step) {
    return std::round(value / step) * step;
}

std::string standin_number_text(double value) {
    if (value == 0 || !std::isfinite(value))
        value = 0;
    char text[32];
    snprintf(text, sizeof text, "%.6g", value);
    return text;
}

double standin_normal_angle_deg(double angle) {
    if (!std::isfinite(angle))
        return 0;
    angle = std::fmod(angle, 360.0);
    if (angle > 180)
        angle -= 360;
    if (angle < -180)
        angle += 360;
    return angle;
}

// The power is cut to what the stamina can pay. The current server takes no
// backward dash: a negative power counts as 0, moving nothing and costing nothing.
void standin_dash(StandInPlayer &player, double power) {
    power = std::min(std::clamp(power, kMinDashPower, kMaxPower), player.stamina);
    player.stamina -= power;
    const double accel = power * kDashPowerRate * player.effort;
    player.accel_x += accel * std::cos(player.body_deg * kDegToRad);
    player.accel_y += accel * std::sin(player.body_deg * kDegToRad);
}

// A moving player turns less: the moment is divided by 1 + inertia × speed.
void standin_turn(StandInPlayer &player, double moment) {
    moment = std::clamp(moment, -kMaxMoment, kMaxMoment);
    const double speed = std::hypot(player.vx, player.vy);
    player.body_deg = standin_normal_angle_deg(player.body_deg + moment / (1 + kInertiaMoment * speed));
}

void standin_turn_neck(StandInPlayer &player, double angle) {
    angle = std::clamp(angle, -kMaxMoment, kMaxMoment);
    player.neck_deg = std::clamp(player.neck_deg + angle, -kMaxNeck, kMaxNeck);
}

// The kick's effect falls with the ball's angle off the body and its distance
// beyond touching; a ball overlapping the body (as one held by a goalie) counts
// as touching.
bool standin_kick(const StandInPlayer &player, StandInWorld &world, double power, double direction) {
    const double dx = world.ball_x - player.x, dy = world.ball_y - player.y;
    const double dist = std::hypot(dx, dy);
    if (dist > kKickableArea)
        return false;
    power = std::clamp(power, -kMaxPower, kMaxPower);
    direction = std::clamp(direction, -kMaxMoment, kMaxMoment);
    const double ball_dir = dist > 0 ? std::atan2(dy, dx) / kDegToRad : player.body_deg;
    const double dir_diff = std::fabs(standin_normal_angle_deg(ball_dir - player.body_deg));
    const double gap = std::max(0.0, dist - kPlayerSize - kBallSize) / kKickableMargin;
    const double accel = power * kKickPowerRate * (1 - 0.25 * dir_diff / 180 - 0.25 * gap);
    const double angle = (player.body_deg + direction) * kDegToRad;
    world.ball_ax += accel * std::cos(angle);
    world.ball_ay += accel * std::sin(angle);
    return true;
}

bool standin_ball_in_catch_area(const StandInPlayer &player, const StandInWorld &world, double direction) {
    const double angle = (player.body_deg + std::clamp(direction, -kMaxMoment, kMaxMoment)) * kDegToRad;
    const double dx = world.ball_x - player.x, dy = world.ball_y - player.y;
    const double along = dx * std::cos(angle) + dy * std::sin(angle);
    const double across = -dx * std::sin(angle) + dy * std::cos(angle);
    return along >= 0 && along <= kCatchableAreaL && std::fabs(across) <= kCatchableAreaW / 2;
}

bool standin_ball_in_penalty_area(const StandInWorld &world, char side) {
    const double x = side == 'l' ? world.ball_x : -world.ball_x;   // as if defending the left goal
    return x >= -kPitchHalfLength && x <= -kPitchHalfLength + kPenaltyAreaLength &&
           std::fabs(world.ball_y) <= kPenaltyAreaHalfWidth;
}

void standin_step_player(StandInPlayer &player) {
    cap_length(player.accel_x, player.accel_y, kPlayerAccelMax);
    player.vx += player.accel_x;
    player.vy += player.accel_y;
    cap_length(player.vx, player.vy, kPlayerSpeedMax);
    player.x += player.vx;
    player.y += player.vy;
    player.vx *= kPlayerDecay;
    player.vy *= kPlayerDecay;
    player.accel_x = player.accel_y = 0;
    stamina_step(player);
    player.body_done = player.neck_done = false;
    if (player.catch_ban > 0)
        --player.catch_ban;
}

void standin_step_ball(StandInWorld &world) {
    cap_length(world.ball_ax, world.ball_ay, kBallAccelMax);
    world.ball_vx += world.ball_ax;
    world.ball_vy += world.ball_ay;
    cap_length(world.ball_vx, world.ball_vy, kBallSpeedMax);
    world.ball_x += world.ball_vx;
    world.ball_y += world.ball_vy;
    world.ball_vx *= kBallDecay;
    world.ball_vy *= kBallDecay;
    world.ball_ax = world.ball_ay = 0;
}

int standin_see_interval_ms(const std::string &width, const std::string &quality) {
    const int by_width = width == "narrow" ? kSendStepMs / 2 : width == "wide" ? kSendStepMs * 2 : kSendStepMs;
    return quality == "low" ? by_width / 2 : by_width;
}

std::string standin_see(const StandInPlayer &observer, const std::vector<StandInPlayer> &players,
                        const StandInWorld &world, int time) {
    std::string text = "(see " + std::to_string(time);
    for (const Landmark &flag : kFlags)
        text += landmark_entry(observer, flag, "F");
    for (const Landmark &goal : kGoals)
        text += landmark_entry(observer, goal, "G");
    text += ball_entry(observer, world);
    for (const StandInPlayer &other : players)
        if ((other.connected || other.still) && !same_player(other, observer))
            text += player_entry(observer, other);
    for (const FieldLine &line : kLines)
        text += line_entry(observer, line);
    return text + ")";
}
