#include "coach/sbe.h"

#include "coach/core.h"
#include "common/utils.h"

#include <cmath>
#include <utility>

namespace {

const int kMaxBallSteps = 500;         // a ball rolls out well within this; bounds odd decays
const float kShootAngleBuffer = 6.0f;  // degrees beyond each post still counted on goal
const double kMaxGridMetres = 1e6;     // coordinates beyond this are not field positions

// v truncated towards zero; NaN reads 0 and huge values are bounded.
int trunc_int(double v)
{
    if (std::isnan(v))
        return 0;
    if (v > kMaxGridMetres)
        return static_cast<int>(kMaxGridMetres);
    if (v < -kMaxGridMetres)
        return -static_cast<int>(kMaxGridMetres);
    return static_cast<int>(v);
}

// v clamped to [lo, hi]; NaN goes to lo.
double clamp_finite(double v, double lo, double hi)
{
    if (!(v > lo))
        return lo;
    return v < hi ? v : hi;
}

// Cells up to v (v >= 0): whole cells, plus one when trunc(v) leaves a part cell.
int cells_up_to(double v, int cell)
{
    return trunc_int(v / cell) + (trunc_int(v) % cell != 0 ? 1 : 0);
}

double deg(double rad) { return rad * 180.0 / kPi; }

bool is_finite(TPoint p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// A grid of the configured cell size.
TSBEGrid configured_grid()
{
    return core ? TSBEGrid(core->SBE_grid_X, core->SBE_grid_Y) : TSBEGrid();
}

// The player of a uniform number in a team's table, none outside 1 to 11.
Player_Info *player_of(Player_Info *team, int uniform)
{
    return uniform >= 1 && uniform <= kTeamSize ? &team[uniform] : nullptr;
}

// A copy of a pass kept in another list; the copy keeps its own place there.
void copy_pass(Pass_Info *copy, const Pass_Info &pass)
{
    int index = copy->index();
    *copy = pass;
    copy->set_index(index);
}

}  // namespace

// ---- TSBEGrid ----

TSBEGrid::TSBEGrid(int x, int y) { set_grid_coordinates(x, y); }

TSBEGrid::TSBEGrid(TPoint cell_size) { set_grid_coordinates(cell_size); }

// A cell is at least one metre each way, so that snapping never divides by zero.
void TSBEGrid::set_grid_coordinates(int x, int y)
{
    X = x > 0 ? x : 1;
    Y = y > 0 ? y : 1;
}

void TSBEGrid::set_grid_coordinates(TPoint cell_size)
{
    set_grid_coordinates(trunc_int(cell_size.X), trunc_int(cell_size.Y));
}

int TSBEGrid::snap_to_grid(TPoint p)
{
    ungrid_point = p;
    double L = core->SP_pitch_length;
    double W = core->SP_pitch_width;
    double x = clamp_finite(p.X + L / 2, 0, L);
    double y = clamp_finite(p.Y + W / 2, 0, W);
    int column = cells_up_to(x, X);
    int row = cells_up_to(y, Y);
    int columns_per_row = cells_up_to(L, X);
    point_index = (row - 1) * columns_per_row + column;
    return point_index;
}

int TSBEGrid::snap_to_grid(double x, double y) { return snap_to_grid(TPoint(x, y)); }

// ---- records ----

SBE_Track::SBE_Track() : start_grid(configured_grid()), end_grid(configured_grid()) {}

void SBE_Track::set_start_point(TPoint p)
{
    start_point = p;
    start_grid.snap_to_grid(p);
}

void SBE_Track::set_end_point(TPoint p)
{
    end_point = p;
    end_grid.snap_to_grid(p);
}

// ---- collections ----

template <class Record>
SBE_Collection<Record>::SBE_Collection()
{
    for (int i = 0; i < kCapacity; i++)
        order[static_cast<size_t>(i)] = i;
}

template <class Record>
const Record *SBE_Collection<Record>::next_reused() const
{
    return count == kCapacity ? get(0) : nullptr;
}

template <class Record>
int SBE_Collection<Record>::add()
{
    if (count == kCapacity)
        destroy(0);
    Record &record = slots[static_cast<size_t>(order[static_cast<size_t>(count)])];
    record = Record();
    count++;
    record.set_index(count > 1 ? count : 0);
    return count;
}

template <class Record>
Record *SBE_Collection<Record>::get(int i)
{
    return i >= 0 && i < count ? &slots[static_cast<size_t>(order[static_cast<size_t>(i)])] : nullptr;
}

template <class Record>
const Record *SBE_Collection<Record>::get(int i) const
{
    return i >= 0 && i < count ? &slots[static_cast<size_t>(order[static_cast<size_t>(i)])] : nullptr;
}

template <class Record>
Record *SBE_Collection<Record>::last()
{
    return get(count - 1);
}

// The freed slot moves behind the list, ready for the next add.
template <class Record>
void SBE_Collection<Record>::destroy(int i)
{
    if (i < 0 || i >= count)
        return;
    int slot = order[static_cast<size_t>(i)];
    for (int k = i; k + 1 < count; k++)
        order[static_cast<size_t>(k)] = order[static_cast<size_t>(k + 1)];
    order[static_cast<size_t>(count - 1)] = slot;
    count--;
}

template <class Record>
void SBE_Collection<Record>::destroy(const Record *record)
{
    for (int i = 0; i < count; i++)
        if (get(i) == record) {
            destroy(i);
            return;
        }
}

template class SBE_Collection<Shoot_Info>;
template class SBE_Collection<Pass_Info>;
template class SBE_Collection<Dribble_Info>;

Shoot_Info *Shoot_Collection::get_shoot(int i)
{
    return const_cast<Shoot_Info *>(std::as_const(*this).get_shoot(i));
}

const Shoot_Info *Shoot_Collection::get_shoot(int i) const
{
    const Shoot_Info *shoot = get(i);
    if (!shoot)
        core->rlog("Shoot_Collection::get_shoot()->returning null");
    return shoot;
}

int Pass_Collection::add_pass()
{
    int n = add();
    if (n == 1)
        core->rlog("Adding pass for the first time");
    else
        core->rlog("Adding pass for the time:", n);
    return n;
}

// ---- Player_Info ----

Pass_Info *Player_Info::add_sent_pass()
{
    core->rlog("Add sent pass func");
    sent_pass_coll.add_pass();
    return sent_pass_coll.last_pass();
}

Pass_Info *Player_Info::add_success_pass()
{
    core->rlog("Add success pass func");
    success_pass_coll.add_pass();
    return success_pass_coll.last_pass();
}

Pass_Info *Player_Info::add_received_pass()
{
    core->rlog("Add received pass func.");
    received_pass_coll.add_pass();
    return received_pass_coll.last_pass();
}

Shoot_Info *Player_Info::add_shoot()
{
    shoot_coll.add_shoot();
    return shoot_coll.last_shoot();
}

Dribble_Info *Player_Info::add_dribble()
{
    dribble_coll.add_dribble();
    return dribble_coll.last_dribble();
}

Team_Side Player_Info::get_side2() const
{
    if (side == TV_OUR)
        return inf->side;
    return inf->side == TS_LEFT ? TS_RIGHT : TS_LEFT;
}

// ---- TSBE ----

TSBE::TSBE()
{
    for (int i = 1; i <= kTeamSize; i++) {
        tp[i].set_uniform(i);
        tp[i].set_side(TV_OUR);
        op[i].set_uniform(i);
        op[i].set_side(TV_OPP);
    }
}

Ball_State TSBE::get_ball_state(int i) const
{
    return i >= 0 && i < kHistorySize ? ball[i] : Ball_State();
}

void TSBE::shift_back_ball_state()
{
    for (int i = kHistorySize - 1; i > 0; i--)
        ball[i] = ball[i - 1];
    ball[0] = Ball_State();
}

namespace {

bool holds_ball(const World_Player_Info &p, TPoint ball_pos)
{
    return p.in_field && p.pos.dist(ball_pos) <= core->SP_kickable_area;
}

// The lowest uniform of a team holding the ball, 0 for none; players examined
// before it who are not in the field are logged.
int find_owner(const World_Player_Info *players, TPoint ball_pos, const char *not_inited)
{
    for (int u = 1; u <= kTeamSize; u++) {
        if (holds_ball(players[u], ball_pos))
            return u;
        if (!players[u].in_field)
            core->rlog(not_inited, u);
    }
    return 0;
}

}  // namespace

void TSBE::update_ball_state()
{
    shift_back_ball_state();
    Ball_State &now = ball[0];
    now.pos = inf->ball.pos;
    now.vel = inf->ball.vel;
    now.pmode = inf->play_mode;
    now.cycle = core->cycle;
    now.empty_struct = false;
    int ours = find_owner(inf->teammate_players, now.pos, "A teammate player is not inited:");
    int theirs = find_owner(inf->opponent_players, now.pos, "An opponent player is not inited:");
    now.tp_bowner = ours;
    now.op_bowner = theirs;
    if (ours && theirs) {
        now.mode = BM_BOTH;
        core->rlog("Ball is in both hands.");
    } else if (ours) {
        now.mode = BM_OUR;
        core->rlog("Ball is in our hand:)");
    } else if (theirs) {
        now.mode = BM_THEIR;
        core->rlog("Ball is in their hand:(");
    } else {
        now.mode = BM_ALONE;
        core->rlog("Ball is in non of hands!");
    }
}

bool TSBE::is_ball_kicked() const
{
    TPoint expected = ball[1].vel * core->SP_ball_decay;
    TPoint diff = expected - ball[0].vel;
    double limit = core->SP_ball_rand * expected.abs();
    core->rlog("is_ball_kicked:bvel.dist(ball->vel):", expected.dist(ball[0].vel));
    return std::fabs(diff.X) > limit || std::fabs(diff.Y) > limit;
}

bool TSBE::is_normal_change_of_ball_handler() const
{
    const Ball_State &now = ball[0];
    const Ball_State &prev = ball[1];
    if (now.mode != prev.mode)
        return true;
    if (now.mode == BM_OUR)
        return now.tp_bowner != prev.tp_bowner;
    if (now.mode == BM_THEIR)
        return now.op_bowner != prev.op_bowner;
    return false;
}

bool TSBE::is_pmode_ok_for_shoot() const { return ball[0].pmode == play_on; }

// The ball left its previous holder towards the holder's opponents' end.
bool TSBE::is_not_an_own_goal() const
{
    bool left = inf->side == TS_LEFT;
    double forward = left ? 1 : -1;   // our direction of attack along X
    TPoint pos = ball[0].pos;
    TPoint vel = ball[0].vel;
    if (left)
        core->rlog("notowngoal_OK:Out side is left.");
    bool ok = false;
    switch (ball[1].mode) {
    case BM_OUR:
        if (left)
            core->rlog("notowngoal_OK:Ball was in our hand.");
        ok = vel.X * forward > 0;
        break;
    case BM_THEIR:
        if (left)
            core->rlog("notowngoal_OK:Ball was in their hand.");
        ok = vel.X * forward < 0;
        break;
    case BM_BOTH:
        if (left)
            core->rlog("notowngoal_OK:Ball was in both hand.");
        ok = (pos.X > 0 && vel.X > 0) || (pos.X < 0 && vel.X < 0);
        if (ok && !left)
            core->rlog("notowngoal_OK:Vel OK");
        break;
    case BM_ALONE:
        break;
    }
    if (ok && left)
        core->rlog("notowngoal_OK:Vel OK");
    return ok;
}

// Follows the ball as it slows down: 1 when it reaches the right end's goal
// zone, -1 the left end's, 0 when it stops or leaves over a side line first.
int TSBE::can_ball_reach_goal_with_buffer(float side_buffer, float end_buffer) const
{
    double L = core->SP_pitch_length;
    double W = core->SP_pitch_width;
    double mouth = core->SP_goal_width / 2 + side_buffer;
    TPoint pos = ball[0].pos;
    TPoint vel = ball[0].vel;
    if (!is_finite(pos))
        return 0;
    for (int step = 0; step < kMaxBallSteps; step++) {
        if (!(vel.abs() > 0.1))
            return 0;
        pos += vel;
        vel *= core->SP_ball_decay;
        if (pos.Y <= -W / 2 || pos.Y >= W / 2) {
            core->rlog("CanBallReachGoal:failes->will be out");
            return 0;
        }
        bool in_mouth = std::fabs(std::trunc(pos.Y)) < mouth;
        if (pos.X <= -L / 2 + end_buffer && in_mouth) {
            core->rlog("Ball will goal.Right2Left");
            return -1;
        }
        if (pos.X >= L / 2 - end_buffer && in_mouth) {
            core->rlog("Ball will goal.Left2Right");
            return 1;
        }
    }
    return 0;
}

bool TSBE::is_valid_shoot_direction(float angle_buffer, int direction) const
{
    double L = core->SP_pitch_length;
    double G = core->SP_goal_width;
    float vel_dir = static_cast<float>(deg(ball[0].vel.ang()));
    core->rlog("Ball velocity:", ball[0].vel, false);
    core->rlog("Direction validity:", static_cast<double>(vel_dir));
    if (direction != 1 && direction != -1)
        return false;
    core->rlog(direction == 1 ? "Case one..." : "Case two...");
    double end_x = direction * L / 2;
    TPoint top(end_x, -G / 2);
    TPoint down(end_x, G / 2);
    core->rlog("Top mast:", top, false);
    core->rlog("Down mast:", down, false);
    TPoint from = ball[1].pos;
    // Towards the right the bounds widen the posts' interval; towards the left
    // the interval is the complement, so the bounds move the other way.
    float first = static_cast<float>(deg((top - from).ang()) - direction * angle_buffer);
    float second = static_cast<float>(deg((down - from).ang()) + direction * angle_buffer);
    core->rlog("Top mast angle:", static_cast<double>(first));
    core->rlog("Down mast angle:", static_cast<double>(second));
    bool ok = is_between_2_angles(first, second, direction == 1, vel_dir);
    if (ok)
        core->rlog("direction validity:Compare OK");
    return ok;
}

void TSBE::log_shoot_analysing(bool kicked, bool changed, bool reaches, bool pmode_ok, bool direction_ok,
                               bool not_own_goal) const
{
    core->rlog("Kick_OK:", kicked ? 1 : 0);
    core->rlog("mode_OK:", changed ? 1 : 0);
    core->rlog("est_OK:", reaches ? 1 : 0);
    core->rlog("pmode_OK:", pmode_ok ? 1 : 0);
    core->rlog("direction_OK:", direction_ok ? 1 : 0);
    core->rlog("notowngoal_OK:", not_own_goal ? 1 : 0);
}

Player_Info *TSBE::shooter_for(int direction, int our_uniform, int their_uniform)
{
    bool towards_their_end = (direction == 1) == (inf->side == TS_LEFT);
    return towards_their_end ? player_of(tp, our_uniform) : player_of(op, their_uniform);
}

Team_Info &TSBE::team_of(Team_Value side) { return side == TV_OUR ? our_team : their_team; }

void TSBE::save_shoot(int direction)
{
    core->rlog("a shoot on goal...saving...saved.");
    const Ball_State &prev = ball[1];
    Player_Info *shooter = shooter_for(direction, prev.tp_bowner, prev.op_bowner);
    if (!shooter)
        return;   // the previous holder was of the other team: no shooter to credit
    if (shooter->get_side() == TV_OUR)
        core->rlog("A shoot to the right side,by teammate uniform ", shooter->get_uniform());
    else
        core->rlog("A shoot to the left side,by opponent uniform ", shooter->get_uniform());
    Shoot_Info *shoot = shooter->add_shoot();
    shoot->set_shooter_uniform(shooter->get_uniform());
    shoot->set_shooter(shooter);
    shoot->set_start_point(prev.pos);
    core->rlog("Start point is:", prev.pos, false);
    last_shoot = shoot;
    is_shoot_incomplete = true;
    last_shoot_direction = direction;
}

void TSBE::save_pass()
{
    const Ball_State &prev = ball[1];
    Player_Info *sender = nullptr;
    if (prev.mode == BM_OUR) {
        sender = player_of(tp, prev.tp_bowner);
        core->rlog("Teammate passed.uniform was:", prev.tp_bowner);
    } else if (prev.mode == BM_THEIR) {
        sender = player_of(op, prev.op_bowner);
        core->rlog("Opponent passed.uniform was:", prev.op_bowner);
    }
    if (!sender)
        return;
    Pass_Info *pass = sender->add_sent_pass();
    pass->set_sender_uniform(sender->get_uniform());
    pass->set_sender(sender);
    pass->set_start_point(prev.pos);
    last_pass = pass;
    is_pass_incomplete = true;
}

void TSBE::finish_shoot(Shoot_Target_Info target)
{
    last_shoot->target = target;
    last_shoot->set_end_point(ball[0].pos);
    last_shoot_direction = 0;
    is_shoot_incomplete = false;
}

void TSBE::drop_shoot(Player_Info *shooter)
{
    shooter->delete_shoot(last_shoot);
    last_shoot = nullptr;
    last_shoot_direction = 0;
    is_shoot_incomplete = false;
}

// A shot that a player took up and kicked on: the shooter's pass to him.
void TSBE::turn_shoot_into_pass(Player_Info *shooter, int receiver, Team_Value receiving)
{
    core->rlog("Removing shoot and adding pass...");
    if (shooter->sent_pass_coll.next_reused() == last_pass)
        forget_pass();   // the new pass reuses the incomplete one's record
    Pass_Info *pass = shooter->add_sent_pass();
    pass->set_sender_uniform(shooter->get_uniform());
    pass->set_receiver_uniform(receiver);
    pass->set_sender(shooter);
    pass->set_start_point(last_shoot->get_start_point());
    pass->set_end_point(ball[0].pos);
    pass->target = receiving == TV_OUR ? PTI_TM : PTI_OPP;
    Team_Info &team = team_of(receiving);
    team.add_pass_count();
    if (shooter->get_side() == receiving) {
        core->rlog("adding success pass...");
        copy_pass(shooter->add_success_pass(), *pass);
        team.add_success_pass_count();
    }
    drop_shoot(shooter);
}

bool TSBE::finish_incomplete_shoot(int direction)
{
    if (!is_shoot_incomplete)
        return false;
    core->rlog("there is a incomplete shoot...");
    core->rlog(inf->side == TS_LEFT ? "We are in the left side..." : "We are in the right side...");
    int uniform = last_shoot ? last_shoot->get_shooter_uniform() : 0;
    Player_Info *shooter = shooter_for(direction, uniform, uniform);
    if (!shooter) {
        is_shoot_incomplete = false;
        last_shoot_direction = 0;
        return false;
    }
    const Ball_State &now = ball[0];
    if (inf->event == goal_l || inf->event == goal_r) {
        core->rlog("The last shoot goaled...");
        finish_shoot(STI_GOALED);
        team_of(shooter->get_side()).add_goaled_shoot_count();
    } else if (inf->play_mode == goal_kick_l || inf->play_mode == goal_kick_r) {
        core->rlog("Last shoot went out...");
        finish_shoot(STI_WENT_OUT);
    } else if (inf->event == offside_l || inf->event == offside_r) {
        core->rlog("Last shoot offsided...");
        finish_shoot(STI_OFFSIDE);
    } else if ((now.mode == BM_THEIR && now.op_bowner == inf->their_goalie_uniform) ||
               (now.mode == BM_OUR && now.tp_bowner == inf->our_goalie_uniform)) {
        core->rlog("Last shoot catched by goalie...");
        finish_shoot(STI_CAUGHT);
        team_of(shooter->get_side()).add_caught_shoot_count();
    } else if (now.mode == BM_OUR || now.mode == BM_THEIR) {
        core->rlog(now.mode == BM_OUR ? "Last shoot went to our hand..." : "Last shoot went to their hand...");
        if (!is_ball_kicked())
            return false;
        core->rlog("Ball is kicked.");
        bool ours = now.mode == BM_OUR;
        turn_shoot_into_pass(shooter, ours ? now.tp_bowner : now.op_bowner, ours ? TV_OUR : TV_OPP);
        return true;
    } else if (now.mode == BM_BOTH) {
        core->rlog("Ball is in hands of both");
        if (is_ball_kicked()) {
            core->rlog("Deleting shoot...");
            drop_shoot(shooter);
        }
    }
    return false;
}

void TSBE::forget_pass()
{
    last_pass = nullptr;
    is_pass_incomplete = false;
}

// The ball reached a holder: the sender's own teammate (a success), the
// sender himself (a dribble) or the other team (an interception).
void TSBE::receive_pass(Player_Info *sender)
{
    const Ball_State &now = ball[0];
    bool ours = now.mode == BM_OUR;
    int receiver = ours ? now.tp_bowner : now.op_bowner;
    Pass_Info *pass = last_pass;
    pass->set_end_point(now.pos);
    pass->set_receiver_uniform(receiver);
    pass->target = ours ? PTI_TM : PTI_OPP;   // the receiving team, interceptions included
    is_pass_incomplete = false;
    core->rlog("Pass received from uniform...", sender->get_uniform());
    Team_Info &team = team_of(sender->get_side());
    team.add_pass_count();
    core->rlog(sender->get_side() == TV_OUR ? "Pass was from a teammate..." : "Pass was from an opponent...");
    core->rlog(ours ? "Ball is in our hand..." : "Ball is in their hand...");
    if (sender->get_side() != (ours ? TV_OUR : TV_OPP))
        return;
    if (receiver == sender->get_uniform()) {
        Dribble_Info *dribble = sender->add_dribble();
        dribble->time = core->cycle;
        dribble->set_dribbler_uniform(sender->get_uniform());
        dribble->set_dribbler(sender);
        dribble->set_start_point(pass->get_start_point());
        dribble->set_end_point(pass->get_end_point());
        team.add_dribble_count();
        team.dec_pass();
        sender->delete_sent_pass(pass);
        last_pass = nullptr;
        core->rlog("A dribble detected.");
        return;
    }
    copy_pass(sender->add_success_pass(), *pass);
    team.add_success_pass_count();
    core->rlog(ours ? "pass received by teammate uniform:" : "pass received by opponent uniform:", receiver);
}

// Play stopped while the pass was on its way.
void TSBE::end_pass_by_stop(Player_Info *sender)
{
    last_pass->set_end_point(ball[0].pos);
    is_pass_incomplete = false;
    team_of(sender->get_side()).add_pass_count();
    if (inf->event == offside_l || inf->event == offside_r) {
        last_pass->target = PTI_OFFSIDE;
        core->rlog("pass offsided");
    } else if (inf->event == goalie_catch_ball_l || inf->event == goalie_catch_ball_r) {
        last_pass->target = PTI_CAUGHT;
        core->rlog("pass catched");
    } else {
        last_pass->target = PTI_WENT_OUT;
        core->rlog("pass went out");
    }
}

void TSBE::finish_incomplete_pass(bool shot_turned_into_pass)
{
    Player_Info *sender = last_pass ? last_pass->get_sender() : nullptr;
    if (is_pass_incomplete && !sender)
        forget_pass();
    const Ball_State &now = ball[0];
    bool held = now.mode == BM_OUR || now.mode == BM_THEIR;
    bool playing = inf->play_mode == play_on;
    if (!shot_turned_into_pass && held && is_pass_incomplete && playing) {
        receive_pass(sender);
    } else if (!is_pass_incomplete || playing) {
        if (now.mode == BM_BOTH && is_pass_incomplete) {
            core->rlog("Pass deleted...");
            sender->delete_sent_pass(last_pass);
            forget_pass();
        }
    } else {
        end_pass_by_stop(sender);
    }
}

void TSBE::count_ball_holding(bool kicked, bool changed)
{
    const Ball_Mode now = ball[0].mode;
    const Ball_Mode prev = ball[1].mode;
    if (changed && now == BM_OUR) {
        our_team.add_kickabled();
        core->rlog("Ball kickabled for teammate");
    } else if (changed && now == BM_THEIR) {
        their_team.add_kickabled();
        core->rlog("Ball kickabled for opponent");
    }
    bool prev_held = prev == BM_OUR || prev == BM_THEIR;
    core->rlog("is ball kicked:", kicked ? 1 : 0);
    core->rlog("prev cycle have ball:", prev_held ? 1 : 0);
    core->rlog("owner_effect_ball:", owner_effect_ball ? 1 : 0);
    if (kicked && prev_held && !owner_effect_ball) {
        core->rlog("Kickabled with a kick....");
        team_of(prev == BM_OUR ? TV_OUR : TV_OPP).add_kickabled_w_kick();
        owner_effect_ball = true;
    }
    if (changed) {
        core->rlog("refreshing ball effecting...");
        owner_effect_ball = false;
    }
}

// Cycles of open play in which a field player of a team holds the ball alone.
void TSBE::count_possession()
{
    const Ball_State &now = ball[0];
    if (inf->play_mode != play_on)
        return;
    if (now.mode == BM_OUR && now.tp_bowner != inf->our_goalie_uniform)
        our_team.add_cycles_have_ball();
    else if (now.mode == BM_THEIR && now.op_bowner != inf->their_goalie_uniform)
        their_team.add_cycles_have_ball();
}

void TSBE::update_behavior_model()
{
    if (prev_cycle == core->cycle && core->cycle != 0)
        return;   // already updated in this cycle
    prev_cycle = core->cycle;
    update_ball_state();
    bool kicked = is_ball_kicked();
    bool changed = is_normal_change_of_ball_handler();
    bool pmode_ok = is_pmode_ok_for_shoot();
    bool not_own_goal = is_not_an_own_goal();
    int direction = can_ball_reach_goal_with_buffer(core->SP_pitch_width / 2, core->SP_goal_area_length);
    bool reaches = direction != 0;
    bool direction_ok = is_valid_shoot_direction(kShootAngleBuffer, direction);
    log_shoot_analysing(kicked, changed, reaches, pmode_ok, direction_ok, not_own_goal);
    bool turned = finish_incomplete_shoot(last_shoot_direction);
    if (kicked && changed && reaches && pmode_ok && direction_ok && not_own_goal)
        save_shoot(direction);
    else if (kicked && changed && pmode_ok && !is_shoot_incomplete)
        save_pass();
    finish_incomplete_pass(turned);
    core->rlog("Is incomplete pass:", is_pass_incomplete ? 1 : 0);
    count_ball_holding(kicked, changed);
    count_possession();
}
