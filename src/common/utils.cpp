#include "common/utils.h"

#include <cmath>
#include <limits>

namespace {

// Below this many turns an angle is wrapped by stepping one turn at a time, as
// the callers have always seen it; beyond, it is first reduced with fmod so that
// huge values (even the no-answer value) take a few steps only.
constexpr double kSteppedTurns = 64;

// Wraps theta into [-half_turn, half_turn]: first up while below, then down while
// above, storing into the float after every step.
float wrap_angle(float theta, double half_turn)
{
    if (!std::isfinite(theta))
        return std::numeric_limits<float>::quiet_NaN();
    const double turn = 2 * half_turn;
    if (std::fabs(theta) > kSteppedTurns * turn)
        theta = static_cast<float>(std::fmod(static_cast<double>(theta), turn));
    while (theta < -half_turn)
        theta = static_cast<float>(theta + turn);
    while (theta > half_turn)
        theta = static_cast<float>(theta - turn);
    return theta;
}

// x multiplied p times into 1; p is wide so that -INT_MIN fits.
float repeated_product(float x, long long p)
{
    float product = 1;
    for (long long i = 0; i < p; ++i)
        product *= x;
    return product;
}

double to_degrees(double rad) { return rad * 180 / kPi; }

// Both unknowns by elimination; false for a singular system.
bool eliminate(double a, double b, double c, double ap, double bp, double cp, double *x, double *y)
{
    if (a == 0)  // only when a and b are both 0: the first equation says nothing
        return false;
    const double k = ap / a;
    const double denominator = bp - k * b;
    if (denominator == 0)  // the equations are proportional
        return false;
    *y = (cp - k * c) / denominator;
    *x = (c - b * *y) / a;
    return true;
}

}  // namespace

float get_normal_angle_deg(float theta) { return wrap_angle(theta, 180); }

float get_normal_angle_rad(float theta) { return wrap_angle(theta, kPi); }

void normalize_angle_deg(float *theta) { *theta = get_normal_angle_deg(*theta); }

void normalize_angle_rad(float *theta) { *theta = get_normal_angle_rad(*theta); }

bool is_between_2_angles(float start, float end, bool clock_wise, float theta)
{
    if (!clock_wise)
        return !is_between_2_angles(start, end, true, theta);
    start = get_normal_angle_deg(start);
    end = get_normal_angle_deg(end);
    if (start < end)
        return start < theta && theta < end;
    if (start > end)  // the interval crosses +-180: the complement of its reverse
        return !is_between_2_angles(end, start, true, theta);
    return false;  // start == end (or a NaN bound): the interval is empty
}

float ACos(float x)
{
    if (x >= 1)
        return 0;
    if (x <= -1)
        return 180;
    return static_cast<float>(to_degrees(std::acos(static_cast<double>(x))));
}

float ASin(float x)
{
    if (x >= 1)
        return 90;
    if (x <= -1)
        return -90;
    return static_cast<float>(to_degrees(std::asin(static_cast<double>(x))));
}

float round(float x, int n)
{
    const float scale = int_pow(10, n);
    const float scaled = x * scale;
    const double fraction = std::fmod(static_cast<double>(scaled), 1.0);  // sign of scaled
    return (fraction >= 0.5 ? std::ceil(scaled) : std::floor(scaled)) / scale;
}

float int_pow(float x, int p)
{
    if (p < 0)
        return 1 / repeated_product(x, -static_cast<long long>(p));
    return repeated_product(x, p);
}

float calc_cycles(float first_speed, float decay, float dist)
{
    if (decay < 0 || first_speed <= 0)
        return -1;
    if (decay == 1)  // no decay: constant speed
        return dist / first_speed;
    const float temp = (decay - 1) * dist / first_speed + 1;
    if (temp <= 0)  // beyond the motion's reach
        return -1;
    return static_cast<float>(std::log(static_cast<double>(temp)) / std::log(static_cast<double>(decay)));
}

double mod(double Val, double Div)
{
    if (Val < Div || !(Div > 0))
        return Val;
    return std::fmod(Val, Div);
}

bool equation(double a, double b, double c, double ap, double bp, double cp, double *x, double *y)
{
    *x = kNoAnswer;
    *y = kNoAnswer;
    if ((a == 0 && ap == 0) || (b == 0 && bp == 0))
        return false;
    bool x_known = true;
    if (b == 0 && a != 0)
        *x = c / a;
    else if (bp == 0 && ap != 0)
        *x = cp / ap;
    else
        x_known = false;
    bool y_known = true;
    if (a == 0 && b != 0)
        *y = c / b;
    else if (ap == 0 && bp != 0)
        *y = cp / bp;
    else
        y_known = false;
    if (!x_known && !y_known)
        return eliminate(a, b, c, ap, bp, cp, x, y);
    if (!x_known)
        *x = (a == 0) ? (cp - bp * *y) / ap : (c - b * *y) / a;
    if (!y_known)
        *y = (b == 0) ? (cp - ap * *x) / bp : (c - a * *x) / b;
    return true;
}
