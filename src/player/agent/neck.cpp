// Neck and view control: where to point the head so that the directions that
// matter most and have gone longest unseen are seen next, and the body scan.

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "common/utils.h"
#include "player/agent/core.h"

namespace {

const int kLookPoints = 10;
const float kSeenScore = 15.0f;           // score of a sector inside the current view
const float kWellKnownBall = 0.845f;      // ball confidence above which the ball needs no look
const float kZoneEdge = 17.5f;            // ball x that separates the three weight zones
const float kRadToDeg = static_cast<float>(180 / 3.141592653589793);

// Places whose surroundings the player should keep in sight; our goal at negative x.
const TPoint kLookAt[kLookPoints] = {{-48, 0}, {-36, 20}, {-36, -20}, {-30, 0}, {0, -30},
                                     {0, 30},  {0, 0},    {50, 0},    {40, 30}, {40, -30}};

// Weights of the look points by ball zone (own third, middle or unknown,
// their third) and line (defenders, midfielders, attackers).
const float kAttention[3][3][kLookPoints] = {
    {{0.5f, 0.55f, 0.55f, 0.6f, 0.3f, 0.3f, 0.3f, 0, 0, 0},
     {0.2f, 0.3f, 0.3f, 0.35f, 0.5f, 0.5f, 0.5f, 0, 0, 0},
     {0, 0, 0, 0.5f, 0.2f, 0.2f, 0.2f, 0, 0, 0}},
    {{0, 0.1f, 0.1f, 0.2f, 0.3f, 0.3f, 0.3f, 0.2f, 0.2f, 0.2f},
     {0, 0.19f, 0.19f, 0.35f, 0.2f, 0.2f, 0.2f, 0.16f, 0.16f, 0.16f},
     {0, 0, 0, 0.1f, 0.2f, 0.2f, 0.3f, 0.1f, 0.1f, 0.1f}},
    {{0, 0, 0, 0.05f, 0.3f, 0.3f, 0.3f, 0.1f, 0.1f, 0.1f},
     {0, 0, 0, 0.05f, 0.2f, 0.2f, 0.3f, 0.3f, 0.25f, 0.25f},
     {0, 0, 0, 0, 0, 0, 0.1f, 0.4f, 0.4f, 0.4f}},
};

int ball_zone(bool known, double x) {
    if (!known || (x >= -kZoneEdge && x < kZoneEdge))
        return 1;
    return x < -kZoneEdge ? 0 : 2;
}

int line_of_post(int post) { return post <= 5 ? 0 : post <= 12 ? 1 : 2; }

float abs_normal(float angle) { return std::fabs(get_normal_angle_deg(angle)); }

const int kPassLooks = 5;
const int kUnseenAge = 10;          // age of a direction the head has not looked at lately
const float kLookedAt = 16.0f;      // a head direction this near counts as a look there
const float kNeckMargin = 15.0f;    // how far past the neck's reach a direction may lie

struct Pass_Look {
    float dir[kPassLooks] = {kNoAnswer, kNoAnswer, kNoAnswer, kNoAnswer, kNoAnswer};
    int age[kPassLooks] = {-1, -1, -1, -1, -1};
};

void set_looks(Pass_Look *l, std::initializer_list<float> dirs) {
    int i = 0;
    for (float d : dirs)
        l->dir[i++] = d;
}

// Directions stepping 44 degrees towards the field from first, until past -85 (mirrored by s).
void set_sweep(Pass_Look *l, float first, float s) {
    l->dir[0] = first;
    for (int i = 1; i < kPassLooks && s * l->dir[i - 1] > -85; ++i)
        l->dir[i] = l->dir[i - 1] - 44 * s;
}

// Where a player about to pass should look, by where on the field it stands.
Pass_Look pass_looks(TPoint me) {
    const float x = static_cast<float>(me.X), y = static_cast<float>(me.Y);
    const float s = y >= 0 ? 1.0f : -1.0f;
    Pass_Look l;
    if (x < -30 && std::fabs(y) < 23) {
        set_looks(&l, {45 * s, 0, -45 * s});
    } else if (std::fabs(y) > 20 && x < 20) {
        set_sweep(&l, get_normal_angle_deg(-9 * y + 270 * s), s);
        if (std::fabs(l.dir[1] - l.dir[0]) < 22)
            l.dir[1] = kNoAnswer;
        if (l.dir[1] != kNoAnswer && std::fabs(l.dir[1] - l.dir[0]) > 90)
            l.dir[2] = get_normal_angle_deg((l.dir[0] + l.dir[1]) / 2);
    } else if (std::fabs(y) > 24) {
        set_sweep(&l, x < 45 ? -9 * y + 270 * s : -80 * s, s);
    } else if (x <= 32) {
        set_looks(&l, {-45 * s, 45 * s, 0, 90 * s, -90 * s});
    } else if (std::fabs(y) < 15) {
        set_looks(&l, {0, -45 * s, 45 * s});
    } else {
        set_looks(&l, {-45 * s, 0, -90 * s, 45 * s, -135 * s});
    }
    return l;
}

// Each direction's age: the cycles since the head last looked there, up to 6, else kUnseenAge.
void age_looks(Pass_Look *l, const float *head_history, int history) {
    for (int i = 0; i < kPassLooks; ++i) {
        if (l->dir[i] == kNoAnswer)
            continue;
        l->age[i] = kUnseenAge;
        for (int j = 0; j < history; ++j) {
            if (abs_normal(head_history[j] - l->dir[i]) < kLookedAt) {
                l->age[i] = j;
                break;
            }
        }
    }
}

int oldest_look(const Pass_Look &l) {
    int best = 0;
    for (int i = 1; i < kPassLooks; ++i)
        if (l.age[i] > l.age[best])
            best = i;
    return best;
}

// Turns the neck to the oldest direction older than threshold that it can reach.
bool turn_neck_to_older_look(TCore &c, const Pass_Look &looks, int threshold) {
    int order[kPassLooks] = {0, 1, 2, 3, 4};
    std::stable_sort(order, order + kPassLooks, [&](int a, int b) { return looks.age[a] > looks.age[b]; });
    for (int i : order) {
        if (looks.age[i] > threshold && c.can_face_to_abs_ang_with_neck_after_actions(looks.dir[i], kNeckMargin)) {
            c.rlog(30, "Turning to another angle");
            c.turn_neck_to_abs_ang_with_queued_actions(looks.dir[i]);
            return true;
        }
    }
    return false;
}

}  // namespace

void TCore::fill_points_attention(float *weights) const {
    const TBall &ball = world->ball;
    const float *row = kAttention[ball_zone(ball.know_pos(), ball.pos.X)][line_of_post(my_post())];
    std::copy(row, row + kLookPoints, weights);
}

// Sectors in view are reset; the others sink, the faster the nearer they lie
// to heavily weighted look points.
void TCore::update_sector_scores(const float *weights) {
    const int half_view = my_view_width() / 2;
    const float head = world->me->head;
    float look_dir[kLookPoints];
    for (int k = 0; k < kLookPoints; ++k)
        look_dir[k] = static_cast<float>(kLookAt[k].relative_ang(world->my_pos())) * kRadToDeg;
    for (int i = 0; i < kSectors; ++i) {
        if (abs_normal(10.0f * i - head) < half_view) {
            sector_scores[i] = kSeenScore;
            continue;
        }
        for (int k = 0; k < kLookPoints; ++k)
            sector_scores[i] -= weights[k] * std::pow(0.5f, abs_normal(10.0f * i - look_dir[k]) / 10) / 5;
    }
}

// The view-wide window of sectors, with the ball kept in view, that has gone
// unseen longest; returns its centre as an absolute direction in degrees. The
// candidate centres start near the ball's direction less half a view, so that
// every window keeps the ball in view.
float TCore::best_window(float ball_dir) const {
    if (!std::isfinite(ball_dir))
        return 0;
    const int half_view = my_view_width() / 2;
    const float start = kSectors + ((5 + get_normal_angle_deg(ball_dir)) / 10 - (half_view - 5) / 10);
    const int first = static_cast<int>(std::lround(start));
    const int last = static_cast<int>(std::lround((my_view_width() - 10) / 10 + start));
    float best = -10.0f;
    int chosen = first;
    for (int j = first; j <= last; ++j) {
        float sum = 0;
        int count = 0;
        for (int s = 0; s < kSectors; ++s) {
            if (abs_normal(static_cast<float>((j - s) * 10)) < half_view) {
                sum += sector_scores[s];
                ++count;
            }
        }
        const float value = kSeenScore * count - sum;
        if (value > best) {
            best = value;
            chosen = j;
        }
    }
    return get_normal_angle_deg(static_cast<float>(chosen * 10));
}

float TCore::new_neck_theta() {
    if (!world->new_sight())
        return my_head_angle();
    const bool well_known = world->ball.pos_chance > kWellKnownBall;
    float weights[kLookPoints];
    fill_points_attention(weights);
    update_sector_scores(weights);
    if (!world->ball.know_pos())
        return my_head_angle();
    const float ball_angle = world->predicted_ball_angle_from_body_with_queued_actions();
    if (!well_known && std::fabs(ball_angle) <= my_view_width() / 2.0f) {
        rlog(30, "face to ball ");
        return ball_angle;
    }
    const float body = world->my_predicted_body_angle_with_queued_actions();
    return get_normal_angle_deg(best_window(ball_angle + body) - body);
}

int TCore::turn_to_scan_field() {
    return turn(std::min(my_view_width() - overlap_on_field_scan, 180.0f), true);
}

int TCore::turn_neck_to_abs_ang_with_queued_actions(float angle) {
    return turn_neck(angle - (world->my_predicted_body_angle_with_queued_actions() + my_head_angle()), true);
}

bool TCore::can_face_to_abs_ang_with_neck_after_actions(float angle, float margin) const {
    return abs_normal(angle - world->my_predicted_body_angle_with_queued_actions()) <= margin + 90;
}

void TCore::turn_neck_to_best_angle_for_pass() {
    Pass_Look looks = pass_looks(world->my_pos());
    age_looks(&looks, world->head_history, TWorld_Model::kHeadHistory);
    const int best = oldest_look(looks);
    const int best_age = looks.age[best];
    rlog(30, "best_ang = ", looks.dir[best]);
    const bool kick_queued = action_is_update() && body_com.type == BC_KICK;
    if (ball_is_kickable() && best_age < 7 && kick_queued && turn_neck_is_update())
        return;
    if (can_face_to_abs_ang_with_neck_after_actions(looks.dir[best], kNeckMargin)) {
        turn_neck_to_abs_ang_with_queued_actions(looks.dir[best]);
        rlog(30, "closest_opponent_distance is ", world->opponent_dist(world->closest_opponent()));
        return;
    }
    if (turn_neck_to_older_look(*this, looks, std::max(best_age - 3, 2)))
        return;
    const bool ball_leaves = world->ball_will_be_kickable(1, 0, 0.08f) ||
                             abs_normal(world->ball_rel_to_body_heading()) > 120;
    if (ball_is_kickable() && best_age > 4 && ball_leaves && best_value < 0.5f) {
        rlog(30, "Can I turn the body?");
        rlog(30, "No I can't!");
        const float rel = get_normal_angle_deg(looks.dir[best] - world->my_predicted_body_angle_with_queued_actions());
        turn_neck_to_relative_ang(std::min(maxneckang, std::max(minneckang, rel)), true);
    }
}
