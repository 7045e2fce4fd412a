#pragma once
// Angle and numeric routines shared by all programs. Angles are degrees in
// [-180, 180] unless a routine's name says radians. No state.

#include <cfloat>

constexpr double kPi = 3.14159265358979323846;

// The largest float: distances and angles that a query could not find, and
// values that `equation` could not work out.
constexpr float kNoAnswer = FLT_MAX;

// Wrap an angle into one turn; the bounds themselves are kept (-180 stays -180,
// 180 stays 180). NaN and infinite angles have no direction and give NaN.
float get_normal_angle_deg(float theta);
float get_normal_angle_rad(float theta);
void normalize_angle_deg(float *theta);
void normalize_angle_rad(float *theta);

// Whether theta lies strictly between start and end (degrees). Clockwise the
// interval runs from start towards increasing angles up to end; counter-clockwise
// it is the complement. theta itself is not wrapped.
bool is_between_2_angles(float start, float end, bool clock_wise, float theta);

float ACos(float x);   // degrees 0..180; arguments beyond [-1, 1] are clamped
float ASin(float x);   // degrees -90..90; arguments beyond [-1, 1] are clamped

// x to n decimals; a negative x with a fractional part always goes down
// (round(-1.2, 0) is -2).
float round(float x, int n);
float int_pow(float x, int p);

// Cycles after which a motion starting at first_speed and multiplied by decay
// each cycle has covered dist; -1 when it never does. Not a whole number.
float calc_cycles(float first_speed, float decay, float dist);

// Remainder of Val by a positive Div; Val when Val < Div, when Val is negative
// or when Div is not positive.
double mod(double Val, double Div);

// Solves a*x + b*y = c, ap*x + bp*y = cp. false when the system has no single
// solution; *x and *y then may hold kNoAnswer.
bool equation(double a, double b, double c, double ap, double bp, double cp, double *x, double *y);
