#include "coach/coachlang.h"

#include "coach/core.h"
#include "coach/sbe.h"
#include "coach/stdmaker.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

const int kFirstAdvised = 2;          // the goalkeeper is not advised
const int kClearingTime = 12000;      // token times count down with the match cycle
const int kAttackingTime = 9423;
const float kClearingHalfSide = 7;    // half the side of the square around a shot place
const float kClearingTargetY = 32;    // the touchline's height at the halfway line, nearly
const float kAttackRadius = 20;       // a player's disc around his attacking point
const float kAttackZoneNear = 30;     // the zone the attackers pass into: x and |y| bounds
const float kAttackZoneFar = 45;
const float kAttackZoneHalfWidth = 20;

Uniform_List only(int unum) {
    Uniform_List players;
    players.add_player(unum);
    return players;
}

Region point_region(const Reg_Point &point) {
    Region region;
    region.insert(point);
    return region;
}

Region point_region(float x, float y) {
    Reg_Point point;
    point.insert_point(x, y);
    return point_region(point);
}

Region ball_region() {
    Reg_Point ball;
    ball.insert_ball();
    return point_region(ball);
}

Condition player_in(int unum, const Region &region) {
    Condition condition;
    condition.insert_player_pos(TV_OUR, only(unum), 1, 1, region);
    return condition;
}

Directive tell(int unum, const Coach_Action &action) {
    return dir_get_dir(DAT_POSITIVE, TV_OUR, only(unum), action);
}

Coach_Action pass_into(const Region &region) {
    Coach_Action action;
    action.insert_send_ball(region, true, false, false, false);
    return action;
}

// Appends all of tokens, or none when the message's text would then not fit
// in the say command.
bool append_if_fits(Advice_Message *msg, std::vector<AI_Token> tokens) {
    size_t length = get_advice_string(msg).size();
    for (const AI_Token &token : tokens)
        length += get_AI_token_string(&token).size();
    if (length > static_cast<size_t>(kAdviceTextRoom))
        return false;
    for (AI_Token &token : tokens)
        msg->add_token(std::move(token));
    return true;
}

// The coach language is written in the server's frame, the one the coach sees
// the field in; each player turns it into its own team's frame. A point given
// in our team's frame (x towards the opponents' goal) in the server's frame:
TPoint server_frame(TPoint ours) { return inf->side == TS_RIGHT ? TPoint(-ours.X, -ours.Y) : ours; }

Region quad_region(TPoint p1, TPoint p2, TPoint p3, TPoint p4) {
    Reg_Quad quad;
    quad.insert(p1, p2, p3, p4);
    Region region;
    region.insert(quad);
    return region;
}

// The square around a shot place; the place is in the server's frame already.
Region clearing_square(TPoint place) {
    const double d = kClearingHalfSide;
    return quad_region(place + TPoint(-d, -d), place + TPoint(d, -d), place + TPoint(d, d), place + TPoint(-d, d));
}

// When player unum and the ball are in the square around the place: pass out
// to the touchline at the halfway line on the place's side, else go to the ball.
AI_Token clearing_token(TPoint place, int unum) {
    const Region square = clearing_square(place);
    Condition_List both;
    both.add_condition(player_in(unum, square));
    Condition ball_in;
    ball_in.insert_ball_pos(square);
    both.add_condition(ball_in);

    AI_Token token;
    token.condition.insert_logic(CT_AND, both);
    token.time = kClearingTime - core->cycle;
    const float target_y = place.Y >= 0 ? kClearingTargetY : -kClearingTargetY;
    token.directive_list.add_directive(tell(unum, pass_into(point_region(0, target_y))));
    Coach_Action go_to_ball;
    go_to_ball.insert_action_pos(ball_region());
    token.directive_list.add_directive(tell(unum, go_to_ball));
    return token;
}

std::vector<AI_Token> place_tokens(TPoint place) {
    core->rlog("CLang:advicing for each grid");
    std::vector<AI_Token> tokens;
    for (int unum = kFirstAdvised; unum <= kTeamSize; unum++) {
        core->rlog("CLang:advicing for each player");
        core->rlog("CLang:shooted point is:", place, false);
        core->rlog("CLang:Defensive quadrangle sides:");
        tokens.push_back(clearing_token(place, unum));
    }
    return tokens;
}

// The opponents' first `goals` shots that went in or out, player by player.
std::vector<const Shoot_Info *> gather_shots(const TSBE &sbe, int goals) {
    std::vector<const Shoot_Info *> shots;
    for (int unum = 1; unum <= kTeamSize; unum++) {
        const Player_Info &shooter = sbe.op[unum];
        core->rlog("CLang:player", unum);
        core->rlog("CLang:his shoot count is:", shooter.get_shoot_count());
        for (int i = 0; i < shooter.get_shoot_count(); i++) {
            core->rlog("CLang:!", unum);
            const Shoot_Info *shot = shooter.get_shoot(i);
            if (!shot || (shot->target != STI_GOALED && shot->target != STI_WENT_OUT))
                continue;
            if (static_cast<int>(shots.size()) == goals)
                break;
            core->rlog("CLang:going to save shoot index", static_cast<int>(shots.size()));
            shots.push_back(shot);
            core->rlog("CLang:a goal detected.");
        }
    }
    core->rlog("CLang:all goaled shoots gathered");
    return shots;
}

// The grid cells the shots started from, each once, in order of first use.
std::vector<TPoint> distinct_places(const std::vector<const Shoot_Info *> &shots) {
    std::vector<int> cells;
    std::vector<TPoint> places;
    for (const Shoot_Info *shot : shots) {
        const TSBEGrid &grid = shot->get_start_grid();
        bool known = false;
        for (int cell : cells)
            known = known || cell == grid.get_grid_index();
        core->rlog(known ? "CLang:exist!" : "CLang:not exist");
        if (known)
            continue;
        cells.push_back(grid.get_grid_index());
        places.push_back(grid.get_grid_point());
    }
    core->rlog("CLang:all shooting points gathered", static_cast<int>(places.size()));
    return places;
}

// A point 30 to 39 m up the field, 20 m to either side, from two draws.
TPoint attacking_point() {
    const long side_draw = random();
    const long depth_draw = random();
    const double y = (side_draw / 31) % 2 == 1 ? kAttackZoneHalfWidth : -kAttackZoneHalfWidth;
    return TPoint(kAttackZoneNear + (depth_draw / 31) % 10, y);
}

// The attacking zone, 30 to 45 m up the field and within 20 m of its middle line.
Region attacking_zone() {
    return quad_region(server_frame(TPoint(kAttackZoneNear, -kAttackZoneHalfWidth)),
                       server_frame(TPoint(kAttackZoneFar, -kAttackZoneHalfWidth)),
                       server_frame(TPoint(kAttackZoneFar, kAttackZoneHalfWidth)),
                       server_frame(TPoint(kAttackZoneNear, kAttackZoneHalfWidth)));
}

// Within 20 m of the point (in our team's frame), player unum passes into the attacking zone.
AI_Token attacking_token(TPoint centre, int unum) {
    AI_Token token;
    token.time = kAttackingTime - core->cycle;
    Reg_Arc disc;
    disc.insert(server_frame(centre), 0, kAttackRadius, 0, 360);
    Region around;
    around.insert(disc);
    token.condition = player_in(unum, around);
    token.directive_list.add_directive(tell(unum, pass_into(attacking_zone())));
    return token;
}

bool is_corvane(const char *team) {
    return std::string_view(team, strnlen(team, kCoachTextSize)).find("Corvane") != std::string_view::npos;
}

}  // namespace

void get_advice_message(Advice_Message *msg) {
    add_ball_clearing_tokens(msg);
    if (!is_corvane(inf->our_team_name))
        add_center_tokens(msg);
    core->rlog("CLang:add_ball_clearing_tokens() finished");
}

// Places already advised are passed over; a place whose tokens do not fit is
// left, with those after it, for the next message.
void add_ball_clearing_tokens(Advice_Message *msg) {
    core->rlog("CLang:add_ball_clearing_tokens()");
    if (!core->SBE)
        return;
    const int goals = core->SBE->their_team.goaled_shoot_count();
    if (goals <= 0) {
        core->rlog("CLang:goaled_shoot_count() is zero");
        return;
    }
    core->rlog("CLang:goaled_shoot_count() is", goals);
    int skip = core->ball_clearing_said;
    for (TPoint place : distinct_places(gather_shots(*core->SBE, goals))) {
        if (skip > 0) {
            skip--;
            continue;
        }
        if (!append_if_fits(msg, place_tokens(place))) {
            core->rlog("CLang:no room left, places advised next time from", core->ball_clearing_said);
            return;
        }
        core->ball_clearing_said++;
    }
}

// Both points are drawn for every player, so the draws do not depend on what fits.
void add_center_tokens(Advice_Message *msg) {
    for (int unum = kFirstAdvised; unum <= kTeamSize; unum++)
        if (!append_if_fits(msg, {attacking_token(attacking_point(), unum)}))
            core->rlog("CLang:no room left for the attacking advice of", unum);
}

bool add_advice_clearing_token(Advice_Message *msg) {
    core->rlog("CLang:mode is not play_on");
    AI_Token clear;
    clear.clear = true;
    return append_if_fits(msg, {clear});
}
