#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/utils.h"

namespace {

// The stepping every caller relied on, for comparison on ordinary values.
float stepped(float theta, double half_turn)
{
    while (theta < -half_turn)
        theta = static_cast<float>(theta + 2 * half_turn);
    while (theta > half_turn)
        theta = static_cast<float>(theta - 2 * half_turn);
    return theta;
}

}  // namespace

TEST(Angles, NormalisationWrapsBothWays)
{
    EXPECT_FLOAT_EQ(get_normal_angle_deg(190), -170);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(540), 180);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(-540), -180);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(900), 180);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(-900), -180);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(360), 0);
    EXPECT_FLOAT_EQ(get_normal_angle_deg(-360), 0);
}

TEST(Angles, BoundsAreKept)
{
    EXPECT_EQ(get_normal_angle_deg(-180), -180);
    EXPECT_EQ(get_normal_angle_deg(180), 180);
    float theta = -180;
    normalize_angle_deg(&theta);
    EXPECT_EQ(theta, -180);
}

TEST(Angles, OrdinaryValuesMatchTheSteppingExactly)
{
    for (float theta = -25000; theta <= 25000; theta += 7.31f) {
        ASSERT_EQ(get_normal_angle_deg(theta), stepped(theta, 180)) << theta;
        const float rad = theta / 62.5f;  // up to 400 radians
        ASSERT_EQ(get_normal_angle_rad(rad), stepped(rad, kPi)) << rad;
    }
}

TEST(Angles, HugeValuesEndInOneTurn)
{
    for (float theta : {1e30f, -1e30f, kNoAnswer, -kNoAnswer, 3.6e7f}) {
        const float wrapped = get_normal_angle_deg(theta);
        EXPECT_GE(wrapped, -180) << theta;
        EXPECT_LE(wrapped, 180) << theta;
        const float wrapped_rad = get_normal_angle_rad(theta);
        EXPECT_GE(wrapped_rad, -kPi - 1e-6) << theta;
        EXPECT_LE(wrapped_rad, kPi + 1e-6) << theta;
    }
    EXPECT_FLOAT_EQ(get_normal_angle_deg(3600000 + 90), 90);
}

TEST(Angles, NonFiniteValuesGiveNaN)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(std::isnan(get_normal_angle_deg(inf)));
    EXPECT_TRUE(std::isnan(get_normal_angle_deg(-inf)));
    EXPECT_TRUE(std::isnan(get_normal_angle_deg(std::nanf(""))));
    float theta = inf;
    normalize_angle_rad(&theta);
    EXPECT_TRUE(std::isnan(theta));
}

TEST(Angles, RadiansStepByTwoPi)
{
    EXPECT_NEAR(get_normal_angle_rad(4), 4 - 2 * kPi, 1e-6);
    EXPECT_NEAR(get_normal_angle_rad(-7), -7 + 2 * kPi, 1e-6);
    EXPECT_FLOAT_EQ(get_normal_angle_rad(1), 1);
}

TEST(Angles, BetweenTwoAnglesClockwise)
{
    EXPECT_TRUE(is_between_2_angles(10, 20, true, 15));
    EXPECT_FALSE(is_between_2_angles(10, 20, true, 10));
    EXPECT_FALSE(is_between_2_angles(10, 20, true, 20));
    EXPECT_TRUE(is_between_2_angles(170, -170, true, 180));
    EXPECT_FALSE(is_between_2_angles(170, -170, true, 0));
    EXPECT_FALSE(is_between_2_angles(0, 20, true, 370));  // theta is not wrapped
}

TEST(Angles, BetweenTwoAnglesCounterClockwiseIsTheComplement)
{
    EXPECT_FALSE(is_between_2_angles(10, 20, false, 15));
    EXPECT_FALSE(is_between_2_angles(170, -170, false, 180));
    EXPECT_TRUE(is_between_2_angles(170, -170, false, 0));
}

TEST(Angles, BetweenEqualBoundsIsEmptyClockwise)
{
    EXPECT_FALSE(is_between_2_angles(30, 30, true, 30));
    EXPECT_FALSE(is_between_2_angles(30, 390, true, 100));
    EXPECT_TRUE(is_between_2_angles(30, 390, false, 100));
    EXPECT_FALSE(is_between_2_angles(std::nanf(""), 20, true, 10));
}

TEST(Numeric, ArcFunctionsClampTheirArgument)
{
    EXPECT_FLOAT_EQ(ACos(1.5), 0);
    EXPECT_FLOAT_EQ(ACos(-2), 180);
    EXPECT_FLOAT_EQ(ACos(0), 90);
    EXPECT_FLOAT_EQ(ASin(1.0), 90);
    EXPECT_FLOAT_EQ(ASin(-3), -90);
    EXPECT_FLOAT_EQ(ASin(0.5), 30);
}

TEST(Numeric, RoundingToDecimals)
{
    EXPECT_FLOAT_EQ(round(1.25f, 1), 1.3f);
    EXPECT_FLOAT_EQ(round(1.24f, 1), 1.2f);
    EXPECT_FLOAT_EQ(round(2.5f, 0), 3);
    EXPECT_FLOAT_EQ(round(37.456f, 2), 37.46f);
}

TEST(Numeric, RoundingGoesDownForNegativeFractions)
{
    EXPECT_FLOAT_EQ(round(-1.2f, 0), -2);
    EXPECT_FLOAT_EQ(round(-1.7f, 0), -2);
    EXPECT_FLOAT_EQ(round(-3.0f, 0), -3);
}

TEST(Numeric, IntegerPowers)
{
    EXPECT_FLOAT_EQ(int_pow(2, -2), 0.25f);
    EXPECT_FLOAT_EQ(int_pow(0, 0), 1);
    EXPECT_FLOAT_EQ(int_pow(-3, 3), -27);
    EXPECT_FLOAT_EQ(int_pow(10, 2), 100);
}

TEST(Numeric, CyclesOfADecayingMotion)
{
    EXPECT_FLOAT_EQ(calc_cycles(1, 0.5, 1), 1);
    EXPECT_FLOAT_EQ(calc_cycles(1, 0.5, 1.5), 2);
    EXPECT_FLOAT_EQ(calc_cycles(1, 0.5, 2), -1);  // beyond the motion's reach
    EXPECT_FLOAT_EQ(calc_cycles(0, 0.9, 5), -1);
    EXPECT_FLOAT_EQ(calc_cycles(1, -0.1, 1), -1);
}

TEST(Numeric, CyclesWithoutDecayAreDistanceOverSpeed)
{
    EXPECT_FLOAT_EQ(calc_cycles(2, 1, 10), 5);
    EXPECT_NEAR(calc_cycles(2, 0.99999f, 10), 5, 0.01);
}

TEST(Numeric, ModByRepeatedSubtraction)
{
    EXPECT_DOUBLE_EQ(mod(7, 3), 1);
    EXPECT_DOUBLE_EQ(mod(6, 3), 0);
    EXPECT_DOUBLE_EQ(mod(2, 3), 2);
    EXPECT_DOUBLE_EQ(mod(-5, 3), -5);  // a negative value stays as it is
    EXPECT_DOUBLE_EQ(mod(725, 360), 5);
}

TEST(Numeric, ModNeverLoopsOnBadDivisorsOrHugeValues)
{
    EXPECT_DOUBLE_EQ(mod(5, 0), 5);
    EXPECT_DOUBLE_EQ(mod(5, -2), 5);
    EXPECT_DOUBLE_EQ(mod(-1, -5), -1);
    EXPECT_DOUBLE_EQ(mod(1e300, 2), 0);
    EXPECT_TRUE(std::isnan(mod(std::nan(""), 3)));
    EXPECT_DOUBLE_EQ(mod(5, std::nan("")), 5);
    EXPECT_TRUE(std::isnan(mod(std::numeric_limits<double>::infinity(), 3)));
}

TEST(Numeric, EquationSolvesTwoByTwo)
{
    double x = 0, y = 0;
    EXPECT_TRUE(equation(1, 1, 3, 1, -1, 1, &x, &y));
    EXPECT_DOUBLE_EQ(x, 2);
    EXPECT_DOUBLE_EQ(y, 1);
    // x straight from the first equation (b = 0), y from the second.
    EXPECT_TRUE(equation(2, 0, 4, 1, 1, 5, &x, &y));
    EXPECT_DOUBLE_EQ(x, 2);
    EXPECT_DOUBLE_EQ(y, 3);
    EXPECT_TRUE(equation(0, 2, 4, 3, 1, 8, &x, &y));
    EXPECT_DOUBLE_EQ(x, 2);
    EXPECT_DOUBLE_EQ(y, 2);
}

TEST(Numeric, EquationRefusesSingularSystems)
{
    double x = 0, y = 0;
    EXPECT_FALSE(equation(0, 1, 1, 0, 2, 2, &x, &y));
    EXPECT_EQ(x, kNoAnswer);
    EXPECT_EQ(y, kNoAnswer);
    EXPECT_FALSE(equation(1, 1, 2, 2, 2, 4, &x, &y));  // the same line twice
    EXPECT_FALSE(equation(1, 1, 2, 2, 2, 5, &x, &y));  // parallel lines
    EXPECT_FALSE(equation(0, 0, 1, 1, 1, 2, &x, &y));  // the first equation is empty
    EXPECT_FALSE(equation(1, 1, 2, 0, 0, 0, &x, &y));  // the second equation is empty
}
