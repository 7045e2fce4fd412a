#pragma once
// The stand-in server's simulated world: the effect of each body command, one
// cycle of motion for players and ball, and the see message a player gets from
// the true state. No noise: the same state always gives the same numbers.

#include <string>
#include <vector>

struct StandInPlayer;
struct StandInWorld;

// The current server's physical values (its default player type).
namespace standin_param {
const double kMaxPower = 100;            // dash powers are cut to this, kick powers to +-this
const double kMinDashPower = 0;          // a dash below this power is one of this power
const double kMaxMoment = 180;           // turn and turn_neck arguments
const double kMaxNeck = 90;              // head angle limit either side of the body
const double kDashPowerRate = 0.006;
const double kPlayerAccelMax = 1.0;
const double kPlayerSpeedMax = 1.05;
const double kPlayerDecay = 0.4;
const double kInertiaMoment = 5.0;
const double kStaminaMax = 8000;
const double kStaminaIncMax = 45;
// Below a threshold (a share of kStaminaMax) recovery and effort fall each
// cycle, recovery for good; above the last one effort comes back.
const double kRecoverDecThr = 0.3;
const double kRecoverDec = 0.002;
const double kRecoverMin = 0.5;
const double kEffortDecThr = 0.3;
const double kEffortDec = 0.005;
const double kEffortMin = 0.6;
const double kEffortIncThr = 0.6;
const double kEffortInc = 0.01;
const double kEffortMax = 1.0;
const double kPlayerSize = 0.3;
const double kBallSize = 0.085;
const double kKickableMargin = 0.7;
const double kKickableArea = kPlayerSize + kBallSize + kKickableMargin;   // 1.085
const double kKickPowerRate = 0.027;
const double kBallAccelMax = 2.7;
const double kBallSpeedMax = 2.7;
const double kBallDecay = 0.94;
const double kPitchHalfLength = 52.5;     // centre spot to goal line
const double kPitchHalfWidth = 34.0;      // centre spot to touchline
const double kGoalWidth = 14.02;
const double kGoalAreaLength = 5.5;
const double kGoalAreaHalfWidth = 9.16;
const double kPenaltyAreaLength = 16.5;
const double kPenaltyAreaHalfWidth = 20.16;
const double kCornerKickMargin = 1.0;     // a corner kick's ball lies this far inside both lines
const double kCatchableAreaL = 2.0;      // the catch rectangle reaches this far along the catch direction
const double kCatchableAreaW = 1.0;      // and is this wide
const int kCatchBanCycle = 5;            // cycles after a catch command before the next can hold
const int kGoalieMaxMoves = 2;           // moves a goalie holding the ball may make
const double kVisibleDistance = 3.0;     // objects this near are sensed behind the head too
const double kUnumFarLength = 20;        // nearer players show team, number and motion
const double kTeamFarLength = 40;        // nearer players show their team
const double kQuantizeStep = 0.1;        // distance quantisation of ball and players
const double kQuantizeStepLandmark = 0.01;   // of flags, goals and lines
const int kSendStepMs = 150;             // see interval in normal width, high quality
const int kSimulatorStepMs = 100;        // simulated time per cycle
}  // namespace standin_param

// value rounded to a multiple of step.
double standin_rounded(double value, double step);
// A number as the server prints it: no trailing zeros, integers without a point.
std::string standin_number_text(double value);
// An angle in degrees brought into [-180, 180]; 0 for a non-finite angle.
double standin_normal_angle_deg(double angle);

// Body commands. Each changes only the pending acceleration or the angles; the
// motion happens in the cycle's step. Arguments must be finite.
void standin_dash(StandInPlayer &player, double power);
void standin_turn(StandInPlayer &player, double moment);
void standin_turn_neck(StandInPlayer &player, double angle);
// True when the ball was within the kickable area and got an acceleration.
bool standin_kick(const StandInPlayer &player, StandInWorld &world, double power, double direction);

// True when the ball lies in the catch rectangle that starts at the player and
// points along its body direction turned by direction degrees.
bool standin_ball_in_catch_area(const StandInPlayer &player, const StandInWorld &world, double direction);
// True when the ball lies in the penalty area that the side ('l' or 'r') defends.
bool standin_ball_in_penalty_area(const StandInWorld &world, char side);

// One cycle of motion: acceleration into velocity, the speed limit, the move,
// the decay; for a player also the stamina rule (recovery and effort by the
// thresholds, then the stamina's recovery), a fresh command budget and one
// cycle off its catch ban.
void standin_step_player(StandInPlayer &player);
void standin_step_ball(StandInWorld &world);

// The see interval of a view mode, in milliseconds of simulated time.
int standin_see_interval_ms(const std::string &width, const std::string &quality);

// "(see T ...)" for observer: flags, goals, lines, the ball and the other
// players, with names as the server writes them (the field's own left and
// right, whichever side the observer plays on).
std::string standin_see(const StandInPlayer &observer, const std::vector<StandInPlayer> &players,
                        const StandInWorld &world, int time);
